// Reading and rewriting the resources of a program file (see pe_resources.h).
#include "pe_resources.h"

#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <map>
#include <set>

namespace pe {

namespace {

const uint32_t kDirResources = 2;
const uint32_t kDirCertificates = 4;
const uint32_t kDirRelocations = 5;
const uint32_t kSectionHeaderSize = 40;
const uint32_t kMaxSections = 96;
const uint32_t kScnInitializedData = 0x00000040;
const uint32_t kScnRead = 0x40000000;
const uint32_t kResourceDataAlignment = 8;

uint16_t Get16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Get32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}
void Put16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
void Put32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

uint64_t AlignUp(uint64_t value, uint64_t alignment) { return (value + alignment - 1) / alignment * alignment; }

bool IsPowerOfTwo(uint32_t v) { return v != 0 && (v & (v - 1)) == 0; }

std::string Hex(uint64_t v) {
    char text[24];
    snprintf(text, sizeof(text), "0x%llX", static_cast<unsigned long long>(v));
    return text;
}

char16_t Upper(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c; }

const uint8_t kZeros[4096] = {};

}  // namespace

// ---------------------------------------------------------------- keys

ResourceKey::ResourceKey(uint16_t id) : isId_(true), id_(id) {}

ResourceKey::ResourceKey(const char* ascii) : isId_(false) {
    std::u16string name;
    for (const char* p = ascii; *p; ++p) name.push_back(static_cast<char16_t>(static_cast<uint8_t>(*p)));
    *this = Named(name);
}

ResourceKey::ResourceKey(const std::string& ascii) : ResourceKey(ascii.c_str()) {}

ResourceKey ResourceKey::Named(const std::u16string& name) {
    std::string bytes;
    bytes.reserve(2 * name.size());
    for (char16_t c : name) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>(c >> 8));
    }
    ResourceKey key;
    key.isId_ = false;
    key.own_ = std::make_shared<const std::string>(std::move(bytes));
    key.units_ = reinterpret_cast<const uint8_t*>(key.own_->data());
    key.length_ = static_cast<uint32_t>(name.size());
    return key;
}

ResourceKey ResourceKey::InPlace(const uint8_t* units, uint32_t length) {
    ResourceKey key;
    key.isId_ = false;
    key.units_ = units;
    key.length_ = length;
    return key;
}

std::u16string ResourceKey::Name() const {
    std::u16string name;
    name.reserve(length_);
    for (size_t i = 0; i < length_; ++i) name.push_back(NameUnit(i));
    return name;
}

std::string ResourceKey::Text() const {
    if (isId_) return "#" + std::to_string(id_);
    std::string text;
    for (size_t i = 0; i < length_ && i < 64; ++i) {
        const char16_t c = NameUnit(i);
        text.push_back(c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '?');
    }
    if (length_ > 64) text += "... (" + std::to_string(length_) + " characters)";
    return text;
}

bool ResourceKey::operator==(const ResourceKey& other) const {
    if (isId_ != other.isId_) return false;
    if (isId_) return id_ == other.id_;
    return length_ == other.length_ && (units_ == other.units_ || memcmp(units_, other.units_, 2 * length_) == 0);
}

bool ResourceKey::Less(const ResourceKey& other, uint64_t* compared) const {
    if (isId_ != other.isId_) return !isId_;
    if (isId_) return id_ < other.id_;
    if (units_ == other.units_ && length_ == other.length_) return false;
    size_t n = std::min(length_, other.length_);
    for (size_t i = 0; i < n; ++i) {
        char16_t a = Upper(NameUnit(i));
        char16_t b = Upper(other.NameUnit(i));
        if (a != b) {
            if (compared) *compared += i + 1;
            return a < b;
        }
    }
    if (compared) *compared += n;
    if (length_ != other.length_) return length_ < other.length_;
    // Names equal but for letter case: by their units, a fixed order.
    for (size_t i = 0; i < n; ++i) {
        if (NameUnit(i) != other.NameUnit(i)) return NameUnit(i) < other.NameUnit(i);
    }
    return false;
}

// ---------------------------------------------------------------- checksum

namespace {

// The sum of the little-endian 16-bit words of size bytes (an even number).
// Eight bytes at a time where the machine is little-endian: the four words of
// a 64-bit load are added in two 32-bit lanes, folded before they can overflow.
uint64_t SumOfWords(const uint8_t* p, size_t size) {
    uint64_t sum = 0;
    size_t k = 0;
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    const uint64_t kLanes = 0x0000FFFF0000FFFFull;
    while (size - k >= 8) {
        size_t block = std::min<size_t>((size - k) / 8, 16384);
        uint64_t lanes = 0;
        for (size_t n = 0; n < block; ++n, k += 8) {
            uint64_t x;
            memcpy(&x, p + k, 8);
            lanes += (x & kLanes) + ((x >> 16) & kLanes);
        }
        sum += (lanes & 0xFFFFFFFF) + (lanes >> 32);
    }
#endif
    for (; k < size; k += 2) sum += static_cast<uint32_t>(p[k]) | static_cast<uint32_t>(p[k + 1]) << 8;
    return sum;
}

}  // namespace

void PeChecksum::Add(const uint8_t* bytes, size_t size) {
    size_t i = 0;
    while (i < size) {
        // Whole words, two bytes at a time, outside the checksum field: the
        // sum of up to 2^48 words fits the 64-bit accumulator unfolded.
        if (!haveLow_ && (position_ + 4 <= skip_ || position_ >= skip_ + 4)) {
            size_t run = size - i;
            if (position_ < skip_) run = std::min<uint64_t>(run, skip_ - position_);
            run &= ~static_cast<size_t>(1);
            if (run >= 2) {
                sum_ += SumOfWords(bytes + i, run);
                i += run;
                position_ += run;
                continue;
            }
        }
        uint8_t b = position_ >= skip_ && position_ < skip_ + 4 ? 0 : bytes[i];
        ++i;
        ++position_;
        if (!haveLow_) {
            low_ = b;
            haveLow_ = true;
            continue;
        }
        sum_ += static_cast<uint32_t>(low_) | (static_cast<uint32_t>(b) << 8);
        haveLow_ = false;
    }
}

