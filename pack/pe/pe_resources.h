// Reading and rewriting the resources of a Windows program file (PE32 and
// PE32+), portable: no windows.h, every field read from outside bytes checked.
//
// Byte layout read and written (all numbers little-endian):
//
//   offset 0       DOS header, 64 bytes: "MZ" ... at 0x3C the 32-bit offset of
//                  the PE signature (e_lfanew)
//   e_lfanew       "PE\0\0"
//   +4             file header, 20 bytes:
//                    +0 machine (2)            +2 number of sections (2)
//                    +4 time stamp (4)         +8 symbol table offset (4)
//                    +12 number of symbols (4) +16 optional header size (2)
//                    +18 characteristics (2)
//   +24            optional header: magic 0x10B (PE32) or 0x20B (PE32+)
//                    +8 SizeOfInitializedData  +32 SectionAlignment
//                    +36 FileAlignment         +56 SizeOfImage
//                    +60 SizeOfHeaders         +64 CheckSum
//                    +92 (PE32) / +108 (PE32+) number of data directories
//                    +96 (PE32) / +112 (PE32+) data directories, 8 bytes each
//                        (RVA, size): 2 resources, 4 certificate table (a FILE
//                        offset, not an RVA), 5 base relocations
//   after it       section table, 40 bytes a section:
//                    +0 name (8)  +8 VirtualSize  +12 VirtualAddress
//                    +16 SizeOfRawData  +20 PointerToRawData  +36 characteristics
//   sections       raw data at PointerToRawData (multiples of FileAlignment),
//                  mapped at VirtualAddress (multiples of SectionAlignment)
//
//   Resource tree, at the RVA of data directory 2; offsets inside it count
//   from its start. Three levels: type -> name or id -> language.
//     directory     16 bytes: characteristics (4), time stamp (4), version
//                   (2+2), number of named entries (2), number of id entries (2),
//                   then the entries, named ones first, each group sorted
//     entry         8 bytes: name (bit 31 set: offset of a name string; clear:
//                   a 16-bit id), target (bit 31 set: offset of a
//                   subdirectory; clear: offset of a data entry, last level only)
//     name string   length in UTF-16 units (2), then the units, no terminator
//     data entry    16 bytes: RVA of the bytes (4), size (4), code page (4), 0 (4)
//
// What the writer lays out: the resource section is rebuilt as the section that
// holds the tree (directories, data entries, name strings, then each resource's
// bytes on an 8-byte boundary). When the resource section is last, or followed
// only by the base relocation section (which nothing but its data directory
// points at), it is rebuilt at its own address and the relocation section is
// moved after it; otherwise a new resource section is added at the end and the
// old one stays as unused bytes. Sections keep the file's FileAlignment and
// SectionAlignment, so a file aligned on pages stays mappable from the file.
// SizeOfImage, SizeOfInitializedData, the section table, the resource and
// relocation directories and the checksum are made consistent. A certificate
// table (signature) is dropped, as it no longer matches; any other bytes
// after the last section (an overlay) are kept, unchanged, after the new last
// section. A COFF symbol table after the sections and its string table (which
// long section names such as "/4" point into) follow the overlay, their
// offset in the file header updated; without a readable string table the
// symbol table is dropped.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace pe {

// A resource type, name or id: a 16-bit number or a UTF-16 string. A name
// read from a file stays in the file's bytes (a crafted tree may point many
// entries at one long name): keys are copied without copying their names.
class ResourceKey {
public:
    ResourceKey(uint16_t id);                // NOLINT: numbers convert, as in the system's API
    ResourceKey(const char* ascii);          // NOLINT: ASCII names such as "RT_DATA", "5001"
    ResourceKey(const std::string& ascii);   // NOLINT
    static ResourceKey Named(const std::u16string& name);
    // The name of length units of little-endian UTF-16 at units, which must
    // stay in place while the key or a copy of it is used.
    static ResourceKey InPlace(const uint8_t* units, uint32_t length);

