// Opening a file of the installation for writing, over an earlier copy and
// past another program that holds it.
#pragma once

#include <windows.h>

class CSetupConfig;

// Creates path for writing (no sharing). An existing file is moved aside
// through the attempt's journal first, so that a failed attempt can put it
// back (without a journal it is replaced). While another program holds the
// file, the user is asked, with owner (when not null) as owner, to close it
// and try again (Retry) or to give up (Cancel). Returns the open file, or
// INVALID_HANDLE_VALUE when it cannot be written or the user gave up.
HANDLE CreateTargetFile(CSetupConfig* config, const char* path, HWND owner);

// 1 when the last error says that another program holds the file.
int FileHeldByAnotherProgram(DWORD error);
