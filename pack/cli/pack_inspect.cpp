// `pack inspect`: reads the package resources of a program file as data.
#include "pack_inspect.h"

#include <stdio.h>

#include <algorithm>
#include <vector>

#include "bitmap_file.h"
#include "compressed_payload.h"
#include "console.h"
#include "execution_level.h"
#include "host_files.h"
#include "icon_file.h"
#include "install_log.h"
#include "install_scope.h"
#include "mapped_file.h"
#include "pack_description.h"
#include "pack_sign.h"
#include "pe_resources.h"
#include "registration_texts.h"
#include "resource_names.h"
#include "setup_record.h"
#include "version_resource.h"
#include "zstd_decoder.h"

namespace {

// A program file read as data through the portable resource reader: nothing
// of it runs, and a damaged file gives a reason instead of a crash.
// The file is mapped, not read: only the pages of what is shown are read, so
// memory stays small whatever the payload's size.
class DataModule {
public:
    bool Load(const std::string& path, std::string* error) {
        std::string why;
        if (!map_.Open(path, &why)) {
            *error = path + ": " + why;
            return false;
        }
        const MappedFile& map = map_;
        file_.SetRelease([&map](uint64_t offset, uint64_t size) { map.Release(offset, size); });
        if (file_.LoadView(map_.data(), map_.size(), error)) return true;
        *error = path + ": " + *error;
        return false;
    }
    const pe::ResourceFile& file() const { return file_; }
    // A resource in the language setup gets (see ResourceFile::Find); null when it is missing.
    const pe::Resource* Find(const pe::ResourceKey& type, const pe::ResourceKey& name) const {
        return file_.Find(type, name);
    }
    // Gives back the memory of the pages of a resource read so far (they are
    // read again from the file when touched again).
    void Release(const pe::Resource& resource) const {
        if (resource.data) map_.Release(static_cast<uint64_t>(resource.data - map_.data()), resource.size);
    }
    // The bytes of a small resource; false when it is missing.
    bool Resource(const pe::ResourceKey& type, const pe::ResourceKey& name, std::string* bytes) const {
        const pe::Resource* found = file_.Find(type, name);
        if (!found) return false;
        bytes->assign(reinterpret_cast<const char*>(found->data), found->size);
        return true;
    }

private:
    MappedFile map_;
    pe::ResourceFile file_;
};

// "15.8" for 158 per thousand: the share of part in whole, to a tenth of a percent.
std::string Percent(unsigned long long part, unsigned long long whole) {
    unsigned long long tenths = whole ? part * 1000 / whole : 0;  // 64 bits: sizes below 2^53
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
}

const char* YesNo(int32_t flag) { return flag ? "yes" : "no"; }

// The execution level of a program's manifest ("" when it has none).
std::string ProgramLevel(const pe::ResourceFile& file) {
    const pe::Resource* manifest = file.Find(uint16_t{24}, uint16_t{1});
    if (!manifest || !manifest->data) return "";
    return ManifestLevel(std::string(reinterpret_cast<const char*>(manifest->data), manifest->size));
}

// Where the uninstall registration of appName goes for that scope.
std::string RegistrationKey(InstallScope scope, const std::string& appName) {
    return std::string(scope == kScopeUser ? "HKEY_CURRENT_USER\\" : "HKEY_LOCAL_MACHINE\\") + kUninstallKey + "\\" +
           appName;
}

InstallScope ScopeOf(const DataModule& module) {
    std::string bytes;
    if (!module.Resource(kDataResourceType, kInstallScopeResource, &bytes)) return kScopeMachine;
    return ParseInstallScope(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

// Who the package is for, the rights its programs ask for (setup.exe and
// the uninstaller it carries) and where it registers; a level that does not
// match the scope is a problem.
std::string PrivilegeLines(const DataModule& module, const std::string& appName, int* problems) {
    InstallScope scope = ScopeOf(module);
    if (scope == kScopeUnknown) {
        // Setup takes any 5003 for a per-user package: it registers under
        // HKEY_CURRENT_USER and gives its uninstaller a sound "user", which
        // removes that key again.
        ++*problems;
        return Field("Privileges", "RT_DATA 5003 is there but does not say \"user\"; setup still installs for the user "
                                   "who runs it, and the uninstaller it writes removes the key below  <- problem") +
               Field("Registers under", RegistrationKey(kScopeUser, appName));
    }
    const std::string wanted = scope == kScopeUser ? "asInvoker" : "requireAdministrator";
    std::string setupLevel = ProgramLevel(module.file());
    std::string uninstLevel;
    const pe::Resource* carried = module.file().Find(kUninstallerResourceType, kUninstallerResourceId);
    pe::ResourceFile uninstaller;
    std::string why;
    if (carried && carried->data &&
        uninstaller.Load(std::vector<uint8_t>(carried->data, carried->data + carried->size), &why)) {
        uninstLevel = ProgramLevel(uninstaller);
    }
    std::string text = std::string(scope == kScopeUser ? "user (for the user who runs it, no rights asked)"
                                                       : "admin (for every user, with administrator rights)") +
                       "; setup.exe " + (setupLevel.empty() ? "without level" : setupLevel) + ", uninstaller " +
                       (uninstLevel.empty() ? "without level" : uninstLevel);
    if (setupLevel != wanted || uninstLevel != wanted) {
        ++*problems;
        text += " (both should be " + wanted + ")  <- problem";
    }
    return Field("Privileges", text) + Field("Registers under", RegistrationKey(scope, appName));
}

// What setup writes into the entry in the list of installed programs.
std::string RegistrationLines(const DataModule& module, const SetupRecord& record, const std::string& folder,
                              int* problems) {
    std::string bytes;
    bool present = module.Resource(kDataResourceType, kRegistrationResource, &bytes);
    RegistrationTexts texts;
    std::string out = "Registration (list of installed programs):\n";
    if (!ParseRegistrationTexts(present ? reinterpret_cast<const uint8_t*>(bytes.data()) : nullptr, bytes.size(),
                                &texts)) {
        ++*problems;
        out += "  RT_DATA 5004 (" + std::to_string(bytes.size()) +
               " bytes) is damaged: no version and no publisher are registered  <- problem\n";
    }
    unsigned long long sum = 0;
    for (int32_t i = 0; i < record.fileCount; ++i) {
        FileEntry entry;
        if (GetSetupFileEntry(record, i, &entry) && entry.size > 0) sum += static_cast<unsigned long long>(entry.size);
    }
    FileEntry first;
    bool hasFirst = record.fileCount > 0 && GetSetupFileEntry(record, 0, &first);
    out += Field("DisplayName", record.appVerName);
    out += Field("DisplayVersion", texts.version[0] ? texts.version : "none (no AppVersion)");
    out += Field("Publisher", texts.publisher[0] ? texts.publisher : "none");
    out += Field("DisplayIcon", hasFirst ? folder + "\\" + first.name : "none");
    out += Field("InstallLocation", folder + (record.allowDirChange ? " (or the folder the user chooses)" : ""));
    out += Field("EstimatedSize", std::to_string((sum + 1023) / 1024) + " KB");
    out += Field("NoModify", "1");
    out += Field("NoRepair", "1");
    return out;
}

// The compressed payload: its header, and whether its stream decodes, with
// setup's own decoder and memory bound, to exactly the files' bytes.
std::string DescribeCompressedPayload(const DataModule& module, const pe::Resource& resource, unsigned long long sum,
                                      int* problems) {
    CompressedPayloadHeader header;
    const uint8_t* data = resource.data;
    const size_t size = resource.size;
    if (!DecodeCompressedHeader(data, size, &header)) {
        ++*problems;
        return "Payload: compressed (RT_DATA 5002), " + std::to_string(size) +
               " bytes, but its header is not one setup can decode  <- problem\n";
    }
    std::string out = "Payload: compressed (RT_DATA 5002), Zstandard, window " +
                      std::to_string(1u << header.windowLog >> 10) + " KB: " + std::to_string(size) + " bytes for " +
                      std::to_string(header.decodedSize) + " (" + Percent(size, header.decodedSize) + " %)\n";
    if (header.decodedSize != sum) {
        out += "  it holds " + std::to_string(header.decodedSize) + " bytes, but the file sizes add up to " +
               std::to_string(sum) + "  <- problem\n";
        ++*problems;
        return out;
    }
    ZstdReader reader;
    std::vector<char> piece(1 << 20);
    bool ok = reader.Open(data + kCompressedHeaderSize, size - kCompressedHeaderSize,
                          size_t(1) << header.windowLog);
    for (unsigned long long left = sum; ok && left > 0;) {
        size_t n = static_cast<size_t>(std::min<unsigned long long>(left, piece.size()));
        ok = reader.Read(piece.data(), n);
        left -= n;
        module.Release(resource);  // the compressed bytes read so far
    }
    if (ok && reader.AtEnd()) return out + "  the stream decodes to the files' bytes, its checksum verified\n";
    ++*problems;
    return out + "  the stream does not decode to the files' bytes (" +
           (*reader.Error() ? reader.Error() : "more data after them") + ")  <- problem\n";
}

std::string TextLine(const DataModule& module, const char* name, int16_t format, int* problems) {
    std::string bytes;
    bool present = module.Resource(kDataResourceType, name, &bytes);
    if (format == 0) {
        if (present) {
            ++*problems;
            return "none, but RT_DATA " + std::string(name) + " is there (" + std::to_string(bytes.size()) +
                   " bytes, not shown)  <- problem";
        }
        return "none";
    }
    std::string kind = format == 2 ? "rtf" : "text";
    if (!present) {
        ++*problems;
        return kind + ", but RT_DATA " + name + " is missing: the page will be empty  <- problem";
    }
    std::string line = kind + ", " + std::to_string(bytes.size()) + " bytes";
    if (format == 2 && !LooksLikeRtf(bytes)) {
        ++*problems;
        line += ", not RTF: shown as an empty or garbled page  <- problem";
    }
    return line;
}

// The icon, pictures and version information the package shows.
std::string BrandingLines(const DataModule& module, int* problems) {
    std::string out = "Branding:\n";
    std::string icon = DescribeIconGroup(module.file(), 110);
    if (icon.compare(0, 8, "damaged:") == 0) ++*problems, icon += "  <- problem";
    out += Field("Icon", icon.empty() ? "none" : icon);
    const uint16_t kBitmap = 2;
    const struct {
        const char* name;
        uint16_t id;
        const char* size;
    } pictures[] = {{"Side picture", 200, "144 x 324"}, {"Header picture", 201, "64 x 64"}};
    for (const auto& picture : pictures) {
        std::string bytes;
        if (!module.Resource(kBitmap, picture.id, &bytes)) {
            out += Field(picture.name, "none");
            continue;
        }
        std::string text = DescribeBitmap(bytes);
        if (text.compare(0, std::string(picture.size).size() + 1, std::string(picture.size) + ",") != 0) {
            ++*problems;
            text += std::string(" (the wizard needs ") + picture.size + ")  <- problem";
        }
        out += Field(picture.name, text);
    }
    std::string bytes;
    if (!module.Resource(uint16_t{16}, uint16_t{1}, &bytes)) return out + Field("Version", "none");
    VersionInfo version;
    std::string table;
    std::string why;
    if (!ReadVersionResource(bytes, &version, &table, &why)) {
        ++*problems;
        return out + Field("Version", why + "  <- problem");
    }
    std::string numbers;
    for (int i = 0; i < 4; ++i) numbers += (i ? "." : "") + std::to_string(version.numbers[i]);
    out += Field("Version", numbers + ", strings " + (table.empty() ? "none" : table));
    for (const auto& entry : version.strings) out += Field(("  " + entry.first).c_str(), entry.second);
    return out;
}

int InspectSetup(const std::string& path, const DataModule& module, const std::string& recordBytes,
                 const std::string& trustFile) {
    SetupRecord record;
    SetDefaultSetupRecord(&record);
    SetupRecordResult result =
        ParseSetupRecord(reinterpret_cast<const uint8_t*>(recordBytes.data()), recordBytes.size(), &record);
    int problems = 0;
    std::string out = path + ": setup package\n";
    if (result != kRecordComplete) {
        out += "  the configuration record is cut short (" + std::to_string(recordBytes.size()) +
               " bytes); missing fields show setup's defaults  <- problem\n";
        ++problems;
    }
    std::string folder = record.folderToken;
    if (record.subFolder[0]) folder += std::string("\\") + record.subFolder;
    out += Field("AppName", record.appName);
    out += Field("AppVerName", record.appVerName);
    out += Field("Folder", record.folderToken);
    out += Field("SubFolder", record.subFolder);
    out += PrivilegeLines(module, record.appName, &problems);
    out += Field("Group", record.groupName);
    out += Field("AllowDirChange", YesNo(record.allowDirChange));
    out += Field("NoIcons", YesNo(record.noIcons));
    out += Field("AllowGroupChange", YesNo(record.allowGroupChange));
    out += Field("OfferMenuIcons", YesNo(record.offerMenuIcons));
    out += Field("RunOffered", YesNo(record.runOffered));
    out += Field("UninstallIcon", YesNo(record.uninstallIconOffered));
    out += Field("License", TextLine(module, kLicenseResource, record.licenseFormat, &problems));
    out += Field("Info", TextLine(module, kInfoResource, record.infoFormat, &problems));

    out += "Files (" + std::to_string(record.fileCount) + "), installed below " + folder + ":\n";
    unsigned long long sum = 0;
    for (int32_t i = 0; i < record.fileCount; ++i) {
        FileEntry entry;
        GetSetupFileEntry(record, i, &entry);
        char size[32];
        snprintf(size, sizeof(size), "  %12ld  ", static_cast<long>(entry.size));
        std::string target = entry.subFolder[0] ? std::string(entry.subFolder) + "\\" + entry.name : entry.name;
        out += size + target + (i == 0 ? "   (main program)" : "") + "\n";
        if (entry.size < 0) {
            out += "  the size above is negative  <- problem\n";
            ++problems;
        } else {
            sum += static_cast<unsigned long long>(entry.size);
        }
    }
    const pe::Resource* payload = module.Find(kDataResourceType, kPayloadResource);
    if (const pe::Resource* compressed = module.Find(kDataResourceType, kCompressedPayloadResource)) {
        if (payload) {
            out += "Payload: both RT_DATA 5000 and 5002: setup refuses the package as damaged  <- problem\n";
            ++problems;
        } else {
            out += DescribeCompressedPayload(module, *compressed, sum, &problems);
        }
    } else if (!payload) {
        out += "Payload: missing (RT_DATA 5000): setup will find no files to extract  <- problem\n";
        ++problems;
    } else if (payload->size == sum) {
        out += "Payload: " + std::to_string(payload->size) + " bytes, the sum of the file sizes\n";
    } else {
        out += "Payload: " + std::to_string(payload->size) + " bytes, but the file sizes add up to " +
               std::to_string(sum) + "  <- problem\n";
        ++problems;
    }
    out += RegistrationLines(module, record, folder, &problems);
    out += BrandingLines(module, &problems);
    if (record.fileCount == 0) {
        out += "No files: setup will have nothing to install  <- problem\n";
        ++problems;
    }
    out += DescribeSignature(path, module.file(), trustFile, &problems);
    PrintOut(out);
    if (problems) PrintErr("pack: " + std::to_string(problems) + " problem(s) in " + path + "\n");
    return problems ? 1 : 0;
}

int InspectUninstaller(const std::string& path, const DataModule& module, const pe::Resource& log) {
    InstallLogView view;
    InstallLogStatus status = ParseInstallLog(log.data, log.size, &view);
    if (status == kLogUnreadable) {
        PrintErr("pack: " + path + ": RT_DATA 5000 (" + std::to_string(log.size) +
                 " bytes) is neither a payload nor a readable install log\n");
        return 1;
    }
    std::string out = path + ": uninstaller with its install log\n";
    out += Field("AppName", view.appName);
    out += Field("AppVerName", view.appVerName);
    InstallScope scope = ScopeOf(module);
    out += Field("Registered under", scope == kScopeUnknown ? "unknown (RT_DATA 5003 is damaged): no key is removed"
                                                             : RegistrationKey(scope, view.appName));
    out += "Install log (" + std::to_string(view.declaredCount) + " entries, " + std::to_string(log.size) +
           " bytes):\n";
    for (int32_t i = 0; i < view.entryCount; ++i) {
        LogEntry entry;
        GetInstallLogEntry(view, i, &entry);
        const char* kind = entry.kind == kLogFile ? "file  " : entry.kind == kLogFolder ? "folder" : "?     ";
        out += std::string("  ") + kind + "  " + entry.path + "\n";
    }
    PrintOut(out);
    if (status == kLogTruncated) {
        PrintErr("pack: the install log of " + path + " is cut short: " + std::to_string(view.entryCount) + " of " +
                 std::to_string(view.declaredCount) + " entries are there\n");
        return 1;
    }
    return 0;
}

}  // namespace

int InspectProgram(const std::string& path, const std::string& trustFile) {
    PathKind kind = KindOfPath(path, nullptr);
    if (kind == kPathMissing) {
        PrintErr("pack: '" + path + "' not found\n");
        return 1;
    }
    if (kind == kPathFolder) {
        PrintErr("pack: '" + path + "' is a folder, not a program file\n");
        return 1;
    }
    DataModule module;
    std::string why;
    if (!module.Load(path, &why)) {
        // The reader's reason starts with the path; say it once.
        if (why.compare(0, path.size() + 2, path + ": ") == 0) why = why.substr(path.size() + 2);
        const std::string notProgram = "not a Windows program file";
        if (why.compare(0, notProgram.size(), notProgram) == 0) {
            PrintErr("pack: '" + path + "' is " + why + "\n");
        } else {
            PrintErr("pack: '" + path + "' is not a Windows program file: " + why + "\n");
        }
        return 1;
    }
    std::string bytes;
    if (module.Resource(kDataResourceType, kSetupRecordResource, &bytes)) return InspectSetup(path, module, bytes, trustFile);
    if (const pe::Resource* log = module.Find(kDataResourceType, kInstallLogResource)) {
        return InspectUninstaller(path, module, *log);
    }
    if (module.Find(kUninstallerResourceType, uint16_t{kUninstallerResourceId})) {
        PrintErr("pack: '" + path + "' is the setup program without a package (no RT_DATA 5001)\n");
        return 1;
    }
    PrintErr("pack: '" + path + "' holds neither a setup package nor an install log\n");
    return 1;
}
