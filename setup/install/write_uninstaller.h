// Writing uninst.exe into installDir from the program's own resource
// RT_EXECUTABLE 210.
#pragma once

#include <windows.h>

class CSetupConfig;

// installDir\uninst.exe into path (260 bytes); 0 when it would not fit.
int UninstallerPath(const CSetupConfig* config, char* path);

// Creates installDir if needed (logged when created) and writes the whole image
// into installDir\uninst.exe. Returns 1 when the file was created and written in
// full, else 0. A write that transfers fewer bytes (disk full) removes the
// incomplete file, returns 0 and sets *cut (when given) to 1.
int WriteUninstaller(CSetupConfig* config, int* cut = nullptr);
