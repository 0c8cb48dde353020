// Fixed-size records shared by the setup record, the payload and the install log.
// Every name or path is an ANSI string in a 260-byte array, zero-terminated.
#pragma once

#include <stdint.h>

enum { kPathSize = 260 };

// One payload file: its name, the sub-folder below the install folder that
// receives it ("" for the install folder itself) and its size in the payload.
struct FileEntry {
    char name[kPathSize];
    char subFolder[kPathSize];
    int32_t size;
};
static_assert(sizeof(FileEntry) == 524, "FileEntry is stored byte for byte");

// One thing the installation created: a file (kind 0) or a folder (kind 1).
enum { kLogFile = 0, kLogFolder = 1 };
struct LogEntry {
    char path[kPathSize];
    int32_t kind;
};
static_assert(sizeof(LogEntry) == 264, "LogEntry is stored byte for byte");
