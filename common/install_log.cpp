// Reader and writer of the install log (layout drawn in install_log.h).
#include "install_log.h"

#include <string.h>

#include "text.h"

size_t InstallLogSize(int32_t n) {
    return kLogHeadSize + static_cast<size_t>(n < 0 ? 0 : n) * kLogEntrySize + kLogTailSize;
}

void EncodeLogHead(uint8_t out[kLogHeadSize], const char* appName, const char* appVerName, int32_t n) {
    PutStringField(out, kPathSize, appName);
    PutStringField(out + 260, kPathSize, appVerName);
    PutInt32(out + 520, n);
}

void EncodeLogEntry(uint8_t out[kLogEntrySize], const LogEntry& entry) {
    PutStringField(out, kPathSize, entry.path);
    PutInt32(out + 260, entry.kind);
}

void EncodeLogTail(uint8_t out[kLogTailSize], const char* reservedText) {
    PutStringField(out, kPathSize, reservedText);
}

InstallLogStatus ParseInstallLog(const uint8_t* data, size_t size, InstallLogView* view) {
    memset(view, 0, sizeof(*view));
    int32_t n = 0;
    if (!data || size < kLogHeadSize || !ReadInt32(data, size, 520, &n) || n < 0) {
        return kLogUnreadable;
    }
    ReadStringField(data, size, 0, kPathSize, view->appName, kPathSize);
    ReadStringField(data, size, 260, kPathSize, view->appVerName, kPathSize);
    view->declaredCount = n;
    view->entries = data + kLogHeadSize;
    size_t room = (size - kLogHeadSize) / kLogEntrySize;
    view->entryCount = static_cast<size_t>(n) <= room ? n : static_cast<int32_t>(room);
    if (view->entryCount < n) return kLogTruncated;
    size_t tail = kLogHeadSize + static_cast<size_t>(n) * kLogEntrySize;
    if (!ReadStringField(data, size, tail, kPathSize, view->reservedText, kPathSize)) {
        return kLogTruncated;
    }
    return kLogComplete;
}

int GetInstallLogEntry(const InstallLogView& view, int32_t i, LogEntry* entry) {
    if (!view.entries || i < 0 || i >= view.entryCount) return 0;
    const uint8_t* at = view.entries + static_cast<size_t>(i) * kLogEntrySize;
    memset(entry, 0, sizeof(*entry));
    ReadStringField(at, kLogEntrySize, 0, kPathSize, entry->path, kPathSize);
    ReadInt32(at, kLogEntrySize, 260, &entry->kind);
    return 1;
}
