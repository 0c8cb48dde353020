// Limits the library search of the process to the system folder.
#include "dll_search.h"

#include <windows.h>

#include "text.h"

#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
#endif

namespace {

typedef BOOL(WINAPI* SetDefaultDllDirectoriesFn)(DWORD);
typedef BOOL(WINAPI* SetDllDirectoryAFn)(LPCSTR);

// Helpers that system libraries load through a delayed import, on first use
// (msimg32: the theme library, on its first themed drawing). A loader without
// default directories resolves such an import with the standard search, the
// program's folder first, and Wine's loader does so even with them.
const char* const kDelayLoadedHelpers[] = {"msimg32.dll"};

DllSearchResult SetSearchPath() {
    // Both calls are newer than the oldest system the programs run on: they
    // are looked up in kernel32 rather than imported.
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (!kernel) return kDllSearchUnchanged;
    auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFn>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
    if (setDefault && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) return kDllSearchSystemFolderOnly;
    // The program's own folder stays first in the search then; removing the
    // current folder still matters where safe search mode is off (Windows XP
    // before SP2), which puts it before the system folder, and when the
    // program is started from another folder.
    auto setDirectory = reinterpret_cast<SetDllDirectoryAFn>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "SetDllDirectoryA")));
    if (setDirectory && setDirectory("")) return kDllSearchCurrentFolderRemoved;
    return kDllSearchUnchanged;
}

}  // namespace

HMODULE LoadSystemLibrary(const char* name) {
    char path[MAX_PATH];
    UINT n = GetSystemDirectoryA(path, sizeof(path));
    if (n == 0 || n >= sizeof(path)) return nullptr;
    if (!AppendText(path, sizeof(path), "\\") || !AppendText(path, sizeof(path), name)) return nullptr;
    return LoadLibraryA(path);
}

DllSearchResult RestrictDllSearchToSystemFolder() {
    DllSearchResult result = SetSearchPath();
    // Loaded for the life of the process: a later load by name takes the
    // library already loaded, without any search.
    for (const char* helper : kDelayLoadedHelpers) LoadSystemLibrary(helper);
    return result;
}
