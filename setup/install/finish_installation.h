// The post-install sequence: shortcuts, uninst.exe, uninstall shortcut, the
// install log embedded into uninst.exe, and the uninstall registration.
#pragma once

#include <windows.h>

class CSetupConfig;

// Runs every step, each one even when an earlier one failed, and returns 1;
// except when the installation could not be made removable: uninst.exe could
// not be created or written whole (no room for its path, a full disk, a folder
// or a locked file in its place), or its install log could not be embedded
// into it. Then it stops there, registers nothing, leaves no uninst.exe and no
// uninstall shortcut, and returns 0: the installation is not complete and must
// not be reported as a success.
int FinishInstallation(CSetupConfig* config, HWND owner);
