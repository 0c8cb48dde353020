// The setup record: layout, defaults and reading of short or damaged records.
#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

#include "record_checks.h"
#include "setup_record.h"

namespace {

FileEntry MakeEntry(const char* name, const char* sub, int32_t size) {
    FileEntry e = {};
    strcpy(e.name, name);
    strcpy(e.subFolder, sub);
    e.size = size;
    return e;
}

std::vector<uint8_t> Encode(const SetupRecord& record, const std::vector<FileEntry>& files) {
    std::vector<uint8_t> bytes(SetupRecordSize(static_cast<int32_t>(files.size())));
    EXPECT_EQ(bytes.size(), EncodeSetupRecord(record, files.data(), static_cast<int32_t>(files.size()), bytes.data()));
    return bytes;
}

SetupRecord Sample() {
    SetupRecord r;
    SetDefaultSetupRecord(&r);
    strcpy(r.appName, "Demo");
    strcpy(r.appVerName, "Demo 2.1");
    strcpy(r.folderToken, "{pf}");
    strcpy(r.subFolder, "Demo");
    r.allowDirChange = 1;
    r.noIcons = 0;
    r.allowGroupChange = 1;
    r.offerMenuIcons = 1;
    r.reservedFlag = 7;
    strcpy(r.groupName, "Demo group");
    strcpy(r.reservedText, "note");
    r.runOffered = 1;
    r.uninstallIconOffered = 0;
    r.licenseFormat = 2;
    r.infoFormat = -3;
    return r;
}

TEST(SetupRecord, SizesFollowTheEntryCount) {
    EXPECT_EQ(1596u, SetupRecordSize(0));
    EXPECT_EQ(2644u, SetupRecordSize(2));
    EXPECT_EQ(1596u, SetupRecordSize(-5));
}

TEST(SetupRecord, DefaultsAreThoseOfAProgramWithoutRecord) {
    SetupRecord r;
    SetDefaultSetupRecord(&r);
    EXPECT_STREQ("Mon_Application", r.appName);
    EXPECT_STREQ("Mon_Application 1.0", r.appVerName);
    EXPECT_STREQ("Mon_Application", r.groupName);
    EXPECT_STREQ("{app}", r.folderToken);
    EXPECT_EQ(1, r.noIcons);
    EXPECT_EQ(1, r.allowDirChange);
    EXPECT_EQ(0, r.runOffered);
    EXPECT_EQ(0, r.uninstallIconOffered);
    EXPECT_EQ(0, r.licenseFormat);
    EXPECT_EQ(0, r.fileCount);
}

TEST(SetupRecord, RoundTripKeepsEveryFieldAndTheFieldOrder) {
    SetupRecord in = Sample();
    in.uninstallIconOffered = 5;
    std::vector<FileEntry> files = {MakeEntry("demo.exe", "", 100), MakeEntry("readme.txt", "doc\\en", 7)};
    std::vector<uint8_t> bytes = Encode(in, files);
    ASSERT_EQ(2644u, bytes.size());
    // runOffered is stored before uninstallIconOffered, then the two int16 formats.
    EXPECT_EQ(1, bytes[1584 + 524 * 2]);
    EXPECT_EQ(5, bytes[1588 + 524 * 2]);
    EXPECT_EQ(2, bytes[1592 + 524 * 2]);

    SetupRecord out;
    SetDefaultSetupRecord(&out);
    ASSERT_EQ(kRecordComplete, ParseSetupRecord(bytes.data(), bytes.size(), &out));
    testrec::ExpectSameRecord(in, out);
    ASSERT_EQ(2, out.fileCount);
    FileEntry e;
    ASSERT_TRUE(GetSetupFileEntry(out, 1, &e));
    EXPECT_STREQ("readme.txt", e.name);
    EXPECT_STREQ("doc\\en", e.subFolder);
    EXPECT_EQ(7, e.size);
    EXPECT_FALSE(GetSetupFileEntry(out, 2, &e));
    EXPECT_FALSE(GetSetupFileEntry(out, -1, &e));
}

TEST(SetupRecord, LeftoversAfterTheTerminatorAreIgnored) {
    std::vector<uint8_t> bytes = Encode(Sample(), {});
    memcpy(&bytes[5], "GARBAGE", 7);  // after "Demo\0"
    SetupRecord out;
    SetDefaultSetupRecord(&out);
    ParseSetupRecord(bytes.data(), bytes.size(), &out);
    EXPECT_STREQ("Demo", out.appName);
}

TEST(SetupRecord, UnterminatedStringsAreCutAt259Characters) {
    std::vector<uint8_t> bytes = Encode(Sample(), {});
    memset(&bytes[0], 'A', 260);
    memset(&bytes[260], 'B', 260);
    SetupRecord out;
    SetDefaultSetupRecord(&out);
    ASSERT_EQ(kRecordComplete, ParseSetupRecord(bytes.data(), bytes.size(), &out));
    EXPECT_EQ(259u, strlen(out.appName));
    EXPECT_EQ(259u, strlen(out.appVerName));
    EXPECT_EQ('B', out.appVerName[0]);  // no spill from one field into the next
}

TEST(SetupRecord, ShortRecordsKeepDefaultsFromTheFirstMissingField) {
    std::vector<FileEntry> files = {MakeEntry("a.exe", "", 1), MakeEntry("b.dll", "", 2)};
    std::vector<uint8_t> full = Encode(Sample(), files);

    // Cut inside the second file entry: one entry survives, the tail is missing.
    SetupRecord r;
    SetDefaultSetupRecord(&r);
    EXPECT_EQ(kRecordTruncated, ParseSetupRecord(full.data(), 1044 + 524 + 100, &r));
    EXPECT_STREQ("Demo", r.appName);
    EXPECT_EQ(1, r.fileCount);
    EXPECT_EQ(1, r.noIcons);  // default kept
    EXPECT_STREQ("Mon_Application", r.groupName);

    // Cut inside the group name: the five flags are read, the rest is default.
    SetDefaultSetupRecord(&r);
    EXPECT_EQ(kRecordTruncated, ParseSetupRecord(full.data(), 1044 + 524 * 2 + 30, &r));
    EXPECT_EQ(2, r.fileCount);
    EXPECT_EQ(0, r.noIcons);
    EXPECT_EQ(7, r.reservedFlag);
    EXPECT_STREQ("Mon_Application", r.groupName);
    EXPECT_EQ(0, r.runOffered);

    // Every shorter length stays inside the bytes (the sanitizers watch this loop).
    for (size_t n = 0; n < full.size(); ++n) {
        std::vector<uint8_t> cut(full.begin(), full.begin() + n);
        SetDefaultSetupRecord(&r);
        EXPECT_EQ(kRecordTruncated, ParseSetupRecord(cut.data(), cut.size(), &r)) << n;
        for (int32_t i = 0; i < r.fileCount; ++i) {
            FileEntry e;
            ASSERT_TRUE(GetSetupFileEntry(r, i, &e));
        }
    }
}

TEST(SetupRecord, NegativeOrHugeCountsReadOnlyWhatIsThere) {
    std::vector<uint8_t> bytes = Encode(Sample(), {MakeEntry("a.exe", "", 1)});
    SetupRecord r;

    bytes[1040] = 0xFF; bytes[1041] = 0xFF; bytes[1042] = 0xFF; bytes[1043] = 0xFF;  // -1
    SetDefaultSetupRecord(&r);
    ParseSetupRecord(bytes.data(), bytes.size(), &r);
    EXPECT_EQ(0, r.fileCount);

    bytes[1043] = 0x7F;  // 2^31 - 1
    SetDefaultSetupRecord(&r);
    EXPECT_EQ(kRecordTruncated, ParseSetupRecord(bytes.data(), bytes.size(), &r));
    EXPECT_EQ(2, r.fileCount);  // whole 524-byte blocks present: the entry and the old tail
}

TEST(SetupRecord, NullOrEmptyInputChangesNothing) {
    SetupRecord r;
    SetDefaultSetupRecord(&r);
    EXPECT_EQ(kRecordTruncated, ParseSetupRecord(nullptr, 5000, &r));
    EXPECT_STREQ("Mon_Application", r.appName);
    uint8_t none = 0;
    EXPECT_EQ(kRecordTruncated, ParseSetupRecord(&none, 0, &r));
    EXPECT_EQ(0, r.fileCount);
}

TEST(SetupRecord, EncoderCutsOverlongNamesInsideTheirField) {
    SetupRecord in = Sample();
    FileEntry e = {};
    memset(e.name, 'n', sizeof(e.name));  // no terminator at all
    std::vector<uint8_t> bytes = Encode(in, {e});
    EXPECT_EQ(0, bytes[1044 + 259]);
    SetupRecord out;
    SetDefaultSetupRecord(&out);
    ParseSetupRecord(bytes.data(), bytes.size(), &out);
    FileEntry back;
    ASSERT_TRUE(GetSetupFileEntry(out, 0, &back));
    EXPECT_EQ(259u, strlen(back.name));
}

}  // namespace
