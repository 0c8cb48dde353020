// Uninstall registration removal.
#include "unregister.h"

#include <windows.h>

#include "resource_names.h"
#include "text.h"

int UninstallKeyName(const char* appName, char* key, unsigned cap) {
    if (!appName || !appName[0]) return 0;
    return FormatText(key, cap, "%s\\%s", kUninstallKey, appName);
}

int UnregisterUninstaller(const CUninstConfig& config) {
    char key[kPathSize + sizeof(kUninstallKey) + 1];
    // The root setup registered under, and no other: a scope that cannot be
    // read names neither. RegDeleteKeyA works in the same view as the
    // RegCreateKeyExA of setup.
    HKEY root = config.scope == kScopeMachine ? HKEY_LOCAL_MACHINE
                : config.scope == kScopeUser  ? HKEY_CURRENT_USER
                                              : nullptr;
    if (root && UninstallKeyName(config.appName, key, sizeof(key))) RegDeleteKeyA(root, key);
    return 1;
}
