// The zstd frame decoder: frames and skippable frames, blocks, literals,
// sequences and the history they copy from.
//
// History: one buffer of window + block + slack bytes. Each block is decoded
// contiguously at pos; when the next block might not fit before the end, the
// decoder starts again at 0 and the bytes of the previous pass [0, oldEnd)
// stay the older history. A wrap happens only past window + slack bytes, so
// the history the window can reach lies at least slack bytes ahead of the
// write position: copies may write up to 16 bytes past their end.
#include "zstd_decoder.h"

#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "xxhash64.h"
#include "zstd_entropy.h"

using zstd::BackwardBits;
using zstd::FseCell;

namespace {

const uint32_t kFrameMagic = 0xFD2FB528u;
const uint32_t kSkippableMagic = 0x184D2A50u;  // low 4 bits free
const size_t kMaxBlock = 128 * 1024;
const size_t kSlack = 32;

enum Phase { kFrameStart, kBlocks, kEnd, kFailed };

// Sequence codes: literal lengths, match lengths, offsets.
enum { kLiteralLengths, kOffsets, kMatchLengths };
constexpr unsigned kMaxSymbol[3] = {35, 31, 52};
const unsigned kMaxLog[3] = {9, 8, 9};

// Probabilities used by the "predefined" mode, and their logs.
const int8_t kLiteralLengthCounts[36] = {4, 3, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 1, 1, 1, 2, 2,
                                         2, 2, 2, 2, 2, 2, 2, 3, 2, 1, 1, 1, 1, 1, -1, -1, -1, -1};
const int8_t kOffsetCounts[29] = {1, 1, 1, 1, 1, 1, 2, 2, 2, 1, 1, 1, 1, 1, 1,
                                  1, 1, 1, 1, 1, 1, 1, 1, 1, -1, -1, -1, -1, -1};
const int8_t kMatchLengthCounts[53] = {1, 4, 3, 2, 2, 2, 2, 2, 2, 1, 1, 1, 1, 1, 1, 1, 1, 1,
                                       1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,
                                       1, 1, 1, 1, 1, 1, 1, 1, 1, 1, -1, -1, -1, -1, -1, -1, -1};
const int8_t* const kPredefinedCounts[3] = {kLiteralLengthCounts, kOffsetCounts, kMatchLengthCounts};
const unsigned kPredefinedSymbols[3] = {36, 29, 53};
const unsigned kPredefinedLog[3] = {6, 5, 6};

// Extra bits of the literal length codes from 16 and of the match length
// codes from 32; below those a code is its own length (plus 3 for matches),
// and each base is the previous base plus 2^(previous extra bits).
constexpr uint8_t kLiteralLengthExtra[20] = {1, 1, 1, 1, 2, 2, 3, 3, 4, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
constexpr uint8_t kMatchLengthExtra[21] = {1, 1, 1, 1, 2, 2, 3, 3, 4, 4, 5, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};

// The base value and extra bits of every code of one kind, made from the
// lists above when the program is compiled.
struct CodeValues {
    uint32_t base[53];
    uint8_t extra[53];
    constexpr CodeValues(int kind) : base(), extra() {
        for (unsigned code = 0; code <= kMaxSymbol[kind]; ++code) {
            if (kind == kOffsets) {
                base[code] = 1u << code;
                extra[code] = static_cast<uint8_t>(code);
                continue;
            }
            const uint8_t* bits = kind == kLiteralLengths ? kLiteralLengthExtra : kMatchLengthExtra;
            const unsigned first = kind == kLiteralLengths ? 16 : 32;
            const unsigned shift = kind == kMatchLengths ? 3 : 0;
            base[code] = code <= first ? code + shift : base[code - 1] + (1u << bits[code - 1 - first]);
            extra[code] = code >= first ? bits[code - first] : 0;
        }
    }
};
constexpr CodeValues kCodeValues[3] = {CodeValues(kLiteralLengths), CodeValues(kOffsets), CodeValues(kMatchLengths)};

// kLowMask[n]: the low n bits of a number set (n up to 31, the widest extra
// value); a load instead of computing the mask for every value split off.
struct LowMasks {
    uint32_t of[32];
    constexpr LowMasks() : of() {
        for (unsigned n = 0; n < 32; ++n) of[n] = (1u << n) - 1;
    }
    constexpr uint32_t operator[](unsigned n) const { return of[n]; }
};
constexpr LowMasks kLowMask;

inline uint32_t Le32(const uint8_t* p) {
    uint32_t v;
    memcpy(&v, p, 4);
    return v;
}

inline uint64_t LeBytes(const uint8_t* p, unsigned n) {
    uint64_t v = 0;
    while (n) v = v << 8 | p[--n];
    return v;
}

inline void Copy16(uint8_t* dst, const uint8_t* src) { memcpy(dst, src, 16); }
inline void Copy8(uint8_t* dst, const uint8_t* src) { memcpy(dst, src, 8); }

// Copies len bytes from dst - offset (offset >= 1) to dst, which may overlap
// them; writes up to 15 bytes past dst + len.
inline void CopyMatch(uint8_t* dst, size_t offset, size_t len) {
    uint8_t* end = dst + len;
    if (offset >= 16) {
        do {
            Copy16(dst, dst - offset);
            dst += 16;
        } while (dst < end);
        return;
    }
    if (offset < 8) {
        // Repeat the pattern byte by byte until it can be copied from 8 or more bytes back.
        size_t far = offset;
        while (far < 8) far += offset;
        size_t head = len < far ? len : far;
        const uint8_t* from = dst - offset;
        for (size_t i = 0; i < head; ++i) dst[i] = from[i];
        dst += head;
        offset = far;
    }
    while (dst < end) {
        Copy8(dst, dst - offset);
        dst += 8;
    }
}

struct Sequence {
    uint32_t literalLength;
    uint32_t matchLength;
    uint32_t offset;  // 0 when damaged (a repeat offset minus one that was 1)
};

// The sequences' bit stream and its three FSE states, and the recent offsets.
struct SequenceReader {
    BackwardBits in;
    const FseCell* literalLengths;
    const FseCell* offsets;
    const FseCell* matchLengths;
    unsigned llState, ofState, mlState;
    uint32_t rep[3];

    void Start(const FseCell* ll, unsigned llLog, const FseCell* of, unsigned ofLog, const FseCell* ml,
               unsigned mlLog, const uint32_t* recent) {
        literalLengths = ll;
        offsets = of;
        matchLengths = ml;
        llState = in.Read(llLog);
        ofState = in.Read(ofLog);
        mlState = in.Read(mlLog);
        in.Reload();
        memcpy(rep, recent, sizeof rep);
    }
    void Finish(uint32_t* recent) const { memcpy(recent, rep, sizeof rep); }

    // A reload leaves at most 7 bits consumed; between reloads at most 64
    // more are read. The extra bits of one sequence (offset 31, lengths
    // 16 + 16) and the state updates (9 + 9 + 8) need one reload in the
    // common case, when the extra bits come to 31 or fewer, and three
    // otherwise. In the common case the three extra values are read as one
    // number and split, and so are the three state updates: one read instead
    // of three.
    __attribute__((always_inline)) inline void Next(Sequence* seq, bool last) {
        const FseCell ll = literalLengths[llState];
        const FseCell ml = matchLengths[mlState];
        const FseCell of = offsets[ofState];
        const unsigned extra = static_cast<unsigned>(ll.extraBits) + ml.extraBits + of.extraBits;
        // Extra bits: offset, then match length, then literal length.
        uint32_t offsetValue, literalLength;
        if (extra <= 31) {
            uint32_t v = in.Read(extra);
            literalLength = ll.base + (v & kLowMask[ll.extraBits]);
            v >>= ll.extraBits;
            seq->matchLength = ml.base + (v & kLowMask[ml.extraBits]);
            offsetValue = of.base + (v >> ml.extraBits);
        } else {
            offsetValue = of.base + in.Read(of.extraBits);
            in.Reload();
            seq->matchLength = ml.base + in.Read(ml.extraBits);
            literalLength = ll.base + in.Read(ll.extraBits);
            in.Reload();
        }
        seq->literalLength = literalLength;
        if (!last) {
            // Literal length's state bits, then match length's, then offset's.
            uint32_t v = in.Read(static_cast<unsigned>(ll.stateBits) + ml.stateBits + of.stateBits);
            ofState = of.next + (v & kLowMask[of.stateBits]);
            v >>= of.stateBits;
            mlState = ml.next + (v & kLowMask[ml.stateBits]);
            llState = ll.next + (v >> ml.stateBits);
        }
        in.Reload();
        // Offset values 1-3 pick a recent offset (shifted by one when there
        // are no literals); larger ones are new offsets plus 3.
        uint32_t offset;
        if (offsetValue > 3) {
            offset = offsetValue - 3;
            rep[2] = rep[1];
            rep[1] = rep[0];
            rep[0] = offset;
        } else {
            unsigned index = offsetValue - 1 + (literalLength == 0);
            if (index == 0) {
                offset = rep[0];
            } else {
                offset = index == 1 ? rep[1] : index == 2 ? rep[2] : rep[0] - 1;
                if (index != 1) rep[2] = rep[1];
                rep[1] = rep[0];
                rep[0] = offset;
            }
        }
        seq->offset = offset;
    }
};

// Sequences are decoded this many ahead of being carried out when a block's
// offsets reach far back (see ZstdState::farOffsets).
const size_t kAhead = 8;

// Carries out the sequences of one block: its literals, then its match.
struct BlockWriter {
    uint8_t* op;               // the block's output so far
    uint8_t* oend;             // the end of the room for it (slack follows)
    const uint8_t* lp;         // next literal
    const uint8_t* lend;
    uint8_t* buf;              // the start of the history buffer
    const uint8_t* oldEnd;     // the end of the previous pass (buf before the first wrap)
    size_t reachBias;          // (op - buf) + reachBias: how far back the block may copy from op
    size_t window;

    // Null when done, else why the sequence does not hold.
    __attribute__((always_inline)) inline const char* Carry(const Sequence& seq) {
        size_t literalLength = seq.literalLength;
        size_t matchLength = seq.matchLength;
        size_t offset = seq.offset;
        if (literalLength > static_cast<size_t>(lend - lp)) return "literal length past the literals";
        if (literalLength + matchLength > static_cast<size_t>(oend - op)) return "block output too long";
        uint8_t* litEnd = op + literalLength;
        Copy16(op, lp);
        if (literalLength > 16) {
            const uint8_t* s = lp + 16;
            uint8_t* d = op + 16;
            do {
                Copy16(d, s);
                d += 16;
                s += 16;
            } while (d < litEnd);
        }
        lp += literalLength;
        op = litEnd;
        // offset - 1 wraps around for 0, which no sequence may have.
        size_t behind = static_cast<size_t>(op - buf);
        if (offset - 1 >= behind + reachBias || offset > window) return "match offset out of the window";
        if (offset <= behind) {
            // Most matches reach 16 bytes back or more and are short: their
            // first 16 bytes are copied here, the rest (if any) by CopyMatch.
            if (offset >= 16) {
                Copy16(op, op - offset);
                if (matchLength > 16) CopyMatch(op + 16, offset, matchLength - 16);
            } else {
                CopyMatch(op, offset, matchLength);
            }
        } else {
            // The start of the match is in the previous pass, at its end.
            size_t first = offset - behind;
            const uint8_t* from = oldEnd - first;
            if (matchLength <= first) {
                memmove(op, from, matchLength);
            } else {
                memmove(op, from, first);
                CopyMatch(op + first, offset, matchLength - first);
            }
        }
        op += matchLength;
        return nullptr;
    }
};

}  // namespace

// GCC compiles a function so marked for size in a file compiled for speed;
// other compilers (the fuzzers' clang) compile it as the rest.
#if defined(__GNUC__) && !defined(__clang__)
#define COMPILED_FOR_SIZE __attribute__((optimize("Os")))
#else
#define COMPILED_FOR_SIZE
#endif

struct ZstdState {
    const uint8_t* src;
    size_t srcLen;
    size_t at;
    size_t maxWindow;
    Phase phase;
    const char* error;
    bool frameSeen;

