// Embedding a file into a program's resources with the resource-update functions.
#include "replace_resource.h"

#include "text.h"

namespace {

const char kNotFound[] = "Fichier introuvable : %s";
const char kCannotOpen[] = " On ne peut pas ouvrir le fichier ";

}  // namespace

int ReplaceResourceFromFile(HWND owner, const char* target, const char* dataFile, const char* type,
                            const char* name) {
    HANDLE file = CreateFileA(dataFile, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        char text[300];
        FormatText(text, sizeof(text), kNotFound, dataFile);
        MessageBoxA(owner, text, "Erreur", MB_OK);
        return 0;
    }
    // Install logs are a few kilobytes: the low 32 bits of the size are enough.
    DWORD size = GetFileSize(file, nullptr);
    HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
    void* view = mapping ? MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0) : nullptr;
    if (!view) {
        MessageBoxA(owner, kCannotOpen, "Erreur", MB_ICONERROR);
        if (mapping) CloseHandle(mapping);
        CloseHandle(file);
        return 0;
    }
    int result = 0;
    HANDLE update = BeginUpdateResourceA(target, FALSE);
    if (update) {
        if (UpdateResourceA(update, type, name, MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL), view, size)) {
            result = EndUpdateResourceA(update, FALSE) ? 1 : 0;
        } else {
            EndUpdateResourceA(update, TRUE);
        }
    }
    UnmapViewOfFile(view);
    CloseHandle(mapping);
    CloseHandle(file);
    return result;
}
