// Holding a chain of folders open, level by level, checked on the handles.
#include "held_folders.h"

#include <string.h>

#include "path_rules.h"
#include "text.h"

namespace {

// Copies path into out without a closing backslash (a drive root such as
// "C:\" keeps it: "C:" alone names the current folder of the drive). 0 when
// it does not fit, is empty or holds a forward slash, which the system would
// read as a separator that the level walk does not see.
int NormalisedFolder(const char* path, char out[kPathSize]) {
    if (!path || !path[0] || strchr(path, '/') || !CopyText(out, kPathSize, path)) return 0;
    size_t length = strlen(out);
    if (length > 1 && out[length - 1] == '\\' && !(length == 3 && out[1] == ':')) out[length - 1] = 0;
    return 1;
}

// Index where the parts below the root begin in folder (its first rootLength
// characters being the root, compared already): right after the root when
// the root ends in a backslash, else after the backslash that follows it.
// 0 when folder goes on without a separator ("C:\Jeux2" below "C:\Jeux").
size_t FirstPartIndex(const char* folder, const char* root, size_t rootLength) {
    if (folder[rootLength] == 0) return rootLength;
    if (root[rootLength - 1] == '\\') return rootLength;
    return folder[rootLength] == '\\' ? rootLength + 1 : 0;
}

// 1 when every part from index start on is a real name: not empty, not "."
// and not "..", which would climb out of the chain.
int PartsAreNames(const char* folder, size_t start) {
    if (folder[start] == 0) return 1;
    const char* part = folder + start;
    for (;;) {
        const char* end = strchr(part, '\\');
        size_t length = end ? static_cast<size_t>(end - part) : strlen(part);
        if (length == 0 || (length == 1 && part[0] == '.') || (length == 2 && part[0] == '.' && part[1] == '.')) {
            return 0;
        }
        if (!end) return 1;
        part = end + 1;
    }
}

// Opens a folder without sharing deletion and without following a link. The
// system records the sharing of an open only when it asks for data access:
// one for the attributes alone would not keep the folder from a rename, so
// the folder is opened for listing.
HANDLE OpenFolder(const char* path) {
    return CreateFileA(path, FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                       FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
}

bool IsFolderNoLink(DWORD attributes) {
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// What the handle itself is, whatever its name says now. Some systems (Wine
// with a symbolic link of its host) open what a link leads to even when asked
// not to, and say nothing of the link on the handle: the name is looked at
// too, once the open handle keeps the folders above it from changing.
bool IsRealFolder(HANDLE handle, const char* path) {
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(handle, &info) || !IsFolderNoLink(info.dwFileAttributes)) return false;
    DWORD named = GetFileAttributesA(path);
    return named != INVALID_FILE_ATTRIBUTES && IsFolderNoLink(named);
}

}  // namespace

CHeldFolders::CHeldFolders() : count(0) { held[0] = 0; }

CHeldFolders::~CHeldFolders() { Release(); }

void CHeldFolders::Release() { ReleaseFrom(0); }

void CHeldFolders::ReleaseFrom(int level) {
    while (count > level) {
        --count;
        CloseHandle(handles[count]);
    }
    if (count == 0) held[0] = 0;
}

bool CHeldFolders::LevelHolds(size_t length, const char* folder) const {
    char level[kPathSize];
    memcpy(level, held, length);
    level[length] = 0;
    return PathWithin(level, folder) != 0;
}

void CHeldFolders::KeepCommonLevels(const char* folder, size_t rootLength) {
    if (count == 0) return;
    // Another root, even one that lies above or below the held one, starts a
    // new chain: the root is where the caller's trust begins.
    if (ends[0] != rootLength || !LevelHolds(ends[0], folder)) {
        Release();
        return;
    }
    int keep = 1;
    while (keep < count && LevelHolds(ends[keep], folder)) ++keep;
    ReleaseFrom(keep);
}

int CHeldFolders::HoldLevel(size_t length, CreatedFolders* created) {
    if (count >= kMaxLevels) return 0;
    char path[kPathSize];
    memcpy(path, held, length);
    path[length] = 0;
    HANDLE handle = OpenFolder(path);
    bool made = false;
    if (handle == INVALID_HANDLE_VALUE && created) {
        DWORD error = GetLastError();
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) return 0;
        made = CreateDirectoryA(path, nullptr) != 0;
        if (!made && GetLastError() != ERROR_ALREADY_EXISTS) return 0;
        handle = OpenFolder(path);
    }
    if (handle == INVALID_HANDLE_VALUE) return 0;
    if (!IsRealFolder(handle, path)) {
        CloseHandle(handle);
        return 0;
    }
    handles[count] = handle;
    ends[count] = length;
    ++count;
    return !made || created->FolderCreated(path) ? 1 : 0;
}

int CHeldFolders::Hold(const char* root, const char* folder, CreatedFolders* created) {
    char rootPath[kPathSize];
    char target[kPathSize];
    if (!NormalisedFolder(root, rootPath) || !NormalisedFolder(folder, target)) return 0;
    if (!PathWithin(rootPath, target)) return 0;
    size_t rootLength = strlen(rootPath);
    size_t start = FirstPartIndex(target, rootPath, rootLength);
    if (start == 0 || !PartsAreNames(target, start)) return 0;

    KeepCommonLevels(target, rootLength);
    CopyText(held, sizeof(held), target);
    if (count == 0 && !HoldLevel(rootLength, created)) return 0;
    size_t next = count == 1 ? start : ends[count - 1] + 1;
    while (held[ends[count - 1]] != 0) {
        const char* end = strchr(held + next, '\\');
        size_t length = end ? static_cast<size_t>(end - held) : strlen(held);
        if (!HoldLevel(length, created)) return 0;
        next = length + 1;
    }
    return 1;
}
