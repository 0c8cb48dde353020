// Entropy decoding for the zstd decoder: the backward bit stream, FSE tables
// (read from their compact description and spread over the states) and the
// Huffman tables and streams of the literals.
#pragma once

#include <stddef.h>
#include <stdint.h>
#include <string.h>

namespace zstd {

// The targets (x86, x86-64) are little-endian: a plain load is the little-endian value.
inline uint64_t Load64(const uint8_t* p) {
    uint64_t v;
    memcpy(&v, p, 8);
    return v;
}

inline unsigned HighBit(uint32_t v) { return 31u - static_cast<unsigned>(__builtin_clz(v)); }  // v != 0

// A bit stream written forwards and read backwards: the last byte holds a
// marker bit above the first bits to read. The 8 bytes at data + pos are
// loaded into bits, and the bits already taken (consumed, counted from the
// top) are shifted out, so that the next bit to read is always bit 63: a read
// takes the top of the high half, which a 32-bit processor holds in one
// register. A stream shorter than 8 bytes sits at the top of bits, with zeros
// below (pos < 0). Reads past the start give zeros and make Left() negative;
// the callers check Left() before trusting what they decoded.
struct BackwardBits {
    const uint8_t* data;
    ptrdiff_t pos;
    uint64_t bits;
    unsigned consumed;

    // False for an empty stream or a last byte without the marker bit.
    bool Init(const uint8_t* src, size_t size) {
        if (size == 0 || src[size - 1] == 0) return false;
        data = src;
        if (size >= 8) {
            pos = static_cast<ptrdiff_t>(size - 8);
            bits = Load64(src + pos);
        } else {
            uint8_t padded[8] = {0, 0, 0, 0, 0, 0, 0, 0};
            memcpy(padded + 8 - size, src, size);
            pos = static_cast<ptrdiff_t>(size) - 8;
            bits = Load64(padded);
        }
        consumed = static_cast<unsigned>(__builtin_clz(src[size - 1])) - 24 + 1;
        bits <<= consumed;
        return true;
    }
    // The next n bits (0 <= n <= 31) as a number, without taking them. A
    // 64-bit processor shifts the whole container; a 32-bit one only its high half.
    uint32_t Peek(unsigned n) const {
        if (sizeof(void*) == 8) return static_cast<uint32_t>((bits >> 1) >> (63 - n));
        return (static_cast<uint32_t>(bits >> 32) >> 1) >> (31 - n);
    }
    // The next 64 - shift bits (33 <= shift <= 63), without taking them: one
    // shift, for a width known to be above 0 (the Huffman codes' longest).
    uint32_t PeekTop(unsigned shift) const {
        if (sizeof(void*) == 8) return static_cast<uint32_t>(bits >> shift);
        return static_cast<uint32_t>(bits >> 32) >> (shift - 32);
    }
    // Takes n bits (0 <= n <= 31).
    void Skip(unsigned n) {
        bits <<= n;
        consumed += n;
    }
    uint32_t Read(unsigned n) {
        uint32_t v = Peek(n);
        Skip(n);
        return v;
    }
    // Moves the held bytes back so that at most 7 bits of them are consumed,
    // as far as the start allows.
    __attribute__((always_inline)) inline void Reload() {
        if (pos >= 8) {
            // At most 71 bits are consumed between reloads, so the step
            // (at most 8 bytes) stays inside the stream.
            pos -= static_cast<ptrdiff_t>(consumed >> 3);
            consumed &= 7;
        } else if (pos > 0) {
            ptrdiff_t step = static_cast<ptrdiff_t>(consumed >> 3);
            if (step > pos) step = pos;
            pos -= step;
            consumed -= static_cast<unsigned>(step) << 3;
        } else {
            return;
        }
        // consumed is below 64 here: past the start nothing is reloaded.
        bits = Load64(data + pos) << consumed;
    }
    // Bits not read yet; negative once reading went past the start.
    ptrdiff_t Left() const { return pos * 8 + 64 - static_cast<ptrdiff_t>(consumed); }
};

// One state of an FSE table. For the tables of the sequences, symbol is
// replaced by the code's base value and extra bits; for the Huffman weights
// it stays the weight.
struct FseCell {
    uint32_t base;      // symbol, or base value of the code
    uint8_t extraBits;  // bits added to base (sequence codes)
    uint8_t stateBits;  // bits read to go to the next state
    uint16_t next;      // next state = next + those bits
};

const unsigned kMaxFseLog = 9;

// Reads the description of an FSE table (accuracy log, then one probability
// per symbol; -1 for "less than one") into counts[0..maxSymbol]. Returns the
// bytes used, 0 when damaged, longer than size, or its log is above maxLog.
size_t ReadFseCounts(const uint8_t* src, size_t size, int16_t* counts, unsigned maxSymbol, unsigned maxLog,
                     unsigned* log);

// Spreads the symbols over the 1 << log states. False if the counts do not fill them.
bool BuildFseTable(FseCell* table, const int16_t* counts, unsigned symbolCount, unsigned log);

// The Huffman table of the literals: indexed by the next maxBits bits.
struct HuffmanCell {
    uint8_t symbol;
    uint8_t bits;
};
const unsigned kMaxHuffmanBits = 11;
struct HuffmanTable {
    HuffmanCell cells[1u << kMaxHuffmanBits];
    unsigned maxBits;
};

// Reads a Huffman tree description (weights, direct or FSE-coded) and builds
// the table. Returns the bytes used, 0 when damaged.
size_t ReadHuffmanTable(const uint8_t* src, size_t size, HuffmanTable* table);

// Decodes count literals from one stream, or from four streams after their
// 6-byte jump table (6 literals at least). Every stream must end exactly with
// its last symbol.
bool DecodeHuffman(const HuffmanTable& table, const uint8_t* src, size_t size, uint8_t* out, size_t count,
                   bool fourStreams);

}  // namespace zstd
