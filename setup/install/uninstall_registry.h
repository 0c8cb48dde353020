// The uninstall registration: the key under HKEY_LOCAL_MACHINE through which
// the system lists the program and starts its uninstaller.
#pragma once

#include <stddef.h>

class CSetupConfig;

// "Software\Microsoft\Windows\CurrentVersion\Uninstall", a backslash, appName.
// It is opened in the program's default registry view, the same the
// uninstaller uses to delete it. 0 when it would not fit.
int UninstallKeyName(const CSetupConfig* config, char* key, size_t cap);

// The "UninstallString" value: installDir\uninst.exe, in double quotes when it
// contains a blank so that no shorter prefix of it can be taken as the program.
int UninstallCommand(const CSetupConfig* config, char* command, size_t cap);

// Creates or opens the key and writes "DisplayName" (appVerName) and
// "UninstallString". Returns 1 when the key was opened or created, 0 otherwise
// (for example without the right to write under HKEY_LOCAL_MACHINE).
int RegisterUninstaller(CSetupConfig* config);
