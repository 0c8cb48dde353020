// Reader and writer of the setup record (layout drawn in setup_record.h).
#include "setup_record.h"

#include <string.h>

#include "text.h"

namespace {

enum {
    kOffAppName = 0,
    kOffAppVerName = 260,
    kOffFolderToken = 520,
    kOffSubFolder = 780,
    kOffFileCount = 1040,
    kOffFiles = 1044,
    // Offsets after the file list, relative to its end.
    kRelFlags = 0,
    kRelGroupName = 20,
    kRelReservedText = 280,
    kRelRunOffered = 540,
    kRelUninstallIconOffered = 544,
    kRelLicenseFormat = 548,
    kRelInfoFormat = 550,
};

int ReadName(const uint8_t* data, size_t size, size_t offset, char* out) {
    return ReadStringField(data, size, offset, kPathSize, out, kPathSize);
}

}  // namespace

void SetDefaultSetupRecord(SetupRecord* record) {
    memset(record, 0, sizeof(*record));
    CopyText(record->appName, kPathSize, "Mon_Application");
    CopyText(record->appVerName, kPathSize, "Mon_Application 1.0");
    CopyText(record->folderToken, kPathSize, "{app}");
    CopyText(record->groupName, kPathSize, record->appName);
    record->allowDirChange = 1;
    record->noIcons = 1;
    record->allowGroupChange = 1;
    record->offerMenuIcons = 1;
    record->reservedFlag = 1;
}

SetupRecordResult ParseSetupRecord(const uint8_t* data, size_t size, SetupRecord* record) {
    if (!data) size = 0;
    int ok = ReadName(data, size, kOffAppName, record->appName);
    ok = ok && ReadName(data, size, kOffAppVerName, record->appVerName);
    ok = ok && ReadName(data, size, kOffFolderToken, record->folderToken);
    ok = ok && ReadName(data, size, kOffSubFolder, record->subFolder);

    int32_t declared = 0;
    ok = ok && ReadInt32(data, size, kOffFileCount, &declared);
    if (!ok) return kRecordTruncated;
    if (declared < 0) declared = 0;

    size_t room = size > kOffFiles ? (size - kOffFiles) / kFileEntrySize : 0;
    record->fileData = data + kOffFiles;
    record->fileCount = static_cast<size_t>(declared) <= room ? declared : static_cast<int32_t>(room);
    if (record->fileCount < declared) return kRecordTruncated;

    size_t tail = kOffFiles + static_cast<size_t>(declared) * kFileEntrySize;
    int32_t* flags[] = {&record->allowDirChange, &record->noIcons, &record->allowGroupChange,
                        &record->offerMenuIcons, &record->reservedFlag};
    for (int i = 0; i < 5; ++i) {
        if (!ReadInt32(data, size, tail + kRelFlags + 4 * i, flags[i])) return kRecordTruncated;
    }
    ok = ReadName(data, size, tail + kRelGroupName, record->groupName);
    ok = ok && ReadName(data, size, tail + kRelReservedText, record->reservedText);
    ok = ok && ReadInt32(data, size, tail + kRelRunOffered, &record->runOffered);
    ok = ok && ReadInt32(data, size, tail + kRelUninstallIconOffered, &record->uninstallIconOffered);
    ok = ok && ReadInt16(data, size, tail + kRelLicenseFormat, &record->licenseFormat);
    ok = ok && ReadInt16(data, size, tail + kRelInfoFormat, &record->infoFormat);
    return ok ? kRecordComplete : kRecordTruncated;
}

int GetSetupFileEntry(const SetupRecord& record, int32_t i, FileEntry* entry) {
    if (!record.fileData || i < 0 || i >= record.fileCount) return 0;
    const uint8_t* at = record.fileData + static_cast<size_t>(i) * kFileEntrySize;
    memset(entry, 0, sizeof(*entry));
    ReadName(at, kFileEntrySize, 0, entry->name);
    ReadName(at, kFileEntrySize, 260, entry->subFolder);
    ReadInt32(at, kFileEntrySize, 520, &entry->size);
    return 1;
}

size_t SetupRecordSize(int32_t n) {
    return kSetupRecordFixedSize + static_cast<size_t>(n < 0 ? 0 : n) * kFileEntrySize;
}

size_t EncodeSetupRecord(const SetupRecord& record, const FileEntry* files, int32_t n, uint8_t* out) {
    if (n < 0) n = 0;
    size_t total = SetupRecordSize(n);
    memset(out, 0, total);
    PutStringField(out + kOffAppName, kPathSize, record.appName);
    PutStringField(out + kOffAppVerName, kPathSize, record.appVerName);
    PutStringField(out + kOffFolderToken, kPathSize, record.folderToken);
    PutStringField(out + kOffSubFolder, kPathSize, record.subFolder);
    PutInt32(out + kOffFileCount, n);
    for (int32_t i = 0; i < n; ++i) {
        uint8_t* at = out + kOffFiles + static_cast<size_t>(i) * kFileEntrySize;
        PutStringField(at, kPathSize, files[i].name);
        PutStringField(at + 260, kPathSize, files[i].subFolder);
        PutInt32(at + 520, files[i].size);
    }
    uint8_t* tail = out + kOffFiles + static_cast<size_t>(n) * kFileEntrySize;
    const int32_t flags[] = {record.allowDirChange, record.noIcons, record.allowGroupChange,
                             record.offerMenuIcons, record.reservedFlag};
    for (int i = 0; i < 5; ++i) PutInt32(tail + kRelFlags + 4 * i, flags[i]);
    PutStringField(tail + kRelGroupName, kPathSize, record.groupName);
    PutStringField(tail + kRelReservedText, kPathSize, record.reservedText);
    PutInt32(tail + kRelRunOffered, record.runOffered);
    PutInt32(tail + kRelUninstallIconOffered, record.uninstallIconOffered);
    PutInt16(tail + kRelLicenseFormat, record.licenseFormat);
    PutInt16(tail + kRelInfoFormat, record.infoFormat);
    return total;
}
