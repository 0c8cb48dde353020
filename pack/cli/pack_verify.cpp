// `pack verify`: rebuilds a package from its description and compares bytes.
#include "pack_verify.h"

#include <stdint.h>

#include <algorithm>
#include <vector>

#include "console.h"
#include "host_files.h"
#include "pack_build.h"
#include "package_writer.h"
#include "pe_resources.h"
#include "resource_names.h"
#include "setup_record.h"

namespace {

using Bytes = std::vector<uint8_t>;

uint32_t Read32(const Bytes& bytes, size_t at) {
    if (at > bytes.size() || bytes.size() - at < 4) return 0;
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | static_cast<uint32_t>(bytes[at + 3]) << 24;
}

void Clear32(Bytes* bytes, size_t at) {
    for (size_t i = at; i < at + 4 && i < bytes->size(); ++i) (*bytes)[i] = 0;
}

// The bytes a signature does not touch: the header checksum and the
// certificate table's directory entry cleared, and the file cut where the
// table starts. The signing tool first pads the file to 8 bytes with zeros;
// *padding tells how many such zeros end what is left (at most 7).
Bytes WithoutSignature(Bytes bytes, size_t* padding) {
    *padding = 0;
    uint32_t pe = Read32(bytes, 0x3C);
    if (bytes.size() < 64 || pe > bytes.size() || Read32(bytes, pe) != 0x4550) return bytes;
    size_t optional = pe + 24;
    uint16_t magic = static_cast<uint16_t>(Read32(bytes, optional) & 0xFFFF);
    size_t directories = optional + (magic == 0x20B ? 112 : 96);
    size_t security = directories + 4 * 8;
    if (Read32(bytes, optional + 92 + (magic == 0x20B ? 16 : 0)) <= 4) return bytes;  // no such directory entry
    uint32_t offset = Read32(bytes, security);
    uint32_t size = Read32(bytes, security + 4);
    Clear32(&bytes, optional + 64);
    Clear32(&bytes, security);
    Clear32(&bytes, security + 4);
    if (size != 0 && offset <= bytes.size() && bytes.size() - offset >= size) {
        bytes.resize(offset);
        while (*padding < 7 && *padding < bytes.size() && bytes[bytes.size() - 1 - *padding] == 0) ++*padding;
    }
    return bytes;
}

// Equal apart from the zeros the signing tool may have added to the end of
// the signed file (which is then the longer one).
bool SameUnsigned(const Bytes& package, size_t padding, const Bytes& rebuilt) {
    if (package.size() < rebuilt.size() || package.size() - rebuilt.size() > padding) return false;
    return std::equal(rebuilt.begin(), rebuilt.end(), package.begin());
}

std::string Describe(const pe::Resource& resource) {
    std::string text = resource.type.Text() + " " + resource.name.Text();
    if (resource.type == pe::ResourceKey(kDataResourceType)) {
        if (resource.name == pe::ResourceKey(kPayloadResource)) return text + " (the payload)";
        if (resource.name == pe::ResourceKey(kSetupRecordResource)) return text + " (the setup record)";
        if (resource.name == pe::ResourceKey(kLicenseResource)) return text + " (the licence)";
        if (resource.name == pe::ResourceKey(kInfoResource)) return text + " (the information text)";
    }
    static const struct {
        uint16_t id;
        const char* what;
    } kTypes[] = {{2, "bitmap"}, {3, "icon image"}, {14, "icon group"}, {16, "version information"},
                  {24, "manifest"}};
    for (const auto& type : kTypes) {
        if (resource.type.IsId() && resource.type.Id() == type.id) text += std::string(" (") + type.what + ")";
    }
    return text + ", language " + std::to_string(resource.language);
}

bool SameBytes(const pe::Resource& a, const pe::Resource& b) {
    return a.size == b.size && std::equal(a.data, a.data + a.size, b.data);
}

// The first file of the payload whose bytes differ, by the rebuilt package's list.
std::string FirstFileThatDiffers(const PackageContents& contents, const pe::Resource& package,
                                 const pe::Resource& rebuilt) {
    size_t offset = 0;
    for (const FileEntry& entry : contents.files) {
        size_t size = static_cast<size_t>(entry.size);
        std::string name = entry.subFolder[0] ? std::string(entry.subFolder) + "\\" + entry.name : entry.name;
        bool inPackage = offset <= package.size && package.size - offset >= size;
        if (!inPackage) return "the package's payload ends within or before the file " + name;
        if (!std::equal(rebuilt.data + offset, rebuilt.data + offset + size, package.data + offset)) {
            return "first file that differs: " + name;
        }
        offset += size;
    }
    return "every file is the same; the package's payload holds " + std::to_string(package.size - offset) +
           " more bytes";
}

// Names the first resource, in the order of the resource tree, that is missing
// from one file or differs.
std::string FirstDifference(const Bytes& packageBytes, const Bytes& rebuiltBytes, const PackageContents& contents) {
    pe::ResourceFile package, rebuilt;
    std::string error;
    if (!package.Load(packageBytes, &error)) return "the package is not a program file that can be read: " + error;
    if (!rebuilt.Load(rebuiltBytes, &error)) return "the rebuilt package cannot be read back: " + error;
    std::vector<pe::Resource> ours = package.Resources();
    std::vector<pe::Resource> theirs = rebuilt.Resources();
    auto before = [](const pe::Resource& a, const pe::Resource& b) {
        if (a.type != b.type) return a.type < b.type;
        if (a.name != b.name) return a.name < b.name;
        return a.language < b.language;
    };
    size_t i = 0, j = 0;
    while (i < ours.size() || j < theirs.size()) {
        if (j == theirs.size() || (i < ours.size() && before(ours[i], theirs[j]))) {
            return "resource " + Describe(ours[i]) + " is in the package but not in the rebuilt one";
        }
        if (i == ours.size() || before(theirs[j], ours[i])) {
            return "resource " + Describe(theirs[j]) + " is missing from the package";
        }
        if (!SameBytes(ours[i], theirs[j])) {
            std::string what = "resource " + Describe(ours[i]) + " differs (" + std::to_string(ours[i].size) +
                               " bytes in the package, " + std::to_string(theirs[j].size) + " rebuilt)";
            if (ours[i].type == pe::ResourceKey(kDataResourceType) && ours[i].name == pe::ResourceKey(kPayloadResource)) {
                what += "; " + FirstFileThatDiffers(contents, ours[i], theirs[j]);
            }
            return what;
        }
        ++i;
        ++j;
    }
    size_t at = 0;
    while (at < packageBytes.size() && at < rebuiltBytes.size() && packageBytes[at] == rebuiltBytes[at]) ++at;
    return "every resource is the same; the files differ from byte " + std::to_string(at) +
           " (headers or code: was the package built from another setup.exe?)";
}

}  // namespace

