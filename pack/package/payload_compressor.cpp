// The payload compressed with the Zstandard library.
#include "payload_compressor.h"

#include "compressed_payload.h"

// For the match finder's switch (ZSTD_c_useRowMatchFinder): every pack links
// one release of the library, statically, so its advanced settings are stable.
#define ZSTD_STATIC_LINKING_ONLY
#include <zstd.h>

#include <vector>

int CompressionWindowLog(uint64_t decodedSize) {
    int log = kMinWindowLog;
    while (log < kMaxWindowLog && (uint64_t(1) << log) < decodedSize) ++log;
    return log;
}

namespace {

// The settings of each level. Both keep the window within what setup decodes
// (kMaxWindowLog); best adds long-distance matching, which finds the copies of
// a library's code that recur megabytes apart in a payload of programs.
//
// Left to itself, the library picks the match finder of fast's strategy by the
// vector instructions it was compiled for: the row finder from a window of
// 32 KB where it has SSE2 (x86-64), from 256 KB where it has not (the 32-bit
// pack.exe, built for any x86), and the two find other matches. It is stated
// here as x86-64 picks it, so that every pack writes the same bytes.
void Configure(ZSTD_CCtx* context, PayloadCompression level, uint64_t decodedSize) {
    int windowLog = CompressionWindowLog(decodedSize);
    ZSTD_CCtx_setParameter(context, ZSTD_c_compressionLevel, level == kCompressionBest ? 19 : 9);
    ZSTD_CCtx_setParameter(context, ZSTD_c_windowLog, windowLog);
    ZSTD_CCtx_setParameter(context, ZSTD_c_useRowMatchFinder, windowLog > 14 ? ZSTD_ps_enable : ZSTD_ps_disable);
    ZSTD_CCtx_setParameter(context, ZSTD_c_checksumFlag, 1);
    ZSTD_CCtx_setParameter(context, ZSTD_c_contentSizeFlag, 1);
    if (level == kCompressionBest) ZSTD_CCtx_setParameter(context, ZSTD_c_enableLongDistanceMatching, 1);
    ZSTD_CCtx_setPledgedSrcSize(context, decodedSize);
}

}  // namespace

bool CompressPayload(const pe::ResourceStream& source, uint64_t decodedSize, PayloadCompression level, FILE* out,
                     std::string* error) {
    ZSTD_CCtx* context = ZSTD_createCCtx();
    if (!context) {
        *error = "not enough memory to compress";
        return false;
    }
    Configure(context, level, decodedSize);
    CompressedPayloadHeader header = {kCodecZstd, static_cast<uint16_t>(CompressionWindowLog(decodedSize)), decodedSize};
    uint8_t head[kCompressedHeaderSize];
    EncodeCompressedHeader(header, head);
    bool ok = fwrite(head, 1, sizeof(head), out) == sizeof(head);
    std::vector<uint8_t> buffer(ZSTD_CStreamOutSize());
    auto push = [&](const uint8_t* bytes, size_t size, ZSTD_EndDirective mode) {
        ZSTD_inBuffer in = {bytes, size, 0};
        for (;;) {
            ZSTD_outBuffer o = {buffer.data(), buffer.size(), 0};
            size_t left = ZSTD_compressStream2(context, &o, &in, mode);
            if (ZSTD_isError(left)) {
                *error = std::string("compression failed: ") + ZSTD_getErrorName(left);
                return false;
            }
            if (o.pos && fwrite(buffer.data(), 1, o.pos, out) != o.pos) {
                *error = "cannot write the compressed payload to a temporary file";
                return false;
            }
            if (mode == ZSTD_e_end ? left == 0 : in.pos == in.size) return true;
        }
    };
    if (ok) ok = source.Emit([&](const uint8_t* bytes, size_t size) { return push(bytes, size, ZSTD_e_continue); }, error);
    if (ok) ok = push(nullptr, 0, ZSTD_e_end);
    if (ok && fflush(out) != 0) {
        *error = "cannot write the compressed payload to a temporary file";
        ok = false;
    }
    ZSTD_freeCCtx(context);
    return ok;
}
