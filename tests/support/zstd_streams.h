// Streams made with libzstd for the native tests of the decoder and of what
// reads through it: stand-ins for program files and the encoder's settings.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <vector>

namespace testzstd {

using Bytes = std::vector<uint8_t>;

// Deterministic stand-in for program files: runs of skewed literals, copies
// from near and far back (some repeating the previous distance), zero runs.
Bytes MixedData(size_t size, uint32_t seed);
// Bytes that do not compress.
Bytes RandomData(size_t size, uint32_t seed);
// A random megabyte, other data, then the same megabyte again: only a long window finds it.
Bytes FarRepeat();

struct Settings {
    int level;
    int windowLog;  // 0: the level's own
    bool longMatches;
    bool checksum;
    bool contentSize;
};

// The data compressed with those settings; empty when libzstd fails.
Bytes Compress(const Bytes& data, const Settings& s);

}  // namespace testzstd