    bool IsId() const { return isId_; }
    uint16_t Id() const { return id_; }
    // The name's length and units (0 for an id).
    size_t NameLength() const { return length_; }
    char16_t NameUnit(size_t i) const {
        return static_cast<char16_t>(units_[2 * i] | (units_[2 * i + 1] << 8));
    }
    std::u16string Name() const;
    // "#14" for an id, the name (non-ASCII units as '?', a long one cut after
    // 64 units) otherwise: for messages.
    std::string Text() const;

    bool operator==(const ResourceKey& other) const;
    bool operator!=(const ResourceKey& other) const { return !(*this == other); }
    // The order of a resource directory: names first (upper-cased units), then
    // ids; names equal but for letter case by their units.
    bool operator<(const ResourceKey& other) const { return Less(other, nullptr); }
    // The same, adding to *compared (when given) the units it looked at.
    bool Less(const ResourceKey& other, uint64_t* compared) const;

private:
    ResourceKey() = default;
    bool isId_ = true;
    uint16_t id_ = 0;
    const uint8_t* units_ = nullptr;  // a name's little-endian units: in a file, or in own_
    uint32_t length_ = 0;
    std::shared_ptr<const std::string> own_;
};

// Pieces of a written file go to a sink; it returns false to stop the writing.
using ByteSink = std::function<bool(const uint8_t* bytes, size_t size)>;

// The bytes of a resource too large to hold in memory, produced when the file
// is written: Emit gives exactly the size the resource was set with, piece by
// piece, or returns false with a reason.
class ResourceStream {
public:
    virtual ~ResourceStream() = default;
    virtual bool Emit(const ByteSink& sink, std::string* error) const = 0;
};

struct Resource {
    ResourceKey type;
    ResourceKey name;
    uint16_t language;
    uint32_t codePage;
    const uint8_t* data;  // the bytes: inside the loaded file or given by Set; null for a stream
    size_t size;
    const ResourceStream* stream = nullptr;  // set by SetStream instead of data
};

// Gives the bytes of a resource to sink, from memory or from its stream;
// false with a reason in *error (also when sink stops it).
bool EmitResource(const Resource& resource, const ByteSink& sink, std::string* error);

// Languages as the system numbers them.
const uint16_t kLanguageNeutral = 0;

// A program file and its resources, edited in memory and written out whole.
class ResourceFile {
public:
    ResourceFile();
    ~ResourceFile();
    ResourceFile(const ResourceFile&) = delete;
    ResourceFile& operator=(const ResourceFile&) = delete;

    // Takes the bytes of a program file and reads its headers and resource tree.
    // False with a readable reason in *error when they are not a program file or
    // are damaged; the object is then empty.
    bool Load(std::vector<uint8_t> bytes, std::string* error);
    // Reads a file and loads it; the reason names the path.
    bool LoadFile(const std::string& path, std::string* error);
    // Loads a program file held elsewhere (a mapped file) without copying it:
    // the bytes must stay in place and unchanged while this object is used.
    bool LoadView(const uint8_t* bytes, uint64_t size, std::string* error);
    // Told of each piece of the loaded file (offset, size) a pass over all
    // of it is done with, so that a mapped file's pages can be given back.
    void SetRelease(std::function<void(uint64_t offset, uint64_t size)> release) { release_ = std::move(release); }

    bool is64() const { return is64_; }
    // Every resource, sorted by type, name, language (the order of the tree).
    std::vector<Resource> Resources() const;
    // The resource of that type and name in that language, or nullptr.
    const Resource* Find(const ResourceKey& type, const ResourceKey& name, uint16_t language) const;
    // That type and name in the language the system picks when a program
    // looks it up without one (setup does): neutral first, then the neutral
    // language's defaults, French (standing for the user's language), US
    // English, and last the lowest number; or nullptr.
    const Resource* Find(const ResourceKey& type, const ResourceKey& name) const;

