// The post-install sequence, run on the installation worker after the payload.
#include "finish_installation.h"

#include "replace_resource.h"
#include "setup_config.h"
#include "shortcuts.h"
#include "uninstall_registry.h"
#include "write_install_log.h"
#include "write_uninstaller.h"

namespace {

const char kUninstallShortcut[] = "Désinstallation";

}  // namespace

int FinishInstallation(CSetupConfig* config, HWND owner) {
    if (config->noIcons == 0 && config->desktopIcon) CreateProgramShortcut(config, owner, kPlaceDesktop);
    if (config->noIcons == 0 && config->startMenuIcon) CreateProgramShortcut(config, owner, kPlaceStartMenu);
    if (config->noIcons == 0 && config->programsMenuIcon) CreateProgramShortcut(config, owner, kPlaceProgramsMenu);

    int cut = 0;
    WriteUninstaller(config, &cut);
    char uninstaller[260];
    int haveUninstaller = UninstallerPath(config, uninstaller);
    // The uninstall shortcut is made even with noIcons: removing the program
    // must stay possible.
    if (haveUninstaller && config->uninstallIconOffered && config->uninstallIcon) {
        CreateShortcut(config, owner, kPlaceProgramsMenu, uninstaller, kUninstallShortcut, config->appVerName);
    }

    // The log is written now, so it holds everything made so far and nothing after.
    WriteInstallLog(config, owner);
    char log[260];
    int haveLog = InstallLogPath(config, log);
    if (haveUninstaller && haveLog) ReplaceResourceFromFile(owner, uninstaller, log, "RT_DATA", "5000");
    // A failed installation (the uninstaller was cut and deleted) is not
    // registered: the entry would point at a program that is not there.
    if (!cut) RegisterUninstaller(config);
    if (haveLog) DeleteFileA(log);
    return cut ? 0 : 1;
}