int VerifyPackage(const std::string& packagePath, const std::string& descriptionPath, const DefinitionList& definitions,
                  const std::string& setupExe) {
    std::string raw;
    std::string why;
    if (!ReadWholeFile(packagePath, &raw, &why)) {
        PrintErr("pack: package '" + packagePath + "' " + why + "\n");
        return 2;
    }
    PackageContents contents;
    if (!LoadDescribedPackage(descriptionPath, definitions, setupExe, &contents)) return 2;
    Bytes rebuilt;
    if (!PackageImage(setupExe, contents, &rebuilt, &why)) {
        PrintErr("pack: cannot rebuild the package: " + why + "\n");
        return 2;
    }
    size_t padding = 0;
    Bytes package = WithoutSignature(Bytes(raw.begin(), raw.end()), &padding);
    size_t ignored = 0;
    Bytes ours = WithoutSignature(rebuilt, &ignored);
    if (SameUnsigned(package, padding, ours)) {
        PrintOut("pack: " + packagePath + " is the package " + descriptionPath + " builds" +
                 (package.size() < raw.size() ? " (its signature aside)" : "") + "\n");
        return 0;
    }
    PrintOut("pack: " + packagePath + " differs from the package " + descriptionPath + " builds: " +
             FirstDifference(Bytes(raw.begin(), raw.end()), rebuilt, contents) + "\n");
    return 1;
}
