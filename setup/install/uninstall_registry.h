// The uninstall registration: the key under HKEY_LOCAL_MACHINE (under
// HKEY_CURRENT_USER for a per-user package) through which the system lists
// the program and starts its uninstaller.
#pragma once

#include <windows.h>
#include <stddef.h>

class CSetupConfig;

// HKEY_CURRENT_USER for a per-user package, HKEY_LOCAL_MACHINE otherwise.
HKEY UninstallRoot(const CSetupConfig* config);

// "Software\Microsoft\Windows\CurrentVersion\Uninstall", a backslash, appName.
// It is opened in the program's default registry view, the same the
// uninstaller uses to delete it. 0 when it would not fit.
int UninstallKeyName(const CSetupConfig* config, char* key, size_t cap);

// The "UninstallString" value: installDir\uninst.exe, in double quotes when it
// contains a blank so that no shorter prefix of it can be taken as the program.
int UninstallCommand(const CSetupConfig* config, char* command, size_t cap);

// The main program, installDir\<first file's name>, as its shortcuts name
// it: the icon of the entry. 0 without files or when it does not fit.
int MainProgramPath(const CSetupConfig* config, char* path, size_t cap);

// The payload's size in KB: the files' sizes added, divided by 1024 and
// rounded up (at most the largest DWORD).
DWORD EstimatedSizeKb(const CSetupConfig* config);

// Creates or opens the key and writes "DisplayName" (appVerName),
// "UninstallString", "DisplayVersion" and "Publisher" (when the package gives
// them), "DisplayIcon" (the main program), "InstallLocation" (installDir),
// "EstimatedSize", "NoModify" and "NoRepair" (1). Returns 1 when the key was
// opened or created, 0 otherwise (for example without the right to write
// under HKEY_LOCAL_MACHINE); the same values under either root.
int RegisterUninstaller(CSetupConfig* config);
