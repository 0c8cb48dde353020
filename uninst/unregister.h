// Removal of the uninstall registration that setup wrote.
#pragma once

#include <stddef.h>

#include "uninst_config.h"

// Deletes HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall\<appName>
// (HKEY_CURRENT_USER\... for a per-user installation, and nothing when the
// scope setup embedded cannot be read) in the registry view of this program,
// the one setup writes the key to (the 32-bit view on 64-bit Windows), but
// only when its UninstallString names uninstaller (compared as resolved
// paths): a key that names another uninst.exe belongs to a later
// installation of the same application elsewhere, and an older uninstaller
// must not take it from the list of installed programs. An empty appName
// deletes nothing: the name would be the uninstall key itself. Returns 1 when
// the key is gone (deleted now or before), 0 when it stays.
int UnregisterUninstaller(const CUninstConfig& config, const char* uninstaller);

// The key name below the root; 0 when it cannot be composed whole.
int UninstallKeyName(const char* appName, char* key, unsigned cap);

// The program an UninstallString starts: the text between its first two
// double quotes when it starts with one, else the whole text. 0 when it does
// not fit cap or a quote is not closed.
int UninstallProgramOf(const char* command, char* program, size_t cap);
