// The post-install sequence, run on the installation worker after the payload.
#include "finish_installation.h"

#include "install_journal.h"
#include "install_log.h"
#include "install_scope.h"
#include "log_merge.h"
#include "replace_resource.h"
#include "resource_names.h"
#include "setup_config.h"
#include "shortcuts.h"
#include "uninstall_registry.h"
#include "write_install_log.h"
#include "write_uninstaller.h"

namespace {

const char kUninstallShortcut[] = "Désinstallation";

// Composes the log of these entries and embeds it into the uninstaller (with
// the scope of a per-user installation, in the same update); the copy beside
// setup is written and deleted again, never read back.
bool EmbedLog(CSetupConfig* config, HWND owner, const char* uninstaller, const CList<LogEntry>& entries,
              bool writeCopy) {
    CInstallLogBytes log;
    if (!log.Compose(config, entries)) return false;
    char logPath[260];
    int haveLogPath = InstallLogPath(config, logPath);
    InstallLogFileResult logFile = writeCopy ? WriteInstallLog(config, owner, log) : kLogFileNotCreated;
    ResourceBytes embeds[2] = {{kInstallLogResource, log.Bytes(), log.Size()},
                               {kInstallScopeResource, kUserScopeBytes, kUserScopeSize}};
    int embedded = ReplaceResourcesWithBytes(uninstaller, kDataResourceType, embeds, config->perUser ? 2 : 1);
    if (haveLogPath && logFile == kLogFileWritten) DeleteFileA(logPath);
    return embedded != 0;
}

// The log of the application: what an earlier installation made, where it
// may lie, then what this one made.
LogMergeResult ApplicationLog(const CSetupConfig* config, CList<LogEntry>* merged) {
    char shell[3][kPathSize] = {"", "", ""};
    const int places[3] = {kPlaceDesktop, kPlaceStartMenu, kPlaceProgramsMenu};
    for (int i = 0; i < 3; ++i) {
        if (!ShellFolderOf(places[i], shell[i])) shell[i][0] = 0;
    }
    EarlierLogPlaces earlier = {config->earlierDir, {shell[0], shell[1], shell[2]}};
    return MergeInstallLogs(config->earlierLog, earlier, config->installLog, kMaxInstallLogEntries, merged);
}

}  // namespace

int FinishInstallation(CSetupConfig* config, HWND owner) {
    if (config->noIcons == 0 && config->desktopIcon) CreateProgramShortcut(config, owner, kPlaceDesktop);
    if (config->noIcons == 0 && config->startMenuIcon) CreateProgramShortcut(config, owner, kPlaceStartMenu);
    if (config->noIcons == 0 && config->programsMenuIcon) CreateProgramShortcut(config, owner, kPlaceProgramsMenu);

    // Without a whole uninst.exe carrying its whole log the installation could
    // never be removed: it is not complete. The worker then takes back
    // everything this attempt made, uninst.exe and its shortcut included.
    if (WriteUninstaller(config, owner) != kUninstallerWritten) return 0;
    char uninstaller[260];
    UninstallerPath(config, uninstaller);
    // The uninstall shortcut is made even with noIcons: removing the program
    // must stay possible.
    if (config->uninstallIconOffered && config->uninstallIcon) {
        CreateShortcut(config, owner, kPlaceProgramsMenu, uninstaller, kUninstallShortcut, config->appVerName);
    }

    // The log is composed now, so it holds everything made so far and nothing
    // after. A log too long to be written whole is a failure, not a cut log.
    CList<LogEntry> log;
    if (ApplicationLog(config, &log) != kLogMerged) return 0;
    if (!EmbedLog(config, owner, uninstaller, log, true)) return 0;

    // From here on the installation stands: the earlier copies of the files
    // it replaced go. One that cannot go now and not at restart either is
    // added to the log, so that the uninstaller removes it.
    if (config->journal) {
        CList<LogEntry> leftovers;
        config->journal->Commit(&leftovers);
        if (leftovers.First()) {
            for (auto* node = leftovers.First(); node && log.Count() < kMaxInstallLogEntries; node = node->next) {
                log.Append(&node->payload);
            }
            EmbedLog(config, owner, uninstaller, log, false);
        }
    }
    RegisterUninstaller(config);
    return 1;
}
