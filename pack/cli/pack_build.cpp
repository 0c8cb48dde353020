// `pack build`: reads the files a description names and writes the package.
#include "pack_build.h"

#include <stdio.h>

#include <algorithm>
#include <vector>

#include "bitmap_file.h"
#include "console.h"
#include "cp1252.h"
#include "host_files.h"
#include "host_folders.h"
#include "pack_description.h"
#include "pack_sign.h"
#include "package_writer.h"
#include "registration_texts.h"

namespace {

// Largest payload accepted: sizes are stored as signed 32-bit numbers, and a
// program file that large would not load anyway.
const unsigned long long kMaxPayload = 0x7FFFFFFF;

class Builder {
public:
    explicit Builder(const std::string& descriptionPath, const char* outcome = "nothing written")
        : description_(descriptionPath), outcome_(outcome) {}

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
        PrintErr("pack: " + std::to_string(errors()) + " error(s); " + outcome_ + "\n");
    }

    // Reads a file the description names on line; false after reporting.
    // The path of a file the description names: as the system spells it
    // (UTF-8 on Linux) or, when there is no such file but one named with the
    // code page 1252 bytes (as files unpacked from an old archive may be), that.
    std::string FindSource(const std::string& source) const {
        std::string folder = FolderOfPath(description_);
        std::string path = HostPath(folder, HostFileName(source));
        std::string raw = HostPath(folder, source);
        if (raw != path && KindOfPath(path, nullptr) == kPathMissing && KindOfPath(raw, nullptr) == kPathFile) return raw;
        return path;
    }

    bool ReadSource(int line, const std::string& what, const std::string& source, std::string* bytes) {
        std::string path = FindSource(source);
        std::string why;
        if (ReadWholeFile(path, bytes, &why)) return true;
        Error(line, what + " '" + source + "' " + why + " (" + DisplayPath(FullPath(path)) + ")");
        return false;
    }

