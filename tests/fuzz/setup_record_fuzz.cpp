// Fuzz target: the setup record reader over arbitrary bytes.
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include <vector>

#include "setup_record.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A private copy, so a read past the end is caught even at the end of the input.
    std::vector<uint8_t> bytes(data, data + size);
    SetupRecord record;
    SetDefaultSetupRecord(&record);
    ParseSetupRecord(bytes.data(), bytes.size(), &record);
    if (strlen(record.appName) >= kPathSize || strlen(record.groupName) >= kPathSize) __builtin_trap();
    for (int32_t i = 0; i < record.fileCount; ++i) {
        FileEntry entry;
        if (!GetSetupFileEntry(record, i, &entry)) __builtin_trap();
        if (strlen(entry.name) >= kPathSize || strlen(entry.subFolder) >= kPathSize) __builtin_trap();
    }
    // Whatever was read encodes back into a record the reader takes whole.
    std::vector<FileEntry> files;
    for (int32_t i = 0; i < record.fileCount && i < 64; ++i) {
        FileEntry entry;
        GetSetupFileEntry(record, i, &entry);
        files.push_back(entry);
    }
    std::vector<uint8_t> again(SetupRecordSize(static_cast<int32_t>(files.size())));
    EncodeSetupRecord(record, files.data(), static_cast<int32_t>(files.size()), again.data());
    SetupRecord back;
    SetDefaultSetupRecord(&back);
    if (ParseSetupRecord(again.data(), again.size(), &back) != kRecordComplete) __builtin_trap();
    if (strcmp(back.appName, record.appName) != 0 || back.fileCount != static_cast<int32_t>(files.size())) {
        __builtin_trap();
    }
    return 0;
}
