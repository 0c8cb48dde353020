// Our zstd decoder beside libzstd's on the same bytes, in one run: the
// processor time each takes to decode a corpus compressed as pack compresses
// a payload with `best`, both handing the output out a megabyte at a time as
// setup asks for it.
//
// Usage: decoder_bench [--runs N] [--cache DIR] [--only ours|libzstd] LABEL=SOURCE...
// SOURCE is a folder of program files (its 110 largest files of at most
// 1.3 MB, the bench's programs corpus) or "matches" (a frame made of long
// copies from far back). Each corpus is compressed once (kept in DIR when
// given, and taken from there next time). Prints, per corpus, "LABEL value"
// lines for the bench's results: decoder_L_bytes, decoder_L_ours_ms,
// decoder_L_libzstd_ms (the best of N runs of each, taken in turns), and a
// readable line on standard error. --only runs one decoder once (for
// instruction counts under callgrind).
#include <dirent.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>
#include <zstd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "compressed_payload.h"
#include "payload_compressor.h"
#include "zstd_decoder.h"

namespace {

using Bytes = std::vector<uint8_t>;

const size_t kPiece = 1 << 20;  // what setup asks for at a time

double CpuSeconds() {
    timespec t;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

bool ReadWhole(const std::string& path, Bytes* out) {
    FILE* f = fopen(path.c_str(), "rb");
    if (!f) return false;
    uint8_t chunk[1 << 16];
    for (size_t n; (n = fread(chunk, 1, sizeof chunk, f)) > 0;) out->insert(out->end(), chunk, chunk + n);
    return fclose(f) == 0;
}

// The bench's programs corpus from a folder: its largest files of at most
// 1.3 MB (110 of them), largest first, ties by name.
bool ProgramsCorpus(const std::string& folder, Bytes* out) {
    DIR* dir = opendir(folder.c_str());
    if (!dir) return false;
    std::vector<std::pair<off_t, std::string>> files;
    while (dirent* e = readdir(dir)) {
        std::string path = folder + "/" + e->d_name;
        struct stat st;
        if (stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size <= 1300000) files.push_back({-st.st_size, path});
    }
    closedir(dir);
    std::sort(files.begin(), files.end());
    if (files.size() > 110) files.resize(110);
    for (const auto& f : files) {
        if (!ReadWhole(f.second, out)) return false;
    }
    return !out->empty();
}

// 64 MB made of copies of 4 KB to 256 KB from up to 32 MB back, with a few
// random bytes between them: the decoder's time goes to long match copies.
Bytes LargeMatches() {
    Bytes out;
    const size_t size = 64u << 20;
    out.reserve(size);
    uint32_t x = 2463534242u;
    auto next = [&x]() { return x ^= x << 13, x ^= x >> 17, x ^= x << 5; };
    for (size_t i = 0; i < (1u << 20); ++i) out.push_back(static_cast<uint8_t>(next()));
    while (out.size() < size) {
        size_t len = 4096 + next() % (252u << 10);
        size_t back = 1 + next() % std::min(out.size(), static_cast<size_t>(32u << 20));
        size_t from = out.size() - back;
        for (size_t i = 0; i < len && out.size() < size; ++i) out.push_back(out[from + i]);
        for (unsigned i = next() % 16; i > 0 && out.size() < size; --i) out.push_back(static_cast<uint8_t>(next()));
    }
    return out;
}

// pack's settings for `best`: level 19, long-distance matching, the window of
// the payload's size, checksum and content size.
bool Compress(const Bytes& data, Bytes* out) {
    ZSTD_CCtx* c = ZSTD_createCCtx();
    ZSTD_CCtx_setParameter(c, ZSTD_c_compressionLevel, 19);
    ZSTD_CCtx_setParameter(c, ZSTD_c_windowLog, CompressionWindowLog(data.size()));
    ZSTD_CCtx_setParameter(c, ZSTD_c_checksumFlag, 1);
    ZSTD_CCtx_setParameter(c, ZSTD_c_contentSizeFlag, 1);
    ZSTD_CCtx_setParameter(c, ZSTD_c_enableLongDistanceMatching, 1);
    out->resize(ZSTD_compressBound(data.size()));
    size_t n = ZSTD_compress2(c, out->data(), out->size(), data.data(), data.size());
    ZSTD_freeCCtx(c);
    if (ZSTD_isError(n)) return false;
    out->resize(n);
    return true;
}

// Decodes the whole stream in pieces; the decoded size, 0 on failure.
size_t DecodeLibzstd(const Bytes& in, uint8_t* piece) {
    ZSTD_DCtx* d = ZSTD_createDCtx();
    ZSTD_DCtx_setParameter(d, ZSTD_d_windowLogMax, 31);
    ZSTD_inBuffer zin = {in.data(), in.size(), 0};
    size_t total = 0, status = 1;
    while (status != 0) {
        ZSTD_outBuffer zout = {piece, kPiece, 0};
        status = ZSTD_decompressStream(d, &zout, &zin);
        if (ZSTD_isError(status) || (zout.pos == 0 && zin.pos == zin.size && status != 0)) {
            total = 0;
            break;
        }
        total += zout.pos;
    }
    ZSTD_freeDCtx(d);
    return total;
}

size_t DecodeOurs(const Bytes& in, size_t size, uint8_t* piece) {
    ZstdReader reader;
    if (!reader.Open(in.data(), in.size(), static_cast<size_t>(1) << kMaxWindowLog)) return 0;
    for (size_t at = 0, n; at < size; at += n) {
        n = std::min(kPiece, size - at);
        if (!reader.Read(piece, n)) return 0;
    }
    return reader.AtEnd() ? size : 0;
}

bool Corpus(const std::string& label, const std::string& source, const std::string& cache, Bytes* frame) {
    std::string kept = cache.empty() ? "" : cache + "/" + label + ".zst";
    if (!kept.empty() && ReadWhole(kept, frame)) return true;
    Bytes data;
    if (source == "matches") {
        data = LargeMatches();
    } else if (!ProgramsCorpus(source, &data)) {
        fprintf(stderr, "decoder_bench: no program files in %s\n", source.c_str());
        return false;
    }
    if (!Compress(data, frame)) return false;
    if (!kept.empty()) {
        FILE* f = fopen(kept.c_str(), "wb");
        bool ok = f && fwrite(frame->data(), 1, frame->size(), f) == frame->size();
        if (f) ok = fclose(f) == 0 && ok;
        if (!ok) fprintf(stderr, "decoder_bench: cannot keep %s\n", kept.c_str());
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    int runs = 5;
    std::string cache, only;
    std::vector<std::string> corpora;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--runs" && i + 1 < argc) {
            runs = atoi(argv[++i]);
        } else if (a == "--cache" && i + 1 < argc) {
            cache = argv[++i];
        } else if (a == "--only" && i + 1 < argc) {
            only = argv[++i];
        } else if (a.find('=') != std::string::npos && a[0] != '-') {
            corpora.push_back(a);
        } else {
            fprintf(stderr, "usage: decoder_bench [--runs N] [--cache DIR] [--only ours|libzstd] LABEL=SOURCE...\n");
            return 2;
        }
    }
    if (corpora.empty() || runs < 1) return 2;
    Bytes piece(kPiece);
    for (const std::string& c : corpora) {
        std::string label = c.substr(0, c.find('=')), source = c.substr(c.find('=') + 1);
        Bytes frame;
        if (!Corpus(label, source, cache, &frame)) return 1;
        unsigned long long size = ZSTD_getFrameContentSize(frame.data(), frame.size());
        if (only == "ours" || only == "libzstd") {
            size_t n = only == "ours" ? DecodeOurs(frame, size, piece.data()) : DecodeLibzstd(frame, piece.data());
            return n == size ? 0 : 1;
        }
        double ours = 1e30, theirs = 1e30;
        for (int run = 0; run < runs; ++run) {
            double t = CpuSeconds();
            size_t n = DecodeLibzstd(frame, piece.data());
            theirs = std::min(theirs, CpuSeconds() - t);
            t = CpuSeconds();
            size_t m = DecodeOurs(frame, size, piece.data());
            ours = std::min(ours, CpuSeconds() - t);
            if (n != size || m != size) {
                fprintf(stderr, "decoder_bench: %s did not decode (libzstd %zu, ours %zu of %llu bytes)\n",
                        label.c_str(), n, m, size);
                return 1;
            }
        }
        printf("decoder_%s_bytes %llu\n", label.c_str(), size);
        printf("decoder_%s_ours_ms %.1f\n", label.c_str(), ours * 1000);
        printf("decoder_%s_libzstd_ms %.1f\n", label.c_str(), theirs * 1000);
        fprintf(stderr, "%s: %llu bytes from %zu; ours %.0f MB/s, libzstd %.0f MB/s: %.2f times libzstd's time\n",
                label.c_str(), size, frame.size(), size / ours / 1e6, size / theirs / 1e6, ours / theirs);
    }
    return 0;
}
