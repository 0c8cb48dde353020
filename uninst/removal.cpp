// Removal of what the install log names, in log order.
#include "removal.h"

#include <shlwapi.h>
#include <string.h>

#include "folder_tree.h"
#include "held_folders.h"
#include "path_rules.h"
#include "records.h"
#include "removal_list.h"
#include "resolved_path.h"
#include "shortcut_target.h"
#include "text.h"
#include "uninst_ids.h"
#include "unregister.h"

namespace {

// This uninst.exe and its folder, the install folder, resolved ("" when it
// cannot be): the two against which logged paths and shortcut targets are
// compared, whatever their spelling in the log.
struct RemovalPlace {
    char program[kPathSize];
    char installFolder[kPathSize];
};

enum FilePass { kOtherFiles, kOwnShortcuts };

// What a logged file is to the removal: a shortcut that starts this
// uninst.exe goes last, so that the removal can be started again from the
// menu until everything else went; a shortcut that now starts a program
// outside the install folder was replaced by another installation's and is
// not this one's any more.
enum FileRole { kOrdinaryFile, kOwnShortcut, kForeignShortcut };

FileRole RoleOf(const char* path, const RemovalPlace& place) {
    if (!IsShortcutName(path)) return kOrdinaryFile;
    char target[kPathSize];
    char resolved[kPathSize];
    if (!ShortcutTarget(path, target) || !ResolvePath(target, resolved)) return kOrdinaryFile;
    if (SamePlace(resolved, place.program)) return kOwnShortcut;
    return !place.installFolder[0] || PathWithin(place.installFolder, resolved) ? kOrdinaryFile
                                                                                    : kForeignShortcut;
}

// Holds the folders down to the folder of path: from the install folder when
// it lies within it, else that folder alone; resolved gets the path in its
// resolved form, below the held folder. The resolution of the last folder is
// kept, so a run of files in one folder resolves it once.
class ChainOfPaths {
public:
    explicit ChainOfPaths(const RemovalPlace& place) : place_(place) { logged_[0] = resolved_[0] = 0; }

    int Hold(const char* path, char resolved[kPathSize]) {
        char folder[kPathSize];
        FolderOf(path, folder);
        // "D:" alone would name the current folder of the drive.
        if (strlen(folder) == 2 && folder[1] == ':') AppendText(folder, sizeof(folder), "\\");
        if (strcmp(folder, logged_) != 0) {
            CopyText(logged_, sizeof(logged_), folder);
            if (!ResolvePath(folder, resolved_)) resolved_[0] = 0;
        }
        if (!resolved_[0]) return 0;
        const char* root = place_.installFolder[0] && PathWithin(place_.installFolder, resolved_)
                               ? place_.installFolder
                               : resolved_;
        const char* name = path + strlen(folder);
        if (*name == '\\') ++name;
        return held_.Hold(root, resolved_, nullptr) && name[0] &&
               JoinPath(resolved, kPathSize, resolved_, name);
    }

    void Release() { held_.Release(); }

private:
    const RemovalPlace& place_;
    CHeldFolders held_;
    char logged_[kPathSize];    // the last folder as logged
    char resolved_[kPathSize];  // and resolved ("" when it could not be)
};

// Deletes one logged file, read-only or not, at path (its resolved form),
// listed and asked about as logged. A file that is gone, is now a folder or a
// link is not the file the installation wrote: it is left alone, unlisted.
// Returns 0 when it stays and the question said to stop.
int DeleteLoggedFile(const char* path, const char* logged, CRemovalList& list, RetryQuestion ask) {
    for (;;) {
        DWORD attributes = GetFileAttributesA(path);
        if (attributes == INVALID_FILE_ATTRIBUTES ||
            (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))) {
            return 1;
        }
        if (attributes & FILE_ATTRIBUTE_READONLY) SetFileAttributesA(path, attributes & ~FILE_ATTRIBUTE_READONLY);
        if (DeleteFileA(path) || GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES) {
            list.Add(logged);
            return 1;
        }
        list.Flush();
        if (!ask(logged)) {
            list.Add(logged);
            return 0;
        }
    }
}

