// Reading a shortcut's target with IShellLinkA and IPersistFile::Load.
#include "shortcut_target.h"

#include <objbase.h>
#include <shlobj.h>
#include <string.h>

int IsShortcutName(const char* path) {
    const char kExtension[] = ".lnk";
    size_t length = path ? strlen(path) : 0;
    size_t extension = sizeof(kExtension) - 1;
    return length > extension && lstrcmpiA(path + length - extension, kExtension) == 0 ? 1 : 0;
}

int ShortcutTarget(const char* path, char target[kPathSize]) {
    target[0] = 0;
    WCHAR wide[kPathSize];
    if (MultiByteToWideChar(CP_ACP, 0, path, -1, wide, kPathSize) <= 0) return 0;
    HRESULT com = CoInitialize(nullptr);
    IShellLinkA* link = nullptr;
    int found = 0;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&link))) &&
        link) {
        IPersistFile* file = nullptr;
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) && file) {
            // The raw path: no search for a moved target, no window.
            found = SUCCEEDED(file->Load(wide, STGM_READ)) &&
                    link->GetPath(target, kPathSize, nullptr, SLGP_RAWPATH) == S_OK && target[0];
            file->Release();
        }
        link->Release();
    }
    if (SUCCEEDED(com)) CoUninitialize();
    if (!found) target[0] = 0;
    return found;
}
