// Path string rules shared by setup and uninst.
#include "path_rules.h"

#include <string.h>

#include "records.h"
#include "text.h"

void FolderOf(const char* path, char* folder) {
    if (!path || !folder) return;
    CopyText(folder, kPathSize, path);
    size_t i = strlen(folder);
    while (i > 1) {
        --i;
        if (folder[i] == '\\') {
            folder[i] = 0;
            return;
        }
    }
    folder[0] = 0;
}

int JoinPath(char* out, size_t cap, const char* folder, const char* name) {
    if (!out || cap == 0) return 0;
    out[0] = 0;
    if (!folder || !name) return 0;
    size_t f = strlen(folder);
    int needSlash = f > 0 && folder[f - 1] != '\\' && name[0] != '\\';
    if (f + (needSlash ? 1 : 0) + strlen(name) >= cap) return 0;
    memcpy(out, folder, f);
    if (needSlash) out[f++] = '\\';
    strcpy(out + f, name);
    return 1;
}

int IsFullPath(const char* path) {
    if (!path) return 0;
    char c = path[0];
    bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    if (letter && path[1] == ':' && path[2] == '\\') return 1;
    if (path[0] != '\\' || path[1] != '\\') return 0;
    // \\server\share: both parts present and not empty.
    const char* server = path + 2;
    const char* slash = strchr(server, '\\');
    return slash && slash > server && slash[1] != 0 && slash[1] != '\\' ? 1 : 0;
}

unsigned char FoldPathChar(unsigned char c) {
    if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) return static_cast<unsigned char>(c + 0x20);
    if (c == 0x8A || c == 0x8C || c == 0x8E) return static_cast<unsigned char>(c + 0x10);  // Š Œ Ž
    if (c == 0x9F) return 0xFF;                                                              // Ÿ
    return c;
}

namespace {

// Length of the common start of a and b (letter case ignored), stopping at
// the end of either.
size_t SameStart(const char* a, const char* b) {
    size_t i = 0;
    while (a[i] && b[i] &&
           FoldPathChar(static_cast<unsigned char>(a[i])) == FoldPathChar(static_cast<unsigned char>(b[i]))) {
        ++i;
    }
    return i;
}

}  // namespace

int SamePath(const char* a, const char* b) {
    if (!a || !b) return 0;
    size_t n = SameStart(a, b);
    return a[n] == 0 && b[n] == 0 ? 1 : 0;
}

int PathWithin(const char* folder, const char* path) {
    if (!folder || !path || !folder[0]) return 0;
    size_t f = strlen(folder);
    if (folder[f - 1] == '\\') --f;
    if (SameStart(folder, path) < f) return 0;
    return path[f] == 0 || path[f] == '\\' ? 1 : 0;
}
