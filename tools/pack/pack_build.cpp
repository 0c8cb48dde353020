// `pack build`: reads the files a description names and writes the package.
#include "pack_build.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "console.h"
#include "pack_description.h"
#include "package_writer.h"

namespace {

// Largest payload accepted: sizes are stored as signed 32-bit numbers, and a
// program file that large would not load anyway.
const unsigned long long kMaxPayload = 0x7FFFFFFF;

std::string SystemMessage(DWORD code) {
    char text[512] = "";
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                             sizeof(text), nullptr);
    std::string message = n ? std::string(text, n) : "error " + std::to_string(code);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == '.' ||
                                message.back() == ' ')) {
        message.pop_back();
    }
    return message;
}

bool IsAbsolute(const std::string& path) {
    return (path.size() >= 2 && path[1] == ':') || (!path.empty() && (path[0] == '\\' || path[0] == '/'));
}

std::string FolderOfPath(const std::string& path) {
    size_t slash = path.find_last_of("/\\");
    if (slash == std::string::npos) return "";
    return path.substr(0, slash);
}

std::string Resolve(const std::string& folder, const std::string& source) {
    std::string path = IsAbsolute(source) || folder.empty() ? source : folder + "\\" + source;
    for (char& c : path) {
        if (c == '/') c = '\\';
    }
    return path;
}

bool IsFolder(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string FullPath(const std::string& path) {
    char full[MAX_PATH];
    DWORD n = GetFullPathNameA(path.c_str(), sizeof(full), full, nullptr);
    return n > 0 && n < sizeof(full) ? std::string(full) : path;
}

class Builder {
public:
    explicit Builder(const std::string& descriptionPath) : description_(descriptionPath) {}

    void Error(int line, const std::string& message) { lineErrors_.push_back({line, message}); }
    // An error that belongs to no line of the description.
    void Fail(const std::string& message) { otherErrors_.push_back(message); }
    size_t errors() const { return lineErrors_.size() + otherErrors_.size(); }

    // Prints every error, those of the description in line order.
    void Report() const {
        std::vector<PackError> sorted = lineErrors_;
        std::stable_sort(sorted.begin(), sorted.end(),
                         [](const PackError& a, const PackError& b) { return a.line < b.line; });
        for (const PackError& error : sorted) {
            PrintErr(description_ + ":" + std::to_string(error.line) + ": error: " + error.message + "\n");
        }
        for (const std::string& error : otherErrors_) PrintErr("pack: " + error + "\n");
        PrintErr("pack: " + std::to_string(errors()) + " error(s); nothing written\n");
    }

    // Reads a file the description names on line; false after reporting.
    bool ReadSource(int line, const std::string& what, const std::string& source, std::string* bytes) {
        std::string path = Resolve(FolderOfPath(description_), source);
        std::string why;
        if (!ReadWholeFile(path, bytes, &why)) {
            Error(line, what + " '" + source + "' " + why + " (" + FullPath(path) + ")");
            return false;
        }
        return true;
    }

    // Checks and prepares the licence or information text; false after reporting.
    bool ReadText(const char* key, const char* formatKey, const PackText& text, int* format, std::string* bytes) {
        std::string raw;
        if (!ReadSource(text.line, std::string(key) + " file", text.source, &raw)) return false;
        if (raw.empty()) {
            Error(text.line, std::string(key) + " file '" + text.source + "' is empty");
            return false;
        }
        bool rtf = LooksLikeRtf(raw);
        if (text.format == kTextRtf && !rtf) {
            Error(text.formatLine, std::string(formatKey) + " is rtf, but '" + text.source +
                                       "' does not start with {\\rtf: it is not an RTF file");
            return false;
        }
        if (text.format == kTextRtf || (text.format == kTextAuto && rtf)) {
            *format = 2;
            *bytes = raw;
            return true;
        }
        *format = 1;
        int badLine = 0;
        if (!PreparePlainText(raw, bytes, &badLine)) {
            Error(text.line, std::string(key) + " file '" + text.source + "', line " + std::to_string(badLine) +
                                 ": a character cannot be written in code page 1252, which setup uses");
            return false;
        }
        return true;
    }

private:
    std::string description_;
    std::vector<PackError> lineErrors_;
    std::vector<std::string> otherErrors_;
};

}  // namespace

