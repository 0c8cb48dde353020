// Fuzz target: the package description parser of pack, and the plain-text
// preparation, over arbitrary bytes; then the same description with its
// patterns expanded over a small tree of our own, where names differ only by
// letter case and accents: what is accepted never installs two files as one.
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include <set>
#include <string>
#include <vector>

#include "letter_case.h"
#include "pack_description.h"
#include "tree_source.h"

namespace {

bool Terminated(const char* field) { return memchr(field, 0, kPathSize) != nullptr; }

const testtree::TreeSource& Tree() {
    static const testtree::TreeSource tree({"demo.exe", "data/A.txt", "data/a.txt", "data/\xC9.txt", "data/\xE9.txt",
                                            "data/sons/x.wav", "data/brouillons/n9.dat", "Data/y.txt", "docs/lisez.txt",
                                            "docs/x/boucle@", "docs/casse!", "vide/"},
                                           1);
    return tree;
}

// Read again with the tree: every pattern becomes files, and two accepted
// files never share a target with letter case folded.
void ExpandOverTree(const std::vector<char>& text) {
    PackReadOptions options;
    options.folders = &Tree();
    PackDescription description;
    std::vector<PackError> errors;
    if (!ParsePackDescription(text.data(), text.size(), options, &description, &errors)) return;
    std::set<std::string> targets;
    for (const PackFile& file : description.files) {
        if (file.pattern || !file.valid) __builtin_trap();
        const std::string target = FoldCase(file.subFolder.empty() ? file.name : file.subFolder + "\\" + file.name);
        if (!targets.insert(target).second) __builtin_trap();
    }
}

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

    ExpandOverTree(text);

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
