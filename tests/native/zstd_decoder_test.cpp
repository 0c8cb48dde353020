// The zstd decoder against libzstd: streams compressed with libzstd's
// settings decoded in pieces of every size, damaged streams, hand-made blocks
// with out-of-range offsets, and the limits on memory.
#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>
#include <zstd.h>

#include <string>
#include <vector>

#include "test_files.h"
#include "xxhash64.h"
#include "zstd_decoder.h"
#include "zstd_streams.h"

namespace {

using testzstd::Bytes;
using testzstd::Compress;
using testzstd::FarRepeat;
using testzstd::MixedData;
using testzstd::RandomData;
using testzstd::Settings;

// Reads `size` bytes in pieces cycling through `pieces`, then asks for the end.
// Returns the error, or "" when everything was read and the input ended cleanly.
std::string Decode(const Bytes& in, size_t size, const std::vector<size_t>& pieces, Bytes* out,
                   size_t maxWindow = 1u << 27) {
    ZstdReader reader;
    if (!reader.Open(in.data(), in.size(), maxWindow)) return "open";
    out->assign(size, 0xEE);
    for (size_t at = 0, i = 0; at < size; ++i) {
        size_t n = std::min(pieces[i % pieces.size()], size - at);
        if (!reader.Read(out->data() + at, n)) {
            // A failure is for good: nothing more comes out.
            std::string error = reader.Error();
            uint8_t byte;
            return reader.Read(&byte, 1) || reader.AtEnd() ? "output after a failure" : error;
        }
        at += n;
    }
    return reader.AtEnd() ? "" : std::string("no clean end: ") + reader.Error();
}

const std::vector<std::vector<size_t>> kPieces = {{1}, {7, 13, 4093, 1, 65536 + 5}, {1u << 22}};

TEST(ZstdDecoder, DecodesWhatLibzstdCompressesInPiecesOfEverySize) {
    const Bytes mixed = MixedData(1 << 20, 1), far = FarRepeat();
    const struct {
        const char* name;
        Bytes data;
        Settings settings;
    } cases[] = {
        {"empty", {}, {3, 0, false, true, true}},
        {"one byte", {42}, {3, 0, false, true, true}},
        {"random, raw blocks", RandomData(300000, 3), {19, 0, false, true, true}},
        {"one byte repeated", Bytes(1 << 20, 'a'), {3, 0, false, true, false}},
        {"level 1", mixed, {1, 0, false, true, true}},
        {"level 3", mixed, {3, 0, false, true, true}},
        {"level 9, no size", mixed, {9, 0, false, true, false}},
        {"level 19", mixed, {19, 0, false, true, true}},
        {"1 KB window, many wraps", MixedData(300000, 2), {19, 10, false, true, false}},
        {"128 KB window", MixedData(3 << 20, 4), {9, 17, false, true, false}},
        {"long matches, window 2^23", far, {3, 23, true, true, false}},
        {"long matches, window 2^24", far, {3, 24, true, true, false}},
        {"long matches, window 2^25", far, {19, 25, true, true, true}},
        {"long matches, window 2^26", far, {3, 26, true, true, false}},
    };
    for (const auto& c : cases) {
        const Bytes packed = Compress(c.data, c.settings);
        for (const auto& pieces : kPieces) {
            Bytes out;
            EXPECT_EQ("", Decode(packed, c.data.size(), pieces, &out)) << c.name << ", first piece " << pieces[0];
            EXPECT_TRUE(out == c.data) << c.name << ", first piece " << pieces[0];
        }
    }
}

TEST(ZstdDecoder, FramesBackToBackWithSkippableFramesBetween) {
    const Bytes a = MixedData(200000, 5), b = RandomData(5000, 6), c = MixedData(70000, 7);
    const Bytes skippable = {0x5A, 0x2A, 0x4D, 0x18, 3, 0, 0, 0, 'x', 'y', 'z'};
    Bytes in = Compress(a, {19, 0, false, true, true}), expected = a;
    in.insert(in.end(), skippable.begin(), skippable.end());
    for (const auto& part : {std::make_pair(b, Settings{1, 0, false, true, false}),
                             std::make_pair(c, Settings{9, 0, false, true, false})}) {
        Bytes packed = Compress(part.first, part.second);
        in.insert(in.end(), packed.begin(), packed.end());
        expected.insert(expected.end(), part.first.begin(), part.first.end());
    }
    in.insert(in.end(), skippable.begin(), skippable.end());
    for (const auto& pieces : kPieces) {
        Bytes out;
        EXPECT_EQ("", Decode(in, expected.size(), pieces, &out));
        EXPECT_TRUE(out == expected);
    }
    Bytes out;
    EXPECT_EQ("", Decode(skippable, 0, {1}, &out)) << "a lone skippable frame is a clean end";
}

// A hand-made frame with the checksum flag set and the checksum of content appended.
Bytes WithChecksum(Bytes frame, const std::string& content) {
    frame[4] |= 4;
    Xxh64 hash;
    Xxh64Reset(&hash, 0);
    Xxh64Update(&hash, content.data(), content.size());
    const uint64_t sum = Xxh64Digest(&hash);
    for (int i = 0; i < 4; ++i) frame.push_back(static_cast<uint8_t>(sum >> (8 * i)));
    return frame;
}

// Hand-made frames: 1 KB window, one compressed block with the literals "abc"
// and one sequence (literal length 3, match length 3) whose codes come from
// one-symbol tables, so that the bit stream holds only the offset's extra bits.
Bytes OneSequenceFrame(uint8_t offsetCode, uint8_t offsetBitsByte, uint8_t literalLengthCode = 3) {
    return {0x28, 0xB5, 0x2F, 0xFD, 0x00, 0x00, 0x55, 0x00, 0x00, 0x18, 'a', 'b', 'c', 0x01, 0x54,
            literalLengthCode, offsetCode, 0x00, offsetBitsByte};
}

TEST(ZstdDecoder, OffsetsReachOnlyBytesOfTheCurrentFrame) {
    const Bytes abc = WithChecksum({0x28, 0xB5, 0x2F, 0xFD, 0x00, 0x00, 0x19, 0x00, 0x00, 'x', 'y', 'z'}, "xyz");
    const struct {
        const char* name;
        Bytes frame;
        const char* output;  // nullptr: must fail
    } cases[] = {
        {"offset 3", OneSequenceFrame(2, 0x06), "abcabc"},
        {"offset 4, before the start", OneSequenceFrame(2, 0x07), nullptr},
        {"first recent offset (1)", OneSequenceFrame(0, 0x01), "abcccc"},
        {"second recent offset (4), before the start", OneSequenceFrame(1, 0x02), nullptr},
        {"third recent offset (8), before the start", OneSequenceFrame(1, 0x03), nullptr},
        {"no literals, first recent offset minus one is 0", OneSequenceFrame(1, 0x03, 0), nullptr},
        {"marker bit missing", OneSequenceFrame(2, 0x00), nullptr},
        {"bits left over", OneSequenceFrame(2, 0x0C), nullptr},
    };
    for (const auto& c : cases) {
        for (bool afterAnotherFrame : {false, true}) {
            Bytes in = afterAnotherFrame ? abc : Bytes();
            const Bytes frame = WithChecksum(c.frame, c.output ? c.output : "");
            in.insert(in.end(), frame.begin(), frame.end());
            std::string expected = (afterAnotherFrame ? "xyz" : "") + std::string(c.output ? c.output : "");
            Bytes out;
            std::string error = Decode(in, c.output ? expected.size() : 16, {1}, &out);
            if (c.output) {
                EXPECT_EQ("", error) << c.name;
                EXPECT_EQ(expected, std::string(out.begin(), out.end())) << c.name;
            } else {
                EXPECT_NE("", error) << c.name;
                EXPECT_NE("checksum mismatch", error) << c.name << ": refused for another reason";
            }
        }
    }
}

TEST(ZstdDecoder, RefusesWhatItCannotOrMustNotDecode) {
    const Bytes data = MixedData(100000, 9);
    const Bytes wide = Compress(data, {3, 20, false, true, false});
    const Bytes noChecksum = Compress(data, {3, 20, false, false, true});
    // The same frame with a 4-byte content size after the window byte.
    Bytes sized = wide;
    sized[4] |= 0x80;
    const uint8_t size[4] = {static_cast<uint8_t>(data.size()), static_cast<uint8_t>(data.size() >> 8),
                             static_cast<uint8_t>(data.size() >> 16), 0};
    sized.insert(sized.begin() + 6, size, size + 4);
    Bytes trailing = sized;
    trailing.push_back(0);
    const Bytes dictionary = WithChecksum({0x28, 0xB5, 0x2F, 0xFD, 0x01, 0x00, 0x07, 0x01, 0x00, 0x00}, "");
    Bytes noDictionary = dictionary;
    noDictionary[6] = 0;
    // Window 2^34 declared, content size 0 (found by fuzzing): refused as the reference decoder does.
    const Bytes hugeWindow = {0x28, 0xB5, 0x2F, 0xFD, 0xC4, 0xC2, 0, 0, 0, 0, 0, 0, 0, 0, 0x01, 0x00, 0x00,
                              0x99, 0xE9, 0xD8, 0x51};
    const struct {
        const char* name;
        const Bytes& in;
        size_t size;
        size_t maxWindow;
        bool ok;
    } cases[] = {
        {"1 MB window, 512 KB allowed", wide, data.size(), 512 << 10, false},
        {"same, content size known and small enough", sized, data.size(), 512 << 10, true},
        {"more output asked than there is", sized, data.size() + 1, 1 << 20, false},
        {"bytes after the last frame", trailing, data.size(), 1 << 20, false},
        {"dictionary needed", dictionary, 0, 1 << 20, false},
        {"dictionary field present but 0", noDictionary, 0, 1 << 20, true},
        {"empty input", Bytes(), 0, 1 << 20, false},
        {"window past 2^31, empty content", hugeWindow, 0, 1 << 20, false},
        {"frame without a content checksum", noChecksum, data.size(), 1 << 20, false},
    };
    for (const auto& c : cases) {
        Bytes out;
        std::string error = Decode(c.in, c.size, {4096}, &out, c.maxWindow);
        EXPECT_EQ(c.ok, error.empty()) << c.name << ": " << error;
        if (c.ok && c.size) {
            EXPECT_TRUE(out == data) << c.name;
        }
    }
}

TEST(ZstdDecoder, DamagedStreamsFailOrGiveTheRightBytes) {
    const Bytes data = MixedData(150000, 10);
    const Bytes packed = Compress(data, {19, 17, false, true, true});
    // Every cut fails: the frame is incomplete.
    for (size_t cut = 0; cut < packed.size(); cut += cut + 8 < packed.size() ? 37 : 1) {
        Bytes out;
        EXPECT_NE("", Decode(Bytes(packed.begin(), packed.begin() + cut), data.size(), {999}, &out)) << cut;
    }
    // A changed byte anywhere either fails or changes nothing in the output.
    size_t failures = 0, tries = 0;
    for (size_t at = 0; at < packed.size(); at += 1 + at / 64) {
        for (uint8_t flip : {0x01, 0x80, 0xFF}) {
            Bytes damaged = packed, out;
            damaged[at] ^= flip;
            ++tries;
            if (Decode(damaged, data.size(), {4096}, &out).empty())
                EXPECT_TRUE(out == data) << "byte " << at << " ^ " << int(flip) << " gave wrong data";
            else
                ++failures;
        }
    }
    EXPECT_GT(failures, tries * 9 / 10);
    // A wrong checksum withholds the last block: the whole output cannot be read.
    Bytes wrongSum = packed;
    wrongSum.back() ^= 1;
    for (size_t piece : {size_t(1), data.size()}) {
        Bytes out;
        EXPECT_EQ("checksum mismatch", Decode(wrongSum, data.size(), {piece}, &out)) << piece;
    }
}

// Frames made by hand (tools/fuzz/make_seeds.py writes them as seeds of the
// decoder's fuzz target, after its one byte of piece sizes): each one the
// format forbids beside the nearest one it allows, and libzstd's verdict on
// it. output: what the frame holds, or would give if it were accepted.
TEST(ZstdDecoder, HandMadeFramesAtTheFormatsLimits) {
    const struct {
        const char* seed;
        bool ok;
        Bytes output;
        bool libzstdAccepts;
    } cases[] = {
        {"huffman_255_weights", true, {0xFF, 0, 0xFF}, true},
        // A 257th symbol, cut to a byte: weights must not be stored past the 255th.
        {"huffman_256_weights_forbidden", false, {0, 0, 0}, false},
        {"four_streams_6_literals", true, {0, 1, 1, 0, 1, 0}, true},
        {"four_streams_4_literals_forbidden", false, {0, 1, 1, 0}, false},
        {"four_streams_5_bytes_forbidden", false, {0, 1, 1, 0, 1, 0}, false},
        {"raw_checksum", true, {'a', 'b', 'c'}, true},
        // A valid frame, but the payload's frames all carry their checksum.
        {"raw_no_checksum_forbidden", false, {'a', 'b', 'c'}, true},
    };
    for (const auto& c : cases) {
        Bytes seed;
        ASSERT_TRUE(testfiles::ReadFileBytes(std::string(TESTS_SOURCE_DIR "/tests/fuzz/corpus/zstd_decoder_fuzz/") +
                                                 c.seed, &seed)) << c.seed;
        const Bytes in(seed.begin() + 1, seed.end());
        Bytes theirs(64);
        size_t n = ZSTD_decompress(theirs.data(), theirs.size(), in.data(), in.size());
        EXPECT_EQ(c.libzstdAccepts, !ZSTD_isError(n)) << c.seed;
        for (size_t piece : {size_t(1), size_t(64)}) {
            Bytes out;
            std::string error = Decode(in, c.output.size(), {piece}, &out);
            EXPECT_EQ(c.ok, error.empty()) << c.seed << ": " << error;
            if (c.ok) {
                EXPECT_TRUE(out == c.output) << c.seed;
            }
        }
    }
}

TEST(ZstdDecoder, MemoryFollowsTheWindowNotTheOutput) {
    const Bytes data = MixedData(4 << 20, 11);
    const Bytes packed = Compress(data, {3, 17, false, true, false});
    ZstdReader reader;
    ASSERT_TRUE(reader.Open(packed.data(), packed.size(), 1 << 17));
    Bytes out(data.size());
    ASSERT_TRUE(reader.Read(out.data(), out.size())) << reader.Error();
    EXPECT_TRUE(reader.AtEnd());
    EXPECT_TRUE(out == data);
    EXPECT_LT(reader.MemoryUsed(), (128u << 10) * 3 + (32u << 10));
}

}  // namespace
