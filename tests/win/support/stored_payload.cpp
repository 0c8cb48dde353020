// Compressed payloads of stored blocks (see stored_payload.h).
#include "stored_payload.h"

#include <stdint.h>

#include "compressed_payload.h"
#include "xxhash64.h"

namespace testenv {

namespace {

void Le(std::string* out, uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out->push_back(static_cast<char>(value >> (8 * i)));
}

// One frame: magic, descriptor (8-byte content size, checksum, one segment),
// blocks of at most 128 KB stored as they are, the checksum.
void Frame(std::string* out, const char* bytes, size_t size) {
    Le(out, 0xFD2FB528u, 4);
    out->push_back(static_cast<char>(0xE4));
    Le(out, size, 8);
    size_t at = 0;
    do {
        size_t block = size - at < (128u << 10) ? size - at : 128u << 10;
        bool last = at + block == size;
        Le(out, (block << 3) | (last ? 1 : 0), 3);
        out->append(bytes + at, block);
        at += block;
    } while (at < size);
    Xxh64 hash;
    Xxh64Reset(&hash, 0);
    Xxh64Update(&hash, bytes, size);
    Le(out, Xxh64Digest(&hash), 4);
}

}  // namespace

std::string StoredPayload(const std::string& bytes, size_t frameBytes) {
    CompressedPayloadHeader header = {kCodecZstd, 20, bytes.size()};
    uint8_t head[kCompressedHeaderSize];
    EncodeCompressedHeader(header, head);
    std::string out(reinterpret_cast<const char*>(head), sizeof(head));
    size_t at = 0;
    do {
        size_t n = bytes.size() - at < frameBytes ? bytes.size() - at : frameBytes;
        Frame(&out, bytes.data() + at, n);
        at += n;
    } while (at < bytes.size());
    return out;
}

}  // namespace testenv
