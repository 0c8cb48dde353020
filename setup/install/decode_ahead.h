// The compressed payload decoded ahead of the installation worker, on a
// thread of its own, into a ring of 3 MB: while the worker writes
// one piece, the next ones are being decoded on the other processor.
//
// The worker takes the bytes in order with Take, in place in the ring (it
// writes them from there), and asks for the clean end of the stream with
// AtEnd, as it would from the decoder itself. Close (and the destructor)
// stops the decoding thread, waits for it and frees everything, whatever
// state the reading was left in. Where no thread can be
// started, the bytes are decoded on the worker's thread as they are asked for.
#pragma once

#include <windows.h>
#include <stddef.h>
#include <stdint.h>

#include "decode_ring.h"
#include "zstd_decoder.h"

// A Win32 auto-reset event.
class WinRingEvent : public RingEvent {
public:
    WinRingEvent() : handle_(CreateEventA(nullptr, FALSE, FALSE, nullptr)) {}
    ~WinRingEvent() {
        if (handle_) CloseHandle(handle_);
    }
    bool Made() const { return handle_ != nullptr; }
    void Set() override { SetEvent(handle_); }
    void Wait() override { WaitForSingleObject(handle_, INFINITE); }

private:
    WinRingEvent(const WinRingEvent&) = delete;
    WinRingEvent& operator=(const WinRingEvent&) = delete;
    HANDLE handle_;
};

class DecodeAhead {
public:
    DecodeAhead() : thread_(nullptr), total_(0), piece_(nullptr) {}
    ~DecodeAhead() { Close(); }

    // Starts decoding the stream (size bytes at src, kept in place until
    // Close) of decodedSize bytes, whose frames may ask for maxWindow bytes of
    // history at most. False when out of memory.
    bool Open(const uint8_t* src, size_t size, size_t maxWindow, uint64_t decodedSize);

    // The next bytes, at most max (max > 0), in place: *got says how many.
    // They stay valid until the next call. Null when the stream is damaged or
    // ends before.
    const uint8_t* Take(size_t max, size_t* got);
    // True when every byte was read and the stream ended cleanly there.
    bool AtEnd();

    void Close();

private:
    DecodeAhead(const DecodeAhead&) = delete;
    DecodeAhead& operator=(const DecodeAhead&) = delete;
    static DWORD WINAPI Run(void* self);

    ZstdReader reader_;
    WinRingEvent filled_;
    WinRingEvent emptied_;
    DecodeRing ring_;
    HANDLE thread_;  // null: decoding on the caller's thread
    uint64_t total_;
    uint8_t* piece_;  // without a thread: where Take decodes to
};