    // The current frame.
    bool hasSize;
    uint64_t contentSize;
    uint64_t produced;  // bytes decoded in this frame
    size_t window;      // how far back a match may reach
    size_t blockMax;    // largest block content
    size_t room;        // largest block output (smaller when the content size is)
    Xxh64 hash;

    // History and literals (one allocation).
    uint8_t* memory;
    size_t memorySize;
    uint8_t* buf;
    size_t limit;  // blocks are decoded below this; slack follows
    size_t pos;    // end of the decoded bytes
    size_t out;    // first decoded byte not handed out
    size_t oldEnd; // end of the previous pass, 0 before the first wrap
    uint8_t* lit;

    // Entropy tables kept from block to block for the "repeat" modes.
    uint32_t rep[3];
    bool hasHuffman;
    bool hasTable[3];
    unsigned tableLog[3];
    // The offsets table gives offsets of 8 MB and more often enough (in
    // 1/32 of its states) that waiting for memory would dominate.
    bool farOffsets;
    zstd::HuffmanTable huffman;
    FseCell literalLengths[512];
    FseCell offsets[256];
    FseCell matchLengths[512];

    bool Fail(const char* why) {
        if (phase != kFailed) error = why;
        phase = kFailed;
        return false;
    }
    FseCell* Table(int kind) {
        return kind == kLiteralLengths ? literalLengths : kind == kOffsets ? offsets : matchLengths;
    }

