// UTF-8 <-> code page 1252, over byte strings.
#include "cp1252.h"

namespace {

// Code points of the bytes 0x80 to 0x9F; 0 where code page 1252 has no character.
const uint16_t kHighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

// Decodes one UTF-8 sequence at bytes[*at]; returns false on a malformed one.
bool DecodeOne(const std::string& bytes, size_t* at, uint32_t* codePoint) {
    const unsigned char lead = static_cast<unsigned char>(bytes[*at]);
    size_t extra;
    uint32_t value;
    uint32_t minimum;
    if (lead < 0x80) {
        *codePoint = lead;
        ++*at;
        return true;
    } else if ((lead & 0xE0) == 0xC0) {
        extra = 1, value = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2, value = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3, value = lead & 0x07, minimum = 0x10000;
    } else {
        return false;
    }
    if (bytes.size() - *at <= extra) return false;
    for (size_t i = 1; i <= extra; ++i) {
        const unsigned char next = static_cast<unsigned char>(bytes[*at + i]);
        if ((next & 0xC0) != 0x80) return false;
        value = (value << 6) | (next & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return false;
    *codePoint = value;
    *at += extra + 1;
    return true;
}

void AppendUtf8(std::string* out, uint32_t codePoint) {
    if (codePoint < 0x80) {
        out->push_back(static_cast<char>(codePoint));
    } else if (codePoint < 0x800) {
        out->push_back(static_cast<char>(0xC0 | (codePoint >> 6)));
        out->push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    } else {
        out->push_back(static_cast<char>(0xE0 | (codePoint >> 12)));
        out->push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
        out->push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    }
}

}  // namespace

bool IsValidUtf8(const std::string& bytes) {
    size_t at = 0;
    uint32_t codePoint;
    while (at < bytes.size()) {
        if (!DecodeOne(bytes, &at, &codePoint)) return false;
    }
    return true;
}

bool HasNonAscii(const std::string& bytes) {
    for (char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80) return true;
    }
    return false;
}

int Cp1252FromCodePoint(uint32_t codePoint) {
    if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF)) return static_cast<int>(codePoint);
    for (int i = 0; i < 32; ++i) {
        if (kHighControls[i] != 0 && kHighControls[i] == codePoint) return 0x80 + i;
    }
    return -1;
}

std::string Utf8ToCp1252(const std::string& utf8, int* badLine, uint32_t* badCodePoint) {
    std::string out;
    out.reserve(utf8.size());
    *badLine = 0;
    *badCodePoint = 0;
    int line = 1;
    size_t at = 0;
    while (at < utf8.size()) {
        uint32_t codePoint;
        if (!DecodeOne(utf8, &at, &codePoint)) {
            // Callers check IsValidUtf8 first; a stray byte is kept as it is.
            codePoint = static_cast<unsigned char>(utf8[at++]);
        }
        if (codePoint == '\n') ++line;
        int byte = Cp1252FromCodePoint(codePoint);
        if (byte < 0) {
            if (*badLine == 0) {
                *badLine = line;
                *badCodePoint = codePoint;
            }
            byte = '?';
        }
        out.push_back(static_cast<char>(byte));
    }
    return out;
}

namespace {

// The character a byte of code page 1252 stands for (U+FFFD for the five
// bytes the code page leaves undefined). Every one lies in the first plane.
char16_t Cp1252Character(char c) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (byte < 0x80 || byte >= 0xA0) return byte;
    return kHighControls[byte - 0x80] ? static_cast<char16_t>(kHighControls[byte - 0x80]) : u'\uFFFD';
}

}  // namespace

std::string Cp1252ToUtf8(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) AppendUtf8(&out, Cp1252Character(c));
    return out;
}

std::u16string Cp1252ToUtf16(const std::string& text) {
    std::u16string out;
    out.reserve(text.size());
    for (char c : text) out.push_back(Cp1252Character(c));
    return out;
}
