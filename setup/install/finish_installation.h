// The post-install sequence: shortcuts, uninst.exe, uninstall shortcut, the
// install log embedded into uninst.exe, and the uninstall registration.
#pragma once

#include <windows.h>

class CSetupConfig;

// Runs every step, each one even when an earlier one failed, and returns 1;
// except when the installation could not be made removable: uninst.exe found
// no room (its path would not fit, or the disk filled up), or the install log
// could not be written in full. Then it stops there, registers nothing, leaves
// no uninst.exe, and returns 0: the installation is not complete and must not
// be reported as a success.
int FinishInstallation(CSetupConfig* config, HWND owner);
