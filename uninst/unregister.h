// Removal of the uninstall registration that setup wrote.
#pragma once

#include "uninst_config.h"

// Deletes HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall\<appName>
// in the registry view of this program, the one setup writes the key to (the
// 32-bit view on 64-bit Windows). A failure is not reported. An empty appName
// deletes nothing: the name would be the uninstall key itself. Always returns 1.
int UnregisterUninstaller(const CUninstConfig& config);

// The key name below HKEY_LOCAL_MACHINE; 0 when it cannot be composed whole.
int UninstallKeyName(const char* appName, char* key, unsigned cap);