uint32_t PeChecksum::Finish() const {
    uint64_t sum = sum_;
    if (haveLow_) sum += low_;
    while (sum >> 16) sum = (sum & 0xFFFF) + (sum >> 16);
    return static_cast<uint32_t>(sum) + static_cast<uint32_t>(position_);
}

// ---------------------------------------------------------------- reading

namespace {

bool ResourceLess(const Resource& a, const ResourceKey& type, const ResourceKey& name, uint16_t language) {
    if (a.type != type) return a.type < type;
    if (a.name != name) return a.name < name;
    return a.language < language;
}

}  // namespace

struct ResourceFile::Section {
    uint32_t headerOffset;  // where its 40 bytes are in the file
    char name[9];
    uint32_t virtualSize;
    uint32_t virtualAddress;
    uint32_t rawSize;
    uint32_t rawPointer;
    uint32_t characteristics;

    uint32_t VirtualEnd() const { return virtualAddress + std::max(virtualSize, rawSize); }
};

ResourceFile::ResourceFile() = default;
ResourceFile::~ResourceFile() = default;

bool ResourceFile::LoadFile(const std::string& path, std::string* error) {
    FILE* f = fopen(path.c_str(), "rb");
    if (!f) {
        *error = "cannot open " + path;
        return false;
    }
    std::vector<uint8_t> bytes;
    bool ok = fseek(f, 0, SEEK_END) == 0;
    long size = ok ? ftell(f) : -1;
    ok = ok && size >= 0 && fseek(f, 0, SEEK_SET) == 0;
    if (ok) {
        bytes.resize(static_cast<size_t>(size));
        ok = bytes.empty() || fread(bytes.data(), 1, bytes.size(), f) == bytes.size();
    }
    fclose(f);
    if (!ok) {
        *error = "cannot read " + path;
        return false;
    }
    if (!Load(std::move(bytes), error)) {
        *error = path + ": " + *error;
        return false;
    }
    return true;
}

bool ResourceFile::Load(std::vector<uint8_t> bytes, std::string* error) {
    bytes_ = std::move(bytes);
    return Parse(bytes_.data(), bytes_.size(), error);
}

bool ResourceFile::LoadView(const uint8_t* bytes, uint64_t size, std::string* error) {
    bytes_.clear();
    bytes_.shrink_to_fit();
    return Parse(bytes, size, error);
}

bool ResourceFile::Parse(const uint8_t* bytes, uint64_t size, std::string* error) {
    data_ = bytes;
    size_ = bytes ? size : 0;
    sections_.clear();
    resources_.clear();
    owned_.clear();
    if (ParseHeaders(error) && ParseTree(error)) return true;
    bytes_.clear();
    data_ = nullptr;
    size_ = 0;
    sections_.clear();
    resources_.clear();
    return false;
}

bool ResourceFile::ParseHeaders(std::string* error) {
    const uint64_t size = size_;
    const uint8_t* f = data_;
    if (size < 64 || f[0] != 'M' || f[1] != 'Z') {
        *error = "not a Windows program file (no MZ header)";
        return false;
    }
    peOffset_ = Get32(f + 0x3C);
    if (uint64_t{peOffset_} + 24 > size || memcmp(f + peOffset_, "PE\0\0", 4) != 0) {
        *error = "not a Windows program file (no PE signature at " + Hex(peOffset_) + ")";
        return false;
    }
    const uint8_t* fileHeader = f + peOffset_ + 4;
    uint32_t sectionCount = Get16(fileHeader + 2);
    uint32_t optionalSize = Get16(fileHeader + 16);
    optionalOffset_ = peOffset_ + 24;
    if (uint64_t{optionalOffset_} + optionalSize > size || optionalSize < 2) {
        *error = "damaged program file: the optional header runs past the end of the file";
        return false;
    }
    uint16_t magic = Get16(f + optionalOffset_);
    if (magic != 0x10B && magic != 0x20B) {
        *error = "damaged program file: unknown optional header magic " + Hex(magic);
        return false;
    }
    is64_ = magic == 0x20B;
    uint32_t countOffset = is64_ ? 108 : 92;
    directoriesOffset_ = optionalOffset_ + (is64_ ? 112 : 96);
    if (optionalSize < countOffset + 4) {
        *error = "damaged program file: the optional header is too short";
        return false;
    }
    directoryCount_ = Get32(f + optionalOffset_ + countOffset);
    if (directoryCount_ > 16 || uint64_t{countOffset} + 4 + 8ull * directoryCount_ > optionalSize) {
        *error = "damaged program file: the data directories do not fit in the optional header";
        return false;
    }
    uint32_t sectionAlignment = Get32(f + optionalOffset_ + 32);
    uint32_t fileAlignment = Get32(f + optionalOffset_ + 36);
    if (!IsPowerOfTwo(fileAlignment) || !IsPowerOfTwo(sectionAlignment) || fileAlignment > 0x10000 ||
        sectionAlignment < fileAlignment) {
        *error = "damaged program file: file alignment " + Hex(fileAlignment) + " and section alignment " +
                 Hex(sectionAlignment) + " are not valid";
        return false;
    }
    if (sectionCount > kMaxSections) {
        *error = "damaged program file: " + std::to_string(sectionCount) + " sections";
        return false;
    }
    uint64_t tableOffset = uint64_t{optionalOffset_} + optionalSize;
    if (tableOffset + uint64_t{kSectionHeaderSize} * sectionCount > size) {
        *error = "damaged program file: the section table runs past the end of the file";
        return false;
    }
    for (uint32_t i = 0; i < sectionCount; ++i) {
        const uint8_t* h = f + tableOffset + kSectionHeaderSize * i;
        Section s;
        s.headerOffset = static_cast<uint32_t>(tableOffset + kSectionHeaderSize * i);
        memcpy(s.name, h, 8);
        s.name[8] = '\0';
        for (int k = 0; k < 8; ++k) {
            if (s.name[k] && (s.name[k] < 0x20 || s.name[k] > 0x7E)) s.name[k] = '?';
        }
        s.virtualSize = Get32(h + 8);
        s.virtualAddress = Get32(h + 12);
        s.rawSize = Get32(h + 16);
        s.rawPointer = Get32(h + 20);
        s.characteristics = Get32(h + 36);
        if (s.rawSize != 0 && uint64_t{s.rawPointer} + s.rawSize > size) {
            *error = "the file is cut short or damaged: section " + std::string(s.name) + " runs past its end (" +
                     Hex(uint64_t{s.rawPointer} + s.rawSize) + " > " + Hex(size) + ")";
            return false;
        }
        if (uint64_t{s.virtualAddress} + std::max(s.virtualSize, s.rawSize) > 0xFFFFFFFFull) {
            *error = "damaged program file: section " + std::string(s.name) + " lies beyond 4 GB";
            return false;
        }
        sections_.push_back(s);
    }
    return true;
}

