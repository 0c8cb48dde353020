// Writing the install log to "Temp_002.log" in sourceDir, in the byte format
// of common/install_log.h.
#pragma once

#include <windows.h>

class CSetupConfig;

// sourceDir\Temp_002.log into path (260 bytes); 0 when it would not fit.
int InstallLogPath(const CSetupConfig* config, char* path);

// Writes appName, appVerName, the entries of installLog and reservedText.
// Returns 1 when the whole log was written; otherwise tells the user (owner
// window, caption "Erreur") and returns 0.
int WriteInstallLog(CSetupConfig* config, HWND owner);
