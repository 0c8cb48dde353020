// The removal dialog (template 100): runs the removal while it initialises and
// ends with its result, so it is destroyed before it is ever shown.
#pragma once

#include <windows.h>

#include "uninst_config.h"

// Dialog procedure; the dialog's creation parameter is the CUninstConfig.
INT_PTR CALLBACK RemovalDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Runs template 100 of module modally over config. Returns the result of
// RemoveInstallation, 0 when closed through the system menu, -1 when the
// dialog could not be created (then nothing was removed).
INT_PTR RunRemovalDialog(HINSTANCE module, CUninstConfig* config);
