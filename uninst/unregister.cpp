// Uninstall registration removal.
#include "unregister.h"

#include <windows.h>

#include "resource_names.h"
#include "text.h"

namespace {


}  // namespace

int UninstallKeyName(const char* appName, char* key, unsigned cap) {
    if (!appName || !appName[0]) return 0;
    return FormatText(key, cap, "%s\\%s", kUninstallKey, appName);
}

int UnregisterUninstaller(const CUninstConfig& config) {
    char key[kPathSize + sizeof(kUninstallKey) + 1];
    // RegDeleteKeyA works in the same view as the RegCreateKeyExA of setup.
    if (UninstallKeyName(config.appName, key, sizeof(key))) RegDeleteKeyA(HKEY_LOCAL_MACHINE, key);
    return 1;
}
