// The install log: composed in memory from the installation's record, in the
// byte format of common/install_log.h, and written to "Temp_002.log" in
// sourceDir. The bytes composed here are the ones embedded into uninst.exe:
// the file beside setup lies in a folder that other programs may be able to
// write, so it is never read back.
#pragma once

#include <windows.h>
#include <stdint.h>

#include "list.h"
#include "records.h"

class CSetupConfig;

// sourceDir\Temp_002.log into path (260 bytes); 0 when it would not fit.
int InstallLogPath(const CSetupConfig* config, char* path);

// The bytes of one install log; owns them.
class CInstallLogBytes {
public:
    CInstallLogBytes() : bytes(nullptr), size(0) {}
    ~CInstallLogBytes() { delete[] bytes; }
    CInstallLogBytes(const CInstallLogBytes&) = delete;
    CInstallLogBytes& operator=(const CInstallLogBytes&) = delete;

    // Composes appName, appVerName, the given entries and reservedText.
    // Returns 0 when there is no memory for them.
    int Compose(const CSetupConfig* config, const CList<LogEntry>& entries);
    const uint8_t* Bytes() const { return bytes; }
    DWORD Size() const { return size; }

private:
    uint8_t* bytes;
    DWORD size;
};

enum InstallLogFileResult {
    kLogFileWritten = 0,  // the whole log is in the file
    kLogFileNotCreated,   // the file could not be created (read-only source folder)
    kLogFileCut,          // the file was created but not written in full (full disk);
                          // it has been deleted again
};

// Writes the composed log to sourceDir\Temp_002.log. A file that cannot be
// created is reported to the user (owner window, caption "Erreur").
InstallLogFileResult WriteInstallLog(const CSetupConfig* config, HWND owner, const CInstallLogBytes& log);
