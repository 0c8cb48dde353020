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

void SetNumber(HKEY key, const char* name, DWORD value) {
    RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
}

// A text given by the package: written when there is one, so that a package
// without it shows none rather than an empty one.
void SetGivenText(HKEY key, const char* name, const char* value) {
    if (value[0]) SetText(key, name, value);
}

}  // namespace

int MainProgramPath(const CSetupConfig* config, char* path, size_t cap) {
    const auto* first = config->files.First();
    return first && JoinPath(path, cap, config->installDir, first->payload.name);
}

DWORD EstimatedSizeKb(const CSetupConfig* config) {
    unsigned long long bytes = 0;
    for (const auto* node = config->files.First(); node; node = node->next) {
        if (node->payload.size > 0) bytes += static_cast<unsigned long long>(node->payload.size);
    }
    unsigned long long kb = (bytes + 1023) / 1024;
    return kb > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<DWORD>(kb);
}

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
    SetGivenText(key, "DisplayVersion", config->registration.version);
    SetGivenText(key, "Publisher", config->registration.publisher);
    char program[kPathSize];
    if (MainProgramPath(config, program, sizeof(program))) SetText(key, "DisplayIcon", program);
    SetText(key, "InstallLocation", config->installDir);
    SetNumber(key, "EstimatedSize", EstimatedSizeKb(config));
    // There is nothing to modify or repair: the list offers removal alone.
    SetNumber(key, "NoModify", 1);
    SetNumber(key, "NoRepair", 1);
    RegCloseKey(key);
    return 1;
}
