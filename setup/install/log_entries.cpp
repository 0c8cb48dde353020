// Entries of the install log.
#include "log_entries.h"

#include <string.h>

#include "folder_ops.h"
#include "install_journal.h"
#include "setup_config.h"
#include "text.h"

int AddLogEntry(CSetupConfig* config, const char* path, int kind) {
    LogEntry entry;
    memset(&entry, 0, sizeof(entry));
    if (!CopyText(entry.path, sizeof(entry.path), path)) return 0;
    entry.kind = kind;
    if (!config->installLog.Append(&entry)) return 0;
    // What the log names was made by this attempt: a failed one takes it back.
    if (config->journal && !config->journal->Created(entry.path, kind)) return 0;
    return 1;
}

namespace {

void LogMadeFolder(void* config, const char* folder) {
    AddLogEntry(static_cast<CSetupConfig*>(config), folder, kLogFolder);
}

}  // namespace

int MakeLoggedFolder(CSetupConfig* config, const char* folder) {
    return MakeFolderLevels(folder, LogMadeFolder, config);
}