bool ResourceFile::ParseTree(std::string* error) {
    if (directoryCount_ <= kDirResources) return true;
    const uint8_t* dir = data_ + directoriesOffset_ + 8 * kDirResources;
    uint32_t rootRva = Get32(dir);
    if (rootRva == 0 && Get32(dir + 4) == 0) return true;
    // The tree: the bytes of the section that holds the root, from the root on.
    const Section* home = nullptr;
    for (const Section& s : sections_) {
        if (rootRva >= s.virtualAddress && rootRva - s.virtualAddress < s.rawSize) home = &s;
    }
    if (!home) {
        *error = "damaged program file: the resource directory (RVA " + Hex(rootRva) + ") is in no section";
        return false;
    }
    const uint8_t* tree = data_ + home->rawPointer + (rootRva - home->virtualAddress);
    const uint64_t treeSize = home->rawSize - (rootRva - home->virtualAddress);
    std::set<uint32_t> seen;

    // Reads the directory at offset; false after setting *error.
    struct Entry {
        uint32_t name;
        uint32_t target;
    };
    auto readDirectory = [&](uint32_t offset, std::vector<Entry>* entries) {
        if (!seen.insert(offset).second) {
            *error = "damaged resources: the directory at " + Hex(offset) +
                     " is reached twice (a loop or a shared branch in the tree)";
            return false;
        }
        if (uint64_t{offset} + 16 > treeSize) {
            *error = "damaged resources: a directory at " + Hex(offset) + " lies past the resource section";
            return false;
        }
        uint32_t count = uint32_t{Get16(tree + offset + 12)} + Get16(tree + offset + 14);
        if (uint64_t{offset} + 16 + 8ull * count > treeSize) {
            *error = "damaged resources: the " + std::to_string(count) + " entries of the directory at " +
                     Hex(offset) + " run past the resource section";
            return false;
        }
        entries->clear();
        for (uint32_t i = 0; i < count; ++i) {
            const uint8_t* e = tree + offset + 16 + 8 * i;
            entries->push_back({Get32(e), Get32(e + 4)});
        }
        return true;
    };
    auto readKey = [&](uint32_t field, ResourceKey* key) {
        if (!(field & 0x80000000u)) {
            if (field > 0xFFFF) {
                *error = "damaged resources: id " + Hex(field) + " is larger than 16 bits";
                return false;
            }
            *key = ResourceKey(static_cast<uint16_t>(field));
            return true;
        }
        uint32_t offset = field & 0x7FFFFFFFu;
        if (uint64_t{offset} + 2 > treeSize) {
            *error = "damaged resources: a name at " + Hex(offset) + " lies past the resource section";
            return false;
        }
        uint32_t length = Get16(tree + offset);
        if (uint64_t{offset} + 2 + 2ull * length > treeSize) {
            *error = "damaged resources: the name at " + Hex(offset) + " runs past the resource section";
            return false;
        }
        // The name stays in the file: many entries may name one long string.
        *key = ResourceKey::InPlace(tree + offset + 2, length);
        return true;
    };
    auto subdirectory = [&](const Entry& e, const char* level, uint32_t* offset) {
        if (!(e.target & 0x80000000u)) {
            *error = std::string("damaged resources: a ") + level + " entry points at data, not at a directory";
            return false;
        }
        *offset = e.target & 0x7FFFFFFFu;
        return true;
    };

    // A first look counts the resources (each directory once, damaged ones
    // left to the reading below), so that they are stored without moving.
    {
        std::set<uint32_t> counted;
        uint64_t total = 0;
        auto entriesOf = [&](uint32_t offset, uint32_t* count) {
            if (!counted.insert(offset).second || uint64_t{offset} + 16 > treeSize) return false;
            *count = uint32_t{Get16(tree + offset + 12)} + Get16(tree + offset + 14);
            return uint64_t{offset} + 16 + 8ull * *count <= treeSize;
        };
        uint32_t types = 0, names = 0, languages = 0;
        if (!entriesOf(0, &types)) types = 0;
        for (uint32_t t = 0; t < types; ++t) {
            uint32_t namesAt = Get32(tree + 16 + 8 * t + 4) & 0x7FFFFFFFu;
            if (!entriesOf(namesAt, &names)) continue;
            for (uint32_t n = 0; n < names; ++n) {
                uint32_t languagesAt = Get32(tree + namesAt + 16 + 8 * n + 4) & 0x7FFFFFFFu;
                if (entriesOf(languagesAt, &languages)) total += languages;
            }
        }
        resources_.reserve(static_cast<size_t>(std::min<uint64_t>(total, treeSize / 8)));
    }

    // The entries of a directory with their keys, in the order of the keys:
    // walked in that order, the tree gives its resources sorted, whatever
    // order its directories list them in.
    struct Keyed {
        ResourceKey key;
        Entry entry;
    };
    // Names are compared where they lie in the file. Different names that
    // start alike need room of their own, but one long name repeated at many
    // places of a crafted file would make sorting them take hours: the units
    // compared are counted, and a tree needing more than any program's
    // names could is refused.
    std::vector<Entry> scratch;
    const uint64_t kMostUnitsCompared = uint64_t{1} << 26;
    uint64_t compared = 0;
    struct TooLong {};
    auto readSorted = [&](uint32_t offset, std::vector<Keyed>* out) {
        if (!readDirectory(offset, &scratch)) return false;
        out->clear();
        for (const Entry& e : scratch) {
            ResourceKey key(uint16_t{0});
            if (!readKey(e.name, &key)) return false;
            out->push_back({key, e});
        }
        try {
            std::sort(out->begin(), out->end(), [&](const Keyed& a, const Keyed& b) {
                if (compared > kMostUnitsCompared) throw TooLong();
                return a.key.Less(b.key, &compared);
            });
        } catch (const TooLong&) {
            *error = "damaged resources: the names of the directory at " + Hex(offset) +
                     " repeat long names (more than " + std::to_string(kMostUnitsCompared) +
                     " characters compared to sort them)";
            return false;
        }
        return true;
    };

    // Exactly three levels, walked with loops: a hostile tree cannot make this
    // recurse, and each directory is read at most once.
    std::vector<Keyed> types, names;
    std::vector<Entry> languages;
    if (!readSorted(0, &types)) return false;
    for (const Keyed& t : types) {
        const ResourceKey& type = t.key;
        uint32_t namesAt = 0;
        if (!subdirectory(t.entry, "type", &namesAt) || !readSorted(namesAt, &names)) return false;
        for (const Keyed& n : names) {
            const ResourceKey& name = n.key;
            uint32_t languagesAt = 0;
            if (!subdirectory(n.entry, "name", &languagesAt) || !readDirectory(languagesAt, &languages)) return false;
            std::sort(languages.begin(), languages.end(), [](const Entry& a, const Entry& b) { return a.name < b.name; });
            for (const Entry& l : languages) {
                if (l.name > 0xFFFF) {
                    *error = "damaged resources: a language of " + type.Text() + "/" + name.Text() +
                             " is not a 16-bit number";
                    return false;
                }
                if (l.target & 0x80000000u) {
                    *error = "damaged resources: the tree of " + type.Text() + "/" + name.Text() +
                             " is deeper than three levels";
                    return false;
                }
                if (uint64_t{l.target} + 16 > treeSize) {
                    *error = "damaged resources: the data entry of " + type.Text() + "/" + name.Text() +
                             " lies past the resource section";
                    return false;
                }
                const uint8_t* d = tree + l.target;
                uint32_t rva = Get32(d);
                uint32_t size = Get32(d + 4);
                const uint8_t* bytes = nullptr;
                for (const Section& s : sections_) {
                    if (rva >= s.virtualAddress && uint64_t{rva} - s.virtualAddress + size <= s.rawSize) {
                        bytes = data_ + s.rawPointer + (rva - s.virtualAddress);
                    }
                }
                if (!bytes) {
                    *error = "damaged resources: the " + std::to_string(size) + " bytes of " + type.Text() + "/" +
                             name.Text() + " (RVA " + Hex(rva) + ") are not in the file";
                    return false;
                }
                resources_.push_back({type, name, static_cast<uint16_t>(l.name), Get32(d + 8), bytes, size});
            }
        }
    }
    // Only a type or name listed twice leaves them out of order: sorted then,
    // a resource listed twice is found beside itself.
    auto less = [](const Resource& a, const Resource& b) { return ResourceLess(a, b.type, b.name, b.language); };
    bool ordered = true;
    for (size_t i = 1; ordered && i < resources_.size(); ++i) ordered = less(resources_[i - 1], resources_[i]);
    if (!ordered) std::sort(resources_.begin(), resources_.end(), less);
    for (size_t i = 1; i < resources_.size(); ++i) {
        const Resource& r = resources_[i];
        if (r.type == resources_[i - 1].type && r.name == resources_[i - 1].name &&
            r.language == resources_[i - 1].language) {
            *error = "damaged resources: " + r.type.Text() + "/" + r.name.Text() + " language " +
                     std::to_string(r.language) + " appears twice";
            return false;
        }
    }
    return true;
}