    // Replaces or adds a resource. The bytes are not copied: they must stay
    // alive and unchanged until the last Write (a payload of hundreds of MB is
    // written straight from the caller's buffer).
    void Set(const ResourceKey& type, const ResourceKey& name, uint16_t language, const uint8_t* data, size_t size,
             uint32_t codePage = 0);
    // The same with bytes produced by stream while the file is written (the
    // stream must stay alive until the last Write).
    void SetStream(const ResourceKey& type, const ResourceKey& name, uint16_t language, const ResourceStream* stream,
                   uint64_t size, uint32_t codePage = 0);
    // The same, with a copy of the bytes kept by this object.
    void SetCopy(const ResourceKey& type, const ResourceKey& name, uint16_t language, std::string bytes,
                 uint32_t codePage = 0);
    // Removes a resource; false when there was none.
    bool Remove(const ResourceKey& type, const ResourceKey& name, uint16_t language);

    // Writes the whole new program file to the sink, piece by piece. False with
    // a reason in *error (the sink may have received part of the file). The
    // header checksum covers every byte: with streamed resources it is known
    // only at the end, so patch, when given, gets it then (its offset in the
    // file and its 4 bytes) after the header went out with 0 in its place;
    // without patch the streams are read twice, once for the checksum.
    using Patch = std::function<bool(uint64_t offset, const uint8_t* bytes, size_t size)>;
    bool Write(const ByteSink& sink, std::string* error, const Patch& patch = nullptr) const;
    // The size the new program file would have, and the address space the
    // system would map for it (SizeOfImage), without writing it.
    bool PlannedSizes(uint64_t* fileSize, uint64_t* imageSize, std::string* error) const;
    // The whole new program file in memory.
    bool WriteToBytes(std::vector<uint8_t>* out, std::string* error) const;

    // The loaded file as it stands, for checks of its integrity: the
    // certificate table's entry (a file offset and a size; both 0 when the
    // file is not signed), the checksum stored in its header and the one its
    // bytes give.
    void CertificateTable(uint32_t* offset, uint32_t* size) const;
    uint32_t StoredChecksum() const;
    uint32_t ComputedChecksum() const;
    uint64_t FileSize() const { return size_; }
    // Where the header checksum is in the file.
    uint64_t ChecksumOffset() const { return optionalOffset_ + 64; }

private:
    struct Section;
    struct Layout;
    bool Parse(const uint8_t* bytes, uint64_t size, std::string* error);
    bool ParseHeaders(std::string* error);
    bool ParseTree(std::string* error);
    bool PlanLayout(Layout* layout, std::string* error) const;

    std::vector<uint8_t> bytes_;     // the file, when Load was given its bytes
    const uint8_t* data_ = nullptr;  // the loaded file: bytes_ or the caller's view
    uint64_t size_ = 0;
    std::function<void(uint64_t, uint64_t)> release_;
    bool is64_ = false;
    uint32_t peOffset_ = 0;
    uint32_t optionalOffset_ = 0;
    uint32_t directoryCount_ = 0;
    uint32_t directoriesOffset_ = 0;
    std::vector<Section> sections_;
    std::vector<Resource> resources_;  // kept sorted
    std::vector<std::unique_ptr<std::string>> owned_;
};

// The standard checksum of a program file: 16-bit sum with end-around carry of
// every little-endian word (the CheckSum field counted as zero, an odd last byte
// padded with zero), plus the file's length.
class PeChecksum {
public:
    explicit PeChecksum(uint64_t checksumFieldOffset) : skip_(checksumFieldOffset) {}
    void Add(const uint8_t* bytes, size_t size);
    uint32_t Finish() const;

private:
    uint64_t skip_;
    uint64_t position_ = 0;
    uint64_t sum_ = 0;  // 16-bit words added up, folded by Finish
    bool haveLow_ = false;
    uint8_t low_ = 0;
};

}  // namespace pe
