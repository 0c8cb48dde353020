// Compresses one file as pack compresses a package's payload (the header, then
// the stream) into another. Built against the encoder compiled without the x86
// vector code, as the 32-bit pack.exe's is (this machine cannot start that
// one): the compression check compares its output with the payload pack writes.
// Usage: payload_compress_novector fast|best IN OUT
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "payload_compressor.h"

namespace {

class FileStream : public pe::ResourceStream {
public:
    explicit FileStream(FILE* in) : in_(in) {}
    bool Emit(const pe::ByteSink& sink, std::string* error) const override {
        std::vector<uint8_t> buffer(1 << 20);
        size_t got;
        while ((got = fread(buffer.data(), 1, buffer.size(), in_)) > 0) {
            if (!sink(buffer.data(), got)) return false;
        }
        if (ferror(in_)) *error = "cannot read the input";
        return !ferror(in_);
    }

private:
    FILE* in_;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4 || (strcmp(argv[1], "fast") != 0 && strcmp(argv[1], "best") != 0)) {
        fprintf(stderr, "usage: %s fast|best IN OUT\n", argv[0]);
        return 2;
    }
    FILE* in = fopen(argv[2], "rb");
    FILE* out = in ? fopen(argv[3], "wb") : nullptr;
    if (!in || !out || fseek(in, 0, SEEK_END) != 0) {
        fprintf(stderr, "cannot open %s or %s\n", argv[2], argv[3]);
        return 2;
    }
    long size = ftell(in);
    rewind(in);
    std::string error;
    PayloadCompression level = argv[1][0] == 'b' ? kCompressionBest : kCompressionFast;
    bool ok = size > 0 && CompressPayload(FileStream(in), static_cast<uint64_t>(size), level, out, &error);
    fclose(in);
    if (fclose(out) != 0) ok = false;
    if (!ok) fprintf(stderr, "%s\n", error.empty() ? "cannot compress" : error.c_str());
    return ok ? 0 : 1;
}
