// A Zstandard (zstd) decoder that hands its output out piece by piece, with
// memory bounded by the window of the frames (not by their size).
//
// The input is one span in memory (zstd frames and skippable frames back to
// back); the caller pulls the decoded bytes with Read, in pieces of any size.
// Memory: the window (the frame's content size when that is smaller) plus
// twice the block size (128 KB), allocated when a frame starts. Frames that
// need a dictionary are refused.
//
// Every field of the input is checked: damaged or hostile input makes Read
// or AtEnd return false, with a short reason in Error(). Every frame must
// carry its content checksum (a frame without one is refused at its header);
// the bytes of its last block are handed out only once the checksum matched,
// earlier blocks of a damaged frame may already have been handed out when the
// damage is found.
//
// Builds without the C++ library: no exceptions, only malloc and free.
#pragma once

#include <stddef.h>

struct ZstdState;

class ZstdReader {
public:
    ZstdReader() : state_(nullptr) {}
    ~ZstdReader() { Close(); }

    // Starts reading src[0..srcLen), which must stay in place until Close.
    // maxWindow bounds the history a frame may ask for: a larger frame fails
    // in Read before anything is allocated for it. False when out of memory.
    bool Open(const void* src, size_t srcLen, size_t maxWindow);

    // Writes exactly n more bytes of decoded output to dst. False when the
    // input is damaged, needs more memory than allowed or ends before n bytes;
    // every later call fails too.
    bool Read(void* dst, size_t n);

    // True when every byte has been read and the input ends cleanly after
    // whole frames whose sizes and checksums matched. Input without any
    // frame is not a clean end.
    bool AtEnd();

    // Why the last call failed, in a few English words; "" when nothing failed.
    const char* Error() const;

    // Bytes currently allocated by the reader (history, literals, tables).
    size_t MemoryUsed() const;

    void Close();

private:
    ZstdReader(const ZstdReader&) = delete;
    ZstdReader& operator=(const ZstdReader&) = delete;
    ZstdState* state_;
};
