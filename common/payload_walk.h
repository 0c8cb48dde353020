// The walk over the payload resource: the files stored back to back, each
// block starting where the one before it ends. The sizes come from the setup
// record and are not trusted: an entry is used only when all of its bytes lie
// inside the payload, with arithmetic that cannot wrap.
#pragma once

#include <stdint.h>

// 1 when an entry of entrySize bytes starting at offset lies wholly inside a
// payload of payloadSize bytes; 0 for a negative size, a start past the end or
// an end past the end. An empty entry fits at offset == payloadSize.
int PayloadEntryFits(uint32_t payloadSize, uint32_t offset, int32_t entrySize);

// Moves *offset past an entry of entrySize bytes and returns 1; returns 0 and
// leaves *offset unchanged when the entry does not fit (see PayloadEntryFits).
int NextPayloadOffset(uint32_t payloadSize, uint32_t* offset, int32_t entrySize);
