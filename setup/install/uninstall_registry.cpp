// Writing the uninstall registration.
#include "uninstall_registry.h"

#include <windows.h>
#include <string.h>

#include "path_rules.h"
#include "resource_names.h"
#include "setup_config.h"
#include "text.h"

namespace {

const char kUninstallerName[] = "uninst.exe";

void SetText(HKEY key, const char* name, const char* value) {
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                   static_cast<DWORD>(strlen(value) + 1));
}

}  // namespace

HKEY UninstallRoot(const CSetupConfig* config) {
    return config->perUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
}

int UninstallKeyName(const CSetupConfig* config, char* key, size_t cap) {
    return JoinPath(key, cap, kUninstallKey, config->appName);
}

int UninstallCommand(const CSetupConfig* config, char* command, size_t cap) {
    char path[kPathSize];
    if (!JoinPath(path, sizeof(path), config->installDir, kUninstallerName)) return 0;
    if (!strchr(path, ' ')) return CopyText(command, cap, path);
    return FormatText(command, cap, "\"%s\"", path);
}

int RegisterUninstaller(CSetupConfig* config) {
    char name[2 * kPathSize];
    char command[kPathSize + 2];
    if (!UninstallKeyName(config, name, sizeof(name)) || !UninstallCommand(config, command, sizeof(command))) {
        return 0;
    }
    HKEY key = nullptr;
    if (RegCreateKeyExA(UninstallRoot(config), name, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS) {
        return 0;
    }
    SetText(key, "DisplayName", config->appVerName);
    SetText(key, "UninstallString", command);
    RegCloseKey(key);
    return 1;
}
