// Where the process looks for the libraries that it, and the system libraries
// it uses, load by name (Win32).
#pragma once

#include <windows.h>

// What RestrictDllSearchToSystemFolder achieved.
enum DllSearchResult {
    kDllSearchSystemFolderOnly,      // libraries loaded by name come from the system folder only
    kDllSearchCurrentFolderRemoved,  // the current folder is no longer searched; the program's folder still is
    kDllSearchUnchanged,             // the system offers neither call
};

// Makes every later load of a library by name, in this process, search the
// system folder only, so that a library planted beside the program (a
// downloads folder) or in the current folder is never loaded. Call it first
// thing in WinMain: what loads before (the program's imports and theirs) is
// not affected. Only SetDefaultDllDirectories does this (Windows 8 and later,
// Vista and 7 with the update that adds it); without it, SetDllDirectoryA("")
// at least takes the current folder out of the search (Windows XP SP1 and
// later). In every case it then loads, by full path from the system folder,
// the helpers that system libraries load later through delayed imports, so
// that those loads take the library already loaded instead of searching.
DllSearchResult RestrictDllSearchToSystemFolder();

// Loads a library of the system folder by its full path, so that no search
// takes place and no copy planted elsewhere can be taken. Returns the module,
// or null when it cannot be loaded (or the path does not fit).
HMODULE LoadSystemLibrary(const char* name);
