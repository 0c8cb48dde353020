// The decoding thread of the compressed payload and its ring.
#include "decode_ahead.h"

namespace {

// Four slots of 512 KB keep the decoder up to 2 MB ahead of the worker, which
// asks for 1 MB at a time: the ring then fills while a piece is written, and
// the peak memory (64 MB of history at most, the ring, the worker's piece)
// stays within 80 MB.
const size_t kSlotSize = 512 << 10;

}  // namespace

bool DecodeAhead::Open(const uint8_t* src, size_t size, size_t maxWindow, uint64_t decodedSize) {
    Close();
    if (!reader_.Open(src, size, maxWindow)) return false;
    total_ = decodedSize;
    // Without a second thread the worker decodes as it reads, as before.
    if (!filled_.Made() || !emptied_.Made() || !ring_.Open(kSlotSize, &filled_, &emptied_)) return true;
    thread_ = CreateThread(nullptr, 0, Run, this, 0, nullptr);
    return true;
}

DWORD WINAPI DecodeAhead::Run(void* self) {
    DecodeAhead* ahead = static_cast<DecodeAhead*>(self);
    DecodeIntoRing(&ahead->reader_, ahead->total_, &ahead->ring_);
    return 0;
}

bool DecodeAhead::Read(void* dst, size_t n) { return thread_ ? ring_.Read(dst, n) : reader_.Read(dst, n); }

bool DecodeAhead::AtEnd() { return thread_ ? ring_.AtEnd() : reader_.AtEnd(); }

void DecodeAhead::Close() {
    if (thread_) {
        ring_.Stop();
        WaitForSingleObject(thread_, INFINITE);
        CloseHandle(thread_);
        thread_ = nullptr;
    }
    reader_.Close();
}
