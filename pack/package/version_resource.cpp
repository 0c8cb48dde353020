// The version resource written and read (see version_resource.h).
#include "version_resource.h"

#include <stdio.h>

#include "cp1252.h"

namespace {

const uint32_t kFixedSignature = 0xFEEF04BD;
const uint32_t kOsWindowsNt32 = 0x00040004;  // VOS_NT_WINDOWS32
const uint32_t kTypeApplication = 1;         // VFT_APP
const uint16_t kCodePage = 1252;

struct Block {
    std::u16string key;
    bool text = true;
    std::string value;          // the value's bytes
    uint16_t valueLength = 0;   // as the head states it
    std::vector<Block> children;
};

void Put(std::string* out, uint32_t value, int size) {
    for (int i = 0; i < size; ++i) out->push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

void PutUtf16(std::string* out, const std::u16string& text) {
    for (char16_t unit : text) Put(out, unit, 2);
    Put(out, 0, 2);
}

void Align(std::string* out) {
    while (out->size() % 4) out->push_back('\0');
}

void Write(const Block& block, std::string* out) {
    size_t start = out->size();
    Put(out, 0, 2);  // length, set below
    Put(out, block.valueLength, 2);
    Put(out, block.text ? 1 : 0, 2);
    PutUtf16(out, block.key);
    Align(out);
    *out += block.value;
    for (const Block& child : block.children) {
        Align(out);
        Write(child, out);
    }
    size_t length = out->size() - start;
    (*out)[start] = static_cast<char>(length & 0xFF);
    (*out)[start + 1] = static_cast<char>(length >> 8);
}

Block TextBlock(const std::string& name, const std::string& text) {
    Block block;
    block.key = Cp1252ToUtf16(name);
    std::u16string value = Cp1252ToUtf16(text);
    PutUtf16(&block.value, value);
    block.valueLength = static_cast<uint16_t>(value.size() + 1);
    return block;
}

uint32_t Le(const std::string& bytes, size_t at, int size) {
    uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

std::string ToCp1252(const std::u16string& text) {
    std::string out;
    for (char16_t unit : text) {
        int byte = Cp1252FromCodePoint(unit);
        out.push_back(static_cast<char>(byte < 0 ? '?' : byte));
    }
    return out;
}

// Reads the block at bytes[at, end): its key, value bytes and children.
// False when any length points outside its parent.
bool Read(const std::string& bytes, size_t at, size_t end, int depth, Block* block) {
    if (depth > 4 || at + 6 > end) return false;
    size_t length = Le(bytes, at, 2);
    if (length < 6 || at + length > end) return false;
    end = at + length;
    block->valueLength = static_cast<uint16_t>(Le(bytes, at + 2, 2));
    block->text = Le(bytes, at + 4, 2) == 1;
    size_t p = at + 6;
    for (;; p += 2) {
        if (p + 2 > end) return false;
        char16_t unit = static_cast<char16_t>(Le(bytes, p, 2));
        if (unit == 0) break;
        block->key.push_back(unit);
    }
    p = (p + 2 + 3) / 4 * 4;
    size_t valueBytes = block->text ? block->valueLength * size_t{2} : block->valueLength;
    if (p + valueBytes > end) return false;
    block->value = bytes.substr(p, valueBytes);
    p = (p + valueBytes + 3) / 4 * 4;
    while (p < end) {
        Block child;
        if (!Read(bytes, p, end, depth + 1, &child)) return false;
        p = (p + Le(bytes, p, 2) + 3) / 4 * 4;
        block->children.push_back(child);
    }
    return true;
}

std::u16string Key(const char* ascii) { return Cp1252ToUtf16(ascii); }

}  // namespace

std::string BuildVersionResource(const VersionInfo& info) {
    Block root;
    root.key = Key("VS_VERSION_INFO");
    root.text = false;
    uint32_t high = static_cast<uint32_t>(info.numbers[0]) << 16 | info.numbers[1];
    uint32_t low = static_cast<uint32_t>(info.numbers[2]) << 16 | info.numbers[3];
    const uint32_t fixed[13] = {kFixedSignature, 0x00010000, high, low, high, low, 0x3F, 0,
                                kOsWindowsNt32,  kTypeApplication, 0, 0, 0};
    for (uint32_t value : fixed) Put(&root.value, value, 4);
    root.valueLength = static_cast<uint16_t>(root.value.size());

    Block table;
    char name[16];
    snprintf(name, sizeof(name), "%04X%04X", kVersionLanguage, kCodePage);
    table.key = Key(name);
    for (const auto& entry : info.strings) {
        if (!entry.second.empty()) table.children.push_back(TextBlock(entry.first, entry.second));
    }
    Block strings;
    strings.key = Key("StringFileInfo");
    strings.children.push_back(table);

    Block translation;
    translation.key = Key("Translation");
    translation.text = false;
    Put(&translation.value, kVersionLanguage, 2);
    Put(&translation.value, kCodePage, 2);
    translation.valueLength = 4;
    Block variables;
    variables.key = Key("VarFileInfo");
    variables.children.push_back(translation);

    root.children.push_back(strings);
    root.children.push_back(variables);
    std::string out;
    Write(root, &out);
    return out;
}

bool ReadVersionResource(const std::string& bytes, VersionInfo* info, std::string* table, std::string* error) {
    *info = VersionInfo();
    table->clear();
    Block root;
    if (!Read(bytes, 0, bytes.size(), 0, &root) || root.key != Key("VS_VERSION_INFO")) {
        *error = "the version information is damaged";
        return false;
    }
    if (root.value.size() < 52 || Le(root.value, 0, 4) != kFixedSignature) {
        *error = "the version information has no fixed part with its signature";
        return false;
    }
    uint32_t high = Le(root.value, 8, 4);
    uint32_t low = Le(root.value, 12, 4);
    const uint32_t parts[4] = {high >> 16, high & 0xFFFF, low >> 16, low & 0xFFFF};
    for (int i = 0; i < 4; ++i) info->numbers[i] = static_cast<uint16_t>(parts[i]);
    for (const Block& child : root.children) {
        if (child.key != Key("StringFileInfo") || child.children.empty()) continue;
        const Block& first = child.children[0];
        *table = ToCp1252(first.key);
        for (const Block& entry : first.children) {
            std::u16string value;
            for (size_t i = 0; i + 1 < entry.value.size(); i += 2) {
                char16_t unit = static_cast<char16_t>(Le(entry.value, i, 2));
                if (unit == 0) break;
                value.push_back(unit);
            }
            info->strings.push_back({ToCp1252(entry.key), ToCp1252(value)});
        }
        break;
    }
    return true;
}
