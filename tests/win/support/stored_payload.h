// A compressed payload (RT_DATA "5002") made without an encoder: its header,
// then zstd frames of stored blocks, each frame with its content checksum.
// The decoder reads it like any other; the tests control every byte.
#pragma once

#include <string>

namespace testenv {

// bytes as the compressed payload, in frames of at most frameBytes each.
std::string StoredPayload(const std::string& bytes, size_t frameBytes = 1 << 20);

}  // namespace testenv
