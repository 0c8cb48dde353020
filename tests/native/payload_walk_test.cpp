// The payload walk: untrusted entry sizes against the payload's own size.
#include <gtest/gtest.h>

#include <limits>

#include "payload_walk.h"

namespace {

// Each row asks whether an entry fits at an offset, and takes the step: the
// offset moves on by the size when it fits and stays where it was when not.
TEST(PayloadWalk, EntriesFitOnlyWhollyInsideThePayload) {
    const uint32_t huge = 0xFFFFFFFFu;
    struct Step {
        const char* what;
        uint32_t payload;
        uint32_t offset;
        int32_t size;
        bool fits;
    } steps[] = {
        {"first of two that fill it exactly", 150, 0, 100, true},
        {"second of two that fill it exactly", 150, 100, 50, true},
        {"an empty file at the very end", 150, 150, 0, true},
        {"one byte past the end", 150, 150, 1, false},
        {"running past the end", 120, 100, 50, false},
        {"the rest exactly", 120, 100, 20, true},
        {"negative size", 100, 0, -1, false},
        {"most negative size", 100, 0, std::numeric_limits<int32_t>::min(), false},
        {"start past the end", 100, 101, 0, false},
        {"a byte of an empty payload", 0, 0, 1, false},
        {"nothing of an empty payload", 0, 0, 0, true},
        {"large entry", huge, 0, 0x7FFFFFFF, true},
        {"second large entry", huge, 0x7FFFFFFF, 0x7FFFFFFF, true},
        // 0xFFFFFFFE + 0x20 wraps to 0x1E, which a naive "offset + size <= size" test accepts.
        {"size that wraps the offset", huge, 0xFFFFFFFEu, 0x20, false},
        {"one byte after the last", std::numeric_limits<uint32_t>::max(), 0xFFFFFFFFu, 1, false},
        {"the upper half", std::numeric_limits<uint32_t>::max(), 0x80000000u, 0x7FFFFFFF, true},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        EXPECT_EQ(s.fits, PayloadEntryFits(s.payload, s.offset, s.size) != 0);
        uint32_t offset = s.offset;
        EXPECT_EQ(s.fits, NextPayloadOffset(s.payload, &offset, s.size) != 0);
        EXPECT_EQ(s.fits ? s.offset + static_cast<uint32_t>(s.size) : s.offset, offset);
    }
    EXPECT_FALSE(NextPayloadOffset(100, nullptr, 0));
}

}  // namespace
