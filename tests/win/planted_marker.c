/* A library that tells when it is loaded and then refuses to load: when a
 * process attaches it, it creates an empty file named after its own file name
 * (usp10.dll.loaded for a copy named usp10.dll) in the folder named by
 * PLANTED_MARKER_DIR, and returns FALSE so that the load fails. Tests plant
 * copies of it under the names of system libraries beside a program to see
 * whether the program ever takes a library from its own folder.
 *
 * Built without the C run time, so that it needs nothing but kernel32 and
 * runs whichever name it is loaded under. */
#include <windows.h>

BOOL WINAPI MarkerEntry(HINSTANCE self, DWORD reason, LPVOID reserved) {
    (void)reserved;
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    char own[MAX_PATH];
    char report[2 * MAX_PATH + 16];
    DWORD n = GetModuleFileNameA(self, own, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return FALSE;
    const char* name = own;
    for (const char* p = own; *p; ++p) {
        if (*p == '\\' || *p == '/') name = p + 1;
    }
    DWORD folder = GetEnvironmentVariableA("PLANTED_MARKER_DIR", report, MAX_PATH);
    if (folder == 0 || folder >= MAX_PATH) return FALSE;
    lstrcatA(report, "\\");
    lstrcatA(report, name);
    lstrcatA(report, ".loaded");
    HANDLE file = CreateFileA(report, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    return FALSE;
}
