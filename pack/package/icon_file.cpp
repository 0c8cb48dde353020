// Icon files read and checked, and an icon group of a program file replaced
// (see icon_file.h for the layouts).
#include "icon_file.h"

#include <algorithm>
#include <set>

#include "pe_resources.h"

namespace {

const uint16_t kTypeIcon = 3;
const uint16_t kTypeGroupIcon = 14;
const char kPngSignature[] = "\x89PNG\r\n\x1A\n";
const size_t kHeaderSize = 6;
const size_t kFileEntrySize = 16;
const size_t kGroupEntrySize = 14;
const size_t kInfoHeaderSize = 40;  // BITMAPINFOHEADER

uint32_t Le(const std::string& bytes, size_t at, int size) {
    uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

uint32_t Be32(const std::string& bytes, size_t at) {
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i) value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

void PutLe(std::string* out, uint32_t value, int size) {
    for (int i = 0; i < size; ++i) out->push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

bool IsPng(const std::string& image) { return image.compare(0, 8, std::string(kPngSignature, 8)) == 0; }

// Checks a PNG image against its entry's size; "" when it is fine.
std::string CheckPng(const std::string& image, IconImage* icon) {
    // Signature, then the IHDR chunk: length 13, "IHDR", width, height (big-endian).
    if (image.size() < 8 + 8 + 13 || Be32(image, 8) != 13 || image.compare(12, 4, "IHDR") != 0) {
        return "its PNG image has no IHDR header";
    }
    uint32_t width = Be32(image, 16);
    uint32_t height = Be32(image, 20);
    if (width != static_cast<uint32_t>(icon->width) || height != static_cast<uint32_t>(icon->height)) {
        return "a PNG image is " + std::to_string(width) + "x" + std::to_string(height) + " but its entry says " +
               std::to_string(icon->width) + "x" + std::to_string(icon->height);
    }
    icon->png = true;
    if (icon->bitCount == 0) icon->bitCount = 32;
    return "";
}

// Checks a bitmap image (header, palette, colour and mask rows) against its
// entry; "" when it is fine.
std::string CheckBitmap(const std::string& image, IconImage* icon) {
    if (image.size() < kInfoHeaderSize || Le(image, 0, 4) != kInfoHeaderSize) {
        return "an image is neither PNG nor a bitmap with a 40-byte header";
    }
    int32_t width = static_cast<int32_t>(Le(image, 4, 4));
    int32_t height = static_cast<int32_t>(Le(image, 8, 4));
    uint32_t planes = Le(image, 12, 2);
    uint32_t bits = Le(image, 14, 2);
    uint32_t compression = Le(image, 16, 4);
    uint32_t colorsUsed = Le(image, 32, 4);
    if (width != icon->width || height != 2 * icon->height) {
        return "a bitmap image is " + std::to_string(width) + "x" + std::to_string(height / 2) +
               " but its entry says " + std::to_string(icon->width) + "x" + std::to_string(icon->height);
    }
    if (planes != 1) return "a bitmap image has " + std::to_string(planes) + " planes (1 expected)";
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) {
        return "a bitmap image has " + std::to_string(bits) + " bits per pixel";
    }
    if (compression != 0) return "a bitmap image is compressed, which icons never are";
    uint64_t colors = 0;
    if (bits <= 8) {
        if (colorsUsed > (1u << bits)) return "a bitmap image has a palette larger than its bits allow";
        colors = colorsUsed ? colorsUsed : (1u << bits);
    } else {
        colors = colorsUsed;
    }
    uint64_t colorStride = (static_cast<uint64_t>(width) * bits + 31) / 32 * 4;
    uint64_t maskStride = (static_cast<uint64_t>(width) + 31) / 32 * 4;
    uint64_t needed = kInfoHeaderSize + colors * 4 + (colorStride + maskStride) * icon->height;
    if (needed > image.size()) {
        return "a " + std::to_string(width) + "x" + std::to_string(icon->height) + " bitmap image needs " +
               std::to_string(needed) + " bytes but has " + std::to_string(image.size());
    }
    icon->planes = 1;
    icon->bitCount = static_cast<int>(bits);
    return "";
}

// The RT_ICON ids an icon group lists; false when its bytes are too short.
bool GroupIds(const uint8_t* data, size_t size, std::vector<uint16_t>* ids) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    if (bytes.size() < kHeaderSize) return false;
    size_t count = Le(bytes, 4, 2);
    if (bytes.size() < kHeaderSize + count * kGroupEntrySize) return false;
    for (size_t i = 0; i < count; ++i) ids->push_back(static_cast<uint16_t>(Le(bytes, kHeaderSize + i * kGroupEntrySize + 12, 2)));
    return true;
}

}  // namespace

