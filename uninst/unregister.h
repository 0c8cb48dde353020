// Removal of the uninstall registration that setup wrote.
#pragma once

#include "uninst_config.h"

// Deletes HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall\<appName>
// (HKEY_CURRENT_USER\... for a per-user installation, and nothing when the
// scope setup embedded cannot be read) in the registry view of this program,
// the one setup writes the key to (the 32-bit view on 64-bit Windows). A failure is not reported. An empty appName
// deletes nothing: the name would be the uninstall key itself. Always returns 1.
int UnregisterUninstaller(const CUninstConfig& config);

// The key name below the root; 0 when it cannot be composed whole.
int UninstallKeyName(const char* appName, char* key, unsigned cap);
