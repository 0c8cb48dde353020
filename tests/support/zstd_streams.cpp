// Streams made with libzstd for the native tests (see zstd_streams.h).
#include "zstd_streams.h"

#include <zstd.h>

namespace testzstd {

Bytes MixedData(size_t size, uint32_t seed) {
    Bytes out;
    out.reserve(size);
    uint32_t x = seed * 2654435761u + 1;
    auto next = [&x]() { return x ^= x << 13, x ^= x >> 17, x ^= x << 5; };
    size_t lastDistance = 1;
    while (out.size() < size) {
        uint32_t kind = next() % 8;
        size_t len = 1 + next() % (kind < 3 ? 40 : 300);
        if (kind < 3 || out.size() < 16) {
            for (size_t i = 0; i < len; ++i) out.push_back(static_cast<uint8_t>(next() % (next() % 2 ? 16 : 256)));
        } else if (kind == 3) {
            out.insert(out.end(), len, 0);
        } else {
            size_t distance = kind == 4 ? lastDistance : 1 + next() % (kind == 5 ? 64 : out.size());
            if (distance > out.size()) distance = out.size();
            lastDistance = distance;
            for (size_t i = 0; i < len; ++i) out.push_back(out[out.size() - distance]);
        }
    }
    out.resize(size);
    return out;
}

Bytes RandomData(size_t size, uint32_t seed) {
    Bytes out(size);
    for (auto& b : out) b = static_cast<uint8_t>((seed = seed * 1103515245u + 12345u) >> 16);
    return out;
}

Bytes FarRepeat() {
    Bytes a = RandomData(1 << 20, 7), out = a, mid = MixedData(3 << 19, 8);
    out.insert(out.end(), mid.begin(), mid.end());
    out.insert(out.end(), a.begin(), a.end());
    return out;
}

Bytes Compress(const Bytes& data, const Settings& s) {
    ZSTD_CCtx* cctx = ZSTD_createCCtx();
    ZSTD_CCtx_setParameter(cctx, ZSTD_c_compressionLevel, s.level);
    if (s.windowLog) ZSTD_CCtx_setParameter(cctx, ZSTD_c_windowLog, s.windowLog);
    ZSTD_CCtx_setParameter(cctx, ZSTD_c_enableLongDistanceMatching, s.longMatches);
    ZSTD_CCtx_setParameter(cctx, ZSTD_c_checksumFlag, s.checksum);
    ZSTD_CCtx_setParameter(cctx, ZSTD_c_contentSizeFlag, s.contentSize);
    Bytes out(ZSTD_compressBound(data.size()));
    size_t n;
    if (s.contentSize) {
        n = ZSTD_compress2(cctx, out.data(), out.size(), data.data(), data.size());
    } else {
        // Streamed, the size unknown to libzstd: it keeps the whole window.
        ZSTD_inBuffer in = {data.data(), data.size(), 0};
        ZSTD_outBuffer o = {out.data(), out.size(), 0};
        n = ZSTD_compressStream2(cctx, &o, &in, ZSTD_e_continue);
        while (!ZSTD_isError(n) && (n = ZSTD_compressStream2(cctx, &o, &in, ZSTD_e_end)) != 0 && !ZSTD_isError(n)) {
        }
        if (!ZSTD_isError(n)) n = o.pos;
    }
    ZSTD_freeCCtx(cctx);
    out.resize(ZSTD_isError(n) ? 0 : n);
    return out;
}

}  // namespace testzstd
