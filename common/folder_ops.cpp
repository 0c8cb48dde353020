// Folder creation with a created-or-not result, and appending to edit controls.
#include "folder_ops.h"

#include <shlwapi.h>
#include <string.h>

#include "path_rules.h"
#include "records.h"
#include "text.h"

namespace {

// True for a drive root (a letter, a colon, a backslash) or a lone backslash:
// a root keeps its backslash.
bool IsRoot(const char* path, size_t len) {
    return (len == 3 && path[1] == ':') || len == 1;
}

}  // namespace

int CreateFolderPath(const char* path, int pathIsFile) {
    if (!path) return 0;
    char target[kPathSize];
    if (pathIsFile) {
        FolderOf(path, target);
    } else {
        CopyText(target, sizeof(target), path);
        size_t len = strlen(target);
        if (len > 0 && target[len - 1] == '\\' && !IsRoot(target, len)) target[len - 1] = 0;
    }
    if (strlen(target) <= 1 || PathIsDirectoryA(target)) return 0;

    char parent[kPathSize];
    FolderOf(target, parent);
    size_t parentLen = strlen(parent);
    if (parentLen <= 1) return 0;
    if (parentLen == 2 && parent[1] == ':') {
        // "D:" alone names the current folder of drive D; what must exist is its root.
        AppendText(parent, sizeof(parent), "\\");
        if (!PathIsDirectoryA(parent)) return 0;
    } else if (!PathIsDirectoryA(parent) && !CreateFolderPath(parent, 0)) {
        return 0;
    }
    // A folder that could not be made (no right, a file of that name) is not
    // reported as created, so it never enters the install log.
    return CreateDirectoryA(target, nullptr) ? 1 : 0;
}

int MakeFolderLevels(const char* path, FolderMadeFn made, void* context) {
    if (!path) return 0;
    char target[kPathSize];
    if (!CopyText(target, sizeof(target), path)) return 0;
    size_t len = strlen(target);
    if (len > 0 && target[len - 1] == '\\' && !IsRoot(target, len)) target[--len] = 0;
    if (len <= 1) return 0;
    if (PathIsDirectoryA(target)) return 1;
    // Where each level ends, outermost first ("C:", "C:\Jeux", "C:\Jeux\Demo").
    size_t ends[kPathSize];
    int levels = 0;
    for (size_t i = 1; i < len; ++i) {
        if (target[i] == '\\' && target[i - 1] != '\\') ends[levels++] = i;
    }
    ends[levels++] = len;
    // The deepest level that exists; a drive is looked at as its root "C:\".
    int first = -1;
    for (int j = levels - 2; j >= 0 && first < 0; --j) {
        size_t cut = ends[j] == 2 && target[1] == ':' ? 3 : ends[j];
        char saved = target[cut];
        target[cut] = 0;
        if (PathIsDirectoryA(target)) first = j + 1;
        target[cut] = saved;
    }
    if (first < 0) return 0;
    for (int j = first; j < levels; ++j) {
        char saved = target[ends[j]];
        target[ends[j]] = 0;
        if (CreateDirectoryA(target, nullptr)) {
            if (made) made(context, target);
        } else if (GetLastError() != ERROR_ALREADY_EXISTS || !PathIsDirectoryA(target)) {
            // Made meanwhile by another program is fine; anything else is not.
            return 0;
        }
        target[ends[j]] = saved;
    }
    return 1;
}

LRESULT AppendEditText(HWND edit, const char* text) {
    LRESULT length = SendMessageA(edit, WM_GETTEXTLENGTH, 0, 0);
    SendMessageA(edit, EM_SETSEL, static_cast<WPARAM>(length), length);
    return SendMessageA(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text));
}
