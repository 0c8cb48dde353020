// Folder and edit-control operations shared by setup and uninst (Win32).
#pragma once

#include <windows.h>

// Creates the folder named by path (with pathIsFile, the folder that holds the
// file named by path) together with its missing parents. Returns 1 only when the
// requested folder was missing and this call created it; parents created on the
// way are not reported. The caller logs a folder exactly when this returns 1.
int CreateFolderPath(const char* path, int pathIsFile);

// Called with each folder level MakeFolderLevels created, outermost first.
typedef void (*FolderMadeFn)(void* context, const char* folder);

// Makes the folder path (a full path, no trailing backslash needed) with every
// missing parent, outermost first, and reports each level this call created
// through made (may be null), so that the caller can log every level it made
// and none it found. Returns 1 when path is a folder at the end; 0 when a
// level could not be made (a file in its place, no right, a missing drive):
// the levels made before it stay, and were reported.
int MakeFolderLevels(const char* path, FolderMadeFn made, void* context);

// Appends text at the end of an edit control; returns the replace-selection result.
LRESULT AppendEditText(HWND edit, const char* text);
