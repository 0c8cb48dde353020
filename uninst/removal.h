// The removal itself: logged files, then logged folders, then the registration.
#pragma once

#include <windows.h>

#include "uninst_config.h"

enum RemovalResult {
    kRemovedNothing = 0,   // no log: nothing was touched
    kRemovedFolderUsed = 1,  // removed; the own folder still holds other files
    kRemovedFolderFree = 2,  // removed; the own folder holds at most uninst.exe
};

// Deletes every logged file that exists (read-only ones too) and lists it in
// the edit control 1000 of dialog, in log order, whether or not the deletion
// succeeded; removes every logged folder that holds no file any more, in log
// order; deletes the uninstall registration. ownFolder is the folder whose
// remaining files decide the result; null means the folder of the running
// program.
int RemoveInstallation(CUninstConfig& config, HWND dialog, const char* ownFolder = nullptr);