bool ReadWholeFile(const std::string& path, std::string* bytes, std::string* why) {
    bytes->clear();
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        DWORD code = GetLastError();
        *why = code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND ? "not found" : "cannot be read: " + SystemMessage(code);
        return false;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        *why = "is a folder, not a file";
        return false;
    }
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        *why = "cannot be opened: " + SystemMessage(GetLastError());
        return false;
    }
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file, &size) || static_cast<unsigned long long>(size.QuadPart) > kMaxPayload) {
        CloseHandle(file);
        *why = "is too large for a package (at most 2 GB)";
        return false;
    }
    bytes->resize(static_cast<size_t>(size.QuadPart));
    size_t done = 0;
    while (done < bytes->size()) {
        DWORD got = 0;
        if (!ReadFile(file, &(*bytes)[done], static_cast<DWORD>(bytes->size() - done), &got, nullptr) || got == 0) {
            break;
        }
        done += got;
    }
    CloseHandle(file);
    if (done != bytes->size()) {
        *why = "could not be read to its end";
        return false;
    }
    return true;
}

int BuildPackage(const std::string& descriptionPath, const std::string& outExe, const std::string& setupExe) {
    std::string text;
    std::string why;
    if (!ReadWholeFile(descriptionPath, &text, &why)) {
        PrintErr("pack: description '" + descriptionPath + "' " + why + "\n");
        return 1;
    }
    PackDescription description;
    std::vector<PackError> problems;
    Builder builder(descriptionPath);
    // Even a description with errors has its files checked, so that one run
    // reports everything that needs mending.
    bool parsed = ParsePackDescription(text.data(), text.size(), &description, &problems);
    for (const PackError& problem : problems) builder.Error(problem.line, problem.message);

    PackageContents contents;
    contents.record = description.record;
    unsigned long long total = 0;
    for (const PackFile& file : description.files) {
        if (!file.valid) continue;
        std::string bytes;
        if (!builder.ReadSource(file.line, "file", file.source, &bytes)) continue;
        total += bytes.size();
        if (total > kMaxPayload) {
            builder.Error(file.line, "the files up to this one make more than 2 GB, too much for a package");
            break;
        }
        contents.AddFile(file.name, file.subFolder, bytes);
    }
    if (parsed && builder.errors() == 0 && total == 0) {
        builder.Error(description.files[0].line,
                      "every file is empty: setup needs at least one byte of payload to install anything");
    }
    int format = 0;
    if (description.license.format != kTextNone && !description.license.source.empty() &&
        builder.ReadText("License", "LicenseFormat", description.license, &format, &contents.license)) {
        contents.writeLicense = true;
        contents.record.licenseFormat = static_cast<int16_t>(format);
    }
    if (description.info.format != kTextNone && !description.info.source.empty() &&
        builder.ReadText("Info", "InfoFormat", description.info, &format, &contents.info)) {
        contents.writeInfo = true;
        contents.record.infoFormat = static_cast<int16_t>(format);
    }

    // The setup program and the output: checked last, so that a description
    // with errors is reported whole even when these are wrong too.
    if (GetFileAttributesA(setupExe.c_str()) == INVALID_FILE_ATTRIBUTES || IsFolder(setupExe)) {
        builder.Fail("setup program '" + setupExe + "' not found (give it with --setup)");
    }
    std::string outFolder = FolderOfPath(outExe);
    if (outExe.empty() || outExe.back() == '\\' || outExe.back() == '/') {
        builder.Fail("output '" + outExe + "' is not a file name");
    } else if (!outFolder.empty() && outFolder.back() != ':' &&
               !IsFolder(outFolder)) {
        builder.Fail("the folder of the output '" + outExe + "' does not exist");
    } else if (IsFolder(outExe)) {
        builder.Fail("output '" + outExe + "' is a folder");
    } else if (lstrcmpiA(FullPath(outExe).c_str(), FullPath(setupExe).c_str()) == 0) {
        builder.Fail("output '" + outExe + "' would replace the setup program itself");
    }
    if (builder.errors() > 0) {
        builder.Report();
        return 1;
    }

    std::string error;
    if (!WritePackage(setupExe, outExe, contents, &error)) {
        PrintErr("pack: " + error + "; nothing written\n");
        return 1;
    }
    std::string summary = "pack: wrote " + outExe + ": " + std::to_string(contents.files.size()) + " file(s), " +
                          std::to_string(contents.payload.size()) + " bytes of payload";
    if (contents.writeLicense) summary += contents.record.licenseFormat == 2 ? ", RTF licence" : ", text licence";
    if (contents.writeInfo) summary += contents.record.infoFormat == 2 ? ", RTF information" : ", text information";
    PrintOut(summary + "\n");
    return 0;
}
