// Entry point of uninst: reads the embedded install log, asks for confirmation,
// runs the removal dialog, reports success (or what is left) and schedules
// its own deletion once everything went.
#include <windows.h>
#include <commctrl.h>

#include "dll_search.h"
#include "log_loader.h"
#include "removal.h"
#include "removal_dialog.h"
#include "self_delete.h"
#include "uninst_config.h"
#include "uninst_globals.h"
#include "uninst_messages.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // uninst.exe lies in the install folder, where anything may have been put
    // since: libraries the system loads by name come from the system folder.
    RestrictDllSearchToSystemFolder();
    uninstInstance = instance;
    InitCommonControls();
    LogLoadResult loaded = LoadInstallLog(theUninstConfig);
    ComposeUninstCaption(theUninstConfig);
    if (loaded == kLogDamaged) {
        ShowDamagedLog();
        return 0;
    }
    if (!AskConfirmation(theUninstConfig)) return 0;

    INT_PTR result = RunRemovalDialog(instance, &theUninstConfig);
    if (result == -1) {
        ShowDialogFailed();
        return 0;
    }
    if (result == kRemovalIncomplete) {
        // uninst.exe, its log, its shortcut and the key stay: once the
        // program that holds the files is closed, this runs again.
        ShowIncomplete(theUninstConfig);
        return 0;
    }
    if (result != kRemovedNothing) {
        ShowSuccess(theUninstConfig);
        ScheduleSelfDelete(result == kRemovedFolderFree, theUninstConfig.installLog);
    }
    return 0;
}
