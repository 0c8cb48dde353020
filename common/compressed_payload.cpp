// Header of the compressed payload.
#include "compressed_payload.h"

namespace {

const uint8_t kMagic[4] = {'C', 'P', 'z', '1'};

}  // namespace

void EncodeCompressedHeader(const CompressedPayloadHeader& header, uint8_t out[kCompressedHeaderSize]) {
    for (int i = 0; i < 4; ++i) out[i] = kMagic[i];
    out[4] = static_cast<uint8_t>(header.codec);
    out[5] = static_cast<uint8_t>(header.codec >> 8);
    out[6] = static_cast<uint8_t>(header.windowLog);
    out[7] = static_cast<uint8_t>(header.windowLog >> 8);
    for (int i = 0; i < 8; ++i) out[8 + i] = static_cast<uint8_t>(header.decodedSize >> (8 * i));
}

int DecodeCompressedHeader(const uint8_t* bytes, size_t size, CompressedPayloadHeader* header) {
    if (!bytes || size < kCompressedHeaderSize) return 0;
    for (int i = 0; i < 4; ++i) {
        if (bytes[i] != kMagic[i]) return 0;
    }
    header->codec = static_cast<uint16_t>(bytes[4] | bytes[5] << 8);
    header->windowLog = static_cast<uint16_t>(bytes[6] | bytes[7] << 8);
    header->decodedSize = 0;
    for (int i = 7; i >= 0; --i) header->decodedSize = header->decodedSize << 8 | bytes[8 + i];
    if (header->codec != kCodecZstd) return 0;
    if (header->windowLog < kMinWindowLog || header->windowLog > kMaxWindowLog) return 0;
    return 1;
}
