// Finding an earlier installation through its uninstall registration.
#include "earlier_installation.h"

#include <windows.h>
#include <string.h>

#include "install_log.h"
#include "path_rules.h"
#include "resource_names.h"
#include "setup_config.h"
#include "text.h"
#include "uninstall_registry.h"

namespace {

const char kUninstallerName[] = "uninst.exe";

#ifndef LOAD_LIBRARY_AS_DATAFILE_EXCLUSIVE
#define LOAD_LIBRARY_AS_DATAFILE_EXCLUSIVE 0x00000040  // Vista and later
#endif

// A REG_SZ value of key into out (cap bytes), always terminated; 0 when it is
// missing, of another type or too long.
int ReadText(HKEY key, const char* name, char* out, DWORD cap) {
    DWORD type = 0;
    DWORD size = cap - 1;
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(out), &size) != ERROR_SUCCESS ||
        type != REG_SZ) {
        out[0] = 0;
        return 0;
    }
    out[size < cap ? size : cap - 1] = 0;
    return 1;
}

// The program an UninstallString names: the text between double quotes when
// it starts with one, else the whole text. It must be a full path to a file
// named uninst.exe.
int UninstallerOf(const char* command, char* path) {
    const char* start = command;
    size_t length = strlen(command);
    if (command[0] == '"') {
        const char* end = strchr(command + 1, '"');
        if (!end) return 0;
        start = command + 1;
        length = static_cast<size_t>(end - start);
    }
    if (length == 0 || length >= kPathSize) return 0;
    memcpy(path, start, length);
    path[length] = 0;
    char folder[kPathSize];
    FolderOf(path, folder);
    const char* name = path + strlen(folder) + 1;
    if (!folder[0] || !IsFullPath(path) || !SamePath(name, kUninstallerName)) return 0;
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Reads the whole log of appName embedded in the uninstaller into log; 0 when
// it is not there, damaged, or of another application.
int ReadEarlierLog(const char* uninstaller, const char* appName, CList<LogEntry>* log, char* verName) {
    // As data only: nothing of the program runs, and no other program may
    // change the file while it is read.
    HMODULE module = LoadLibraryExA(uninstaller, nullptr, LOAD_LIBRARY_AS_DATAFILE_EXCLUSIVE);
    if (!module) module = LoadLibraryExA(uninstaller, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module) return 0;
    int found = 0;
    HRSRC resource = FindResourceA(module, kInstallLogResource, kDataResourceType);
    HGLOBAL loaded = resource ? LoadResource(module, resource) : nullptr;
    const uint8_t* bytes = loaded ? static_cast<const uint8_t*>(LockResource(loaded)) : nullptr;
    InstallLogView view;
    if (bytes && ParseInstallLog(bytes, SizeofResource(module, resource), &view) == kLogComplete &&
        SamePath(view.appName, appName)) {
        found = 1;
        for (int32_t i = 0; i < view.entryCount && found; ++i) {
            LogEntry entry;
            found = GetInstallLogEntry(view, i, &entry) && log->Append(&entry);
        }
        CopyText(verName, kPathSize, view.appVerName);
    }
    FreeLibrary(module);
    if (!found) log->Clear();
    return found;
}

}  // namespace

int FindEarlierInstallation(CSetupConfig* config) {
    config->earlierFound = 0;
    config->earlierLog.Clear();
    char name[2 * kPathSize];
    HKEY key = nullptr;
    if (!UninstallKeyName(config, name, sizeof(name)) ||
        RegOpenKeyExA(UninstallRoot(config), name, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return 0;
    }
    char command[kPathSize + 2];
    char displayName[kPathSize];
    int haveCommand = ReadText(key, "UninstallString", command, sizeof(command));
    int haveName = ReadText(key, "DisplayName", displayName, sizeof(displayName));
    RegCloseKey(key);

    char uninstaller[kPathSize];
    char verName[kPathSize];
    if (!haveCommand || !UninstallerOf(command, uninstaller) ||
        !ReadEarlierLog(uninstaller, config->appName, &config->earlierLog, verName)) {
        return 0;
    }
    config->earlierFound = 1;
    FolderOf(uninstaller, config->earlierDir);
    CopyText(config->earlierName, sizeof(config->earlierName), haveName && displayName[0] ? displayName : verName);
    CopyText(config->installDir, sizeof(config->installDir), config->earlierDir);
    return 1;
}