    // The same for a payload file, which is read only when the package is
    // written: its path of this system and its size.
    bool FindPayloadFile(int line, const std::string& source, std::string* path, unsigned long long* size) {
        *path = FindSource(source);
        std::string why;
        if (SizeOfReadableFile(*path, size, &why)) return true;
        Error(line, "file '" + source + "' " + why + " (" + DisplayPath(FullPath(*path)) + ")");
        return false;
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

    // Reads and checks the branding files, and sets the version information;
    // errors are reported on the line of their key.
    void ReadBranding(const PackDescription& description, PackageContents* contents) {
        const PackBranding& branding = description.branding;
        std::string bytes;
        std::string why;
        if (!branding.icon.path.empty() && ReadSource(branding.icon.line, "SetupIcon file", branding.icon.path, &bytes) &&
            !ParseIconFile(bytes, &contents->icon, &why)) {
            Error(branding.icon.line, "SetupIcon file '" + branding.icon.path + "': " + why);
        }
        ReadPicture("SidePicture", branding.sidePicture, kSideBitmap, 144, 324, &contents->sideBitmap);
        ReadPicture("HeaderPicture", branding.headerPicture, kHeaderBitmap, 64, 64, &contents->headerBitmap);

        VersionInfo& version = contents->version;
        contents->writeVersion = true;
        for (int i = 0; i < 4; ++i) version.numbers[i] = branding.versionNumbers[i];
        std::string numbers;
        for (int i = 0; i < 4; ++i) numbers += (i ? "." : "") + std::to_string(version.numbers[i]);
        version.strings = {
            {"CompanyName", branding.publisher},
            {"FileDescription", branding.description},
            {"FileVersion", branding.version.empty() ? "" : numbers},
            {"InternalName", "setup"},
            {"LegalCopyright", branding.copyright},
            {"OriginalFilename", branding.originalFileName},
            {"ProductName", description.record.appName},
            {"ProductVersion", branding.version},
        };
        // The list of installed programs shows the version only when
        // AppVersion gives it: deployment tools compare it between packages.
        if (!branding.givenVersion.empty() || !branding.publisher.empty()) {
            uint8_t texts[2 * kPathSize];
            size_t n = EncodeRegistrationTexts(branding.givenVersion.c_str(), branding.publisher.c_str(), texts,
                                               sizeof(texts));
            // The description's reader keeps both texts within a path's length.
            contents->registration.assign(reinterpret_cast<const char*>(texts), n);
        }
    }

private:
    void ReadPicture(const char* key, const PackSource& source, int id, int width, int height, std::string* out) {
        if (source.path.empty()) return;
        std::string bytes;
        std::string why;
        if (!ReadSource(source.line, std::string(key) + " file", source.path, &bytes)) return;
        if (!PrepareBitmap(bytes, width, height, out, &why)) {
            Error(source.line, std::string(key) + " file '" + source.path + "' (bitmap " + std::to_string(id) +
                                   "): " + why);
        }
    }

    std::string description_;
    const char* outcome_;  // what the errors lead to, for the last line of the report
    std::vector<PackError> lineErrors_;
    std::vector<std::string> otherErrors_;
};

// Writes the package; with signing, writes it under a temporary name, signs
// that into a second one and renames the signed file into place, so that a
// failed signing leaves neither a package nor an unsigned one by its name.
bool WriteFinalPackage(const std::string& setupExe, const std::string& outExe, const PackageContents& contents,
                       const SigningOptions& signing, std::string* error) {
    if (!signing.Wanted()) return WritePackage(setupExe, outExe, contents, error);
    std::string unsignedExe = outExe + ".unsigned";
    std::string signedExe = outExe + ".signed";
    bool done = WritePackage(setupExe, unsignedExe, contents, error) &&
                SignProgram(signing, Cp1252ToUtf8(contents.record.appName), unsignedExe, signedExe, error);
    std::string why;
    if (done && !RenameReplacing(signedExe, outExe, &why)) {
        *error = "cannot rename the signed file to " + outExe + " (" + why + ")";
        done = false;
    }
    remove(unsignedExe.c_str());
    remove(signedExe.c_str());
    return done;
}

}  // namespace

namespace {

// Reads the description and every file it names into *contents; errors go to
// builder. False when the description itself cannot be read (reported).
bool ReadDescribedPackage(const std::string& descriptionPath, const DefinitionList& definitions, Builder* builder,
                          PackageContents* contents) {
    std::string text;
    std::string why;
    if (!ReadWholeFile(descriptionPath, &text, &why)) {
        PrintErr("pack: description '" + descriptionPath + "' " + why + "\n");
        return false;
    }
    PackDescription description;
    std::vector<PackError> problems;
    // Even a description with errors has its files checked, so that one run
    // reports everything that needs mending.
    HostFolders folders(FolderOfPath(descriptionPath));
    PackReadOptions options;
    options.definitions = definitions;
    options.folders = &folders;
    bool parsed = ParsePackDescription(text.data(), text.size(), options, &description, &problems);
    for (const PackError& problem : problems) builder->Error(problem.line, problem.message);

    contents->record = description.record;
    unsigned long long total = 0;
    for (const PackFile& file : description.files) {
        if (!file.valid) continue;
        std::string path;
        unsigned long long size = 0;
        if (!builder->FindPayloadFile(file.line, file.source, &path, &size)) continue;
        total += size;
        if (total > kMaxPayload) {
            builder->Error(file.line, "the files up to this one make more than 2 GB, too much for a package");
            break;
        }
        contents->AddFileFrom(file.name, file.subFolder, path, size);
    }
    if (parsed && builder->errors() == 0 && total == 0) {
        builder->Error(description.files[0].line,
                       "every file is empty: setup needs at least one byte of payload to install anything");
    }
    int format = 0;
    if (description.license.format != kTextNone && !description.license.source.empty() &&
        builder->ReadText("License", "LicenseFormat", description.license, &format, &contents->license)) {
        contents->writeLicense = true;
        contents->record.licenseFormat = static_cast<int16_t>(format);
    }
    if (description.info.format != kTextNone && !description.info.source.empty() &&
        builder->ReadText("Info", "InfoFormat", description.info, &format, &contents->info)) {
        contents->writeInfo = true;
        contents->record.infoFormat = static_cast<int16_t>(format);
    }
    builder->ReadBranding(description, contents);
    contents->compression = description.compression;
    contents->perUser = description.perUser;
    return true;
}

}  // namespace

