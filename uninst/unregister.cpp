// Uninstall registration removal.
#include "unregister.h"

#include <windows.h>
#include <string.h>

#include "resolved_path.h"
#include "resource_names.h"
#include "text.h"

int UninstallKeyName(const char* appName, char* key, unsigned cap) {
    if (!appName || !appName[0]) return 0;
    return FormatText(key, cap, "%s\\%s", kUninstallKey, appName);
}

int UninstallProgramOf(const char* command, char* program, size_t cap) {
    if (!command || cap == 0) return 0;
    if (command[0] != '"') return CopyText(program, cap, command);
    const char* end = strchr(command + 1, '"');
    size_t length = end ? static_cast<size_t>(end - command - 1) : 0;
    if (!end || length >= cap) return 0;
    memcpy(program, command + 1, length);
    program[length] = 0;
    return 1;
}

namespace {

// 1 when the key's UninstallString, a text value read within its buffer,
// starts uninstaller.
int NamesUninstaller(HKEY key, const char* uninstaller) {
    char command[2 * kPathSize];
    DWORD type = 0;
    DWORD size = sizeof(command) - 1;
    if (RegQueryValueExA(key, "UninstallString", nullptr, &type, reinterpret_cast<BYTE*>(command), &size) !=
            ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ)) {
        return 0;
    }
    command[size < sizeof(command) ? size : sizeof(command) - 1] = 0;
    char program[kPathSize];
    return UninstallProgramOf(command, program, sizeof(program)) && SamePlace(program, uninstaller);
}

}  // namespace

int UnregisterUninstaller(const CUninstConfig& config, const char* uninstaller) {
    char name[kPathSize + sizeof(kUninstallKey) + 1];
    // The root setup registered under, and no other: a scope that cannot be
    // read names neither. The key is opened and deleted in the same view as
    // the RegCreateKeyExA of setup.
    HKEY root = config.scope == kScopeMachine ? HKEY_LOCAL_MACHINE
                : config.scope == kScopeUser  ? HKEY_CURRENT_USER
                                              : nullptr;
    if (!root || !uninstaller || !UninstallKeyName(config.appName, name, sizeof(name))) return 0;
    HKEY key = nullptr;
    LONG opened = RegOpenKeyExA(root, name, 0, KEY_QUERY_VALUE, &key);
    if (opened == ERROR_FILE_NOT_FOUND) return 1;
    if (opened != ERROR_SUCCESS) return 0;
    int ours = NamesUninstaller(key, uninstaller);
    RegCloseKey(key);
    return ours && RegDeleteKeyA(root, name) == ERROR_SUCCESS ? 1 : 0;
}
