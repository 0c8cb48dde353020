// A ring of a few buffers between a thread that decodes a stream and one
// that takes its bytes, so that the two overlap. One producer, one consumer.
//
// The producer waits for a free slot (Space), fills it and hands it over
// (Publish), and at the end gives its verdict (Finish). The consumer takes
// bytes in place in pieces of any size (Take, or Read to copy them) and asks
// for the verdict (AtEnd). Stop, from either side or any thread, makes every
// waiting and later call of both return at once, as a failure.
//
// The waiting itself is left to the platform: two events that wake one
// waiter each (the Win32 auto-reset event's behaviour), set only when the
// other side waits.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <atomic>

class ZstdReader;

// Wait returns once Set was called after the previous Wait returned (at
// once when it already was).
class RingEvent {
public:
    virtual void Set() = 0;
    virtual void Wait() = 0;

protected:
    ~RingEvent() {}
};

class DecodeRing {
public:
    static const unsigned kSlots = 8;

    DecodeRing();
    ~DecodeRing();

    // Allocates the slots. filled wakes the consumer, emptied the producer;
    // both must outlive the ring's use. False when out of memory.
    bool Open(size_t slotSize, RingEvent* filled, RingEvent* emptied);
    size_t SlotSize() const { return slotSize_; }

    // Producer: a free slot of SlotSize() bytes (waits for one), null once stopped.
    uint8_t* Space();
    // Producer: the slot from Space holds bytes for the consumer.
    void Publish(size_t bytes);
    // Producer: no more slots; clean says the stream ended as it should,
    // otherwise error says why not (kept as given).
    void Finish(bool clean, const char* error);

    // Consumer: the next bytes, at most max (max > 0), in place in their
    // slot: *got says how many. They stay valid until the consumer's next
    // call. Null once stopped, or when the producer failed or finished before
    // more bytes.
    const uint8_t* Take(size_t max, size_t* got);
    // Consumer: exactly n bytes copied to dst; false as for Take.
    bool Read(void* dst, size_t n);
    // Consumer: true when every byte published was read and the producer
    // finished cleanly (waits for its verdict).
    bool AtEnd();
    // Why Take, Read or AtEnd failed, "" when they did not.
    const char* Error() const { return error_; }

    void Stop();

private:
    DecodeRing(const DecodeRing&) = delete;
    DecodeRing& operator=(const DecodeRing&) = delete;
    bool Waiting();       // the consumer's wait for a slot; false when none will come
    void GiveBackRead();  // the consumer gives back a slot read to its end

    uint8_t* memory_;
    size_t slotSize_;
    size_t sizes_[kSlots];  // each written by Publish before its slot counts as published
    RingEvent* filled_;
    RingEvent* emptied_;
    // Slots published and slots read since Open: the difference is the
    // number in use; each counter is written by one side only.
    std::atomic<unsigned> published_;
    std::atomic<unsigned> released_;
    size_t readAt_;  // the consumer's position in the slot being read
    enum { kRunning, kClean, kFailed };
    std::atomic<int> verdict_;
    std::atomic<bool> stopped_;
    // A side about to wait for its event (see WaitUnlessMoved).
    std::atomic<bool> producerWaits_;
    std::atomic<bool> consumerWaits_;
    const char* producerError_;
    const char* error_;
};

// The producer's loop: decodes total bytes from reader into the ring, a slot
// at a time, then finishes with the reader's verdict on the stream's end.
// Returns when done, failed or stopped.
void DecodeIntoRing(ZstdReader* reader, uint64_t total, DecodeRing* ring);
