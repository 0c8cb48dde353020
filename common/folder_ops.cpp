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

LRESULT AppendEditText(HWND edit, const char* text) {
    LRESULT length = SendMessageA(edit, WM_GETTEXTLENGTH, 0, 0);
    SendMessageA(edit, EM_SETSEL, static_cast<WPARAM>(length), length);
    return SendMessageA(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text));
}