// ---------------------------------------------------------------- editing

std::vector<Resource> ResourceFile::Resources() const { return resources_; }

const Resource* ResourceFile::Find(const ResourceKey& type, const ResourceKey& name, uint16_t language) const {
    auto at = std::lower_bound(resources_.begin(), resources_.end(), 0, [&](const Resource& r, int) {
        return ResourceLess(r, type, name, language);
    });
    if (at == resources_.end() || at->type != type || at->name != name || at->language != language) return nullptr;
    return &*at;
}

const Resource* ResourceFile::Find(const ResourceKey& type, const ResourceKey& name) const {
    // The languages the system's lookup without a language tries first: the
    // neutral one, the neutral language with the user's and with the system's
    // default sub-language, the user's language, then US English; then
    // whichever comes first. The user's language is not known here: French,
    // the language of these programs and of the systems they are made for,
    // stands for it.
    static const uint16_t kPreferred[] = {kLanguageNeutral, 0x0400, 0x0800, 0x040C, 0x0409};
    for (uint16_t language : kPreferred) {
        if (const Resource* found = Find(type, name, language)) return found;
    }
    auto at = std::lower_bound(resources_.begin(), resources_.end(), 0, [&](const Resource& r, int) {
        return ResourceLess(r, type, name, 0);
    });
    return at != resources_.end() && at->type == type && at->name == name ? &*at : nullptr;
}

void ResourceFile::Set(const ResourceKey& type, const ResourceKey& name, uint16_t language, const uint8_t* data,
                       size_t size, uint32_t codePage) {
    auto at = std::lower_bound(resources_.begin(), resources_.end(), 0, [&](const Resource& r, int) {
        return ResourceLess(r, type, name, language);
    });
    Resource r{type, name, language, codePage, data, size};
    if (at != resources_.end() && at->type == type && at->name == name && at->language == language) {
        *at = r;
    } else {
        resources_.insert(at, r);
    }
}

