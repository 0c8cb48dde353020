// Writing package resources into a copy of setup.exe through the portable
// resource writer, on Windows and on Linux alike.
#include "package_writer.h"

#include <stdio.h>

#include "execution_level.h"
#include "host_files.h"
#include "install_scope.h"
#include "payload_compressor.h"
#include "pe_resources.h"
#include "resource_names.h"
#include "temporary_file.h"
#include "text.h"

namespace {

const uint16_t kTypeBitmap = 2;
const uint16_t kTypeVersion = 16;

// Replaces a bitmap of setup, keeping the language of the one it replaces.
void PutBitmap(pe::ResourceFile* file, uint16_t id, const std::string& bytes) {
    const pe::Resource* old = file->Find(kTypeBitmap, id);
    uint16_t language = old ? old->language : pe::kLanguageNeutral;
    while ((old = file->Find(kTypeBitmap, id)) != nullptr) file->Remove(kTypeBitmap, id, old->language);
    file->SetCopy(kTypeBitmap, id, language, bytes);
}

// Writes the branding a package gives into the copy of setup.
void PutBranding(pe::ResourceFile* file, const PackageContents& contents) {
    if (!contents.icon.empty()) ReplaceIconGroup(file, kSetupIconGroup, contents.icon);
    if (!contents.sideBitmap.empty()) PutBitmap(file, kSideBitmap, contents.sideBitmap);
    if (!contents.headerBitmap.empty()) PutBitmap(file, kHeaderBitmap, contents.headerBitmap);
    if (contents.writeVersion) {
        // Every language of the old one goes, so that the system shows this one.
        const pe::Resource* old;
        while ((old = file->Find(kTypeVersion, kVersionResourceId)) != nullptr) {
            file->Remove(kTypeVersion, kVersionResourceId, old->language);
        }
        file->SetCopy(kTypeVersion, kVersionResourceId, kVersionLanguage, BuildVersionResource(contents.version));
    }
}

// The payload resource read from its parts while the package is written: the
// files of this system a piece at a time, so that memory stays small whatever
// the payload's size. A file that no longer has the size it had when it was
// listed stops the writing.
class PayloadStream : public pe::ResourceStream {
public:
    explicit PayloadStream(const PackageContents& contents) : contents_(contents) {}

