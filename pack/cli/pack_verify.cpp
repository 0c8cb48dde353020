// `pack verify`: rebuilds a package from its description and compares bytes.
// Neither file is held in memory: the package is mapped and compared as the
// rebuilt one is produced, piece by piece, so memory does not grow with the
// payload.
#include "pack_verify.h"

#include <stdint.h>
#include <string.h>

#include <algorithm>
#include <vector>

#include "console.h"
#include "host_files.h"
#include "mapped_file.h"
#include "pack_build.h"
#include "package_writer.h"
#include "pe_resources.h"
#include "resource_names.h"
#include "setup_record.h"

namespace {

// Pages of the package compared are given back in steps of this size.
const uint64_t kReleaseStep = 16ull << 20;

uint32_t Read32(const MappedFile& file, uint64_t at) {
    if (at > file.size() || file.size() - at < 4) return 0;
    const uint8_t* p = file.data() + at;
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}

// What a signature leaves alone in a package: the header checksum and the
// certificate table's directory entry are left out of the comparison, and the
// file ends where the table starts. The signing tool first pads the file to 8
// bytes with zeros, so up to 7 zeros may end what is left.
struct UnsignedView {
    uint64_t checksumAt = UINT64_MAX;      // 4 bytes left out
    uint64_t certificateAt = UINT64_MAX;   // 8 bytes left out
    uint64_t end = 0;                      // the bytes compared: [0, end)
    bool signedFile = false;

    bool Skipped(uint64_t at) const {
        return (at >= checksumAt && at - checksumAt < 4) || (at >= certificateAt && at - certificateAt < 8);
    }
};

UnsignedView ViewWithoutSignature(const MappedFile& file) {
    UnsignedView view;
    view.end = file.size();
    uint32_t pe = Read32(file, 0x3C);
    if (file.size() < 64 || Read32(file, pe) != 0x4550) return view;
    uint64_t optional = uint64_t{pe} + 24;
    bool is64 = (Read32(file, optional) & 0xFFFF) == 0x20B;
    uint64_t directories = optional + (is64 ? 112 : 96);
    if (Read32(file, optional + (is64 ? 108 : 92)) <= 4) return view;  // no certificate directory entry
    uint64_t security = directories + 4 * 8;
    view.checksumAt = optional + 64;
    view.certificateAt = security;
    uint32_t offset = Read32(file, security);
    uint32_t size = Read32(file, security + 4);
    if (size != 0 && offset <= file.size() && file.size() - offset >= size) {
        view.end = offset;
        view.signedFile = true;
    }
    return view;
}

// Compares the rebuilt package, as it is written, with the package.
class Comparison {
public:
    Comparison(const MappedFile& package, const UnsignedView& view) : package_(package), view_(view) {}

    // The sink of the rebuilt file: false at the first difference.
    bool Take(const uint8_t* bytes, size_t count) {
        uint64_t room = view_.end - std::min(view_.end, at_);
        size_t n = static_cast<size_t>(std::min<uint64_t>(count, room));
        const uint8_t* theirs = package_.data() + at_;
        if (n && memcmp(bytes, theirs, n) != 0) {
            for (size_t i = 0; i < n; ++i) {
                if (bytes[i] != theirs[i] && !view_.Skipped(at_ + i)) return Differ(at_ + i);
            }
        }
        if (n < count) return Differ(at_ + n);  // the rebuilt file is longer
        at_ += n;
        if (at_ - released_ >= kReleaseStep) {
            package_.Release(released_, at_ - released_);
            released_ = at_;
        }
        return true;
    }

    // After the whole rebuilt file: true when the package holds nothing more
    // than the signing tool's padding.
    bool Same() {
        if (differs_) return false;
        uint64_t extra = view_.end - at_;
        bool padding = view_.signedFile && extra <= 7;
        for (uint64_t i = 0; padding && i < extra; ++i) padding = package_.data()[at_ + i] == 0;
        if (extra && !padding) return Differ(at_);
        return true;
    }

    bool differs() const { return differs_; }
    uint64_t firstDifference() const { return firstDifference_; }

private:
    bool Differ(uint64_t at) {
        differs_ = true;
        firstDifference_ = at;
        return false;
    }

