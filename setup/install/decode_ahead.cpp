// The decoding thread of the compressed payload and its ring.
#include "decode_ahead.h"

#include <stdlib.h>

namespace {

// Eight slots of 384 KB keep the decoder up to 3 MB ahead of the worker, which
// writes each slot's bytes from the slot itself: the ring fills while a slot
// is written, and while the worker creates and closes files and pauses
// between them, the time the decoder needs to catch up after a run of large
// files. The peak memory (64 MB of history at most and the ring) stays
// within 80 MB.
const size_t kSlotSize = 384 << 10;

}  // namespace

bool DecodeAhead::Open(const uint8_t* src, size_t size, size_t maxWindow, uint64_t decodedSize) {
    Close();
    if (!reader_.Open(src, size, maxWindow)) return false;
    total_ = decodedSize;
    if (filled_.Made() && emptied_.Made() && ring_.Open(kSlotSize, &filled_, &emptied_)) {
        thread_ = CreateThread(nullptr, 0, Run, this, 0, nullptr);
        if (thread_) return true;
    }
    // Without a second thread the worker decodes as it takes, a slot's worth at a time.
    piece_ = static_cast<uint8_t*>(malloc(kSlotSize));
    return piece_ != nullptr;
}

DWORD WINAPI DecodeAhead::Run(void* self) {
    DecodeAhead* ahead = static_cast<DecodeAhead*>(self);
    DecodeIntoRing(&ahead->reader_, ahead->total_, &ahead->ring_);
    return 0;
}

const uint8_t* DecodeAhead::Take(size_t max, size_t* got) {
    if (thread_) return ring_.Take(max, got);
    *got = max < kSlotSize ? max : kSlotSize;
    if (reader_.Read(piece_, *got)) return piece_;
    *got = 0;
    return nullptr;
}

bool DecodeAhead::AtEnd() { return thread_ ? ring_.AtEnd() : reader_.AtEnd(); }

void DecodeAhead::Close() {
    if (thread_) {
        ring_.Stop();
        WaitForSingleObject(thread_, INFINITE);
        CloseHandle(thread_);
        thread_ = nullptr;
    }
    reader_.Close();
    free(piece_);
    piece_ = nullptr;
}
