// The removal itself: logged files, then logged folders, then the uninstall
// shortcut and the registration.
#pragma once

#include <windows.h>

#include "uninst_config.h"
#include "uninst_messages.h"

enum RemovalResult {
    kRemovedNothing = 0,     // no log: nothing was touched
    kRemovedFolderUsed = 1,  // removed; the own folder still holds other files
    kRemovedFolderFree = 2,  // removed; the own folder holds at most uninst.exe
    kRemovalIncomplete = 3,  // stopped at a file or folder that stays: the key,
                             // uninst.exe and its shortcut stay for another run
};

// Asked when a logged file, or a logged folder left empty, cannot be
// deleted (a program holds it): 1 to try again, 0 to stop the removal.
typedef int (*RetryQuestion)(const char* path);

// Deletes every logged file that exists (read-only ones too) and lists it in
// the edit control 1000 of dialog, in log order; removes every logged folder
// that holds no file any more, in log order; then the shortcuts that start
// this uninst.exe and the folders they kept; deletes the uninstall
// registration when it names this uninst.exe. A shortcut that now starts a
// program outside the install folder belongs to another installation and
// stays. Each deletion goes through folders held open from the install folder
// down (see CHeldFolders): nothing is deleted through a link. A file or empty
// folder that stays is asked about; after 0 the removal stops there and
// returns kRemovalIncomplete. ownFolder is the folder of uninst.exe; null means
// the folder of the running program.
int RemoveInstallation(CUninstConfig& config, HWND dialog, const char* ownFolder = nullptr,
                       RetryQuestion ask = AskRetryDeletion);
