// The post-install sequence, run on the installation worker after the payload.
#include "finish_installation.h"

#include "install_scope.h"
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

// Takes back the uninstaller and what was made for it (the uninstall
// shortcut, logged from entry `from` on) when it could not be made whole.
int AbandonUninstaller(CSetupConfig* config, const char* uninstaller, int from) {
    DeleteFileA(uninstaller);
    RemoveLoggedSince(config, from);
    return 0;
}

}  // namespace

int FinishInstallation(CSetupConfig* config, HWND owner) {
    if (config->noIcons == 0 && config->desktopIcon) CreateProgramShortcut(config, owner, kPlaceDesktop);
    if (config->noIcons == 0 && config->startMenuIcon) CreateProgramShortcut(config, owner, kPlaceStartMenu);
    if (config->noIcons == 0 && config->programsMenuIcon) CreateProgramShortcut(config, owner, kPlaceProgramsMenu);

    // Without a whole uninst.exe the installation could never be removed: it
    // is not complete. Nothing more is made for it, and nothing is registered
    // that would point at a missing uninstaller.
    if (WriteUninstaller(config) != kUninstallerWritten) return 0;
    char uninstaller[260];
    UninstallerPath(config, uninstaller);
    int beforeShortcut = config->installLog.Count();
    // The uninstall shortcut is made even with noIcons: removing the program
    // must stay possible.
    if (config->uninstallIconOffered && config->uninstallIcon) {
        CreateShortcut(config, owner, kPlaceProgramsMenu, uninstaller, kUninstallShortcut, config->appVerName);
    }

    // The log is composed now, so it holds everything made so far and nothing
    // after. uninst.exe gets these very bytes; the copy beside setup is only
    // written and deleted again.
    CInstallLogBytes log;
    if (!log.Compose(config)) return AbandonUninstaller(config, uninstaller, beforeShortcut);
    InstallLogFileResult logFile = WriteInstallLog(config, owner, log);
    char logPath[260];
    int haveLogPath = InstallLogPath(config, logPath);
    // An uninst.exe without its log would remove nothing: the installation
    // is then not complete either. A per-user installation's uninstaller also
    // gets the scope, in the same update, so that it removes the key under
    // HKEY_CURRENT_USER and no other.
    ResourceBytes embeds[2] = {{kInstallLogResource, log.Bytes(), log.Size()},
                               {kInstallScopeResource, kUserScopeBytes, kUserScopeSize}};
    int embedded = ReplaceResourcesWithBytes(uninstaller, kDataResourceType, embeds, config->perUser ? 2 : 1);
    if (haveLogPath && logFile == kLogFileWritten) DeleteFileA(logPath);
    if (!embedded) return AbandonUninstaller(config, uninstaller, beforeShortcut);
    RegisterUninstaller(config);
    return 1;
}
