// Folder and edit-control operations shared by setup and uninst (Win32).
#pragma once

#include <windows.h>

// Creates the folder named by path (with pathIsFile, the folder that holds the
// file named by path) together with its missing parents. Returns 1 only when the
// requested folder was missing and this call created it; parents created on the
// way are not reported. The caller logs a folder exactly when this returns 1.
int CreateFolderPath(const char* path, int pathIsFile);

// Appends text at the end of an edit control; returns the replace-selection result.
LRESULT AppendEditText(HWND edit, const char* text);
