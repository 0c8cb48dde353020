// The ring between the decoding thread and the writer: a real stream decoded
// on one thread and read on another in pieces of odd sizes, pieces taken in
// place that must stay as they are while the decoder goes on, a damaged stream,
// a stream longer or shorter than announced, a reader that asks for too much
// or too little, and stops from either side while the other waits.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

#include "decode_ring.h"
#include "zstd_decoder.h"
#include "zstd_streams.h"

namespace {

using testzstd::Bytes;

// An auto-reset event made of a mutex and a condition variable, which counts
// how often it is set and waited for.
class TestEvent : public RingEvent {
public:
    void Set() override {
        std::lock_guard<std::mutex> hold(lock_);
        set_ = true;
        ++sets;
        wake_.notify_one();
    }
    void Wait() override {
        std::unique_lock<std::mutex> hold(lock_);
        ++waits;
        wake_.wait(hold, [this] { return set_; });
        set_ = false;
    }
    std::atomic<unsigned> sets{0}, waits{0};

private:
    std::mutex lock_;
    std::condition_variable wake_;
    bool set_ = false;
};

// A stream being decoded into a ring on a thread of its own, as setup does;
// the destructor stops the ring and joins the thread.
struct Decoding {
    TestEvent filled, emptied;
    DecodeRing ring;
    ZstdReader reader;
    std::thread thread;