bool ParseIconFile(const std::string& bytes, std::vector<IconImage>* images, std::string* error) {
    images->clear();
    auto fail = [error](const std::string& why) {
        *error = "it is not an icon file: " + why;
        return false;
    };
    if (bytes.size() < kHeaderSize || Le(bytes, 0, 2) != 0 || Le(bytes, 2, 2) != 1) {
        if (bytes.size() >= kHeaderSize && Le(bytes, 0, 2) == 0 && Le(bytes, 2, 2) == 2) {
            return fail("it is a cursor file");
        }
        return fail("it does not start with an icon header");
    }
    size_t count = Le(bytes, 4, 2);
    if (count == 0) return fail("it holds no image");
    size_t directoryEnd = kHeaderSize + count * kFileEntrySize;
    if (directoryEnd > bytes.size()) {
        return fail("it announces " + std::to_string(count) + " images but is too short for their entries");
    }
    for (size_t i = 0; i < count; ++i) {
        size_t at = kHeaderSize + i * kFileEntrySize;
        IconImage icon;
        icon.width = bytes[at] ? static_cast<unsigned char>(bytes[at]) : 256;
        icon.height = bytes[at + 1] ? static_cast<unsigned char>(bytes[at + 1]) : 256;
        icon.colorCount = static_cast<unsigned char>(bytes[at + 2]);
        icon.planes = static_cast<int>(Le(bytes, at + 4, 2));
        icon.bitCount = static_cast<int>(Le(bytes, at + 6, 2));
        uint64_t size = Le(bytes, at + 8, 4);
        uint64_t offset = Le(bytes, at + 12, 4);
        std::string which = "image " + std::to_string(i + 1) + " of " + std::to_string(count);
        if (size == 0 || offset < directoryEnd || offset + size > bytes.size()) {
            return fail(which + " lies outside the file (" + std::to_string(size) + " bytes at offset " +
                        std::to_string(offset) + ", file of " + std::to_string(bytes.size()) + " bytes)");
        }
        icon.bytes = bytes.substr(static_cast<size_t>(offset), static_cast<size_t>(size));
        std::string problem = IsPng(icon.bytes) ? CheckPng(icon.bytes, &icon) : CheckBitmap(icon.bytes, &icon);
        if (!problem.empty()) return fail(which + ": " + problem);
        images->push_back(icon);
    }
    return true;
}

void ReplaceIconGroup(pe::ResourceFile* file, uint16_t groupId, const std::vector<IconImage>& images) {
    uint16_t language = pe::kLanguageNeutral;
    bool found = false;
    std::vector<std::pair<uint16_t, uint16_t>> oldImages;  // (id, language) the old group used
    std::set<uint16_t> keptIds;                              // images other groups use
    std::vector<uint16_t> oldGroupLanguages;
    for (const pe::Resource& r : file->Resources()) {
        if (r.type != pe::ResourceKey(kTypeGroupIcon)) continue;
        std::vector<uint16_t> ids;
        GroupIds(r.data, r.size, &ids);
        if (r.name == pe::ResourceKey(groupId)) {
            if (!found) language = r.language;
            found = true;
            oldGroupLanguages.push_back(r.language);
            for (uint16_t id : ids) oldImages.push_back({id, r.language});
        } else {
            keptIds.insert(ids.begin(), ids.end());
        }
    }
    for (uint16_t old : oldGroupLanguages) file->Remove(kTypeGroupIcon, groupId, old);
    for (const auto& image : oldImages) {
        if (!keptIds.count(image.first)) file->Remove(kTypeIcon, image.first, image.second);
    }
    std::set<uint16_t> used;
    for (const pe::Resource& r : file->Resources()) {
        if (r.type == pe::ResourceKey(kTypeIcon) && r.name.IsId()) used.insert(r.name.Id());
    }

    std::string group;
    PutLe(&group, 0, 2);
    PutLe(&group, 1, 2);
    PutLe(&group, static_cast<uint32_t>(images.size()), 2);
    uint16_t next = 1;
    for (const IconImage& image : images) {
        while (used.count(next)) ++next;
        used.insert(next);
        file->SetCopy(kTypeIcon, next, language, image.bytes);
        group.push_back(static_cast<char>(image.width >= 256 ? 0 : image.width));
        group.push_back(static_cast<char>(image.height >= 256 ? 0 : image.height));
        group.push_back(static_cast<char>(image.colorCount));
        group.push_back(0);
        PutLe(&group, static_cast<uint32_t>(image.planes ? image.planes : 1), 2);
        PutLe(&group, static_cast<uint32_t>(image.bitCount), 2);
        PutLe(&group, static_cast<uint32_t>(image.bytes.size()), 4);
        PutLe(&group, next, 2);
    }
    file->SetCopy(kTypeGroupIcon, groupId, language, group);
}

std::string DescribeIconGroup(const pe::ResourceFile& file, uint16_t groupId) {
    const pe::Resource* group = file.Find(kTypeGroupIcon, groupId);
    if (!group) return "";
    std::string bytes(reinterpret_cast<const char*>(group->data), group->size);
    std::vector<uint16_t> ids;
    if (!GroupIds(group->data, group->size, &ids)) return "damaged: the group is cut short";
    std::string text;
    for (size_t i = 0; i < ids.size(); ++i) {
        size_t at = kHeaderSize + i * kGroupEntrySize;
        int width = bytes[at] ? static_cast<unsigned char>(bytes[at]) : 256;
        int height = bytes[at + 1] ? static_cast<unsigned char>(bytes[at + 1]) : 256;
        const pe::Resource* image = file.Find(kTypeIcon, ids[i], group->language);
        if (!text.empty()) text += ", ";
        text += std::to_string(width) + "x" + std::to_string(height) + " " + std::to_string(Le(bytes, at + 6, 2)) +
                "-bit";
        if (!image) return "damaged: image " + std::to_string(ids[i]) + " of the group is missing";
        if (IsPng(std::string(reinterpret_cast<const char*>(image->data), std::min<size_t>(image->size, 8)))) {
            text += " PNG";
        }
    }
    return text;
}