    const MappedFile& package_;
    UnsignedView view_;
    uint64_t at_ = 0;
    uint64_t released_ = 0;
    bool differs_ = false;
    uint64_t firstDifference_ = 0;
};

std::string Describe(const pe::Resource& resource) {
    std::string text = resource.type.Text() + " " + resource.name.Text();
    if (resource.type == pe::ResourceKey(kDataResourceType)) {
        if (resource.name == pe::ResourceKey(kPayloadResource)) return text + " (the payload)";
        if (resource.name == pe::ResourceKey(kCompressedPayloadResource)) return text + " (the compressed payload)";
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

// Where the bytes of a package's resource (read from the mapped package) and
// the rebuilt one (in memory or produced by a stream) first differ, within
// the shorter of the two; UINT64_MAX when they agree that far.
uint64_t FirstDifferentByte(const MappedFile& map, const pe::Resource& package, const pe::Resource& rebuilt) {
    uint64_t at = 0;
    uint64_t difference = UINT64_MAX;
    std::string ignored;
    pe::EmitResource(
        rebuilt,
        [&](const uint8_t* bytes, size_t count) {
            size_t n = static_cast<size_t>(std::min<uint64_t>(count, package.size - std::min<uint64_t>(at, package.size)));
            const uint8_t* theirs = package.data + at;
            if (memcmp(bytes, theirs, n) != 0) {
                size_t i = 0;
                while (bytes[i] == theirs[i]) ++i;
                difference = at + i;
                return false;
            }
            map.Release(static_cast<uint64_t>(theirs - map.data()), n);
            at += n;
            return n == count;
        },
        &ignored);
    return difference;
}

// The first file of the payload whose bytes differ, by the rebuilt package's list.
std::string FirstFileThatDiffers(const PackageContents& contents, uint64_t packageSize, uint64_t difference) {
    uint64_t offset = 0;
    for (const FileEntry& entry : contents.files) {
        uint64_t end = offset + static_cast<uint64_t>(entry.size);
        std::string name = entry.subFolder[0] ? std::string(entry.subFolder) + "\\" + entry.name : entry.name;
        if (end > packageSize) return "the package's payload ends within or before the file " + name;
        if (difference < end) return "first file that differs: " + name;
        offset = end;
    }
    return "every file is the same; the package's payload holds " + std::to_string(packageSize - offset) +
           " more bytes";
}

// Names the first resource, in the order of the resource tree, that is missing
// from one file or differs.
std::string FirstDifference(const MappedFile& map, const pe::ResourceFile& rebuilt, const PackageContents& contents,
                            uint64_t firstByte) {
    pe::ResourceFile package;
    std::string error;
    if (!package.LoadView(map.data(), map.size(), &error)) {
        return "the package is not a program file that can be read: " + error;
    }
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
        uint64_t difference = FirstDifferentByte(map, ours[i], theirs[j]);
        if (ours[i].size != theirs[j].size || difference != UINT64_MAX) {
            std::string what = "resource " + Describe(ours[i]) + " differs (" + std::to_string(ours[i].size) +
                               " bytes in the package, " + std::to_string(theirs[j].size) + " rebuilt)";
            if (ours[i].type == pe::ResourceKey(kDataResourceType) && ours[i].name == pe::ResourceKey(kPayloadResource)) {
                what += "; " + FirstFileThatDiffers(contents, ours[i].size, difference);
            }
            return what;
        }
        ++i;
        ++j;
    }
    return "every resource is the same; the files differ from byte " + std::to_string(firstByte) +
           " (headers or code: was the package built from another setup.exe?)";
}

}  // namespace

int VerifyPackage(const std::string& packagePath, const std::string& descriptionPath, const DefinitionList& definitions,
                  const std::string& setupExe) {
    MappedFile package;
    std::string why;
    if (!package.Open(packagePath, &why)) {
        PrintErr("pack: package '" + packagePath + "' " + why + "\n");
        return 2;
    }
    PackageContents contents;
    if (!LoadDescribedPackage(descriptionPath, definitions, setupExe, &contents)) return 2;
    PackageComposer rebuilt(contents);
    if (!rebuilt.Compose(setupExe, &why)) {
        PrintErr("pack: cannot rebuild the package: " + why + "\n");
        return 2;
    }
    UnsignedView view = ViewWithoutSignature(package);
    Comparison comparison(package, view);
    // The checksum is left out of the comparison: the one the rebuilt file
    // would get at the end is not needed.
    bool written = rebuilt.file().Write([&](const uint8_t* bytes, size_t size) { return comparison.Take(bytes, size); },
                                        &why, [](uint64_t, const uint8_t*, size_t) { return true; });
    if (!written && !comparison.differs()) {
        PrintErr("pack: cannot rebuild the package: " + why + "\n");
        return 2;
    }
    if (comparison.Same()) {
        PrintOut("pack: " + packagePath + " is the package " + descriptionPath + " builds" +
                 (view.signedFile ? " (its signature aside)" : "") + "\n");
        return 0;
    }
    PrintOut("pack: " + packagePath + " differs from the package " + descriptionPath + " builds: " +
             FirstDifference(package, rebuilt.file(), contents, comparison.firstDifference()) + "\n");
    return 1;
}
