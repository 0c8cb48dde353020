// Looking for reparse points along a path, one part at a time.
#include "link_check.h"

#include <windows.h>
#include <string.h>

#include "records.h"
#include "text.h"

namespace {

// Length of folder without a closing backslash, when path lies below it
// (folder, then a backslash, then at least one more character); else 0.
size_t BelowFolder(const char* folder, const char* path) {
    size_t length = strlen(folder);
    if (length > 0 && folder[length - 1] == '\\') --length;
    if (length == 0 || strlen(path) <= length + 1 || path[length] != '\\') return 0;
    char a[kPathSize];
    char b[kPathSize];
    if (length >= sizeof(a)) return 0;
    memcpy(a, folder, length);
    memcpy(b, path, length);
    CharUpperBuffA(a, static_cast<DWORD>(length));
    CharUpperBuffA(b, static_cast<DWORD>(length));
    return memcmp(a, b, length) == 0 ? length : 0;
}

}  // namespace

int IsReparsePoint(const char* path) {
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

int PassesThroughLink(const char* folder, const char* path) {
    if (!path || !path[0]) return 0;
    size_t start = folder ? BelowFolder(folder, path) : 0;
    if (start == 0) return IsReparsePoint(path);
    char part[kPathSize];
    if (!CopyText(part, sizeof(part), path)) return 1;  // a path that long is never ours to follow
    // Each part from the first one below folder: cut the copy at the next
    // backslash, look, put the backslash back.
    for (size_t i = start + 1;; ++i) {
        char c = part[i];
        if (c != '\\' && c != 0) continue;
        if (i == start + 1 && c == '\\') continue;  // "folder\\x": no empty part to look at
        part[i] = 0;
        DWORD attributes = GetFileAttributesA(part);
        part[i] = c;
        if (attributes == INVALID_FILE_ATTRIBUTES) return 0;  // the rest does not exist yet
        if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return 1;
        if (c == 0) return 0;
    }
}
