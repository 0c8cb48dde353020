// The setup record: the configuration resource RT_DATA "5001" of a setup program.
//
// Byte layout (little-endian, no header, no padding), N = number of file entries:
//
//   offset        size     field
//   0             260      application name
//   260           260      application name with version
//   520           260      folder token: "{pf}", "{sys}", "{win}", "{app}" or a literal folder
//   780           260      sub-folder appended to the resolved folder ("" for none)
//   1040          4        N, int32
//   1044          524*N    N FileEntry records (name[260], subFolder[260], size int32)
//   1044+524N     4 x 5    allowDirChange, noIcons, allowGroupChange, offerMenuIcons, reservedFlag
//   1064+524N     260      group name
//   1324+524N     260      reserved text
//   1584+524N     4        runOffered
//   1588+524N     4        uninstallIconOffered
//   1592+524N     2        licenseFormat, int16
//   1594+524N     2        infoFormat, int16
//   total         1596 + 524*N
//
// Strings are zero-terminated inside their 260 bytes; bytes after the terminator
// are ignored.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "records.h"

enum { kSetupRecordFixedSize = 1596, kFileEntrySize = 524 };

// What a setup record says, with the defaults of a program that has no record.
struct SetupRecord {
    char appName[kPathSize];
    char appVerName[kPathSize];
    char folderToken[kPathSize];
    char subFolder[kPathSize];
    int32_t allowDirChange;
    int32_t noIcons;
    int32_t allowGroupChange;
    int32_t offerMenuIcons;
    int32_t reservedFlag;
    char groupName[kPathSize];
    char reservedText[kPathSize];
    int32_t runOffered;
    int32_t uninstallIconOffered;
    int16_t licenseFormat;
    int16_t infoFormat;

    // Payload file entries as stored: fileData points into the parsed bytes and
    // fileCount counts only the entries that lie wholly inside them.
    const uint8_t* fileData;
    int32_t fileCount;
};

enum SetupRecordResult {
    kRecordComplete = 1,   // every field was present
    kRecordTruncated = 0,  // the bytes ended early; see ParseSetupRecord
};

// Fills *record with the defaults used when no record is present.
void SetDefaultSetupRecord(SetupRecord* record);

// Parses size bytes of a setup record over the defaults already in *record.
// A record shorter than its declared length is read as far as it goes and never
// past its end: each field is taken only if it lies wholly inside the bytes, so
// the fields from the first missing one onwards keep their values from *record;
// a declared count N larger than the whole entries present (or negative) yields
// only the whole entries present (or none), and the fields after the file list
// are then missing. A string field without terminator is cut at 259 characters.
SetupRecordResult ParseSetupRecord(const uint8_t* data, size_t size, SetupRecord* record);

// Copies entry i (0 <= i < record.fileCount) into *entry; names are always
// terminated. Returns 0 for an index outside the entries present.
int GetSetupFileEntry(const SetupRecord& record, int32_t i, FileEntry* entry);

// Size in bytes of a record with n file entries.
size_t SetupRecordSize(int32_t n);

// Writes a complete record for files[0..n) into out (SetupRecordSize(n) bytes);
// fileData and fileCount of the record are ignored. Returns the size written.
size_t EncodeSetupRecord(const SetupRecord& record, const FileEntry* files, int32_t n, uint8_t* out);