void ResourceFile::SetStream(const ResourceKey& type, const ResourceKey& name, uint16_t language,
                             const ResourceStream* stream, uint64_t size, uint32_t codePage) {
    Set(type, name, language, nullptr, static_cast<size_t>(size), codePage);
    const_cast<Resource*>(Find(type, name, language))->stream = stream;
}

void ResourceFile::SetCopy(const ResourceKey& type, const ResourceKey& name, uint16_t language, std::string bytes,
                           uint32_t codePage) {
    owned_.push_back(std::unique_ptr<std::string>(new std::string(std::move(bytes))));
    const std::string& kept = *owned_.back();
    Set(type, name, language, reinterpret_cast<const uint8_t*>(kept.data()), kept.size(), codePage);
}

bool ResourceFile::Remove(const ResourceKey& type, const ResourceKey& name, uint16_t language) {
    const Resource* found = Find(type, name, language);
    if (!found) return false;
    resources_.erase(resources_.begin() + (found - resources_.data()));
    return true;
}

// ---------------------------------------------------------------- writing

namespace {

struct Piece {
    const uint8_t* bytes;
    uint64_t size;
    const ResourceStream* stream;  // instead of bytes: size bytes it produces
};

// Sends a piece to sink; a stream must produce exactly its size.
bool Emit(const Piece& piece, const ByteSink& sink, std::string* error) {
    if (!piece.stream) {
        if (piece.size == 0 || sink(piece.bytes, static_cast<size_t>(piece.size))) return true;
        *error = "the new program file could not be written";
        return false;
    }
    uint64_t produced = 0;
    bool sinkFailed = false;
    bool emitted = piece.stream->Emit(
        [&](const uint8_t* bytes, size_t size) {
            produced += size;
            if (produced > piece.size) return false;
            if (!sink(bytes, size)) {
                sinkFailed = true;
                return false;
            }
            return true;
        },
        error);
    if (sinkFailed) {
        *error = "the new program file could not be written";
        return false;
    }
    if (emitted && produced == piece.size) return true;
    if (error->empty() || emitted) {
        *error = "a resource gave " + std::to_string(produced) + " bytes instead of " + std::to_string(piece.size);
    }
    return false;
}

}  // namespace

bool EmitResource(const Resource& resource, const ByteSink& sink, std::string* error) {
    return Emit({resource.data, resource.size, resource.stream}, sink, error);
}

namespace {

// Zero bytes of any length, as pieces of the shared zero block.
void AddZeros(std::vector<Piece>* pieces, uint64_t count) {
    while (count > 0) {
        uint64_t n = std::min<uint64_t>(count, sizeof(kZeros));
        pieces->push_back({kZeros, n, nullptr});
        count -= n;
    }
}

}  // namespace

struct ResourceFile::Layout {
    std::vector<uint8_t> headers;  // patched copy of [0, keptEnd of headers)
    std::vector<uint8_t> tree;     // directories, data entries, names
    std::vector<Piece> pieces;     // the whole output, in order
    uint64_t total = 0;
    uint64_t imageSize = 0;        // SizeOfImage: the address space the system maps
    bool streamed = false;         // a piece is a stream: the checksum is not in headers yet
};

