// Fuzz target: the payload walk, the entry sizes of a setup record against the
// payload that follows them, the way setup extracts its files.
//
// Input: one mode byte, then
//   mode even: a 16-bit record length L, L bytes of setup record, the payload;
//   mode odd:  a 32-bit payload size (never allocated), then int32 entry sizes.
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include <vector>

#include "payload_walk.h"
#include "setup_record.h"

namespace {

uint32_t Le32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

// One step, checked against the same rule in 64-bit arithmetic.
bool Step(uint32_t payloadSize, uint32_t* offset, int32_t entrySize) {
    uint64_t end = static_cast<uint64_t>(*offset) + static_cast<uint64_t>(static_cast<int64_t>(entrySize));
    bool expected = entrySize >= 0 && *offset <= payloadSize && end <= payloadSize;
    bool fits = PayloadEntryFits(payloadSize, *offset, entrySize) != 0;
    if (fits != expected) __builtin_trap();
    uint32_t before = *offset;
    bool moved = NextPayloadOffset(payloadSize, offset, entrySize) != 0;
    if (moved != fits) __builtin_trap();
    if (moved ? *offset != end : *offset != before) __builtin_trap();
    return moved;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    if (data[0] & 1) {
        if (size < 5) return 0;
        uint32_t payloadSize = Le32(data + 1);
        uint32_t offset = 0;
        for (size_t at = 5; at + 4 <= size; at += 4) {
            if (!Step(payloadSize, &offset, static_cast<int32_t>(Le32(data + at)))) break;
        }
        return 0;
    }
    if (size < 3) return 0;
    size_t recordSize = static_cast<size_t>(data[1]) | static_cast<size_t>(data[2]) << 8;
    if (recordSize > size - 3) recordSize = size - 3;
    // Private copies sized exactly, so any read past either end is caught.
    std::vector<uint8_t> record(data + 3, data + 3 + recordSize);
    std::vector<uint8_t> payload(data + 3 + recordSize, data + size);
    SetupRecord parsed;
    SetDefaultSetupRecord(&parsed);
    ParseSetupRecord(record.data(), record.size(), &parsed);

    uint32_t offset = 0;
    uint32_t sum = 0;
    std::vector<uint8_t> sink;
    for (int32_t i = 0; i < parsed.fileCount; ++i) {
        FileEntry entry;
        if (!GetSetupFileEntry(parsed, i, &entry)) __builtin_trap();
        uint32_t start = offset;
        if (!Step(static_cast<uint32_t>(payload.size()), &offset, entry.size)) break;
        // What the extraction writes: exactly these bytes of the payload.
        sink.assign(payload.data() + start, payload.data() + start + entry.size);
        sum += static_cast<uint32_t>(entry.size);
        if (sum != offset || offset > payload.size()) __builtin_trap();
    }
    return 0;
}
