// Fuzz target: the install log reader over arbitrary bytes.
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include <vector>

#include "install_log.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> bytes(data, data + size);
    InstallLogView view;
    InstallLogStatus status = ParseInstallLog(bytes.data(), bytes.size(), &view);
    if (view.entryCount < 0 || (status == kLogComplete && view.entryCount != view.declaredCount)) __builtin_trap();
    if (status != kLogUnreadable &&
        kLogHeadSize + static_cast<size_t>(view.entryCount) * kLogEntrySize > bytes.size()) {
        __builtin_trap();
    }
    for (int32_t i = 0; i < view.entryCount; ++i) {
        LogEntry entry;
        if (!GetInstallLogEntry(view, i, &entry) || strlen(entry.path) >= kPathSize) __builtin_trap();
    }
    return 0;
}
