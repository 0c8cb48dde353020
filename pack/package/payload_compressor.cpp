// The payload compressed with the Zstandard library (Linux only).
#include "payload_compressor.h"

#include "compressed_payload.h"

#ifndef _WIN32
#include <zstd.h>

#include <vector>
#endif

int CompressionWindowLog(uint64_t decodedSize) {
    int log = kMinWindowLog;
    while (log < kMaxWindowLog && (uint64_t(1) << log) < decodedSize) ++log;
    return log;
}

#ifdef _WIN32

bool CompressionAvailable(std::string* why) {
    *why = "pack.exe cannot compress: the encoder is built into the Linux pack only, and a package must be the "
           "same bytes whichever pack makes it; build it with the Linux pack, or without Compression";
    return false;
}

bool CompressPayload(const pe::ResourceStream&, uint64_t, PayloadCompression, FILE*, std::string* error) {
    CompressionAvailable(error);
    return false;
}

#else

bool CompressionAvailable(std::string*) { return true; }

namespace {

// The settings of each level. Both keep the window within what setup decodes
// (kMaxWindowLog); best adds long-distance matching, which finds the copies of
// a library's code that recur megabytes apart in a payload of programs.
void Configure(ZSTD_CCtx* context, PayloadCompression level, uint64_t decodedSize) {
    ZSTD_CCtx_setParameter(context, ZSTD_c_compressionLevel, level == kCompressionBest ? 19 : 9);
    ZSTD_CCtx_setParameter(context, ZSTD_c_windowLog, CompressionWindowLog(decodedSize));
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

#endif
