// Install log loading: the portable reader over the bytes of the own resource.
#include "log_loader.h"

#include "install_log.h"
#include "resource_names.h"
#include "text.h"

LogLoadResult ReadInstallLog(CUninstConfig& config, const uint8_t* data, size_t size) {
    config.Reset();
    InstallLogView view;
    InstallLogStatus status = ParseInstallLog(data, size, &view);
    if (status == kLogUnreadable) return kLogDamaged;
    CopyText(config.appName, sizeof(config.appName), view.appName);
    CopyText(config.appVerName, sizeof(config.appVerName), view.appVerName);
    // A log cut short would remove only part of the installation and leave the
    // registration pointing at nothing: better to remove nothing at all.
    if (status != kLogComplete) return kLogDamaged;
    for (int32_t i = 0; i < view.entryCount; ++i) {
        LogEntry entry;
        if (!GetInstallLogEntry(view, i, &entry) || !config.installLog.Append(&entry)) {
            config.installLog.Clear();
            return kLogDamaged;
        }
    }
    CopyText(config.reservedText, sizeof(config.reservedText), view.reservedText);
    config.logMissing = 0;
    return kLogLoaded;
}

namespace {

// The scope setup embedded beside the log (none for every user's installation).
InstallScope LoadScope(HMODULE module) {
    HRSRC found = FindResourceA(module, kInstallScopeResource, kDataResourceType);
    if (!found) return kScopeMachine;
    HGLOBAL loaded = LoadResource(module, found);
    const uint8_t* bytes = loaded ? static_cast<const uint8_t*>(LockResource(loaded)) : nullptr;
    return bytes ? ParseInstallScope(bytes, SizeofResource(module, found)) : kScopeUnknown;
}

}  // namespace

LogLoadResult LoadInstallLogFrom(CUninstConfig& config, HMODULE module) {
    config.Reset();
    HRSRC found = FindResourceA(module, kInstallLogResource, kDataResourceType);
    if (!found) return kLogAbsent;
    HGLOBAL loaded = LoadResource(module, found);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes) return kLogAbsent;
    DWORD size = SizeofResource(module, found);
    LogLoadResult result = ReadInstallLog(config, static_cast<const uint8_t*>(bytes), size);
    config.scope = LoadScope(module);
    return result;
}

LogLoadResult LoadInstallLog(CUninstConfig& config) {
    return LoadInstallLogFrom(config, GetModuleHandleA(nullptr));
}
