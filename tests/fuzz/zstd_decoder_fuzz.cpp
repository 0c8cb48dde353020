// Fuzz target: the zstd decoder on arbitrary input, output pulled in pieces
// of varied sizes, with a 1 MB window limit and at most 4 MB of output.
//
// Input: one byte choosing the piece sizes, then the compressed stream.
// Checks: no fault (sanitizers), the same bytes whatever the piece sizes, and,
// where libzstd is linked in (WITH_LIBZSTD), every stream decoded to a clean
// end decodes with libzstd to the same bytes.
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include <vector>

#include "zstd_decoder.h"
#ifdef WITH_LIBZSTD
#include <zstd.h>
#endif

namespace {

const size_t kMaxWindow = 1 << 20;
const size_t kMaxOutput = 4 << 20;
const size_t kPieces[8] = {1, 2, 3, 7, 64, 1000, 4096, 65536};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const unsigned pattern = data[0];
    // A private copy sized exactly, so that any read past the end is caught.
    const std::vector<uint8_t> src(data + 1, data + size);

    // First pass: pieces alternating between two sizes until a read fails.
    std::vector<uint8_t> out;
    ZstdReader reader;
    if (!reader.Open(src.data(), src.size(), kMaxWindow)) return 0;
    size_t done = 0;
    for (size_t i = 0;; ++i) {
        size_t n = kPieces[(i & 1 ? pattern >> 3 : pattern) & 7];
        if (done + n > kMaxOutput) return 0;
        out.resize(done + n);
        if (!reader.Read(out.data() + done, n)) break;
        done += n;
    }
    if (reader.AtEnd() || reader.Error()[0] == 0) __builtin_trap();  // a failed read must say why

    // Second pass: the same bytes in one piece, then byte by byte to the end.
    ZstdReader again;
    if (!again.Open(src.data(), src.size(), kMaxWindow)) return 0;
    std::vector<uint8_t> whole(done);
    if (!again.Read(whole.data(), done) || (done && memcmp(whole.data(), out.data(), done) != 0)) __builtin_trap();
    while (!again.AtEnd()) {
        uint8_t byte;
        if (!again.Read(&byte, 1)) return 0;
        whole.push_back(byte);
        if (whole.size() > done + kPieces[7]) __builtin_trap();  // the first pass would have read it
    }
#ifdef WITH_LIBZSTD
    std::vector<uint8_t> theirs(whole.size() + 1);
    size_t n = ZSTD_decompress(theirs.data(), theirs.size(), src.data(), src.size());
    if (ZSTD_isError(n) || n != whole.size() || (n && memcmp(theirs.data(), whole.data(), n) != 0)) __builtin_trap();
#endif
    return 0;
}
