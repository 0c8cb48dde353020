// XXH64: four lanes of multiply-rotate over 32-byte stripes, then the tail
// (8, 4 and 1 bytes at a time) and a final avalanche.
#include "xxhash64.h"

#include <string.h>

namespace {

const uint64_t kPrime1 = 0x9E3779B185EBCA87ull;
const uint64_t kPrime2 = 0xC2B2AE3D27D4EB4Full;
const uint64_t kPrime3 = 0x165667B19E3779F9ull;
const uint64_t kPrime4 = 0x85EBCA77C2B2AE63ull;
const uint64_t kPrime5 = 0x27D4EB2F165667C5ull;

inline uint64_t Rotl(uint64_t x, int r) { return (x << r) | (x >> (64 - r)); }

// The targets (x86, x86-64) are little-endian: a plain load is the little-endian value.
inline uint64_t Le64(const uint8_t* p) {
    uint64_t v;
    memcpy(&v, p, 8);
    return v;
}

inline uint32_t Le32(const uint8_t* p) {
    uint32_t v;
    memcpy(&v, p, 4);
    return v;
}

inline uint64_t Round(uint64_t acc, uint64_t input) { return Rotl(acc + input * kPrime2, 31) * kPrime1; }

inline uint64_t Merge(uint64_t h, uint64_t lane) { return (h ^ Round(0, lane)) * kPrime1 + kPrime4; }

// Whole stripes from p on: the lanes stay in locals, since a store through
// acc might change the bytes read (as far as the compiler knows) and would
// otherwise be written back and read again for every stripe.
const uint8_t* Stripes(uint64_t* acc, const uint8_t* p, size_t count) {
    uint64_t a = acc[0], b = acc[1], c = acc[2], d = acc[3];
    for (; count > 0; --count, p += 32) {
        a = Round(a, Le64(p));
        b = Round(b, Le64(p + 8));
        c = Round(c, Le64(p + 16));
        d = Round(d, Le64(p + 24));
    }
    acc[0] = a;
    acc[1] = b;
    acc[2] = c;
    acc[3] = d;
    return p;
}

}  // namespace

void Xxh64Reset(Xxh64* s, uint64_t seed) {
    s->acc[0] = seed + kPrime1 + kPrime2;
    s->acc[1] = seed + kPrime2;
    s->acc[2] = seed;
    s->acc[3] = seed - kPrime1;
    s->total = 0;
    s->stripeUsed = 0;
}

void Xxh64Update(Xxh64* s, const void* data, size_t size) {
    const uint8_t* p = static_cast<const uint8_t*>(data);
    s->total += size;
    if (s->stripeUsed) {
        size_t take = 32 - s->stripeUsed;
        if (take > size) take = size;
        memcpy(s->stripe + s->stripeUsed, p, take);
        s->stripeUsed += static_cast<unsigned>(take);
        p += take;
        size -= take;
        if (s->stripeUsed < 32) return;
        Stripes(s->acc, s->stripe, 1);
        s->stripeUsed = 0;
    }
    p = Stripes(s->acc, p, size / 32);
    size %= 32;
    memcpy(s->stripe, p, size);
    s->stripeUsed = static_cast<unsigned>(size);
}

uint64_t Xxh64Digest(const Xxh64* s) {
    uint64_t h;
    if (s->total >= 32) {
        h = Rotl(s->acc[0], 1) + Rotl(s->acc[1], 7) + Rotl(s->acc[2], 12) + Rotl(s->acc[3], 18);
        for (int i = 0; i < 4; ++i) h = Merge(h, s->acc[i]);
    } else {
        h = s->acc[2] + kPrime5;  // acc[2] holds the seed until a stripe is done
    }
    h += s->total;
    const uint8_t* p = s->stripe;
    unsigned left = s->stripeUsed;
    for (; left >= 8; p += 8, left -= 8) h = Rotl(h ^ Round(0, Le64(p)), 27) * kPrime1 + kPrime4;
    if (left >= 4) {
        h = Rotl(h ^ Le32(p) * kPrime1, 23) * kPrime2 + kPrime3;
        p += 4;
        left -= 4;
    }
    for (; left; ++p, --left) h = Rotl(h ^ *p * kPrime5, 11) * kPrime1;
    h ^= h >> 33;
    h *= kPrime2;
    h ^= h >> 29;
    h *= kPrime3;
    return h ^ (h >> 32);
}
