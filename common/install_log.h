// The install log: everything an installation created, written by setup beside
// itself as "Temp_002.log" and embedded into uninst.exe as RT_DATA "5000".
//
// Byte layout (integers int32 little-endian, text fields 260 bytes zero-terminated):
//
//   offset        size   field
//   0             260    appName
//   260           260    appVerName
//   520           4      N, number of entries
//   524 + 264*i   260    path of entry i (i = 0 .. N-1, in creation order)
//   784 + 264*i   4      kind of entry i (0 file, 1 folder)
//   524 + 264*N   260    reservedText
//   total         784 + 264*N
//
// There is no signature or checksum: the reader checks every count against the
// bytes it has.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "records.h"

enum {
    kLogHeadSize = 524,
    kLogEntrySize = 264,
    kLogTailSize = 260,
};

// The most entries a log may hold: its size stays below 2 GB, so that it fits
// a resource, a 32-bit size and a signed count. setup refuses to finish an
// installation whose log would be longer rather than write it cut.
const int32_t kMaxInstallLogEntries = (0x7FFFFFFF - kLogHeadSize - kLogTailSize) / kLogEntrySize;

// Size of a log with n entries.
size_t InstallLogSize(int32_t n);

// Writers of the three parts, each into a buffer of the part's size.
void EncodeLogHead(uint8_t out[kLogHeadSize], const char* appName, const char* appVerName, int32_t n);
void EncodeLogEntry(uint8_t out[kLogEntrySize], const LogEntry& entry);
void EncodeLogTail(uint8_t out[kLogTailSize], const char* reservedText);

enum InstallLogStatus {
    kLogComplete = 0,  // the bytes hold exactly what the count says (or more)
    kLogTruncated,     // the count promises more entries (or the tail) than the bytes hold
    kLogUnreadable,    // too short for the head, or a negative count
};

struct InstallLogView {
    char appName[kPathSize];
    char appVerName[kPathSize];
    char reservedText[kPathSize];  // "" when the tail is missing
    int32_t declaredCount;         // N as stored
    int32_t entryCount;            // whole entries present, at most N (0 when unreadable)
    const uint8_t* entries;        // first entry inside the parsed bytes
};

// Reads the head of a log over size bytes, never past them.
InstallLogStatus ParseInstallLog(const uint8_t* data, size_t size, InstallLogView* view);

// Copies entry i (0 <= i < view.entryCount); the path is always terminated.
int GetInstallLogEntry(const InstallLogView& view, int32_t i, LogEntry* entry);
