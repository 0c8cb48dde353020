// Fuzz target: the program-file resource reader, and the writer on what it read.
#include <stddef.h>
#include <stdint.h>

#include <string>
#include <vector>

#include "pe_resources.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> bytes(data, data + size);
    pe::ResourceFile file;
    std::string error;
    if (!file.Load(bytes, &error)) {
        if (error.empty()) __builtin_trap();  // a refusal always says why
        return 0;
    }
    // Every resource's bytes are readable (ASan catches a pointer past the file).
    uint32_t sum = 0;
    std::vector<pe::Resource> before = file.Resources();
    for (const pe::Resource& r : before) {
        for (size_t i = 0; i < r.size; ++i) sum += r.data[i];
    }
    // A file the reader takes and the writer rewrites reads back with the same
    // resources plus the one added.
    file.SetCopy("RT_DATA", "5001", 0, std::string(static_cast<size_t>(sum % 64), 'r'));
    std::vector<uint8_t> written;
    if (!file.WriteToBytes(&written, &error)) return 0;
    pe::ResourceFile back;
    if (!back.Load(written, &error)) __builtin_trap();
    std::vector<pe::Resource> after = back.Resources();
    std::vector<pe::Resource> expected = file.Resources();
    if (after.size() != expected.size()) __builtin_trap();
    for (size_t i = 0; i < after.size(); ++i) {
        const pe::Resource& a = after[i];
        const pe::Resource& e = expected[i];
        if (a.type != e.type || a.name != e.name || a.language != e.language || a.size != e.size) __builtin_trap();
        for (size_t k = 0; k < a.size; ++k) {
            if (a.data[k] != e.data[k]) __builtin_trap();
        }
    }
    return 0;
}
