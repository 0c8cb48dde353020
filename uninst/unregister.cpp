// Uninstall registration removal.
#include "unregister.h"

#include <windows.h>

#include "text.h"

namespace {

const char kUninstallRoot[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

}  // namespace

int UninstallKeyName(const char* appName, char* key, unsigned cap) {
    if (!appName || !appName[0]) return 0;
    return FormatText(key, cap, "%s\\%s", kUninstallRoot, appName);
}

int UnregisterUninstaller(const CUninstConfig& config) {
    char key[kPathSize + sizeof(kUninstallRoot) + 1];
    // RegDeleteKeyA works in the same view as the RegCreateKeyExA of setup.
    if (UninstallKeyName(config.appName, key, sizeof(key))) RegDeleteKeyA(HKEY_LOCAL_MACHINE, key);
    return 1;
}
