// Path resolution through the system's full and long path names.
#include "resolved_path.h"

#include <windows.h>
#include <string.h>

#include "path_rules.h"
#include "text.h"

namespace {

// Makes each run of backslashes one, except the two that start a UNC path.
void SingleBackslashes(char* path) {
    char* out = path;
    const char* in = path;
    if (in[0] == '\\' && in[1] == '\\') {
        out += 2;
        in += 2;
    }
    for (; *in; ++in) {
        if (*in == '\\' && out > path && out[-1] == '\\') continue;
        *out++ = *in;
    }
    *out = 0;
}

bool IsDriveRoot(const char* path) { return strlen(path) == 3 && path[1] == ':' && path[2] == '\\'; }

// The long form of a full path: the system's for a path that exists; else
// the long form of its folder followed by its last part as written.
int LongForm(const char* full, char out[kPathSize]) {
    DWORD n = GetLongPathNameA(full, out, kPathSize);
    if (n > 0 && n < kPathSize) return 1;
    const char* last = strrchr(full, '\\');
    if (!last || last == full || IsDriveRoot(full) || (last - full == 2 && full[1] == ':')) {
        return CopyText(out, kPathSize, full);
    }
    char folder[kPathSize];
    size_t length = static_cast<size_t>(last - full);
    memcpy(folder, full, length);
    folder[length] = 0;
    if (length == 2 && folder[1] == ':') return CopyText(out, kPathSize, full);
    if (!LongForm(folder, out)) return 0;
    return AppendText(out, kPathSize, last);
}

}  // namespace

int ResolvePath(const char* path, char out[kPathSize]) {
    if (!path || !path[0]) return 0;
    char single[kPathSize];
    if (!CopyText(single, sizeof(single), path)) return 0;
    SingleBackslashes(single);
    char full[kPathSize];
    DWORD n = GetFullPathNameA(single, sizeof(full), full, nullptr);
    if (n == 0 || n >= sizeof(full)) return 0;
    SingleBackslashes(full);
    size_t length = strlen(full);
    if (length > 1 && full[length - 1] == '\\' && !IsDriveRoot(full)) full[length - 1] = 0;
    return LongForm(full, out);
}

int SamePlace(const char* a, const char* b) {
    char ra[kPathSize], rb[kPathSize];
    return ResolvePath(a, ra) && ResolvePath(b, rb) && SamePath(ra, rb);
}

int PlaceWithin(const char* folder, const char* path) {
    char rf[kPathSize], rp[kPathSize];
    return ResolvePath(folder, rf) && ResolvePath(path, rp) && PathWithin(rf, rp);
}
