// The post-install sequence, run on the installation worker after the payload.
#include "finish_installation.h"

#include "replace_resource.h"
#include "resource_names.h"
#include "setup_config.h"
#include "shortcuts.h"
#include "uninstall_registry.h"
#include "write_install_log.h"
#include "write_uninstaller.h"

namespace {

const char kUninstallShortcut[] = "Désinstallation";

// Takes back what was logged from entry `from` on: files first, then folders
// (only those left empty).
void RemoveLoggedSince(const CSetupConfig* config, int from) {
    for (int pass = 0; pass < 2; ++pass) {
        int index = 0;
        for (auto* node = config->installLog.First(); node; node = config->installLog.Next(node), ++index) {
            if (index < from) continue;
            const LogEntry& entry = node->payload;
            if (pass == 0 && entry.kind == kLogFile) DeleteFileA(entry.path);
            if (pass == 1 && entry.kind != kLogFile) RemoveDirectoryA(entry.path);
        }
    }
}

}  // namespace

int FinishInstallation(CSetupConfig* config, HWND owner) {
    if (config->noIcons == 0 && config->desktopIcon) CreateProgramShortcut(config, owner, kPlaceDesktop);
    if (config->noIcons == 0 && config->startMenuIcon) CreateProgramShortcut(config, owner, kPlaceStartMenu);
    if (config->noIcons == 0 && config->programsMenuIcon) CreateProgramShortcut(config, owner, kPlaceProgramsMenu);

    // Without a whole uninst.exe the installation could never be removed: it
    // is not complete. Nothing more is made for it, and nothing is registered
    // that would point at a missing uninstaller.
    UninstallerResult written = WriteUninstaller(config);
    if (written == kUninstallerNoRoom) return 0;
    char uninstaller[260];
    int haveUninstaller = UninstallerPath(config, uninstaller);
    int beforeShortcut = config->installLog.Count();
    // The uninstall shortcut is made even with noIcons: removing the program
    // must stay possible.
    if (haveUninstaller && config->uninstallIconOffered && config->uninstallIcon) {
        CreateShortcut(config, owner, kPlaceProgramsMenu, uninstaller, kUninstallShortcut, config->appVerName);
    }

    // The log is written now, so it holds everything made so far and nothing after.
    InstallLogFileResult logged = WriteInstallLog(config, owner);
    char log[260];
    int haveLog = InstallLogPath(config, log);
    if (logged == kLogFileCut) {
        // uninst.exe takes its log whole or not at all: with a cut one it would
        // remove nothing. The installation is not complete, as above; the
        // uninstaller written for it and the shortcut to it are taken back.
        DeleteFileA(log);
        if (written == kUninstallerWritten) DeleteFileA(uninstaller);
        RemoveLoggedSince(config, beforeShortcut);
        return 0;
    }
    if (haveUninstaller && haveLog) ReplaceResourceFromFile(owner, uninstaller, log, kDataResourceType, kInstallLogResource);
    RegisterUninstaller(config);
    if (haveLog) DeleteFileA(log);
    return 1;
}
