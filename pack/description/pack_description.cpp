// Parser and checks of the package description (see pack_description.h).
#include "pack_description.h"

#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <map>

#include "cp1252.h"
#include "definitions.h"
#include "description_patterns.h"
#include "exclusions.h"
#include "file_patterns.h"
#include "letter_case.h"
#include "text.h"

namespace {

enum KeyId {
    kAppName,
    kAppVerName,
    kFolder,
    kSubFolder,
    kGroup,
    kAllowDirChange,
    kNoIcons,
    kAllowGroupChange,
    kOfferMenuIcons,
    kRunOffered,
    kUninstallIcon,
    kLicense,
    kLicenseFormat,
    kInfo,
    kInfoFormat,
    kSetupIcon,
    kSidePicture,
    kHeaderPicture,
    kAppVersion,
    kPublisher,
    kCopyright,
    kDescription,
    kOriginalFileName,
    kCompression,
    kPrivileges,
    kKeyCount
};

const char* const kKeyNames[kKeyCount] = {
    "AppName",        "AppVerName", "Folder",        "SubFolder",  "Group",
    "AllowDirChange", "NoIcons",    "AllowGroupChange", "OfferMenuIcons", "RunOffered",
    "UninstallIcon",  "License",    "LicenseFormat", "Info",       "InfoFormat",
    "SetupIcon",      "SidePicture", "HeaderPicture", "AppVersion", "Publisher",
    "Copyright",      "Description", "OriginalFileName", "Compression",
    "Privileges",
};

// Where setup usually resolves each token, to estimate the length of install
// paths, and whether writing there needs administrator rights.
struct TokenFolder {
    const char* token;
    const char* usual;
    bool admin;
};
const TokenFolder kTokens[] = {
    {"{pf}", "C:\\Program Files (x86)", true},
    // %LOCALAPPDATA%\Programs in the longest profile folder: a domain user's
    // "name.DOMAIN", 20 characters of user name, a dot, 15 of domain.
    {"{userpf}", "C:\\Users\\12345678901234567890.123456789012345\\AppData\\Local\\Programs", false},
    {"{sys}", "C:\\Windows\\system32", true},
    {"{win}", "C:\\Windows", true},
    {"{app}", "C:", false},
};

struct Value {
    std::string text;
    int line = 0;  // 0: not given
};

std::string Trim(const std::string& text) {
    size_t begin = text.find_first_not_of(" \t");
    if (begin == std::string::npos) return "";
    size_t end = text.find_last_not_of(" \t");
    return text.substr(begin, end - begin + 1);
}

std::string Lower(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

// Where a target given twice comes from, when its two lines give two paths:
// both named, and said when they differ only by letter case, which Windows
// ignores ("" for one path given twice).
std::string TwoSources(const std::string& first, const std::string& second) {
    if (NormalSource(first) == NormalSource(second)) return "";
    const bool caseOnly = FoldCase(NormalSource(first)) == FoldCase(NormalSource(second));
    return ": from '" + first + "' and from '" + second + "'" +
           (caseOnly ? ", whose names differ only by letter case, which Windows ignores" : "");
}

// Edit distance, used to suggest the key that was meant.
size_t Distance(const std::string& a, const std::string& b) {
    std::vector<size_t> row(b.size() + 1);
    for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
    for (size_t i = 1; i <= a.size(); ++i) {
        size_t diagonal = row[0];
        row[0] = i;
        for (size_t j = 1; j <= b.size(); ++j) {
            size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

int FindKey(const std::string& key) {
    for (int i = 0; i < kKeyCount; ++i) {
        if (Lower(key) == Lower(kKeyNames[i])) return i;
    }
    return -1;
}

std::string Quoted(const std::string& text) { return "'" + text + "'"; }

// Problem with one part of a path (a file or folder name), or "" when it is fine.
std::string NameProblem(const std::string& name) {
    if (name.empty()) return "is empty";
    for (char c : name) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (byte < 32) return "contains a control character";
        if (strchr("\\/:*?\"<>|", c)) return std::string("contains '") + c + "', which Windows does not allow in a name";
    }
    if (name.back() == '.' || name.back() == ' ') return "ends with a dot or a blank, which Windows drops";
    std::string base = Lower(name.substr(0, name.find('.')));
    static const char* const kDevices[] = {"con", "prn", "aux", "nul"};
    for (const char* device : kDevices) {
        if (base == device) return "is a reserved device name";
    }
    if (base.size() == 4 && (base.compare(0, 3, "com") == 0 || base.compare(0, 3, "lpt") == 0) && base[3] >= '1' &&
        base[3] <= '9') {
        return "is a reserved device name";
    }
    return "";
}

// Turns a relative folder ("a/b", "a\b\") into "a\b". Returns a problem text,
// or "" when the folder is fine; "" in, "" out.
std::string NormaliseFolder(const std::string& raw, std::string* out) {
    out->clear();
    std::string text = raw;
    std::replace(text.begin(), text.end(), '/', '\\');
    if (!text.empty() && text[0] == '\\') return "must be relative (no leading backslash)";
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\\', start);
        if (end == std::string::npos) end = text.size();
        std::string part = text.substr(start, end - start);
        if (!part.empty()) {
            if (part == "." || part == "..") return "must not contain '.' or '..'";
            std::string problem = NameProblem(part);
            if (!problem.empty()) return "has a part " + Quoted(part) + " that " + problem;
            if (!out->empty()) *out += '\\';
            *out += part;
        }
        start = end + 1;
    }
    return "";
}

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

class Parser {
public:
    Parser(const PackReadOptions& options, PackDescription* out, std::vector<PackError>* errors)
        : options_(options), out_(out), errors_(errors) {}

    void Run(const char* data, size_t size);

private:
    void Error(int line, const std::string& message) { errors_->push_back({line, message}); }
    void SetupLine(int line, const std::string& text);
    void FileLine(int line, const std::string& text);
    bool Unquote(int line, const std::string& raw, std::string* value);
    void CheckSetup();
    void CheckText(int fileKey, int formatKey, const char* what, PackText* text);
    void CheckBranding();
    void BrandingFile(int key, const char* what, PackSource* source);
    std::string BrandingText(int key, const std::string& fallback);
    int Flag(int key, int fallback);
    bool StoreName(int key, char* field, const std::string& value);
    void CheckFiles();
    void DefineLine(int line, const std::string& text);
    void ExcludeLine(int line, const std::string& text);

    const PackReadOptions& options_;
    Definitions definitions_;
    Exclusions exclusions_;
    PackDescription* out_;
    std::vector<PackError>* errors_;
    Value values_[kKeyCount];
    int setupLine_ = 0;  // line of the first [Setup] header
    int filesLine_ = 0;  // line of the first [Files] header
    int lastLine_ = 1;
    std::string installDir_;  // the install folder as far as it is known, to check lengths
    bool estimated_ = false;  // installDir_ starts with the usual folder of a token
};

bool Parser::Unquote(int line, const std::string& raw, std::string* value) {
    if (raw.empty() || raw[0] != '"') {
        *value = raw;
        return true;
    }
    if (raw.size() < 2 || raw.back() != '"' || raw.find('"', 1) != raw.size() - 1) {
        Error(line, "unbalanced quotes in " + raw);
        return false;
    }
    *value = raw.substr(1, raw.size() - 2);
    return true;
}

void Parser::SetupLine(int line, const std::string& text) {
    size_t equals = text.find('=');
    if (equals == std::string::npos) {
        Error(line, "expected 'Key = value', found " + Quoted(text));
        return;
    }
    std::string key = Trim(text.substr(0, equals));
    int id = FindKey(key);
    if (id < 0) {
        std::string message = "unknown key " + Quoted(key) + " in [Setup]";
        for (int i = 0; i < kKeyCount; ++i) {
            if (Distance(Lower(key), Lower(kKeyNames[i])) <= 2) {
                message += " (did you mean " + std::string(kKeyNames[i]) + "?)";
                break;
            }
        }
        Error(line, message);
        return;
    }
    if (values_[id].line != 0) {
        Error(line, std::string(kKeyNames[id]) + " is given twice (first on line " + std::to_string(values_[id].line) +
                        ")");
        return;
    }
    std::string value;
    if (!Unquote(line, Trim(text.substr(equals + 1)), &value)) return;
    values_[id].text = value;
    values_[id].line = line;
}

void Parser::FileLine(int line, const std::string& text) {
    std::string source;
    std::string rest;
    if (text[0] == '"') {
        size_t close = text.find('"', 1);
        if (close == std::string::npos) {
            Error(line, "unbalanced quotes in " + text);
            return;
        }
        source = text.substr(1, close - 1);
        rest = Trim(text.substr(close + 1));
        if (!rest.empty() && rest[0] != '=') {
            Error(line, "expected '= sub-folder' after the quoted file name, found " + Quoted(rest));
            return;
        }
        if (!rest.empty()) rest = Trim(rest.substr(1));
    } else {
        size_t equals = text.find('=');
        source = Trim(text.substr(0, equals));
        if (equals != std::string::npos) rest = Trim(text.substr(equals + 1));
    }
    std::string subFolder;
    if (!Unquote(line, rest, &subFolder)) return;
    if (source.empty()) {
        Error(line, "a file line needs a file name before '='");
        return;
    }
    PackFile file;
    file.source = source;
    file.line = line;
    if (IsFilePattern(source)) {
        file.pattern = true;
        std::string problem = PatternProblem(source, out_->files.empty());
        if (!problem.empty()) {
            Error(line, problem);
            file.valid = false;
        }
    }
    size_t slash = source.find_last_of("/\\");
    file.name = slash == std::string::npos ? source : source.substr(slash + 1);
    std::string normalised;
    std::string problem = NormaliseFolder(subFolder, &normalised);
    const size_t before = errors_->size();
    if (!problem.empty()) {
        Error(line, "sub-folder " + Quoted(subFolder) + " " + problem);
    } else if (normalised.size() > kMaxPathLength) {
        Error(line, "sub-folder is " + std::to_string(normalised.size()) + " characters long (at most 259)");
    }
    file.subFolder = normalised;
    if (file.pattern) {
        file.name.clear();
    } else if (file.name.empty()) {
        Error(line, Quoted(source) + " names a folder, not a file");
    } else if (file.name.size() > kMaxPathLength) {
        Error(line, "file name is " + std::to_string(file.name.size()) + " characters long (at most 259)");
    } else {
        std::string nameProblem = NameProblem(file.name);
        if (!nameProblem.empty()) Error(line, "file name " + Quoted(file.name) + " " + nameProblem);
    }
    file.valid = file.valid && errors_->size() == before;
    out_->files.push_back(file);
}

int Parser::Flag(int key, int fallback) {
    const Value& value = values_[key];
    if (value.line == 0) return fallback;
    std::string text = Lower(value.text);
    if (text == "yes" || text == "true" || text == "on" || text == "1") return 1;
    if (text == "no" || text == "false" || text == "off" || text == "0") return 0;
    Error(value.line, std::string(kKeyNames[key]) + " must be yes or no, not " + Quoted(value.text));
    return fallback;
}

bool Parser::StoreName(int key, char* field, const std::string& value) {
    if (value.size() > kMaxPathLength) {
        Error(values_[key].line ? values_[key].line : values_[kAppName].line,
              std::string(kKeyNames[key]) + " is " + std::to_string(value.size()) + " characters long (at most 259)");
        return false;
    }
    CopyText(field, kPathSize, value.c_str());
    return true;
}

void Parser::CheckText(int fileKey, int formatKey, const char* what, PackText* text) {
    const Value& file = values_[fileKey];
    const Value& format = values_[formatKey];
    if (format.line != 0) {
        std::string name = Lower(format.text);
        if (name == "text") {
            text->format = kTextPlain;
        } else if (name == "rtf") {
            text->format = kTextRtf;
        } else {
            Error(format.line, std::string(kKeyNames[formatKey]) + " must be text or rtf, not " + Quoted(format.text));
        }
        text->formatLine = format.line;
        if (file.line == 0) {
            Error(format.line, std::string(kKeyNames[formatKey]) + " is given without " + kKeyNames[fileKey]);
        }
    }
    if (file.line == 0) {
        text->format = kTextNone;
        return;
    }
    if (file.text.empty()) {
        Error(file.line, std::string(kKeyNames[fileKey]) + " needs the file of the " + what + " text");
        return;
    }
    text->source = file.text;
    text->line = file.line;
    if (format.line == 0) text->format = kTextAuto;
}

void Parser::CheckSetup() {
    SetupRecord& record = out_->record;
    SetDefaultSetupRecord(&record);
    record.noIcons = 0;  // a package has a main program, so shortcuts are the usual case

    const int anchor = setupLine_ ? setupLine_ : 1;
    const Value& appName = values_[kAppName];
    if (appName.line == 0) {
        Error(anchor, "AppName is missing from [Setup]");
    } else if (appName.text.empty()) {
        Error(appName.line, "AppName must not be empty");
    } else if (StoreName(kAppName, record.appName, appName.text)) {
        std::string problem = NameProblem(appName.text);
        if (!problem.empty()) {
            Error(appName.line, "AppName " + Quoted(appName.text) + " " + problem +
                                    " (it names the shortcuts and the uninstall entry)");
        }
    }
    const std::string name = appName.text;

    const Value& verName = values_[kAppVerName];
    if (verName.line != 0 && verName.text.empty()) Error(verName.line, "AppVerName must not be empty");
    StoreName(kAppVerName, record.appVerName, verName.line ? verName.text : name);

    // Who the package is for: every user (administrator rights) or the user
    // who runs it. It decides the default folder and the tokens allowed.
    const Value& privileges = values_[kPrivileges];
    out_->privilegesLine = privileges.line;
    if (privileges.line != 0) {
        std::string level = Lower(privileges.text);
        if (level == "user") {
            out_->perUser = true;
        } else if (level != "admin") {
            Error(privileges.line, "Privileges must be admin or user, not " + Quoted(privileges.text));
        }
    }
    const bool perUser = out_->perUser;

    // Install folder: a token or an absolute folder.
    const Value& folder = values_[kFolder];
    std::string token = folder.line ? folder.text : perUser ? "{userpf}" : "{pf}";
    std::replace(token.begin(), token.end(), '/', '\\');
    int folderLine = folder.line ? folder.line : anchor;
    const TokenFolder* known = nullptr;
    for (const TokenFolder& candidate : kTokens) {
        if (token == candidate.token) known = &candidate;
    }
    bool folderOk = true;
    if (known && perUser && known->admin) {
        Error(folderLine, "Folder " + token + " needs administrator rights, which a package with Privileges = user (line " +
                              std::to_string(privileges.line) +
                              ") does not ask for; use {userpf} (the user's own programs folder) or {app}");
        folderOk = false;
    } else if (known && !perUser && token == "{userpf}") {
        Error(folderLine, "Folder {userpf} is the programs folder of one user: it needs Privileges = user, so that "
                          "the package is installed and registered for that user only");
        folderOk = false;
    }
    if (known) {
        installDir_ = known->usual;
        estimated_ = true;
    } else if (!token.empty() && token[0] == '{') {
        std::string message = "unknown folder token " + Quoted(token);
        for (const TokenFolder& candidate : kTokens) {
            if (Lower(token) == candidate.token) message += " (tokens are written in lower case: " + std::string(candidate.token) + ")";
        }
        Error(folderLine, message + "; use {pf}, {userpf}, {sys}, {win}, {app} or an absolute folder such as C:\\Jeux");
        folderOk = false;
    } else {
        while (token.size() > 2 && token.back() == '\\') token.pop_back();
        bool drive = token.size() >= 2 && IsLetter(token[0]) && token[1] == ':' &&
                     (token.size() == 2 || token[2] == '\\');
        bool network = token.size() > 2 && token[0] == '\\' && token[1] == '\\';
        if (!drive && !network) {
            Error(folderLine, "Folder " + Quoted(folder.text) +
                                  " is neither a folder token ({pf}, {userpf}, {sys}, {win}, {app}) nor an absolute folder "
                                  "such as C:\\Jeux");
            folderOk = false;
        } else {
            std::string rest;
            std::string problem = NormaliseFolder(token.substr(drive ? (token.size() > 2 ? 3 : 2) : 2), &rest);
            if (!problem.empty()) {
                Error(folderLine, "Folder " + Quoted(folder.text) + " " + problem);
                folderOk = false;
            }
            token = (drive ? token.substr(0, 2) : std::string("\\\\")) + (rest.empty() ? "" : (drive ? "\\" : "") + rest);
        }
        installDir_ = token;
    }
    if (folderOk) StoreName(kFolder, record.folderToken, token);

    const Value& subFolder = values_[kSubFolder];
    std::string sub = subFolder.line ? subFolder.text : (known && (token == "{pf}" || token == "{userpf}") ? name : "");
    std::string normalisedSub;
    std::string problem = NormaliseFolder(sub, &normalisedSub);
    if (!problem.empty()) {
        Error(subFolder.line ? subFolder.line : anchor, "SubFolder " + Quoted(sub) + " " + problem);
    } else {
        StoreName(kSubFolder, record.subFolder, normalisedSub);
    }
    if (!normalisedSub.empty()) installDir_ += "\\" + normalisedSub;
    if (folderOk && !known && problem.empty() && installDir_.size() == 2 && installDir_[1] == ':') {
        Error(folderLine, "a drive root is not an install folder; name a folder such as C:\\Jeux or give a SubFolder");
    }

    record.allowDirChange = Flag(kAllowDirChange, 1);
    record.noIcons = Flag(kNoIcons, 0);
    record.allowGroupChange = Flag(kAllowGroupChange, 1);
    record.offerMenuIcons = Flag(kOfferMenuIcons, 1);
    record.runOffered = Flag(kRunOffered, 0);
    record.uninstallIconOffered = Flag(kUninstallIcon, 0);

    const Value& group = values_[kGroup];
    std::string normalisedGroup;
    problem = NormaliseFolder(group.line ? group.text : name, &normalisedGroup);
    const bool needsGroup = record.noIcons == 0 || record.uninstallIconOffered;
    if (!problem.empty()) {
        if (group.line) Error(group.line, "Group " + Quoted(group.text) + " " + problem);
    } else if (normalisedGroup.empty() && needsGroup) {
        if (group.line) Error(group.line, "Group must not be empty when the package makes menu shortcuts");
    } else {
        StoreName(kGroup, record.groupName, normalisedGroup);
    }

    CheckText(kLicense, kLicenseFormat, "licence", &out_->license);
    CheckText(kInfo, kInfoFormat, "information", &out_->info);
    record.licenseFormat = static_cast<int16_t>(out_->license.format == kTextRtf ? 2 : out_->license.format ? 1 : 0);
    record.infoFormat = static_cast<int16_t>(out_->info.format == kTextRtf ? 2 : out_->info.format ? 1 : 0);
    CheckBranding();

    const Value& compression = values_[kCompression];
    out_->compressionLine = compression.line;
    if (compression.line != 0) {
        std::string level = Lower(compression.text);
        if (level == "none") {
            out_->compression = kPackCompressionNone;
        } else if (level == "fast") {
            out_->compression = kPackCompressionFast;
        } else if (level == "best") {
            out_->compression = kPackCompressionBest;
        } else {
            Error(compression.line, "Compression must be none, fast or best, not " + Quoted(compression.text));
        }
    }
}

void Parser::BrandingFile(int key, const char* what, PackSource* source) {
    const Value& value = values_[key];
    if (value.line == 0) return;
    if (value.text.empty()) {
        Error(value.line, std::string(kKeyNames[key]) + " needs the file of the " + what);
        return;
    }
    source->path = value.text;
    source->line = value.line;
}

std::string Parser::BrandingText(int key, const std::string& fallback) {
    const Value& value = values_[key];
    if (value.line == 0) return fallback;
    if (value.text.size() > kMaxPathLength) {
        Error(value.line, std::string(kKeyNames[key]) + " is " + std::to_string(value.text.size()) +
                              " characters long (at most 259)");
        return fallback;
    }
    return value.text;
}

void Parser::CheckBranding() {
    PackBranding& branding = out_->branding;
    BrandingFile(kSetupIcon, "installer's icon (.ico)", &branding.icon);
    BrandingFile(kSidePicture, "side picture (.bmp, 144 x 324)", &branding.sidePicture);
    BrandingFile(kHeaderPicture, "header picture (.bmp, 64 x 64)", &branding.headerPicture);
    branding.publisher = BrandingText(kPublisher, "");
    branding.copyright = BrandingText(kCopyright, "");
    const std::string name = values_[kAppName].text;
    branding.description = BrandingText(kDescription, name.empty() ? "" : "Installation de " + name);
    // The file name the package is published under, as its version
    // information tells: never the name it happens to be written to, so that
    // a rebuild elsewhere gives the same bytes.
    std::string compact;
    for (char c : name) {
        if (c != ' ') compact += c;
    }
    branding.originalFileName = BrandingText(kOriginalFileName, compact.empty() ? "setup.exe" : compact + "Setup.exe");
    if (values_[kOriginalFileName].line != 0) {
        std::string problem = NameProblem(branding.originalFileName);
        if (!problem.empty()) {
            Error(values_[kOriginalFileName].line, "OriginalFileName " + Quoted(branding.originalFileName) + " " + problem);
        }
    }

    const Value& version = values_[kAppVersion];
    std::string why;
    if (version.line != 0) {
        branding.version = BrandingText(kAppVersion, "");
        branding.givenVersion = branding.version;
        if (!ParseVersionNumbers(branding.version, branding.versionNumbers, &why)) {
            Error(version.line, "AppVersion " + Quoted(version.text) + " " + why);
        }
        return;
    }
    // Without AppVersion, the version is the part of AppVerName from its first
    // word that starts with a digit ("Cartopia 1.2 bêta" gives "1.2 bêta").
    const std::string verName = out_->record.appVerName;
    for (size_t at = 0; at < verName.size(); ++at) {
        if ((at == 0 || verName[at - 1] == ' ') && verName[at] >= '0' && verName[at] <= '9' &&
            ParseVersionNumbers(verName.substr(at), branding.versionNumbers, &why)) {
            branding.version = verName.substr(at);
            return;
        }
    }
}

void Parser::CheckFiles() {
    if (out_->files.empty()) {
        Error(filesLine_ ? filesLine_ : lastLine_,
              filesLine_ ? "[Files] lists no file; the first file is the program to install"
                         : "there is no [Files] section; list the files to install there");
        return;
    }
    if (installDir_.size() + strlen("\\uninst.exe") > kMaxPathLength) {
        int line = values_[kSubFolder].line ? values_[kSubFolder].line : values_[kFolder].line;
        Error(line ? line : (setupLine_ ? setupLine_ : 1),
              "the install folder " + installDir_ + " is too long for setup's paths of at most 259 characters");
    }
    // Patterns become the files they find, which are then checked as listed ones.
    if (options_.folders) {
        std::vector<PackError> problems;
        ExpandFilePatterns(exclusions_, *options_.folders, &out_->files, &problems);
        for (const PackError& problem : problems) Error(problem.line, problem.message);
    }
    // Target paths with letter case folded as the patterns fold it (É as é),
    // and the folders they need, each with the first file that has it: a new
    // file is checked against them in one lookup per folder of its path, so
    // that a package of 100,000 files is checked at once.
    std::map<std::string, size_t> fileAt;
    std::map<std::string, size_t> folderAt;
    for (size_t i = 0; i < out_->files.size(); ++i) {
        const PackFile& file = out_->files[i];
        if (!file.valid || file.pattern) continue;
        std::string relative = file.subFolder.empty() ? file.name : file.subFolder + "\\" + file.name;
        std::string target = FoldCase(relative);
        std::string full = installDir_ + "\\" + relative;
        if (full.size() > kMaxPathLength && installDir_.size() + strlen("\\uninst.exe") <= kMaxPathLength) {
            Error(file.line, "installed as " + full + ", " + std::to_string(full.size()) +
                                 " characters: setup's paths hold at most 259" +
                                 (estimated_ ? " (with the usual folder for " + std::string(out_->record.folderToken) + ")" : ""));
        }
        if (target == "uninst.exe") {
            Error(file.line, "uninst.exe in the install folder is the uninstaller that setup writes; rename the file or "
                             "give it a sub-folder");
        }
        // The earliest file this one clashes with: the same target, a file
        // below this target (a folder there), or a file where this one needs a folder.
        const size_t kNone = static_cast<size_t>(-1);
        size_t clash = kNone;
        bool again = false;
        auto same = fileAt.find(target);
        if (same != fileAt.end()) {
            clash = same->second;
            again = true;
        }
        auto below = folderAt.find(target);
        if (below != folderAt.end() && below->second < clash) {
            clash = below->second;
            again = false;
        }
        for (size_t cut = target.find('\\'); cut != std::string::npos; cut = target.find('\\', cut + 1)) {
            auto above = fileAt.find(target.substr(0, cut));
            if (above != fileAt.end() && above->second < clash) {
                clash = above->second;
                again = false;
            }
        }
        if (clash != kNone && again) {
            Error(file.line, "installs " + relative + " again (already on line " + std::to_string(out_->files[clash].line) +
                                 ")" + TwoSources(out_->files[clash].source, file.source));
        } else if (clash != kNone) {
            Error(file.line, "installs " + relative + ", but line " + std::to_string(out_->files[clash].line) +
                                 " needs the same name for a file and a folder");
        }
        fileAt.emplace(target, i);
        for (size_t cut = target.find('\\'); cut != std::string::npos; cut = target.find('\\', cut + 1)) {
            folderAt.emplace(target.substr(0, cut), i);
        }
    }
}

void Parser::DefineLine(int line, const std::string& text) {
    size_t equals = text.find('=');
    std::string name = Trim(text.substr(0, equals));
    std::string value;
    if (equals == std::string::npos || !IsDefinitionName(name)) {
        Error(line, "expected 'Name = text' with a name of letters, digits and _, found " + Quoted(text));
    } else if (definitions_.Has(name)) {
        Error(line, name + " is defined twice in [Defines]");
    } else if (Unquote(line, Trim(text.substr(equals + 1)), &value)) {
        definitions_.Set(name, value);
    }
}

void Parser::ExcludeLine(int line, const std::string& text) {
    std::string pattern;
    std::string problem;
    if (!Unquote(line, text, &pattern)) return;
    if (!exclusions_.Add(pattern, &problem)) Error(line, problem);
}

void Parser::Run(const char* data, size_t size) {
    std::string bytes(data ? data : "", data ? size : 0);
    if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) bytes.erase(0, 3);
    if (HasNonAscii(bytes) && IsValidUtf8(bytes)) {
        int badLine = 0;
        uint32_t codePoint = 0;
        bytes = Utf8ToCp1252(bytes, &badLine, &codePoint);
        if (badLine) {
            char hex[16];
            snprintf(hex, sizeof(hex), "U+%04X", static_cast<unsigned>(codePoint));
            Error(badLine, std::string("character ") + hex + " cannot be written in code page 1252, which setup uses");
        }
    }

    // Two passes: the definitions first, so that a [Defines] section may come
    // after the lines that use it; then every other section.
    enum { kNone, kSetup, kFiles, kDefines, kExclude } section = kNone;
    for (int pass = 0; pass < 2; ++pass) {
        const bool definitionsPass = pass == 0;
        if (!definitionsPass) {
            for (const auto& definition : options_.definitions) definitions_.Set(definition.first, definition.second);
        }
        section = kNone;
        int line = 0;
        size_t start = 0;
        while (start < bytes.size()) {
            size_t end = bytes.find('\n', start);
            if (end == std::string::npos) end = bytes.size();
            std::string text = bytes.substr(start, end - start);
            start = end + 1;
            ++line;
            lastLine_ = line;
            if (!text.empty() && text.back() == '\r') text.pop_back();
            if (text.find('\0') != std::string::npos) {
                if (!definitionsPass) Error(line, "contains a zero byte: is this a text file?");
                continue;
            }
            text = Trim(text);
            if (text.empty() || text[0] == ';' || text[0] == '#') continue;
            if (text[0] == '[') {
                std::string name = text.back() == ']' ? Lower(Trim(text.substr(1, text.size() - 2))) : "";
                if (name == "setup") {
                    section = kSetup;
                    if (!setupLine_ && !definitionsPass) setupLine_ = line;
                } else if (name == "files") {
                    section = kFiles;
                    if (!filesLine_ && !definitionsPass) filesLine_ = line;
                } else if (name == "defines") {
                    section = kDefines;
                } else if (name == "exclude") {
                    section = kExclude;
                } else {
                    if (!definitionsPass) {
                        Error(line, "unknown section " + text +
                                        " (the sections are [Setup], [Files], [Exclude] and [Defines])");
                    }
                    section = kNone;
                }
                continue;
            }
            if (definitionsPass) {
                if (section == kDefines) DefineLine(line, text);
                continue;
            }
            if (section == kSetup || section == kFiles || section == kExclude) {
                std::string substituted;
                std::string problem;
                if (!definitions_.Substitute(text, &substituted, &problem)) {
                    Error(line, problem);
                    continue;
                }
                text = substituted;
            }
            if (section == kSetup) {
                SetupLine(line, text);
            } else if (section == kFiles) {
                FileLine(line, text);
            } else if (section == kExclude) {
                ExcludeLine(line, text);
            } else if (section == kNone && setupLine_ == 0 && filesLine_ == 0) {
                Error(line, "text before the first section; the description starts with [Setup]");
            }
            // Lines of an unknown section were reported with its header;
            // [Defines] was read in the first pass.
        }
    }
    CheckSetup();
    CheckFiles();
}

}  // namespace

std::string PackNameProblem(const std::string& name) { return NameProblem(name); }

bool ParsePackDescription(const char* data, size_t size, PackDescription* out, std::vector<PackError>* errors) {
    return ParsePackDescription(data, size, PackReadOptions(), out, errors);
}

bool ParsePackDescription(const char* data, size_t size, const PackReadOptions& options, PackDescription* out,
                          std::vector<PackError>* errors) {
    *out = PackDescription();
    errors->clear();
    Parser parser(options, out, errors);
    parser.Run(data, size);
    std::stable_sort(errors->begin(), errors->end(),
                     [](const PackError& a, const PackError& b) { return a.line < b.line; });
    return errors->empty();
}

bool LooksLikeRtf(const std::string& bytes) { return bytes.compare(0, 5, "{\\rtf") == 0; }

bool PreparePlainText(const std::string& bytes, std::string* out, int* badLine) {
    std::string text = bytes;
    *badLine = 0;
    if (text.size() >= 3 && text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);
    if (HasNonAscii(text) && IsValidUtf8(text)) {
        uint32_t codePoint = 0;
        text = Utf8ToCp1252(text, badLine, &codePoint);
        if (*badLine) return false;
    }
    out->clear();
    out->reserve(text.size() + text.size() / 32);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out->push_back('\r');
        out->push_back(text[i]);
    }
    return true;
}

bool ParseVersionNumbers(const std::string& text, uint16_t numbers[4], std::string* error) {
    for (int i = 0; i < 4; ++i) numbers[i] = 0;
    size_t at = text.find_first_not_of(" \t");
    if (at == std::string::npos || text[at] < '0' || text[at] > '9') {
        *error = "does not start with a version number such as 1.2 or 1.2.3.4";
        return false;
    }
    for (int part = 0; part < 4; ++part) {
        uint32_t value = 0;
        size_t digits = 0;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
            value = value * 10 + static_cast<uint32_t>(text[at++] - '0');
            if (value > 65535) {
                *error = "has a part above 65535, the largest a version number can hold";
                return false;
            }
            ++digits;
        }
        if (digits == 0) break;
        numbers[part] = static_cast<uint16_t>(value);
        if (at + 1 >= text.size() || text[at] != '.' || text[at + 1] < '0' || text[at + 1] > '9') break;
        ++at;
    }
    return true;
}
