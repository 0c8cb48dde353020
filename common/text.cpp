// Bounded text helpers and little-endian field access for the stored formats.
#include "text.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

int CopyText(char* dst, size_t cap, const char* src) {
    if (!dst || cap == 0) return 0;
    if (!src) src = "";
    size_t n = strlen(src);
    int fits = n < cap;
    if (!fits) n = cap - 1;
    memcpy(dst, src, n);
    dst[n] = 0;
    return fits;
}

int FormatText(char* dst, size_t cap, const char* format, ...) {
    if (!dst || cap == 0) return 0;
    va_list args;
    va_start(args, format);
#ifdef _WIN32
    // msvcrt's formatter itself: the C99 vsnprintf of MinGW wraps it and formats
    // a cut text a second time to count it, which is not needed here.
    int n = _vsnprintf(dst, cap, format, args);
#else
    int n = vsnprintf(dst, cap, format, args);
#endif
    va_end(args);
    // A runtime that reports a cut text with -1, or a text of exactly cap
    // characters with cap, still leaves the first cap bytes, unterminated.
    dst[cap - 1] = 0;
    if (n < 0) return 0;
    return static_cast<size_t>(n) < cap;
}

int AppendText(char* dst, size_t cap, const char* src) {
    if (!dst || cap == 0) return 0;
    size_t used = strnlen(dst, cap);
    if (used >= cap) {
        dst[cap - 1] = 0;
        return 0;
    }
    return CopyText(dst + used, cap - used, src);
}

int ReadStringField(const uint8_t* data, size_t size, size_t offset, size_t fieldSize,
                    char* out, size_t outCap) {
    if (!data || !out || outCap == 0) return 0;
    if (offset > size || fieldSize > size - offset) return 0;
    const uint8_t* field = data + offset;
    size_t n = 0;
    while (n < fieldSize && field[n] != 0) ++n;
    if (n >= outCap) n = outCap - 1;
    memcpy(out, field, n);
    out[n] = 0;
    return 1;
}

int ReadInt32(const uint8_t* data, size_t size, size_t offset, int32_t* out) {
    if (!data || offset > size || size - offset < 4) return 0;
    const uint8_t* p = data + offset;
    *out = static_cast<int32_t>(static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                                static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24);
    return 1;
}

int ReadInt16(const uint8_t* data, size_t size, size_t offset, int16_t* out) {
    if (!data || offset > size || size - offset < 2) return 0;
    const uint8_t* p = data + offset;
    *out = static_cast<int16_t>(static_cast<uint16_t>(p[0] | p[1] << 8));
    return 1;
}

void PutInt32(uint8_t* at, int32_t value) {
    uint32_t v = static_cast<uint32_t>(value);
    at[0] = static_cast<uint8_t>(v);
    at[1] = static_cast<uint8_t>(v >> 8);
    at[2] = static_cast<uint8_t>(v >> 16);
    at[3] = static_cast<uint8_t>(v >> 24);
}

void PutInt16(uint8_t* at, int16_t value) {
    uint16_t v = static_cast<uint16_t>(value);
    at[0] = static_cast<uint8_t>(v);
    at[1] = static_cast<uint8_t>(v >> 8);
}

void PutStringField(uint8_t* at, size_t fieldSize, const char* text) {
    memset(at, 0, fieldSize);
    if (!text || fieldSize == 0) return;
    size_t n = strnlen(text, fieldSize - 1);
    memcpy(at, text, n);
}