    // Once a frame: compiled for size, like the rest of setup (not the hot loops).
    COMPILED_FOR_SIZE bool StartFrame();
    COMPILED_FOR_SIZE bool EndFrame();
    bool DecodeBlock();
    bool DecodeLiterals(const uint8_t** ip, const uint8_t* end, size_t* litSize);
    bool ReadTable(int kind, unsigned mode, const uint8_t** ip, const uint8_t* end);
    bool DecodeCompressed(const uint8_t* ip, const uint8_t* end, uint8_t* dst, size_t* outSize);
    // Asks for the start of seq's match in the cache; *at follows the output position.
    void Prefetch(const Sequence& seq, size_t* at) const {
        *at += seq.literalLength;
        if (seq.offset <= *at && *at - seq.offset < limit) __builtin_prefetch(buf + (*at - seq.offset));
        *at += seq.matchLength;
    }
    int Advance();
};

bool ZstdState::StartFrame() {
    const uint8_t* p = src + at;
    size_t avail = srcLen - at;
    if (avail < 4) return Fail("input cut in a frame header");
    uint32_t magic = Le32(p);
    if ((magic & 0xFFFFFFF0u) == kSkippableMagic) {
        if (avail < 8) return Fail("input cut in a skippable frame");
        uint32_t size = Le32(p + 4);
        if (size > avail - 8) return Fail("input cut in a skippable frame");
        at += 8 + static_cast<size_t>(size);
        frameSeen = true;
        return true;
    }
    if (magic != kFrameMagic) return Fail("not a zstd frame");
    if (avail < 5) return Fail("input cut in a frame header");
    unsigned descriptor = p[4];
    unsigned sizeFlag = descriptor >> 6;
    bool single = (descriptor >> 5) & 1;
    if (descriptor & 8) return Fail("reserved bit set in a frame header");
    // The payload's frames all carry their checksum: without it, damage
    // inside a frame could go unnoticed.
    if (!(descriptor & 4)) return Fail("frame without a content checksum");
    static const uint8_t kDictBytes[4] = {0, 1, 2, 4};
    static const uint8_t kSizeBytes[4] = {0, 2, 4, 8};
    unsigned dictBytes = kDictBytes[descriptor & 3];
    unsigned sizeBytes = sizeFlag == 0 && single ? 1 : kSizeBytes[sizeFlag];
    size_t headerSize = 5 + (single ? 0 : 1) + dictBytes + sizeBytes;
    if (avail < headerSize) return Fail("input cut in a frame header");
    p += 5;
    uint64_t windowSize = 0;
    if (!single) {
        unsigned exponent = *p >> 3;
        // No encoder makes a window past 2^31, and the reference decoder
        // refuses one even when the content is small: so does this one.
        if (10 + exponent > 31) return Fail("frame window larger than allowed");
        uint64_t base = static_cast<uint64_t>(1) << (10 + exponent);
        windowSize = base + (base >> 3) * (*p & 7u);
        ++p;
    }
    if (LeBytes(p, dictBytes) != 0) return Fail("frame needs a dictionary");
    p += dictBytes;
    hasSize = sizeBytes != 0;
    contentSize = LeBytes(p, sizeBytes) + (sizeBytes == 2 ? 256 : 0);
    if (single) windowSize = contentSize;

    // A frame of known size never needs more history than its size.
    uint64_t keep = hasSize && contentSize < windowSize ? contentSize : windowSize;
    if (keep > maxWindow) return Fail("frame window larger than allowed");
    blockMax = windowSize < kMaxBlock ? static_cast<size_t>(windowSize) : kMaxBlock;
    room = hasSize && contentSize < blockMax ? static_cast<size_t>(contentSize) : blockMax;
    window = static_cast<size_t>(keep);
    // window + room + slack for the blocks, slack for the copies past them, and the literals.
    uint64_t need = keep + room + 2 * kSlack + room + kSlack;
    if (need > SIZE_MAX) return Fail("frame window larger than allowed");
    if (need > memorySize) {
        free(memory);
        memorySize = 0;
        memory = static_cast<uint8_t*>(calloc(static_cast<size_t>(need), 1));
        if (!memory) return Fail("out of memory");
        memorySize = static_cast<size_t>(need);
    }
    buf = memory;
    limit = window + room + kSlack;
    lit = memory + limit + kSlack;
    pos = out = oldEnd = 0;
    produced = 0;
    rep[0] = 1;
    rep[1] = 4;
    rep[2] = 8;
    hasHuffman = false;
    hasTable[0] = hasTable[1] = hasTable[2] = false;
    Xxh64Reset(&hash, 0);
    at += headerSize;
    frameSeen = true;
    phase = kBlocks;
    return true;
}

bool ZstdState::EndFrame() {
    if (hasSize && produced != contentSize) return Fail("frame shorter than its content size");
    if (srcLen - at < 4) return Fail("input cut in a frame checksum");
    if (Le32(src + at) != static_cast<uint32_t>(Xxh64Digest(&hash))) return Fail("checksum mismatch");
    at += 4;
    phase = kFrameStart;
    return true;
}

bool ZstdState::DecodeBlock() {
    if (srcLen - at < 3) return Fail("input cut in a block header");
    uint32_t header = src[at] | static_cast<uint32_t>(src[at + 1]) << 8 | static_cast<uint32_t>(src[at + 2]) << 16;
    at += 3;
    bool last = header & 1;
    unsigned type = (header >> 1) & 3;
    size_t size = header >> 3;
    if (type == 3) return Fail("reserved block type");
    if (size > blockMax) return Fail("block larger than allowed");
    if (pos + room > limit) {
        // Everything was handed out: the next pass starts at 0.
        oldEnd = pos;
        pos = out = 0;
    }
    uint8_t* dst = buf + pos;
    size_t n;
    size_t avail = srcLen - at;
    if (type == 0) {
        if (size > avail) return Fail("input cut in a block");
        n = size;
        if (n > room) return Fail("block larger than the content size");
        memcpy(dst, src + at, n);
        at += size;
    } else if (type == 1) {
        if (avail < 1) return Fail("input cut in a block");
        n = size;
        if (n > room) return Fail("block larger than the content size");
        memset(dst, src[at], n);
        at += 1;
    } else {
        if (size > avail) return Fail("input cut in a block");
        if (!DecodeCompressed(src + at, src + at + size, dst, &n)) return false;
        at += size;
    }
    if (hasSize && n > contentSize - produced) return Fail("frame longer than its content size");
    produced += n;
    Xxh64Update(&hash, dst, n);
    pos += n;
    return last ? EndFrame() : true;
}

bool ZstdState::DecodeLiterals(const uint8_t** ipp, const uint8_t* end, size_t* litSize) {
    const uint8_t* ip = *ipp;
    size_t avail = static_cast<size_t>(end - ip);
    if (avail < 1) return Fail("damaged literals");
    unsigned type = ip[0] & 3;
    unsigned sizeFormat = (ip[0] >> 2) & 3;
    size_t regenerated;
    if (type <= 1) {
        // Raw or one repeated byte: 5, 12 or 20 bits of size.
        size_t headerSize = (sizeFormat & 1) ? sizeFormat / 2 + 2 : 1;
        if (avail < headerSize) return Fail("damaged literals");
        uint32_t h = static_cast<uint32_t>(LeBytes(ip, static_cast<unsigned>(headerSize)));
        regenerated = headerSize == 1 ? h >> 3 : h >> 4;
        ip += headerSize;
        avail -= headerSize;
        if (regenerated > room) return Fail("damaged literals");
        if (type == 0) {
            if (regenerated > avail) return Fail("damaged literals");
            memcpy(lit, ip, regenerated);
            ip += regenerated;
        } else {
            if (avail < 1) return Fail("damaged literals");
            memset(lit, *ip++, regenerated);
        }
    } else {
        // Huffman-coded, with a new table or the previous one: 3 to 5 header
        // bytes holding the regenerated and the compressed size.
        size_t headerSize = sizeFormat < 2 ? 3 : sizeFormat + 2;
        unsigned sizeBits = sizeFormat < 2 ? 10 : sizeFormat == 2 ? 14 : 18;
        if (avail < headerSize) return Fail("damaged literals");
        uint64_t h = LeBytes(ip, static_cast<unsigned>(headerSize));
        uint32_t mask = (1u << sizeBits) - 1;
        regenerated = static_cast<size_t>(h >> 4) & mask;
        size_t compressed = static_cast<size_t>(h >> (4 + sizeBits)) & mask;
        ip += headerSize;
        avail -= headerSize;
        if (regenerated > room || compressed > avail) return Fail("damaged literals");
        const uint8_t* cp = ip;
        ip += compressed;
        if (type == 2) {
            size_t used = zstd::ReadHuffmanTable(cp, compressed, &huffman);
            hasHuffman = used != 0;
            if (!used) return Fail("damaged Huffman table");
            cp += used;
            compressed -= used;
        } else if (!hasHuffman) {
            return Fail("no Huffman table to repeat");
        }
        if (!zstd::DecodeHuffman(huffman, cp, compressed, lit, regenerated, sizeFormat != 0))
            return Fail("damaged Huffman stream");
    }
    *ipp = ip;
    *litSize = regenerated;
    return true;
}

bool ZstdState::ReadTable(int kind, unsigned mode, const uint8_t** ip, const uint8_t* end) {
    int16_t counts[64];
    unsigned symbols = kMaxSymbol[kind] + 1;
    unsigned log;
    if (mode == 3) {
        if (!hasTable[kind]) return Fail("no sequence table to repeat");
        return true;
    }
    if (mode == 0) {
        symbols = kPredefinedSymbols[kind];
        for (unsigned s = 0; s < symbols; ++s) counts[s] = kPredefinedCounts[kind][s];
        log = kPredefinedLog[kind];
    } else if (mode == 1) {
        if (*ip >= end || **ip > kMaxSymbol[kind]) return Fail("damaged sequence table");
        for (unsigned s = 0; s < symbols; ++s) counts[s] = 0;
        counts[**ip] = 1;
        log = 0;
        ++*ip;
    } else {
        size_t used = zstd::ReadFseCounts(*ip, static_cast<size_t>(end - *ip), counts, kMaxSymbol[kind],
                                          kMaxLog[kind], &log);
        if (!used) return Fail("damaged sequence table");
        *ip += used;
    }
    FseCell* table = Table(kind);
    hasTable[kind] = false;
    if (!zstd::BuildFseTable(table, counts, symbols, log)) return Fail("damaged sequence table");
    // Replace each code by its base value and extra bits.
    const CodeValues& values = kCodeValues[kind];
    for (unsigned i = 0; i < (1u << log); ++i) {
        unsigned code = table[i].base;
        table[i].base = values.base[code];
        table[i].extraBits = values.extra[code];
    }
    if (kind == kOffsets) {
        unsigned far = 0;
        for (unsigned i = 0; i < (1u << log); ++i) far += table[i].extraBits >= 23;
        farOffsets = far * 32 >= (1u << log);
    }
    tableLog[kind] = log;
    hasTable[kind] = true;
    return true;
}

bool ZstdState::DecodeCompressed(const uint8_t* ip, const uint8_t* end, uint8_t* dst, size_t* outSize) {
    size_t litSize;
    if (!DecodeLiterals(&ip, end, &litSize)) return false;
    if (ip >= end) return Fail("damaged sequences header");
    size_t count = *ip++;
    if (count >= 128) {
        if (count == 255) {
            if (end - ip < 2) return Fail("damaged sequences header");
            count = ip[0] + (static_cast<size_t>(ip[1]) << 8) + 0x7F00;
            ip += 2;
        } else {
            if (end - ip < 1) return Fail("damaged sequences header");
            count = ((count - 128) << 8) + *ip++;
        }
    }
    if (count == 0) {
        // Literals only; the block ends here.
        if (ip != end) return Fail("damaged sequences header");
        memcpy(dst, lit, litSize);
        *outSize = litSize;
        return true;
    }
    if (ip >= end) return Fail("damaged sequences header");
    unsigned modes = *ip++;
    if (modes & 3) return Fail("damaged sequences header");
    if (!ReadTable(kLiteralLengths, modes >> 6, &ip, end) || !ReadTable(kOffsets, (modes >> 4) & 3, &ip, end) ||
        !ReadTable(kMatchLengths, (modes >> 2) & 3, &ip, end))
        return false;

    SequenceReader reader;
    if (!reader.in.Init(ip, static_cast<size_t>(end - ip))) return Fail("damaged sequences stream");
    reader.Start(literalLengths, tableLog[kLiteralLengths], offsets, tableLog[kOffsets], matchLengths,
                 tableLog[kMatchLengths], rep);

    BlockWriter w;
    w.op = dst;
    w.oend = dst + room;
    w.lp = lit;
    w.lend = lit + litSize;
    w.buf = buf;
    w.oldEnd = buf + oldEnd;
    w.window = window;
    // History before this block that matches may reach (the sum wraps
    // around when the block starts below that much of this pass).
    const size_t before = produced < window ? static_cast<size_t>(produced) : window;
    w.reachBias = before - static_cast<size_t>(dst - buf);
    const char* why = nullptr;
    if (!farOffsets || count < kAhead) {
        // Every sequence but the last updates the states: the loop needs no test for it.
        Sequence seq;
        for (size_t i = 1; i < count && !why; ++i) {
            reader.Next(&seq, false);
            why = w.Carry(seq);
        }
        if (!why) {
            reader.Next(&seq, true);
            why = w.Carry(seq);
        }
    } else {
        // Sequences are decoded kAhead before they are carried out, and the
        // start of their match fetched into the cache meanwhile: far matches
        // would otherwise wait for memory one after the other.
        Sequence ring[kAhead] = {};
        size_t aheadAt = pos;  // where the next decoded sequence's literals go
        // Turn i carries out sequence i - kAhead, after decoding sequence i into its slot.
        for (size_t i = 0; i < count + kAhead && !why; ++i) {
            Sequence seq = ring[i % kAhead];
            if (i < count) {
                reader.Next(&ring[i % kAhead], i + 1 == count);
                Prefetch(ring[i % kAhead], &aheadAt);
            }
            if (i >= kAhead) why = w.Carry(seq);
        }
    }
    if (why) return Fail(why);
    uint8_t* op = w.op;
    const uint8_t* lp = w.lp;
    const uint8_t* const lend = w.lend;
    uint8_t* const oend = w.oend;
    reader.Finish(rep);
    if (reader.in.Left() != 0) return Fail("damaged sequences stream");
    size_t rest = static_cast<size_t>(lend - lp);
    if (rest > static_cast<size_t>(oend - op)) return Fail("block output too long");
    memcpy(op, lp, rest);
    *outSize = static_cast<size_t>(op - dst) + rest;
    return true;
}

// Decodes until output is waiting (1), the input ended cleanly (0) or failed (-1).
int ZstdState::Advance() {
    // A failure may leave decoded bytes behind (a block whose frame then
    // failed its checksum): they are never handed out.
    if (phase == kFailed) return -1;
    while (out == pos) {
        if (phase == kEnd) return 0;
        if (phase == kFrameStart) {
            if (at == srcLen) {
                if (!frameSeen) {
                    Fail("no frame");
                    return -1;
                }
                phase = kEnd;
                return 0;
            }
            if (!StartFrame()) return -1;
        } else if (!DecodeBlock()) {
            return -1;
        }
    }
    return 1;
}

bool ZstdReader::Open(const void* src, size_t srcLen, size_t maxWindow) {
    Close();
    state_ = static_cast<ZstdState*>(calloc(1, sizeof(ZstdState)));
    if (!state_) return false;
    state_->src = static_cast<const uint8_t*>(src);
    state_->srcLen = src ? srcLen : 0;
    state_->maxWindow = maxWindow;
    state_->phase = kFrameStart;
    state_->error = "";
    return true;
}

bool ZstdReader::Read(void* dst, size_t n) {
    if (!state_) return false;
    ZstdState& s = *state_;
    uint8_t* d = static_cast<uint8_t*>(dst);
    while (n) {
        int status = s.Advance();
        if (status < 0) return false;
        if (status == 0) return s.Fail("input ends before the output asked for");
        size_t take = s.pos - s.out;
        if (take > n) take = n;
        memcpy(d, s.buf + s.out, take);
        s.out += take;
        d += take;
        n -= take;
    }
    return true;
}

bool ZstdReader::AtEnd() { return state_ && state_->Advance() == 0; }

const char* ZstdReader::Error() const { return state_ ? state_->error : "not open"; }

size_t ZstdReader::MemoryUsed() const { return state_ ? sizeof(ZstdState) + state_->memorySize : 0; }

void ZstdReader::Close() {
    if (state_) {
        free(state_->memory);
        free(state_);
        state_ = nullptr;
    }
}
