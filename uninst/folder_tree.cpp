// Recursive folder removal and file count over FindFirstFile enumerations.
#include "folder_tree.h"

#include <windows.h>
#include <shlwapi.h>
#include <string.h>

#include "path_rules.h"
#include "records.h"

namespace {

bool IsDots(const char* name) {
    return strcmp(name, ".") == 0 || strcmp(name, "..") == 0;
}

bool IsFolder(const WIN32_FIND_DATAA& found) {
    return (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// A junction or symbolic link below an installed folder leads somewhere the
// installation did not create: it is never entered, and counts as content.
bool IsLink(const WIN32_FIND_DATAA& found) {
    return (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

// Starts the enumeration of "folder\*.*"; INVALID_HANDLE_VALUE when the
// pattern does not fit a path or the folder cannot be searched.
HANDLE FindFirstIn(const char* folder, WIN32_FIND_DATAA* found) {
    char pattern[kPathSize];
    if (!JoinPath(pattern, sizeof(pattern), folder, "*.*")) return INVALID_HANDLE_VALUE;
    return FindFirstFileA(pattern, found);
}

}  // namespace

int RemoveEmptyFolderTree(const char* folder) {
    if (!folder || !PathIsDirectoryA(folder)) return 0;
    if (PathIsDirectoryEmptyA(folder)) return RemoveDirectoryA(folder) ? 1 : 0;

    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstIn(folder, &found);
    if (search == INVALID_HANDLE_VALUE) return 0;
    int ok = 1;
    do {
        if (!IsFolder(found) || IsLink(found)) {
            ok = 0;
        } else if (!IsDots(found.cFileName)) {
            char child[kPathSize];
            // A sub-folder whose path does not fit cannot be looked into: it stays.
            if (!JoinPath(child, sizeof(child), folder, found.cFileName) || !RemoveEmptyFolderTree(child)) ok = 0;
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
    if (ok && !RemoveDirectoryA(folder)) ok = 0;
    return ok;
}

int CountFiles(const char* folder, int recurse) {
    if (!folder || !PathIsDirectoryA(folder) || PathIsDirectoryEmptyA(folder)) return 0;

    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstIn(folder, &found);
    if (search == INVALID_HANDLE_VALUE) return 0;
    int total = 0;
    do {
        if (!IsFolder(found)) {
            ++total;
        } else if (recurse && !IsDots(found.cFileName)) {
            char child[kPathSize];
            if (IsLink(found) || !JoinPath(child, sizeof(child), folder, found.cFileName)) {
                ++total;  // content that cannot be looked into counts as a file
            } else {
                total += CountFiles(child, recurse);
            }
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return total;
}
