// Entries of the install log.
#include "log_entries.h"

#include <string.h>

#include "setup_config.h"
#include "text.h"

int AddLogEntry(CSetupConfig* config, const char* path, int kind) {
    LogEntry entry;
    memset(&entry, 0, sizeof(entry));
    if (!CopyText(entry.path, sizeof(entry.path), path)) return 0;
    entry.kind = kind;
    return config->installLog.Append(&entry) ? 1 : 0;
}