    Decoding(const Bytes& stream, uint64_t total, size_t slotSize) {
        EXPECT_TRUE(reader.Open(stream.data(), stream.size(), 1u << 24));
        EXPECT_TRUE(ring.Open(slotSize, &filled, &emptied));
        thread = std::thread([this, total] { DecodeIntoRing(&reader, total, &ring); });
    }
    ~Decoding() {
        ring.Stop();
        thread.join();
    }
};

const testzstd::Settings kQuick = {3, 0, false, true, true};

Bytes Program() { return testzstd::MixedData(3u << 19, 5); }

// Reads total bytes in pieces of 1, 7, 4093 and 65541 bytes in turn.
bool ReadAll(DecodeRing* ring, size_t total, Bytes* out) {
    const size_t pieces[] = {1, 7, 4093, 65541};
    out->assign(total, 0);
    for (size_t at = 0, i = 0; at < total; ++i) {
        size_t n = std::min(pieces[i % 4], total - at);
        if (!ring->Read(out->data() + at, n)) return false;
        at += n;
    }
    return true;
}

TEST(DecodeRing, HandsOverTheDecodedBytesInOrderThroughSlotsOfAnySize) {
    Bytes data = Program();
    Bytes stream = testzstd::Compress(data, kQuick);
    // Slots smaller than the reads, of an odd size, and as large as setup's.
    for (size_t slot : {size_t(1000), size_t(65536 + 3), size_t(1) << 20}) {
        SCOPED_TRACE(slot);
        Decoding d(stream, data.size(), slot);
        Bytes out;
        ASSERT_TRUE(ReadAll(&d.ring, data.size(), &out)) << d.ring.Error();
        EXPECT_TRUE(out == data);
        EXPECT_TRUE(d.ring.AtEnd()) << d.ring.Error();
        EXPECT_STREQ("", d.ring.Error());
    }
}

// The writer writes each piece from its slot while the decoder fills the
// others: a piece checked only after the decoder had time to go on (and to
// fill every slot given back) must still hold the right bytes.
TEST(DecodeRing, PiecesTakenInPlaceStayUntilTheNextCall) {
    Bytes data = Program();
    Bytes stream = testzstd::Compress(data, kQuick);
    for (size_t slot : {size_t(1000), size_t(65536 + 3)}) {
        SCOPED_TRACE(slot);
        Decoding d(stream, data.size(), slot);
        size_t at = 0, wrong = 0;
        for (size_t i = 0; at < data.size(); ++i) {
            size_t got;
            const uint8_t* piece = d.ring.Take(std::min<size_t>(i % 2 ? 4093 : 100000, data.size() - at), &got);
            ASSERT_NE(nullptr, piece) << d.ring.Error();
            ASSERT_GT(got, 0u);
            if (i % 16 == 0) std::this_thread::sleep_for(std::chrono::microseconds(500));
            if (!std::equal(piece, piece + got, data.begin() + static_cast<ptrdiff_t>(at))) ++wrong;
            at += got;
        }
        EXPECT_EQ(0u, wrong);
        EXPECT_TRUE(d.ring.AtEnd()) << d.ring.Error();
    }
}

// Setting an event is a call into the system: a side is woken only when it
// waits (or is about to), and none of the many hand-overs is missed.
TEST(DecodeRing, WakesASideOnlyWhenItWaits) {
    Bytes data = Program();
    Bytes stream = testzstd::Compress(data, kQuick);
    const size_t slot = 16384;
    Decoding d(stream, data.size(), slot);
    // A slow writer: the ring stays full, the decoder waits for room each
    // time, and the writer finds bytes ready.
    Bytes out(data.size());
    for (size_t at = 0; at < data.size(); at += slot) {
        std::this_thread::sleep_for(std::chrono::microseconds(300));
        ASSERT_TRUE(d.ring.Read(out.data() + at, std::min(slot, data.size() - at))) << d.ring.Error();
    }
    ASSERT_TRUE(d.ring.AtEnd()) << d.ring.Error();
    EXPECT_TRUE(out == data);
    // Each wait is answered by at most a ring's worth of wake-ups (a side
    // that looked once more before waiting may be woken for nothing).
    EXPECT_LE(d.filled.sets.load(), DecodeRing::kSlots * (d.filled.waits.load() + 1));
    EXPECT_LE(d.emptied.sets.load(), DecodeRing::kSlots * (d.emptied.waits.load() + 1));
    EXPECT_GT(d.emptied.waits.load(), 0u);
}

TEST(DecodeRing, ADamagedStreamFailsTheReadThatReachesTheDamage) {
    Bytes data = Program();
    Bytes stream = testzstd::Compress(data, kQuick);
    Bytes damaged = stream;
    damaged[damaged.size() / 2] ^= 0x5A;
    Decoding d(damaged, data.size(), 1 << 16);
    Bytes out;
    // The damage shows before the last byte at the latest, through the checksum.
    EXPECT_FALSE(ReadAll(&d.ring, data.size(), &out) && d.ring.AtEnd());
    EXPECT_STRNE("", d.ring.Error());
    // A failure is for good.
    uint8_t byte;
    EXPECT_FALSE(d.ring.Read(&byte, 1));
    EXPECT_FALSE(d.ring.AtEnd());
}

TEST(DecodeRing, TheEndMustComeWhereTheReaderAndTheStreamAgree) {
    Bytes data = Program();
    Bytes stream = testzstd::Compress(data, kQuick);
    Bytes out;
    {
        SCOPED_TRACE("the reader asks for one byte more than the stream holds");
        Decoding d(stream, data.size(), 1 << 16);
        EXPECT_FALSE(ReadAll(&d.ring, data.size() + 1, &out));
        EXPECT_STRNE("", d.ring.Error());
    }
    {
        SCOPED_TRACE("the reader leaves a byte");
        Decoding d(stream, data.size(), 1 << 16);
        ASSERT_TRUE(ReadAll(&d.ring, data.size() - 1, &out));
        EXPECT_FALSE(d.ring.AtEnd());
    }
    {
        SCOPED_TRACE("the size announced is larger than the stream's");
        Decoding d(stream, data.size() + 10, 1 << 16);
        EXPECT_FALSE(ReadAll(&d.ring, data.size() + 10, &out));
    }
    {
        SCOPED_TRACE("the size announced is smaller: the stream has bytes left");
        Decoding d(stream, data.size() - 10, 1 << 16);
        ASSERT_TRUE(ReadAll(&d.ring, data.size() - 10, &out));
        EXPECT_FALSE(d.ring.AtEnd());
    }
}

TEST(DecodeRing, AStopReleasesBothSidesWhileTheyWait) {
    Bytes data = Program();
    Bytes stream = testzstd::Compress(data, kQuick);
    {
        SCOPED_TRACE("the producer waits for room: nothing is read");
        Decoding d(stream, data.size(), 1000);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }  // the destructor's stop and join must return
    {
        SCOPED_TRACE("the consumer waits for bytes that a stalled producer would never give");
        TestEvent filled, emptied;
        DecodeRing ring;
        ASSERT_TRUE(ring.Open(1000, &filled, &emptied));
        std::thread stopper([&ring] {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            ring.Stop();
        });
        uint8_t byte;
        EXPECT_FALSE(ring.Read(&byte, 1));
        EXPECT_FALSE(ring.AtEnd());
        stopper.join();
        EXPECT_EQ(nullptr, ring.Space());
    }
    {
        SCOPED_TRACE("the writer stops half-way, then a new extraction starts from the first byte");
        Bytes out;
        for (int attempt = 0; attempt < 2; ++attempt) {
            Decoding d(stream, data.size(), 1 << 16);
            ASSERT_TRUE(ReadAll(&d.ring, data.size() / 2, &out));
            EXPECT_TRUE(std::equal(out.begin(), out.end(), data.begin()));
            d.ring.Stop();
            uint8_t byte;
            EXPECT_FALSE(d.ring.Read(&byte, 1));
            EXPECT_FALSE(d.ring.AtEnd());
        }
    }
}

}  // namespace
