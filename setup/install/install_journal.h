// What one installation attempt changed on disk, so that a failed or
// cancelled attempt can be taken back completely, and a successful one can
// drop the earlier copies of the files it replaced.
//
// An existing file is never overwritten in place: it is first moved aside in
// its own folder (a rename, no copy), under a name of this attempt. Until the
// installation succeeds, every earlier file is still there, under that name.
#pragma once

#include <windows.h>
#include <stddef.h>

#include "list.h"
#include "records.h"

class CSetupConfig;

class CInstallJournal {
public:
    // Starts the journal of an attempt; the install log's entries made from
    // now on are this attempt's.
    explicit CInstallJournal(CSetupConfig* config);
    ~CInstallJournal();
    CInstallJournal(const CInstallJournal&) = delete;
    CInstallJournal& operator=(const CInstallJournal&) = delete;

    // A file or folder this attempt created (kLogFile or kLogFolder). False
    // when it could not be recorded (out of memory).
    bool Created(const char* path, int kind);
    // Moves the existing file path aside; 1 when it was moved and recorded,
    // 0 when not (GetLastError says why: a sharing violation when another
    // program holds the file).
    int MoveAside(const char* path);
    // Takes everything back, newest first: files this attempt created are
    // deleted, moved files put back in their place, folders it created removed
    // when empty; the install log loses this attempt's entries.
    void Undo();
    // The attempt succeeded: deletes the moved-aside files. One that cannot be
    // deleted now (a running program's file can be renamed but not deleted)
    // is scheduled for deletion at restart; where that is refused too, it is
    // appended to leftovers as a file, for the uninstaller to remove.
    void Commit(CList<LogEntry>* leftovers);

private:
    enum ActionType { kCreatedFile, kCreatedFolder, kMovedFile };
    struct Action {
        int type;
        char* path;
        char* aside;  // kMovedFile only
    };
    bool Add(int type, const char* path, const char* aside);
    void Clear();

    CSetupConfig* config_;
    int logStart_;
    Action* actions_;
    size_t count_;
    size_t capacity_;
    unsigned asideCounter_;
};
