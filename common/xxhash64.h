// XXH64, the 64-bit hash that zstd frames carry (its low 32 bits) as their
// content checksum. Fed piece by piece, as the decoder produces its output.
#pragma once

#include <stddef.h>
#include <stdint.h>

struct Xxh64 {
    uint64_t acc[4];      // the four lanes over whole 32-byte stripes
    uint64_t total;       // bytes fed so far
    uint8_t stripe[32];   // the start of a stripe not yet complete
    unsigned stripeUsed;  // bytes in stripe
};

void Xxh64Reset(Xxh64* state, uint64_t seed);
void Xxh64Update(Xxh64* state, const void* data, size_t size);
uint64_t Xxh64Digest(const Xxh64* state);
