// Writes a setup package: a copy of setup.exe carrying the package resources
// RT_DATA "5000" (payload) or "5002" (the payload compressed), "5001" (setup
// record), "5010" (licence) and "5011" (information), "5003" (the scope of a
// per-user package), language neutral, and the package's branding when given:
// the icon group 110, the bitmaps 200 and 201, the version information.
#pragma once

#include <stdint.h>

#include <memory>
#include <string>
#include <vector>

#include "icon_file.h"
#include "pe_resources.h"
#include "records.h"
#include "setup_record.h"
#include "version_resource.h"

// Resource ids of setup that a package may replace.
enum {
    kSetupIconGroup = 110,   // the program file's and the wizard's icon
    kSideBitmap = 200,       // welcome and finish pages, 144 x 324
    kHeaderBitmap = 201,     // header of the inner pages, 64 x 64
    kVersionResourceId = 1,  // RT_VERSION
};

// Where the bytes of one payload file come from: a file of this system, read
// when the package is written, or bytes of PackageContents::payload.
struct PayloadPart {
    std::string hostPath;  // "" for bytes held in memory
    uint64_t size = 0;
    uint64_t memoryOffset = 0;  // where they are in payload, for bytes in memory
};

// The largest image (the whole program file as the system maps it) of a
// package built on a 32-bit setup.exe: 1.5 GB. Such a program has 2 GB of
// address space, and the image must fit there in one piece at start, below
// the system's libraries, which Windows places in the upper part of it
// (measured under Wine: 2,013,421,568 bytes start, 2,080,530,432 do not).
// A 64-bit setup.exe has room for any package (whose payload is at most 2 GB).
const uint64_t kLargestImage32 = 1536ull << 20;

struct PackageContents {
    SetupRecord record;             // names, folder token, flags (fileData is ignored)
    std::vector<FileEntry> files;   // entries of the record, in payload order
    std::vector<PayloadPart> parts; // the source of each file's bytes, in payload order
    std::string payload;            // the bytes of the files added with their bytes, back to back
    bool writeRecord = true;        // false: no "5001" at all
    bool writePayload = true;       // false: no "5000" at all (an empty payload is never written)
    std::string rawRecord;          // when not empty, stored as "5001" instead of the encoded record
    bool writeLicense = false;
    std::string license;
    bool writeInfo = false;
    std::string info;
    std::vector<IconImage> icon;    // when not empty, replaces the icon group 110
    std::string sideBitmap;         // when not empty, RT_BITMAP 200 (see PrepareBitmap)
    std::string headerBitmap;       // when not empty, RT_BITMAP 201
    bool writeVersion = false;      // true: every RT_VERSION 1 is replaced by version
    VersionInfo version;
    std::string registration;       // when not empty, RT_DATA "5004" (see registration_texts.h)
    int compression = 0;            // a PayloadCompression: other than none, "5002" replaces "5000"
    bool perUser = false;           // true: RT_DATA "5003" says "user", and setup's and the carried
                                    // uninstaller's manifests ask for no rights (asInvoker)

    PackageContents();
    // Appends a file entry and its bytes to the payload.
    void AddFile(const std::string& name, const std::string& subFolder, const std::string& bytes);
    // Appends a file entry whose size bytes are read from hostPath only when
    // the package is written, so that pack never holds the payload in memory.
    void AddFileFrom(const std::string& name, const std::string& subFolder, const std::string& hostPath,
                     uint64_t size);
    // The payload's size: every file's bytes.
    uint64_t PayloadSize() const;
    // The encoded "5001" record of these contents.
    std::string EncodedRecord() const;
};

// Copies setupExe to outExe and writes the package resources into the copy.
// The copy is made under a temporary name and renamed into place only when
// complete, so outExe never holds a half-written package. On failure returns
// false with a readable reason in *error.
bool WritePackage(const std::string& setupExe, const std::string& outExe, const PackageContents& contents,
                  std::string* error);

// The size of the file WritePackage would write for uncompressed contents,
// and of its image in memory (which kLargestImage32 bounds), without writing it.
bool PlanPackage(const std::string& setupExe, const PackageContents& contents, uint64_t* fileSize,
                 uint64_t* imageSize, std::string* error);

// The package WritePackage writes, put together in memory: setupExe loaded
// and the package's resources set into it; the payload is read from its
// sources (or from a temporary file holding it compressed) only when file()
// is written. A setupExe that already carries package resources (an earlier
// package) is refused: what the new description leaves out would stay.
class PackageComposer {
public:
    explicit PackageComposer(const PackageContents& contents);
    ~PackageComposer();
    PackageComposer(const PackageComposer&) = delete;
    PackageComposer& operator=(const PackageComposer&) = delete;
    // False with a readable reason in *error.
    bool Compose(const std::string& setupExe, std::string* error);
    const pe::ResourceFile& file() const;

private:
    class Impl;
    std::unique_ptr<Impl> impl_;
};

// Replaces (or adds) one resource of an existing program file in place.
bool UpdateProgramResource(const std::string& exe, const char* type, const char* name, const std::string& bytes,
                           std::string* error);
