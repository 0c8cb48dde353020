// The post-install sequence: shortcuts, uninst.exe, uninstall shortcut, the
// install log embedded into uninst.exe, and the uninstall registration.
#pragma once

#include <windows.h>

class CSetupConfig;

// Runs every step, each one even when an earlier one failed. Returns 1, or 0
// when uninst.exe could not be written in full for lack of room: then the
// installation is not complete and must not be reported as a success.
int FinishInstallation(CSetupConfig* config, HWND owner);
