// Bounds of the payload blocks.
#include "payload_walk.h"

int PayloadEntryFits(uint32_t payloadSize, uint32_t offset, int32_t entrySize) {
    if (entrySize < 0 || offset > payloadSize) return 0;
    // payloadSize - offset cannot wrap here, offset + entrySize could.
    return static_cast<uint32_t>(entrySize) <= payloadSize - offset ? 1 : 0;
}

int NextPayloadOffset(uint32_t payloadSize, uint32_t* offset, int32_t entrySize) {
    if (!offset || !PayloadEntryFits(payloadSize, *offset, entrySize)) return 0;
    *offset += static_cast<uint32_t>(entrySize);
    return 1;
}
