// Removal of what the install log names, in log order.
#include "removal.h"

#include <shlwapi.h>

#include "folder_tree.h"
#include "link_check.h"
#include "records.h"
#include "removal_list.h"
#include "text.h"
#include "uninst_ids.h"
#include "unregister.h"

namespace {

// Files and folders below the install folder are reached only through real
// folders: a junction or symbolic link put there since the installation
// could lead anywhere on the disk. Such a path is left alone, unlisted.
void RemoveLoggedFiles(const CUninstConfig& config, HWND edit, const char* installFolder) {
    CRemovalList list(edit);
    // A logged path on a drive that is gone fails quietly, without the
    // system's "insert a disk" box.
    UINT errorMode = SetErrorMode(SEM_FAILCRITICALERRORS);
    for (CList<LogEntry>::Node* node = config.installLog.First(); node; node = node->next) {
        const LogEntry& entry = node->payload;
        if (entry.kind != kLogFile) continue;
        if (PassesThroughLink(installFolder, entry.path)) continue;
        // Most files simply go: deleted, then listed.
        if (DeleteFileA(entry.path)) {
            list.Add(entry.path);
            continue;
        }
        // A path that is gone (or was logged twice) is skipped; one that is now
        // a folder is not the file the installation wrote. One look at the
        // attributes answers both and says whether the file is read-only.
        DWORD attributes = GetFileAttributesA(entry.path);
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
        list.Add(entry.path);
        // Listed even when it stays (in use, no right): its folder then stays too.
        if (attributes & FILE_ATTRIBUTE_READONLY) {
            SetFileAttributesA(entry.path, FILE_ATTRIBUTE_NORMAL);
            DeleteFileA(entry.path);
        }
    }
    SetErrorMode(errorMode);
}

// Outer folders come before the folders created inside them; each call also
// takes the empty sub-trees, so a later entry may already be gone.
// A logged folder that is now a link, or lies behind one, is neither entered
// nor emptied.
void RemoveLoggedFolders(const CUninstConfig& config, const char* installFolder) {
    for (CList<LogEntry>::Node* node = config.installLog.First(); node; node = node->next) {
        const LogEntry& entry = node->payload;
        if (entry.kind == kLogFile || PassesThroughLink(installFolder, entry.path)) continue;
        if (PathIsDirectoryA(entry.path)) RemoveEmptyFolderTree(entry.path);
    }
}

// The folder of the running program, or "" when its path does not fit.
void OwnFolder(char folder[kPathSize]) {
    DWORD n = GetModuleFileNameA(nullptr, folder, kPathSize);
    if (n == 0 || n >= kPathSize) {
        folder[0] = 0;
        return;
    }
    PathRemoveFileSpecA(folder);
}

}  // namespace

int RemoveInstallation(CUninstConfig& config, HWND dialog, const char* ownFolder) {
    if (config.logMissing) return kRemovedNothing;
    // uninst.exe lies in the install folder.
    char own[kPathSize];
    if (ownFolder) {
        CopyText(own, sizeof(own), ownFolder);
    } else {
        OwnFolder(own);
    }
    RemoveLoggedFiles(config, dialog ? GetDlgItem(dialog, IDC_DELETED_LIST) : nullptr, own);
    RemoveLoggedFolders(config, own);
    UnregisterUninstaller(config);

    // Without a known folder the batch must not try to remove one.
    if (!own[0]) return kRemovedFolderUsed;
    return CountFiles(own, 1) <= 1 ? kRemovedFolderFree : kRemovedFolderUsed;
}
