// Fuzz target: the package description parser of pack, and the plain-text
// preparation, over arbitrary bytes.
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include <string>
#include <vector>

#include "pack_description.h"

namespace {

bool Terminated(const char* field) { return memchr(field, 0, kPathSize) != nullptr; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<char> text(data, data + size);
    PackDescription description;
    std::vector<PackError> errors;
    bool ok = ParsePackDescription(text.data(), text.size(), &description, &errors);
    if (ok != errors.empty()) __builtin_trap();
    for (size_t i = 1; i < errors.size(); ++i) {
        if (errors[i].line < errors[i - 1].line) __builtin_trap();  // reported in line order
    }
    const SetupRecord& r = description.record;
    if (!Terminated(r.appName) || !Terminated(r.appVerName) || !Terminated(r.folderToken) ||
        !Terminated(r.subFolder) || !Terminated(r.groupName) || !Terminated(r.reservedText)) {
        __builtin_trap();
    }
    if (ok) {
        // What setup is given must fit its 260-byte fields. A pattern stays a
        // pattern here: only a build, which can look at the folders, expands it.
        for (const PackFile& file : description.files) {
            if (file.pattern) continue;
            if (file.name.empty() || file.name.size() > kMaxPathLength || file.subFolder.size() > kMaxPathLength) {
                __builtin_trap();
            }
        }
    }

    std::string bytes(data, data + size);
    LooksLikeRtf(bytes);
    std::string plain;
    int badLine = 0;
    if (PreparePlainText(bytes, &plain, &badLine)) {
        if (plain.size() > 2 * bytes.size()) __builtin_trap();
        for (size_t i = 0; i < plain.size(); ++i) {
            if (plain[i] == '\n' && (i == 0 || plain[i - 1] != '\r')) __builtin_trap();  // every line feed is CR LF
        }
    }
    return 0;
}
