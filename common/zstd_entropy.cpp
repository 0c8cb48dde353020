// FSE table descriptions and tables, Huffman tables and streams.
#include "zstd_entropy.h"

namespace zstd {

namespace {

// 32 bits of src starting at bit bitPos, zeros past the end.
uint32_t BitsAt(const uint8_t* src, size_t size, size_t bitPos) {
    size_t at = bitPos >> 3;
    uint32_t v = 0;
    for (unsigned i = 0; i < 4 && at + i < size; ++i) v |= static_cast<uint32_t>(src[at + i]) << (8 * i);
    return v >> (bitPos & 7);
}

}  // namespace

size_t ReadFseCounts(const uint8_t* src, size_t size, int16_t* counts, unsigned maxSymbol, unsigned maxLog,
                     unsigned* logOut) {
    if (size == 0) return 0;
    unsigned log = (src[0] & 15u) + 5;
    if (log > maxLog) return 0;
    for (unsigned s = 0; s <= maxSymbol; ++s) counts[s] = 0;
    // remaining is the probability still to hand out, plus one: a value takes
    // 0..remaining, in nbBits bits, or one bit less for the smallest values.
    size_t bitPos = 4;
    int remaining = (1 << log) + 1;
    int threshold = 1 << log;
    unsigned nbBits = log + 1;
    unsigned symbol = 0;
    bool afterZero = false;
    while (remaining > 1) {
        if (afterZero) {
            // After a zero probability, 2-bit counts of further zeros; 3 means more follow.
            for (;;) {
                unsigned repeat = BitsAt(src, size, bitPos) & 3;
                bitPos += 2;
                symbol += repeat;
                if (symbol > maxSymbol || bitPos > size * 8) return 0;
                if (repeat != 3) break;
            }
        }
        if (symbol > maxSymbol) return 0;
        uint32_t v = BitsAt(src, size, bitPos);
        int small = (2 * threshold - 1) - remaining;
        int value;
        if (static_cast<int>(v & static_cast<uint32_t>(threshold - 1)) < small) {
            value = static_cast<int>(v & static_cast<uint32_t>(threshold - 1));
            bitPos += nbBits - 1;
        } else {
            value = static_cast<int>(v & static_cast<uint32_t>(2 * threshold - 1));
            if (value >= threshold) value -= small;
            bitPos += nbBits;
        }
        int count = value - 1;
        remaining -= count < 0 ? -count : count;
        if (remaining < 1 || bitPos > size * 8) return 0;
        counts[symbol++] = static_cast<int16_t>(count);
        afterZero = count == 0;
        while (remaining < threshold) {
            --nbBits;
            threshold >>= 1;
        }
    }
    *logOut = log;
    return (bitPos + 7) >> 3;
}

bool BuildFseTable(FseCell* table, const int16_t* counts, unsigned symbolCount, unsigned log) {
    const unsigned size = 1u << log;
    unsigned high = size - 1;
    uint16_t next[256];
    // "Less than one" symbols take one state each at the top.
    for (unsigned s = 0; s < symbolCount; ++s) {
        if (counts[s] == -1) {
            table[high--].base = s;
            next[s] = 1;
        } else {
            next[s] = static_cast<uint16_t>(counts[s]);
        }
    }
    // The others are spread with a fixed step that visits every state once.
    const unsigned step = (size >> 1) + (size >> 3) + 3;
    unsigned position = 0;
    for (unsigned s = 0; s < symbolCount; ++s) {
        for (int i = 0; i < counts[s]; ++i) {
            table[position].base = s;
            do position = (position + step) & (size - 1);
            while (position > high);
        }
    }
    if (position != 0) return false;
    for (unsigned i = 0; i < size; ++i) {
        unsigned x = next[table[i].base]++;
        unsigned bits = log - HighBit(x);
        table[i].stateBits = static_cast<uint8_t>(bits);
        table[i].next = static_cast<uint16_t>((x << bits) - size);
        table[i].extraBits = 0;
    }
    return true;
}

namespace {

// A tree describes at most 255 weights: the last of the 256 symbols has its
// weight implied.
const unsigned kMaxDescribedWeights = 255;

// FSE-coded Huffman weights into weights[0..kMaxDescribedWeights): two states
// take turns on one stream; when an update runs past the start, the other
// state gives the last weight. 0 when damaged or longer than allowed (checked
// before each weight is stored).
unsigned DecodeWeights(const uint8_t* src, size_t size, uint8_t* weights) {
    int16_t counts[16];
    unsigned log;
    size_t head = ReadFseCounts(src, size, counts, 15, 6, &log);
    FseCell table[64];
    if (head == 0 || !BuildFseTable(table, counts, 16, log)) return 0;
    BackwardBits in;
    if (!in.Init(src + head, size - head)) return 0;
    unsigned state[2];
    state[0] = in.Read(log);
    state[1] = in.Read(log);
    unsigned n = 0;
    for (unsigned turn = 0;; turn ^= 1) {
        if (n == kMaxDescribedWeights) return 0;
        const FseCell& c = table[state[turn]];
        weights[n++] = static_cast<uint8_t>(c.base);
        state[turn] = c.next + in.Read(c.stateBits);
        in.Reload();
        if (in.Left() < 0) {
            if (n == kMaxDescribedWeights) return 0;
            weights[n++] = static_cast<uint8_t>(table[state[turn ^ 1]].base);
            return n;
        }
    }
}

}  // namespace

size_t ReadHuffmanTable(const uint8_t* src, size_t size, HuffmanTable* table) {
    if (size == 0) return 0;
    uint8_t weights[kMaxDescribedWeights + 1];  // the described ones, then the implied one
    unsigned n;
    size_t used;
    if (src[0] >= 128) {
        // Direct: 4 bits per weight, high nibble first.
        n = src[0] - 127u;
        used = 1 + (n + 1) / 2;
        if (used > size) return 0;
        for (unsigned i = 0; i < n; ++i) weights[i] = (i & 1) ? src[1 + i / 2] & 15 : src[1 + i / 2] >> 4;
    } else {
        used = 1 + static_cast<size_t>(src[0]);
        if (used > size) return 0;
        n = DecodeWeights(src + 1, src[0], weights);
        if (n == 0) return 0;
    }
    // The last symbol's weight is implied: it completes the sum of
    // 2^(weight-1) to the next power of two, which gives the longest code.
    unsigned rankCount[kMaxHuffmanBits + 2] = {0};
    uint32_t sum = 0;
    for (unsigned i = 0; i < n; ++i) {
        if (weights[i] > kMaxHuffmanBits) return 0;
        ++rankCount[weights[i]];
        if (weights[i]) sum += (1u << weights[i]) >> 1;
    }
    if (sum == 0) return 0;
    unsigned maxBits = HighBit(sum) + 1;
    if (maxBits > kMaxHuffmanBits) return 0;
    uint32_t rest = (1u << maxBits) - sum;
    if (rest & (rest - 1)) return 0;
    weights[n] = static_cast<uint8_t>(HighBit(rest) + 1);
    ++rankCount[weights[n]];
    ++n;
    // A complete code whose longest length is maxBits has at least two codes of that length.
    if (rankCount[1] < 2) return 0;
    // Longest codes first: weight w covers 2^(w-1) cells, symbols in order within a weight.
    uint32_t start[kMaxHuffmanBits + 2];
    uint32_t at = 0;
    for (unsigned w = 1; w <= maxBits; ++w) {
        start[w] = at;
        at += rankCount[w] << (w - 1);
    }
    for (unsigned s = 0; s < n; ++s) {
        unsigned w = weights[s];
        if (w == 0) continue;
        HuffmanCell cell = {static_cast<uint8_t>(s), static_cast<uint8_t>(maxBits + 1 - w)};
        for (uint32_t i = 0; i < (1u << (w - 1)); ++i) table->cells[start[w] + i] = cell;
        start[w] += 1u << (w - 1);
    }
    table->maxBits = maxBits;
    return used;
}

namespace {

// shift is 64 - t.maxBits.
__attribute__((always_inline)) inline uint8_t DecodeSymbol(const HuffmanTable& t, unsigned shift, BackwardBits* in) {
    const HuffmanCell c = t.cells[in->PeekTop(shift)];
    in->Skip(c.bits);
    return c.symbol;
}

// The careful end of a stream: one symbol per reload.
bool FinishStream(const HuffmanTable& t, unsigned shift, BackwardBits* in, uint8_t* out, uint8_t* end) {
    while (out < end) {
        *out++ = DecodeSymbol(t, shift, in);
        in->Reload();
    }
    return in->Left() == 0;
}

}  // namespace

bool DecodeHuffman(const HuffmanTable& t, const uint8_t* src, size_t size, uint8_t* out, size_t count,
                   bool fourStreams) {
    const unsigned shift = 64 - t.maxBits;
    if (!fourStreams) {
        BackwardBits in;
        if (!in.Init(src, size)) return false;
        uint8_t* end = out + count;
        // Four symbols of at most 11 bits per reload while 8 bytes are left behind.
        while (in.pos >= 8 && end - out >= 4) {
            out[0] = DecodeSymbol(t, shift, &in);
            out[1] = DecodeSymbol(t, shift, &in);
            out[2] = DecodeSymbol(t, shift, &in);
            out[3] = DecodeSymbol(t, shift, &in);
            out += 4;
            in.Reload();
        }
        return FinishStream(t, shift, &in, out, end);
    }
    // Four streams carry 6 literals at least, after a 6-byte jump table.
    if (size < 6 || count < 6) return false;
    size_t sizes[4];
    sizes[0] = src[0] | static_cast<size_t>(src[1]) << 8;
    sizes[1] = src[2] | static_cast<size_t>(src[3]) << 8;
    sizes[2] = src[4] | static_cast<size_t>(src[5]) << 8;
    size_t first3 = sizes[0] + sizes[1] + sizes[2];
    if (first3 > size - 6) return false;
    sizes[3] = size - 6 - first3;
    // From 6 literals on, the first three streams' shares never exceed the count.
    size_t part = (count + 3) / 4;
    BackwardBits in[4];
    uint8_t* o[4];
    uint8_t* e[4];
    const uint8_t* at = src + 6;
    for (int k = 0; k < 4; ++k) {
        if (!in[k].Init(at, sizes[k])) return false;
        at += sizes[k];
        o[k] = out + part * k;
        e[k] = k == 3 ? out + count : o[k] + part;
    }
    // The four streams interleaved while each has room for a full round.
    while (in[0].pos >= 8 && in[1].pos >= 8 && in[2].pos >= 8 && in[3].pos >= 8 && e[3] - o[3] >= 4) {
        for (int i = 0; i < 4; ++i) {
            o[0][i] = DecodeSymbol(t, shift, &in[0]);
            o[1][i] = DecodeSymbol(t, shift, &in[1]);
            o[2][i] = DecodeSymbol(t, shift, &in[2]);
            o[3][i] = DecodeSymbol(t, shift, &in[3]);
        }
        for (int k = 0; k < 4; ++k) {
            o[k] += 4;
            in[k].Reload();
        }
    }
    for (int k = 0; k < 4; ++k) {
        if (!FinishStream(t, shift, &in[k], o[k], e[k])) return false;
    }
    return true;
}

}  // namespace zstd
