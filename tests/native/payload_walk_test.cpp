// The payload walk: untrusted entry sizes against the payload's own size.
#include <gtest/gtest.h>

#include <limits>

#include "payload_walk.h"

namespace {

TEST(PayloadWalk, EntriesThatFillThePayloadExactlyAreAllTaken) {
    uint32_t offset = 0;
    EXPECT_TRUE(NextPayloadOffset(150, &offset, 100));
    EXPECT_TRUE(NextPayloadOffset(150, &offset, 50));
    EXPECT_EQ(150u, offset);
    // An empty file fits at the very end, and nothing more does.
    EXPECT_TRUE(NextPayloadOffset(150, &offset, 0));
    EXPECT_FALSE(NextPayloadOffset(150, &offset, 1));
    EXPECT_EQ(150u, offset);
}

TEST(PayloadWalk, AnEntryRunningPastTheEndIsRefusedAndTheOffsetStays) {
    uint32_t offset = 100;
    EXPECT_FALSE(PayloadEntryFits(120, offset, 50));
    EXPECT_FALSE(NextPayloadOffset(120, &offset, 50));
    EXPECT_EQ(100u, offset);
    EXPECT_TRUE(PayloadEntryFits(120, offset, 20));
}

TEST(PayloadWalk, NegativeSizesAndStartsPastTheEndNeverFit) {
    EXPECT_FALSE(PayloadEntryFits(100, 0, -1));
    EXPECT_FALSE(PayloadEntryFits(100, 0, std::numeric_limits<int32_t>::min()));
    EXPECT_FALSE(PayloadEntryFits(100, 101, 0));
    EXPECT_FALSE(PayloadEntryFits(0, 0, 1));
    EXPECT_TRUE(PayloadEntryFits(0, 0, 0));
    EXPECT_FALSE(NextPayloadOffset(100, nullptr, 0));
}

// Sizes whose sum wraps around 32 bits must not bring the offset back inside.
TEST(PayloadWalk, SizesThatWouldWrapTheOffsetAreRefused) {
    const uint32_t huge = 0xFFFFFFFFu;
    uint32_t offset = 0;
    EXPECT_TRUE(NextPayloadOffset(huge, &offset, 0x7FFFFFFF));
    EXPECT_TRUE(NextPayloadOffset(huge, &offset, 0x7FFFFFFF));
    EXPECT_EQ(0xFFFFFFFEu, offset);
    // 0xFFFFFFFE + 0x20 wraps to 0x1E, which a naive "offset + size <= size" test accepts.
    EXPECT_FALSE(NextPayloadOffset(huge, &offset, 0x20));
    EXPECT_EQ(0xFFFFFFFEu, offset);
    EXPECT_FALSE(PayloadEntryFits(std::numeric_limits<uint32_t>::max(), 0xFFFFFFFFu, 1));
    EXPECT_TRUE(PayloadEntryFits(std::numeric_limits<uint32_t>::max(), 0x80000000u, 0x7FFFFFFF));
}

}  // namespace
