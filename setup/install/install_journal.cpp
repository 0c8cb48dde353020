// The journal of an installation attempt: taking it back, or keeping it.
#include "install_journal.h"

#include <string.h>

#include <new>

#include "path_rules.h"
#include "setup_config.h"
#include "text.h"

namespace {

char* CopyOf(const char* text) {
    size_t n = strlen(text) + 1;
    char* copy = new (std::nothrow) char[n];
    if (copy) memcpy(copy, text, n);
    return copy;
}

// Deletes a file even when it is read-only.
BOOL DeleteAnyFile(const char* path) {
    if (DeleteFileA(path)) return TRUE;
    SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
    return DeleteFileA(path);
}

}  // namespace

CInstallJournal::CInstallJournal(CSetupConfig* config)
    : config_(config),
      logStart_(config->installLog.Count()),
      actions_(nullptr),
      count_(0),
      capacity_(0),
      asideCounter_(0) {}

CInstallJournal::~CInstallJournal() {
    Clear();
}

void CInstallJournal::Clear() {
    for (size_t i = 0; i < count_; ++i) {
        delete[] actions_[i].path;
        delete[] actions_[i].aside;
    }
    delete[] actions_;
    actions_ = nullptr;
    count_ = capacity_ = 0;
}

bool CInstallJournal::Add(int type, const char* path, const char* aside) {
    if (count_ == capacity_) {
        size_t bigger = capacity_ ? capacity_ * 2 : 64;
        Action* grown = new (std::nothrow) Action[bigger];
        if (!grown) return false;
        if (count_) memcpy(grown, actions_, count_ * sizeof(Action));
        delete[] actions_;
        actions_ = grown;
        capacity_ = bigger;
    }
    Action action = {type, CopyOf(path), aside ? CopyOf(aside) : nullptr};
    if (!action.path || (aside && !action.aside)) {
        delete[] action.path;
        delete[] action.aside;
        return false;
    }
    actions_[count_++] = action;
    return true;
}

bool CInstallJournal::Created(const char* path, int kind) {
    return Add(kind == kLogFile ? kCreatedFile : kCreatedFolder, path, nullptr);
}

int CInstallJournal::MoveAside(const char* path) {
    char folder[kPathSize];
    FolderOf(path, folder);
    char name[40];
    char aside[kPathSize];
    // A name of this process and attempt; one that exists already (left by an
    // attempt that was killed) is passed over.
    for (int tries = 0; tries < 100; ++tries) {
        FormatText(name, sizeof(name), "~setup-%lx-%x.old", GetCurrentProcessId(), asideCounter_++);
        if (!JoinPath(aside, sizeof(aside), folder, name)) {
            SetLastError(ERROR_FILENAME_EXCED_RANGE);
            return 0;
        }
        if (MoveFileExA(path, aside, 0)) {
            if (Add(kMovedFile, path, aside)) return 1;
            // Not recorded, it could not be put back: put it back now.
            MoveFileExA(aside, path, 0);
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return 0;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS && GetLastError() != ERROR_FILE_EXISTS) return 0;
    }
    return 0;
}

void CInstallJournal::Undo() {
    for (size_t i = count_; i > 0; --i) {
        const Action& action = actions_[i - 1];
        switch (action.type) {
        case kCreatedFile:
            DeleteAnyFile(action.path);
            break;
        case kCreatedFolder:
            RemoveDirectoryA(action.path);
            break;
        case kMovedFile:
            MoveFileExA(action.aside, action.path, MOVEFILE_REPLACE_EXISTING);
            break;
        }
    }
    Clear();
    for (int extra = config_->installLog.Count() - logStart_; extra > 0; --extra) config_->installLog.RemoveLast();
}

void CInstallJournal::Commit(CList<LogEntry>* leftovers) {
    for (size_t i = 0; i < count_; ++i) {
        const Action& action = actions_[i];
        if (action.type != kMovedFile || DeleteAnyFile(action.aside)) continue;
        if (MoveFileExA(action.aside, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) continue;
        LogEntry entry = {};
        if (CopyText(entry.path, sizeof(entry.path), action.aside)) {
            entry.kind = kLogFile;
            leftovers->Append(&entry);
        }
    }
    Clear();
}