    bool Emit(const pe::ByteSink& sink, std::string* error) const override {
        for (const PayloadPart& part : contents_.parts) {
            if (part.hostPath.empty()) {
                const uint8_t* bytes = reinterpret_cast<const uint8_t*>(contents_.payload.data()) + part.memoryOffset;
                if (part.size && !sink(bytes, static_cast<size_t>(part.size))) return false;
            } else if (!ReadFileInPieces(part.hostPath, part.size, sink, error)) {
                return false;
            }
        }
        return true;
    }

private:
    const PackageContents& contents_;
};

bool HasFileParts(const PackageContents& contents) {
    for (const PayloadPart& part : contents.parts) {
        if (!part.hostPath.empty()) return true;
    }
    return false;
}

void Put(pe::ResourceFile* file, const char* name, const std::string& bytes) {
    file->Set(kDataResourceType, name, pe::kLanguageNeutral, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

// Writes the program file under a temporary name beside target, then renames
// it into place: target is never half-written. False with a reason otherwise.
bool WriteThenRename(const pe::ResourceFile& file, const std::string& target, std::string* error) {
    std::string temporary = target + ".partial";
    FILE* out = fopen(temporary.c_str(), "wb");
    if (!out) {
        *error = "cannot create " + temporary + " (" + LastSystemError() + ")";
        return false;
    }
    std::string why;
    bool written = file.Write([out](const uint8_t* bytes, size_t size) { return fwrite(bytes, 1, size, out) == size; },
                              &why, [out](uint64_t offset, const uint8_t* bytes, size_t size) {
                                  return offset <= 0x7FFFFFFF && fseek(out, static_cast<long>(offset), SEEK_SET) == 0 &&
                                         fwrite(bytes, 1, size, out) == size;
                              });
    if (!written && why.empty()) why = "write failed";
    if (written && fflush(out) != 0) {
        written = false;
        why = LastSystemError();
    }
    if (fclose(out) != 0 && written) {
        written = false;
        why = LastSystemError();
    }
    if (!written) {
        *error = "cannot write " + temporary + " (" + why + ")";
        remove(temporary.c_str());
        return false;
    }
    if (!RenameReplacing(temporary, target, &why)) {
        *error = "cannot rename the finished file to " + target + " (" + why + ")";
        remove(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace

PackageContents::PackageContents() {
    SetDefaultSetupRecord(&record);
}

void PackageContents::AddFile(const std::string& name, const std::string& subFolder, const std::string& bytes) {
    FileEntry entry = {};
    CopyText(entry.name, sizeof(entry.name), name.c_str());
    CopyText(entry.subFolder, sizeof(entry.subFolder), subFolder.c_str());
    entry.size = static_cast<int32_t>(bytes.size());
    files.push_back(entry);
    PayloadPart part;
    part.size = bytes.size();
    part.memoryOffset = payload.size();
    parts.push_back(part);
    payload += bytes;
}

void PackageContents::AddFileFrom(const std::string& name, const std::string& subFolder, const std::string& hostPath,
                                  uint64_t size) {
    FileEntry entry = {};
    CopyText(entry.name, sizeof(entry.name), name.c_str());
    CopyText(entry.subFolder, sizeof(entry.subFolder), subFolder.c_str());
    entry.size = static_cast<int32_t>(size);
    files.push_back(entry);
    PayloadPart part;
    part.hostPath = hostPath;
    part.size = size;
    parts.push_back(part);
}

uint64_t PackageContents::PayloadSize() const {
    uint64_t total = 0;
    for (const PayloadPart& part : parts) total += part.size;
    return HasFileParts(*this) ? total : payload.size();
}

std::string PackageContents::EncodedRecord() const {
    std::string bytes(SetupRecordSize(static_cast<int32_t>(files.size())), '\0');
    EncodeSetupRecord(record, files.data(), static_cast<int32_t>(files.size()),
                      reinterpret_cast<uint8_t*>(&bytes[0]));
    return bytes;
}

bool UpdateProgramResource(const std::string& exe, const char* type, const char* name, const std::string& bytes,
                           std::string* error) {
    pe::ResourceFile file;
    if (!file.LoadFile(exe, error)) return false;
    file.Set(type, name, pe::kLanguageNeutral, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    return WriteThenRename(file, exe, error);
}

namespace {

// The package resources a program file already carries, as "RT_DATA 5000
// (payload), ..."; "" for the bare setup.exe. The branding pack writes is told
// by its version information: setup.exe as built has none, pack always writes
// one (its icon and pictures take the places of setup's own).
std::string PackageResourcesIn(const pe::ResourceFile& file) {
    static const struct {
        const char* name;
        const char* what;
    } kData[] = {{kPayloadResource, "payload"},
                 {kSetupRecordResource, "setup record"},
                 {kCompressedPayloadResource, "compressed payload"},
                 {kLicenseResource, "licence"},
                 {kInfoResource, "information text"},
                 {kRegistrationResource, "registration texts"}};
    std::string found;
    for (const auto& data : kData) {
        if (file.Find(kDataResourceType, data.name)) {
            found += std::string(found.empty() ? "" : ", ") + "RT_DATA " + data.name + " (" + data.what + ")";
        }
    }
    if (file.Find(kTypeVersion, kVersionResourceId, kVersionLanguage)) {
        found += std::string(found.empty() ? "" : ", ") + "the version information pack writes";
    }
    return found;
}

}  // namespace

// A package being put together: setup.exe loaded, the package's resources set
// into it, the payload streamed from its sources or from a temporary file
// holding it compressed. Lives until the package is written.
class PackageComposer::Impl {
public:
    explicit Impl(const PackageContents& contents) : contents_(contents), payload_(contents), compressed_(this) {}
    ~Impl() {
        if (temporary_) fclose(temporary_);
    }

    bool Compose(const std::string& setupExe, std::string* error) {
        if (!file_.LoadFile(setupExe, error)) return false;
        // Every resource a package's description leaves out would stay from
        // the older package: its texts shown, or its payload installed.
        std::string found = PackageResourcesIn(file_);
        if (!found.empty()) {
            *error = "setup program '" + setupExe + "' already carries a package (" + found +
                     "): packages are built on the bare setup.exe, give that one with --setup";
            return false;
        }
        uint64_t size = contents_.PayloadSize();
        // The payload is written straight from contents or from the files,
        // not copied. An empty one is not written, as the system's
        // resource-update functions never could.
        if (contents_.writePayload && size > 0 && contents_.compression != kCompressionNone) {
            if (!Compress(size, error)) return false;
            file_.SetStream(kDataResourceType, kCompressedPayloadResource, pe::kLanguageNeutral, &compressed_,
                            compressedSize_);
        } else if (contents_.writePayload && HasFileParts(contents_)) {
            if (size > 0) file_.SetStream(kDataResourceType, kPayloadResource, pe::kLanguageNeutral, &payload_, size);
        } else if (contents_.writePayload && !contents_.payload.empty()) {
            Put(&file_, kPayloadResource, contents_.payload);
        }
        if (contents_.writeRecord) {
            record_ = contents_.rawRecord.empty() ? contents_.EncodedRecord() : contents_.rawRecord;
            Put(&file_, kSetupRecordResource, record_);
        }
        if (contents_.writeLicense) Put(&file_, kLicenseResource, contents_.license);
        if (contents_.writeInfo) Put(&file_, kInfoResource, contents_.info);
        if (!contents_.registration.empty()) Put(&file_, kRegistrationResource, contents_.registration);
        PutBranding(&file_, contents_);
        // A per-user package: nothing is added or changed for any other.
        if (contents_.perUser) {
            file_.SetCopy(kDataResourceType, kInstallScopeResource, pe::kLanguageNeutral,
                          std::string(kUserScopeBytes, kUserScopeSize));
            if (!MakeProgramsAsInvoker(&file_, error)) return false;
        }
        return FitsInAddressSpace(error);
    }

    const pe::ResourceFile& file() const { return file_; }

private:
    // The compressed payload, read back from the temporary file.
    class TemporaryStream : public pe::ResourceStream {
    public:
        explicit TemporaryStream(const Impl* owner) : owner_(owner) {}
        bool Emit(const pe::ByteSink& sink, std::string* error) const override {
            FILE* in = owner_->temporary_;
            if (fseek(in, 0, SEEK_SET) != 0) {
                *error = "cannot read back the compressed payload";
                return false;
            }
            std::vector<uint8_t> buffer(1 << 20);
            size_t got;
            while ((got = fread(buffer.data(), 1, buffer.size(), in)) > 0) {
                if (!sink(buffer.data(), got)) return false;
            }
            return true;
        }

    private:
        const Impl* owner_;
    };

    // A 32-bit setup.exe is mapped whole into a 2 GB address space that the
    // system's libraries share: a package whose image is larger than
    // kLargestImage32 might not start at all, so it is refused here.
    bool FitsInAddressSpace(std::string* error) const {
        uint64_t fileSize = 0, imageSize = 0;
        if (!file_.PlannedSizes(&fileSize, &imageSize, error)) return false;
        if (file_.is64() || imageSize <= kLargestImage32) return true;
        *error = "the package would take " + std::to_string(imageSize) + " bytes of memory once started (a file of " +
                 std::to_string(fileSize) + " bytes), more than the " + std::to_string(kLargestImage32) +
                 " bytes (1.5 GB) a 32-bit setup.exe can be sure to start with; make the payload smaller "
                 "(Compression = best) or package it with the 64-bit setup.exe";
        return false;
    }

    bool Compress(uint64_t size, std::string* error) {
        std::string why;
        temporary_ = OpenTemporaryFile(&why);
        if (!temporary_) {
            *error = "cannot make a temporary file for the compressed payload (" + why + ")";
            return false;
        }
        if (!CompressPayload(payload_, size, static_cast<PayloadCompression>(contents_.compression), temporary_, error)) {
            return false;
        }
        long end = fseek(temporary_, 0, SEEK_END) == 0 ? ftell(temporary_) : -1;
        if (end < 0) {
            *error = "the compressed payload is larger than 2 GB";
            return false;
        }
        compressedSize_ = static_cast<uint64_t>(end);
        return true;
    }

    const PackageContents& contents_;
    PayloadStream payload_;
    TemporaryStream compressed_;
    FILE* temporary_ = nullptr;
    uint64_t compressedSize_ = 0;
    pe::ResourceFile file_;
    std::string record_;
};

PackageComposer::PackageComposer(const PackageContents& contents) : impl_(new Impl(contents)) {}
PackageComposer::~PackageComposer() = default;
bool PackageComposer::Compose(const std::string& setupExe, std::string* error) {
    return impl_->Compose(setupExe, error);
}
const pe::ResourceFile& PackageComposer::file() const { return impl_->file(); }

bool WritePackage(const std::string& setupExe, const std::string& outExe, const PackageContents& contents,
                  std::string* error) {
    PackageComposer composer(contents);
    return composer.Compose(setupExe, error) && WriteThenRename(composer.file(), outExe, error);
}

bool PlanPackage(const std::string& setupExe, const PackageContents& contents, uint64_t* fileSize,
                 uint64_t* imageSize, std::string* error) {
    PackageContents plain = contents;
    plain.compression = kCompressionNone;  // sizes of the stored payload: nothing to compress
    PackageComposer composer(plain);
    std::string ignored;
    composer.Compose(setupExe, &ignored);  // fails past the limit, after setting every resource
    return composer.file().PlannedSizes(fileSize, imageSize, error);
}