bool ResourceFile::PlanLayout(Layout* layout, std::string* error) const {
    if (size_ == 0) {
        *error = "no program file loaded";
        return false;
    }
    if (directoryCount_ <= kDirResources) {
        *error = "the program file has no entry for a resource directory in its optional header";
        return false;
    }
    const uint8_t* f = data_;
    const uint32_t sectionAlignment = Get32(f + optionalOffset_ + 32);
    const uint32_t fileAlignment = Get32(f + optionalOffset_ + 36);
    const uint32_t sizeOfHeaders = Get32(f + optionalOffset_ + 60);
    auto directory = [&](uint32_t index, uint32_t* rva, uint32_t* size) {
        *rva = *size = 0;
        if (index >= directoryCount_) return;
        *rva = Get32(f + directoriesOffset_ + 8 * index);
        *size = Get32(f + directoriesOffset_ + 8 * index + 4);
    };
    uint32_t resourceRva, resourceSize, relocRva, relocSize, certOffset, certSize;
    directory(kDirResources, &resourceRva, &resourceSize);
    directory(kDirRelocations, &relocRva, &relocSize);
    directory(kDirCertificates, &certOffset, &certSize);

    // Which section is the resource section, and can it be rebuilt in place?
    const size_t count = sections_.size();
    int resourceIndex = -1;
    for (size_t i = 0; i < count; ++i) {
        const Section& s = sections_[i];
        if (resourceRva != 0 && resourceRva >= s.virtualAddress && resourceRva < s.VirtualEnd()) {
            resourceIndex = static_cast<int>(i);
        }
    }
    bool ordered = true;
    uint64_t rawEnd = 0;  // end of the last section's bytes in the file
    for (size_t i = 0; i < count; ++i) {
        const Section& s = sections_[i];
        if (i > 0 && s.virtualAddress < sections_[i - 1].VirtualEnd()) ordered = false;
        if (s.rawSize) {
            if (s.rawPointer < rawEnd) ordered = false;
            rawEnd = std::max<uint64_t>(rawEnd, uint64_t{s.rawPointer} + s.rawSize);
        }
    }
    // A section after the resources may move only if it is the relocation
    // section: its data directory is the one thing that points at it.
    auto movable = [&](const Section& s) {
        if (relocRva < s.virtualAddress || relocRva >= s.VirtualEnd() || s.rawSize == 0) return false;
        for (uint32_t d = 0; d < directoryCount_; ++d) {
            uint32_t rva, size;
            directory(d, &rva, &size);
            if (d != kDirRelocations && d != kDirCertificates && rva != 0 && rva >= s.virtualAddress &&
                rva < s.VirtualEnd()) {
                return false;
            }
        }
        return true;
    };
    bool inPlace = resourceIndex >= 0 && ordered && sections_[resourceIndex].rawSize != 0 &&
                   resourceRva == sections_[resourceIndex].virtualAddress;
    for (size_t i = resourceIndex + 1; inPlace && i < count; ++i) inPlace = movable(sections_[i]);

    // Bytes after the last section: the certificate table there is dropped,
    // anything before it and before a COFF symbol table is kept as an
    // overlay. The symbol table and the string table after it (where long
    // section names such as "/4" for .debug_info are spelled) follow the
    // overlay at the new end of the file; a symbol table whose string table
    // does not fit in the file is dropped.
    uint64_t overlayEnd = size_;
    bool dropCertificates = certOffset != 0 || certSize != 0;
    if (dropCertificates && certOffset >= rawEnd) overlayEnd = std::min<uint64_t>(overlayEnd, certOffset);
    uint32_t symbols = Get32(f + peOffset_ + 4 + 8);
    bool dropSymbols = symbols != 0 && symbols >= rawEnd;
    uint64_t symbolsEnd = 0;  // end of the string table when the symbols are kept
    if (dropSymbols) {
        overlayEnd = std::min<uint64_t>(overlayEnd, symbols);
        uint64_t strings = symbols + 18ull * Get32(f + peOffset_ + 4 + 12);
        uint64_t stringsSize = strings + 4 <= size_ ? Get32(f + strings) : 0;
        bool certificateInside = dropCertificates && certOffset >= symbols && certOffset < strings + stringsSize;
        if (stringsSize >= 4 && strings + stringsSize <= size_ && !certificateInside) {
            symbolsEnd = strings + stringsSize;
            dropSymbols = false;
        }
    }
    uint64_t overlayStart = std::min<uint64_t>(std::max<uint64_t>(rawEnd, sizeOfHeaders), overlayEnd);

    // The new section table: kept sections, the resources, moved sections.
    std::vector<Section> table;
    uint64_t keptEnd;         // the file is copied unchanged up to here
    uint64_t resourceRaw, resourceVa;
    uint32_t resourceCharacteristics = kScnInitializedData | kScnRead;
    char resourceName[9] = ".rsrc";
    uint64_t oldResourceRawSize = 0;
    if (inPlace) {
        const Section& old = sections_[resourceIndex];
        table.assign(sections_.begin(), sections_.begin() + resourceIndex);
        keptEnd = old.rawPointer;
        resourceRaw = old.rawPointer;
        resourceVa = old.virtualAddress;
        resourceCharacteristics = old.characteristics;
        memcpy(resourceName, old.name, sizeof(resourceName));
        oldResourceRawSize = old.rawSize;
    } else {
        table = sections_;
        keptEnd = overlayStart;
        resourceRaw = AlignUp(overlayStart, fileAlignment);
        uint64_t vaEnd = AlignUp(sizeOfHeaders, sectionAlignment);
        for (const Section& s : sections_) vaEnd = std::max<uint64_t>(vaEnd, s.VirtualEnd());
        resourceVa = AlignUp(vaEnd, sectionAlignment);
    }
    uint64_t newCount = table.size() + 1 + (inPlace ? count - resourceIndex - 1 : 0);
    uint64_t tableOffset = uint64_t{optionalOffset_} + Get16(f + peOffset_ + 4 + 16);
    uint64_t firstRaw = rawEnd ? rawEnd : size_;
    for (const Section& s : sections_) {
        if (s.rawSize) firstRaw = std::min<uint64_t>(firstRaw, s.rawPointer);
    }
    if (tableOffset + kSectionHeaderSize * newCount > std::min<uint64_t>(sizeOfHeaders, firstRaw) ||
        sizeOfHeaders > size_) {
        *error = "no room in the program file's headers for another section";
        return false;
    }
    if (sizeOfHeaders > firstRaw) {
        *error = "damaged program file: its headers overlap its first section";
        return false;
    }
    if (keptEnd < sizeOfHeaders) keptEnd = sizeOfHeaders;
    if (resourceRaw < keptEnd) {
        *error = "damaged program file: the resource section lies inside the headers";
        return false;
    }

    // The resource section: directories (breadth first), data entries, names, bytes.
    struct Dir {
        size_t first, last;  // resources_ range
        int level;
    };
    const std::vector<Resource>& all = resources_;
    auto sameAt = [&](const Resource& a, const Resource& b, int level) {
        return a.type == b.type && (level < 1 || a.name == b.name);
    };
    // Each directory level: the groups of resources that share the keys above.
    std::vector<std::vector<Dir>> levels(3);
    levels[0].push_back({0, all.size(), 0});
    for (int level = 1; level < 3; ++level) {
        for (const Dir& parent : levels[level - 1]) {
            for (size_t i = parent.first; i < parent.last;) {
                size_t j = i + 1;
                while (j < parent.last && sameAt(all[i], all[j], level - 1)) ++j;
                levels[level].push_back({i, j, level});
                i = j;
            }
        }
    }
    auto childCount = [&](const Dir& d) {
        size_t n = 0;
        for (size_t i = d.first; i < d.last; ++i) {
            if (i == d.first || d.level == 2 || !sameAt(all[i - 1], all[i], d.level)) ++n;
        }
        return n;
    };
    uint64_t offset = 0;
    std::vector<std::vector<uint64_t>> dirOffsets(3);
    for (int level = 0; level < 3; ++level) {
        for (const Dir& d : levels[level]) {
            dirOffsets[level].push_back(offset);
            offset += 16 + 8 * childCount(d);
        }
    }
    const uint64_t dataEntriesAt = offset;
    offset += 16ull * all.size();
    // One name string per distinct name: named types and named names.
    std::vector<std::pair<const ResourceKey*, uint64_t>> names;
    std::map<ResourceKey, uint64_t> nameAt;  // the order of keys tells every two names apart
    auto nameOffset = [&](const ResourceKey& key) -> uint64_t {
        auto found = nameAt.find(key);
        if (found != nameAt.end()) return found->second;
        names.push_back({&key, offset});
        nameAt.emplace(key, offset);
        offset += 2 + 2 * key.NameLength();
        return names.back().second;
    };
    for (const Resource& r : all) {
        if (!r.type.IsId()) nameOffset(r.type);
        if (!r.name.IsId()) nameOffset(r.name);
    }
    offset = AlignUp(offset, kResourceDataAlignment);
    const uint64_t treeSize = offset;
    std::vector<uint64_t> dataAt;
    for (const Resource& r : all) {
        dataAt.push_back(offset);
        offset = AlignUp(offset + r.size, kResourceDataAlignment);
    }
    const uint64_t contentSize = all.empty() ? 16 : offset;
    if (resourceVa + contentSize > 0xFFFFFFFFull - 2ull * sectionAlignment - 0x100000ull) {
        *error = "the resources (" + std::to_string(contentSize) + " bytes) are too large for a program file";
        return false;
    }
    for (const auto& n : names) {
        if (n.first->NameLength() > 0xFFFF) {
            *error = "a resource name is longer than 65535 characters";
            return false;
        }
    }

    std::vector<uint8_t>& tree = layout->tree;
    tree.assign(treeSize < 16 ? 16 : treeSize, 0);
    for (int level = 0; level < 3; ++level) {
        size_t c = 0;  // the child directories of a level come in the order of their parents' entries
        for (size_t k = 0; k < levels[level].size(); ++k) {
            const Dir& d = levels[level][k];
            uint8_t* at = tree.data() + dirOffsets[level][k];
            uint16_t named = 0, ids = 0;
            size_t child = 0;
            for (size_t i = d.first; i < d.last; ++i) {
                if (i != d.first && d.level < 2 && sameAt(all[i - 1], all[i], d.level)) continue;
                const ResourceKey& key = level == 0 ? all[i].type : all[i].name;
                uint8_t* e = at + 16 + 8 * child;
                if (level == 2) {
                    Put32(e, all[i].language);
                    Put32(e + 4, static_cast<uint32_t>(dataEntriesAt + 16 * i));
                    ++ids;
                } else {
                    if (key.IsId()) {
                        Put32(e, key.Id());
                        ++ids;
                    } else {
                        Put32(e, 0x80000000u | static_cast<uint32_t>(nameOffset(key)));
                        ++named;
                    }
                    // The child directory is the one of the next level that starts here.
                    const std::vector<Dir>& next = levels[level + 1];
                    while (next[c].first != i) ++c;
                    Put32(e + 4, 0x80000000u | static_cast<uint32_t>(dirOffsets[level + 1][c]));
                }
                ++child;
            }
            Put16(at + 12, named);
            Put16(at + 14, ids);
        }
    }
    for (size_t i = 0; i < all.size(); ++i) {
        uint8_t* e = tree.data() + dataEntriesAt + 16 * i;
        Put32(e, static_cast<uint32_t>(resourceVa + dataAt[i]));
        Put32(e + 4, static_cast<uint32_t>(all[i].size));
        Put32(e + 8, all[i].codePage);
    }
    for (const auto& n : names) {
        uint8_t* at = tree.data() + n.second;
        Put16(at, static_cast<uint16_t>(n.first->NameLength()));
        for (size_t i = 0; i < n.first->NameLength(); ++i) Put16(at + 2 + 2 * i, n.first->NameUnit(i));
    }

    // The section table and the moved sections.
    Section resource{};
    memcpy(resource.name, resourceName, sizeof(resource.name));
    resource.virtualSize = static_cast<uint32_t>(contentSize);
    resource.virtualAddress = static_cast<uint32_t>(resourceVa);
    resource.rawSize = static_cast<uint32_t>(AlignUp(contentSize, fileAlignment));
    resource.rawPointer = static_cast<uint32_t>(resourceRaw);
    resource.characteristics = resourceCharacteristics;
    table.push_back(resource);
    uint64_t nextRaw = resourceRaw + resource.rawSize;
    uint64_t nextVa = AlignUp(resourceVa + contentSize, sectionAlignment);
    int64_t relocShift = 0;
    std::vector<const Section*> moved;
    if (inPlace) {
        for (size_t i = resourceIndex + 1; i < count; ++i) {
            Section s = sections_[i];
            if (relocRva >= s.virtualAddress && relocRva < s.VirtualEnd()) {
                relocShift = static_cast<int64_t>(nextVa) - s.virtualAddress;
            }
            s.rawPointer = static_cast<uint32_t>(nextRaw);
            s.virtualAddress = static_cast<uint32_t>(nextVa);
            nextRaw += s.rawSize;
            nextVa = AlignUp(nextVa + std::max(s.virtualSize, s.rawSize), sectionAlignment);
            table.push_back(s);
            moved.push_back(&sections_[i]);
        }
    }
    uint64_t sizeOfImage = AlignUp(std::max<uint64_t>(nextVa, resourceVa + contentSize), sectionAlignment);
    if (sizeOfImage > 0xFFFFFFFFull || nextRaw > 0xFFFFFFFFull) {
        *error = "the new program file would be larger than 4 GB";
        return false;
    }

    // Patched headers.
    std::vector<uint8_t>& h = layout->headers;
    h.assign(f, f + sizeOfHeaders);
    uint8_t* opt = h.data() + optionalOffset_;
    Put16(h.data() + peOffset_ + 4 + 2, static_cast<uint16_t>(table.size()));
    if (dropSymbols) {
        Put32(h.data() + peOffset_ + 4 + 8, 0);
        Put32(h.data() + peOffset_ + 4 + 12, 0);
    }
    uint64_t symbolsAt = nextRaw + (overlayEnd > overlayStart ? overlayEnd - overlayStart : 0);
    if (symbolsEnd) {
        if (symbolsAt + (symbolsEnd - symbols) > 0xFFFFFFFFull) {
            *error = "the new program file would be larger than 4 GB";
            return false;
        }
        Put32(h.data() + peOffset_ + 4 + 8, static_cast<uint32_t>(symbolsAt));
    }
    int64_t initialized = static_cast<int64_t>(Get32(opt + 8)) - static_cast<int64_t>(oldResourceRawSize) +
                          resource.rawSize;
    Put32(opt + 8, static_cast<uint32_t>(std::max<int64_t>(0, std::min<int64_t>(initialized, 0xFFFFFFFFll))));
    Put32(opt + 56, static_cast<uint32_t>(sizeOfImage));
    layout->imageSize = sizeOfImage;
    Put32(opt + 64, 0);
    uint8_t* dirs = h.data() + directoriesOffset_;
    Put32(dirs + 8 * kDirResources, resource.virtualAddress);
    Put32(dirs + 8 * kDirResources + 4, static_cast<uint32_t>(contentSize));
    if (relocShift != 0) Put32(dirs + 8 * kDirRelocations, static_cast<uint32_t>(relocRva + relocShift));
    if (dropCertificates && directoryCount_ > kDirCertificates) {
        Put32(dirs + 8 * kDirCertificates, 0);
        Put32(dirs + 8 * kDirCertificates + 4, 0);
    }
    memset(h.data() + tableOffset, 0, kSectionHeaderSize * table.size());
    for (size_t i = 0; i < table.size(); ++i) {
        uint8_t* s = h.data() + tableOffset + kSectionHeaderSize * i;
        const Section& t = table[i];
        if (i < count && (inPlace ? i < static_cast<size_t>(resourceIndex) : true)) {
            memcpy(s, f + t.headerOffset, kSectionHeaderSize);  // unchanged section
            continue;
        }
        const Section* original = nullptr;
        if (inPlace && i > static_cast<size_t>(resourceIndex)) original = moved[i - resourceIndex - 1];
        if (original) memcpy(s, f + original->headerOffset, kSectionHeaderSize);
        memcpy(s, t.name, strnlen(t.name, 8));
        Put32(s + 8, t.virtualSize);
        Put32(s + 12, t.virtualAddress);
        Put32(s + 16, t.rawSize);
        Put32(s + 20, t.rawPointer);
        Put32(s + 36, t.characteristics);
    }

    // The output, piece by piece.
    std::vector<Piece>& pieces = layout->pieces;
    pieces.push_back({h.data(), h.size(), nullptr});
    pieces.push_back({f + sizeOfHeaders, keptEnd - sizeOfHeaders, nullptr});
    AddZeros(&pieces, resourceRaw - keptEnd);
    pieces.push_back({tree.data(), tree.size(), nullptr});
    uint64_t written = tree.size();
    for (size_t i = 0; i < all.size(); ++i) {
        AddZeros(&pieces, dataAt[i] - written);
        pieces.push_back({all[i].data, all[i].size, all[i].stream});
        if (all[i].stream) layout->streamed = true;
        written = dataAt[i] + all[i].size;
    }
    AddZeros(&pieces, resource.rawSize - written);
    for (const Section* s : moved) pieces.push_back({f + s->rawPointer, s->rawSize, nullptr});
    if (overlayEnd > overlayStart) pieces.push_back({f + overlayStart, overlayEnd - overlayStart, nullptr});
    if (symbolsEnd) pieces.push_back({f + symbols, symbolsEnd - symbols, nullptr});

    // The checksum over everything but its own field; with streams, Write
    // works it out.
    PeChecksum sum(optionalOffset_ + 64);
    uint64_t total = 0;
    for (const Piece& p : pieces) {
        if (!layout->streamed) sum.Add(p.bytes, static_cast<size_t>(p.size));
        total += p.size;
    }
    if (!layout->streamed) Put32(opt + 64, sum.Finish());
    layout->total = total;
    return true;
}

