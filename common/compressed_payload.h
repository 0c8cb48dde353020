// The compressed payload: RT_DATA "5002" of a package built with compression,
// in place of "5000". It holds the same bytes as "5000" would (every file of
// the setup record, back to back, in its order and with its size) as one
// compressed stream behind a 16-byte header, all numbers little-endian:
//
//   offset  size  field
//        0     4  magic "CPz1"
//        4     2  codec: 1 = Zstandard frames, each with its content checksum
//                 (the decoder refuses a frame without one)
//        6     2  window log: the decoder keeps 2^log bytes of history (10..26)
//        8     8  decoded size: the sum of the file sizes of the record
//       16     .  the compressed stream, to the end of the resource
//
// A package has "5000" or "5002", never both; "5000" stays the plain bytes.
#pragma once

#include <stddef.h>
#include <stdint.h>

enum {
    kCompressedHeaderSize = 16,
    kCodecZstd = 1,
    kMinWindowLog = 10,
    // 64 MB of history at most: what setup may allocate to decode, whatever
    // the payload's size.
    kMaxWindowLog = 26,
};

struct CompressedPayloadHeader {
    uint16_t codec;
    uint16_t windowLog;
    uint64_t decodedSize;
};

// Writes the 16 header bytes.
void EncodeCompressedHeader(const CompressedPayloadHeader& header, uint8_t out[kCompressedHeaderSize]);

// Reads the header of a resource of size bytes: 1 when it is one this
// program can decode (magic, known codec, window log in range), 0 otherwise.
int DecodeCompressedHeader(const uint8_t* bytes, size_t size, CompressedPayloadHeader* header);