// The logged files of one pass, in log order. 0 when the removal stops.
int RemoveLoggedFiles(const CUninstConfig& config, CRemovalList& list, const RemovalPlace& place, FilePass pass,
                      RetryQuestion ask) {
    ChainOfPaths chain(place);
    for (CList<LogEntry>::Node* node = config.installLog.First(); node; node = node->next) {
        const LogEntry& entry = node->payload;
        if (entry.kind != kLogFile) continue;
        FileRole role = RoleOf(entry.path, place);
        if (role == kForeignShortcut || (role == kOwnShortcut) != (pass == kOwnShortcuts)) continue;
        char resolved[kPathSize];
        if (!chain.Hold(entry.path, resolved)) continue;  // gone, or behind a link
        if (!DeleteLoggedFile(resolved, entry.path, list, ask)) return 0;
    }
    return 1;
}

// Outer folders come before the folders created inside them; each removal
// also takes the empty sub-trees, so a later entry may already be gone. A
// folder that stays because files are left in it (the user's, or a shortcut
// that goes later) is no failure; one left empty that cannot be removed is
// asked about. A logged folder that is now a link, or lies behind one, is
// neither entered nor emptied. 0 when the removal stops.
int RemoveLoggedFolders(const CUninstConfig& config, const RemovalPlace& place, RetryQuestion ask) {
    ChainOfPaths chain(place);
    for (CList<LogEntry>::Node* node = config.installLog.First(); node; node = node->next) {
        const LogEntry& entry = node->payload;
        if (entry.kind == kLogFile) continue;
        char folder[kPathSize];
        // Only the folders above it are held: a held folder cannot be removed.
        if (!chain.Hold(entry.path, folder)) continue;
        DWORD attributes = GetFileAttributesA(folder);
        if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY) ||
            (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
            continue;
        }
        while (!RemoveEmptyFolderTree(folder) && PathIsDirectoryA(folder) && CountFiles(folder, 1) == 0) {
            if (!ask(entry.path)) return 0;
        }
    }
    return 1;
}

// This uninst.exe, in ownFolder when given, and its folder resolved.
void FindPlace(const char* ownFolder, RemovalPlace* place) {
    place->program[0] = place->installFolder[0] = 0;
    if (ownFolder) {
        JoinPath(place->program, sizeof(place->program), ownFolder, "uninst.exe");
    } else {
        DWORD n = GetModuleFileNameA(nullptr, place->program, sizeof(place->program));
        if (n == 0 || n >= sizeof(place->program)) place->program[0] = 0;
    }
    char folder[kPathSize];
    FolderOf(place->program, folder);
    if (!folder[0] || !ResolvePath(folder, place->installFolder)) place->installFolder[0] = 0;
}

}  // namespace

int RemoveInstallation(CUninstConfig& config, HWND dialog, const char* ownFolder, RetryQuestion ask) {
    if (config.logMissing) return kRemovedNothing;
    RemovalPlace place;
    FindPlace(ownFolder, &place);
    // A logged path on a drive that is gone fails quietly, without the
    // system's "insert a disk" box.
    UINT errorMode = SetErrorMode(SEM_FAILCRITICALERRORS);
    int complete;
    {
        CRemovalList list(dialog ? GetDlgItem(dialog, IDC_DELETED_LIST) : nullptr);
        complete = RemoveLoggedFiles(config, list, place, kOtherFiles, ask) &&
                   RemoveLoggedFolders(config, place, ask) &&
                   RemoveLoggedFiles(config, list, place, kOwnShortcuts, ask) &&
                   RemoveLoggedFolders(config, place, ask);
    }
    SetErrorMode(errorMode);
    if (!complete) return kRemovalIncomplete;
    UnregisterUninstaller(config, place.program);

    // Without a known folder the batch must not try to remove one.
    if (!place.installFolder[0]) return kRemovedFolderUsed;
    return CountFiles(place.installFolder, 1) <= 1 ? kRemovedFolderFree : kRemovedFolderUsed;
}