bool ResourceFile::PlannedSizes(uint64_t* fileSize, uint64_t* imageSize, std::string* error) const {
    Layout layout;
    if (!PlanLayout(&layout, error)) return false;
    *fileSize = layout.total;
    *imageSize = layout.imageSize;
    return true;
}

bool ResourceFile::Write(const ByteSink& sink, std::string* error, const Patch& patch) const {
    Layout layout;
    if (!PlanLayout(&layout, error)) return false;
    const uint64_t checksumAt = optionalOffset_ + 64;
    PeChecksum sum(checksumAt);
    auto summed = [&](const uint8_t* bytes, size_t size) {
        sum.Add(bytes, size);
        return true;
    };
    if (layout.streamed && !patch) {
        // A first pass over every byte for the checksum, then the writing.
        for (const Piece& p : layout.pieces) {
            if (!Emit(p, summed, error)) return false;
        }
        Put32(layout.headers.data() + checksumAt, sum.Finish());
        layout.streamed = false;
    }
    auto out = [&](const uint8_t* bytes, size_t size) {
        if (layout.streamed) sum.Add(bytes, size);
        return sink(bytes, size);
    };
    for (const Piece& p : layout.pieces) {
        if (!Emit(p, out, error)) return false;
    }
    if (!layout.streamed) return true;
    uint8_t checksum[4];
    Put32(checksum, sum.Finish());
    if (!patch(checksumAt, checksum, sizeof(checksum))) {
        *error = "the new program file's checksum could not be written";
        return false;
    }
    return true;
}

