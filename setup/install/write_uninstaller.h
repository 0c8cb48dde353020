// Writing uninst.exe into installDir from the program's own resource
// RT_EXECUTABLE 210.
#pragma once

#include <windows.h>

class CSetupConfig;

// installDir\uninst.exe into path (260 bytes); 0 when it would not fit.
int UninstallerPath(const CSetupConfig* config, char* path);

enum UninstallerResult {
    kUninstallerWritten = 0,  // installDir\uninst.exe created and written in full
    kUninstallerNotCreated,   // no image in this program, or the file could not be created
    kUninstallerNoRoom,       // its path would not fit in 260 bytes, or the disk filled up
                              // while it was written (the incomplete file is deleted)
};

// Creates installDir if needed (every level made is logged) and writes the
// whole image into installDir\uninst.exe. An earlier uninst.exe is moved aside
// through the attempt's journal; while another program holds it, the user is
// asked to close it (owner, when given, owns the question).
UninstallerResult WriteUninstaller(CSetupConfig* config, HWND owner = nullptr);
