// Adding to the install log kept in CSetupConfig: everything the installation
// creates, in creation order, for the uninstaller to remove again.
#pragma once

class CSetupConfig;

// Appends {path, kind} (kLogFile or kLogFolder) to config->installLog. A path
// too long for the entry is not logged, so no entry ever names another path.
// The attempt's journal, when there is one, records it too. Returns 1 when
// the entry was added.
int AddLogEntry(CSetupConfig* config, const char* path, int kind);

// Makes folder with its missing parents and logs every level it made,
// outermost first. Returns 1 when folder is there at the end.
int MakeLoggedFolder(CSetupConfig* config, const char* folder);