void ResourceFile::CertificateTable(uint32_t* offset, uint32_t* size) const {
    *offset = *size = 0;
    if (size_ == 0 || directoryCount_ <= kDirCertificates) return;
    *offset = Get32(data_ + directoriesOffset_ + 8 * kDirCertificates);
    *size = Get32(data_ + directoriesOffset_ + 8 * kDirCertificates + 4);
}

uint32_t ResourceFile::StoredChecksum() const { return size_ == 0 ? 0 : Get32(data_ + optionalOffset_ + 64); }

uint32_t ResourceFile::ComputedChecksum() const {
    if (size_ == 0) return 0;
    PeChecksum sum(optionalOffset_ + 64);
    const uint64_t kPiece = 1 << 20;
    for (uint64_t at = 0; at < size_; at += kPiece) {
        uint64_t n = std::min(kPiece, size_ - at);
        sum.Add(data_ + at, static_cast<size_t>(n));
        if (release_) release_(at, n);
    }
    return sum.Finish();
}

bool ResourceFile::WriteToBytes(std::vector<uint8_t>* out, std::string* error) const {
    out->clear();
    return Write(
        [out](const uint8_t* bytes, size_t size) {
            out->insert(out->end(), bytes, bytes + size);
            return true;
        },
        error);
}

}  // namespace pe
