// The ring between the decoding thread and the one that writes the files.
#include "decode_ring.h"

#include <stdlib.h>
#include <string.h>

#include "zstd_decoder.h"

DecodeRing::DecodeRing()
    : memory_(nullptr),
      slotSize_(0),
      filled_(nullptr),
      emptied_(nullptr),
      published_(0),
      released_(0),
      readAt_(0),
      verdict_(kRunning),
      stopped_(false),
      producerWaits_(false),
      consumerWaits_(false),
      producerError_(""),
      error_("") {}

DecodeRing::~DecodeRing() { free(memory_); }

bool DecodeRing::Open(size_t slotSize, RingEvent* filled, RingEvent* emptied) {
    free(memory_);
    published_ = 0;
    released_ = 0;
    readAt_ = 0;
    verdict_ = kRunning;
    stopped_ = producerWaits_ = consumerWaits_ = false;
    producerError_ = error_ = "";
    memory_ = static_cast<uint8_t*>(malloc(slotSize * kSlots));
    if (!memory_) return false;
    slotSize_ = slotSize;
    filled_ = filled;
    emptied_ = emptied;
    return true;
}

// A side waits for its event only after it said so in its flag and then
// found the other side's counter still where it was; the other side sets the
// event only when it finds the flag set after moving its counter. Both go
// through sequentially consistent atomics, so one of the two sees the other
// and no wake-up is missed. Finish and Stop set the events whatever the flags
// say. Setting an event is a call into the system, and most hand-overs find
// the other side busy.
static void WaitUnlessMoved(std::atomic<bool>* waits, const std::atomic<unsigned>* counter, unsigned seen,
                            RingEvent* event) {
    waits->store(true);
    if (counter->load() == seen) event->Wait();
    waits->store(false);
}

uint8_t* DecodeRing::Space() {
    for (;;) {
        if (stopped_.load()) return nullptr;
        unsigned at = published_.load(std::memory_order_relaxed);
        if (at - released_.load() < kSlots) return memory_ + (at % kSlots) * slotSize_;
        WaitUnlessMoved(&producerWaits_, &released_, at - kSlots, emptied_);
    }
}

void DecodeRing::Publish(size_t bytes) {
    unsigned at = published_.load(std::memory_order_relaxed);
    sizes_[at % kSlots] = bytes;
    published_.store(at + 1);
    if (consumerWaits_.load()) filled_->Set();
}

void DecodeRing::Finish(bool clean, const char* error) {
    producerError_ = error;
    verdict_.store(clean ? kClean : kFailed, std::memory_order_release);
    filled_->Set();
}

void DecodeRing::Stop() {
    stopped_.store(true);
    filled_->Set();
    emptied_->Set();
}

// Waits until a slot is there to read (true) or none will come (false, with
// the reason in error_).
bool DecodeRing::Waiting() {
    for (;;) {
        if (stopped_.load()) {
            error_ = "stopped";
            return false;
        }
        // The verdict is read before the count: a producer publishes its
        // last slot before it finishes.
        int verdict = verdict_.load(std::memory_order_acquire);
        unsigned taken = released_.load(std::memory_order_relaxed);
        if (published_.load(std::memory_order_acquire) != taken) return true;
        if (verdict == kFailed) {
            error_ = producerError_;
            return false;
        }
        if (verdict == kClean) {
            error_ = "the stream ends before the bytes asked for";
            return false;
        }
        WaitUnlessMoved(&consumerWaits_, &published_, taken, filled_);
    }
}

// A slot is given back only on the consumer's next call, once the bytes last
// taken from it are no longer used.
void DecodeRing::GiveBackRead() {
    unsigned taken = released_.load(std::memory_order_relaxed);
    if (published_.load(std::memory_order_acquire) == taken || readAt_ < sizes_[taken % kSlots]) return;
    readAt_ = 0;
    released_.store(taken + 1);
    if (producerWaits_.load()) emptied_->Set();
}

const uint8_t* DecodeRing::Take(size_t max, size_t* got) {
    *got = 0;
    GiveBackRead();
    if (!Waiting()) return nullptr;
    size_t slot = released_.load(std::memory_order_relaxed) % kSlots;
    size_t n = sizes_[slot] - readAt_;
    if (n > max) n = max;
    const uint8_t* bytes = memory_ + slot * slotSize_ + readAt_;
    readAt_ += n;
    *got = n;
    return bytes;
}

bool DecodeRing::Read(void* dst, size_t n) {
    uint8_t* d = static_cast<uint8_t*>(dst);
    while (n) {
        size_t got;
        const uint8_t* bytes = Take(n, &got);
        if (!bytes) return false;
        memcpy(d, bytes, got);
        d += got;
        n -= got;
    }
    return true;
}

bool DecodeRing::AtEnd() {
    GiveBackRead();
    if (Waiting()) {
        error_ = "bytes left after the end";
        return false;
    }
    if (stopped_.load() || verdict_.load(std::memory_order_acquire) != kClean) return false;
    error_ = "";
    return true;
}

void DecodeIntoRing(ZstdReader* reader, uint64_t total, DecodeRing* ring) {
    for (uint64_t left = total; left > 0;) {
        uint8_t* slot = ring->Space();
        if (!slot) return;
        size_t n = left < ring->SlotSize() ? static_cast<size_t>(left) : ring->SlotSize();
        if (!reader->Read(slot, n)) {
            ring->Finish(false, reader->Error());
            return;
        }
        ring->Publish(n);
        left -= n;
    }
    bool clean = reader->AtEnd();
    ring->Finish(clean, reader->Error());
}