bool LoadDescribedPackage(const std::string& descriptionPath, const DefinitionList& definitions,
                          const std::string& setupExe, PackageContents* contents) {
    Builder builder(descriptionPath, setupExe.empty() ? "nothing listed" : "nothing compared");
    if (!ReadDescribedPackage(descriptionPath, definitions, &builder, contents)) return false;
    if (!setupExe.empty() && KindOfPath(setupExe, nullptr) != kPathFile) {
        builder.Fail("setup program '" + setupExe + "' not found (give it with --setup)");
    }
    if (builder.errors() == 0) return true;
    builder.Report();
    return false;
}

int BuildPackage(const std::string& descriptionPath, const DefinitionList& definitions, const std::string& outExe,
                 const std::string& setupExe, const SigningOptions& signing) {
    PackageContents contents;
    Builder builder(descriptionPath);
    if (!ReadDescribedPackage(descriptionPath, definitions, &builder, &contents)) return 1;

    // The setup program and the output: checked last, so that a description
    // with errors is reported whole even when these are wrong too.
    if (KindOfPath(setupExe, nullptr) != kPathFile) {
        builder.Fail("setup program '" + setupExe + "' not found (give it with --setup)");
    }
    std::string outFolder = FolderOfPath(outExe);
    if (outExe.empty() || outExe.back() == '\\' || outExe.back() == '/') {
        builder.Fail("output '" + outExe + "' is not a file name");
    } else if (!outFolder.empty() && outFolder.back() != ':' && KindOfPath(outFolder, nullptr) != kPathFolder) {
        builder.Fail("the folder of the output '" + outExe + "' does not exist");
    } else if (KindOfPath(outExe, nullptr) == kPathFolder) {
        builder.Fail("output '" + outExe + "' is a folder");
    } else if (SamePath(outExe, setupExe)) {
        builder.Fail("output '" + outExe + "' would replace the setup program itself");
    }
    if (signing.Wanted()) {
        std::vector<std::string> signingErrors;
        CheckSigning(signing, &signingErrors);
        for (const std::string& problem : signingErrors) builder.Fail(problem);
    }
    if (builder.errors() > 0) {
        builder.Report();
        return 1;
    }

    std::string error;
    if (!WriteFinalPackage(setupExe, outExe, contents, signing, &error)) {
        PrintErr("pack: " + error + "; nothing written\n");
        return 1;
    }
    std::string summary = "pack: wrote " + outExe + ": " + std::to_string(contents.files.size()) + " file(s), " +
                          std::to_string(contents.PayloadSize()) + " bytes of payload";
    if (contents.compression != kPackCompressionNone) {
        summary += contents.compression == kPackCompressionBest ? " (compressed, best)" : " (compressed, fast)";
    }
    if (contents.writeLicense) summary += contents.record.licenseFormat == 2 ? ", RTF licence" : ", text licence";
    if (contents.writeInfo) summary += contents.record.infoFormat == 2 ? ", RTF information" : ", text information";
    if (!contents.icon.empty()) summary += ", icon";
    if (!contents.sideBitmap.empty() || !contents.headerBitmap.empty()) summary += ", pictures";
    if (contents.perUser) summary += ", per user";
    if (signing.Wanted()) summary += ", signed";
    PrintOut(summary + "\n");
    return 0;
}
