// Writing the install log to "Temp_002.log" in sourceDir, in the byte format
// of common/install_log.h.
#pragma once

#include <windows.h>

class CSetupConfig;

// sourceDir\Temp_002.log into path (260 bytes); 0 when it would not fit.
int InstallLogPath(const CSetupConfig* config, char* path);

enum InstallLogFileResult {
    kLogFileWritten = 0,  // the whole log is in the file
    kLogFileNotCreated,   // the file could not be created (read-only source folder)
    kLogFileCut,          // the file was created but not written in full (full disk);
                          // it is left for the caller to delete
};

// Writes appName, appVerName, the entries of installLog and reservedText. When
// the file cannot be created or written in full, says so to the user (owner
// window, caption "Erreur").
InstallLogFileResult WriteInstallLog(CSetupConfig* config, HWND owner);
