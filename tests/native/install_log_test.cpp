// The install log: writer and reader agree, and the reader never passes the bytes.
#include <gtest/gtest.h>

#include <string.h>

#include <vector>

#include "install_log.h"

namespace {

std::vector<uint8_t> Build(const std::vector<LogEntry>& entries, const char* reserved = "r") {
    std::vector<uint8_t> bytes(InstallLogSize(static_cast<int32_t>(entries.size())));
    EncodeLogHead(bytes.data(), "Demo", "Demo 1.5", static_cast<int32_t>(entries.size()));
    for (size_t i = 0; i < entries.size(); ++i) EncodeLogEntry(&bytes[kLogHeadSize + i * kLogEntrySize], entries[i]);
    EncodeLogTail(&bytes[kLogHeadSize + entries.size() * kLogEntrySize], reserved);
    return bytes;
}

LogEntry Entry(const char* path, int32_t kind) {
    LogEntry e = {};
    strcpy(e.path, path);
    e.kind = kind;
    return e;
}

TEST(InstallLog, SevenEntriesMake2632Bytes) {
    EXPECT_EQ(784u, InstallLogSize(0));
    EXPECT_EQ(2632u, InstallLogSize(7));
}

TEST(InstallLog, RoundTripInOrder) {
    std::vector<LogEntry> in = {Entry("C:\\Demo", kLogFolder), Entry("C:\\Demo\\a.exe", kLogFile),
                                Entry("C:\\Demo\\b.txt", kLogFile)};
    std::vector<uint8_t> bytes = Build(in, "reserved");
    EXPECT_EQ(1, bytes[784 + 0]);  // kind of entry 0 at 784
    InstallLogView view;
    ASSERT_EQ(kLogComplete, ParseInstallLog(bytes.data(), bytes.size(), &view));
    EXPECT_STREQ("Demo", view.appName);
    EXPECT_STREQ("Demo 1.5", view.appVerName);
    EXPECT_STREQ("reserved", view.reservedText);
    ASSERT_EQ(3, view.entryCount);
    for (int i = 0; i < 3; ++i) {
        LogEntry e;
        ASSERT_TRUE(GetInstallLogEntry(view, i, &e));
        EXPECT_STREQ(in[i].path, e.path);
        EXPECT_EQ(in[i].kind, e.kind);
    }
}

TEST(InstallLog, EmptyLogIsComplete) {
    std::vector<uint8_t> bytes = Build({});
    InstallLogView view;
    EXPECT_EQ(kLogComplete, ParseInstallLog(bytes.data(), bytes.size(), &view));
    EXPECT_EQ(0, view.entryCount);
}

TEST(InstallLog, ShortLogsAreReportedAndNeverOverread) {
    std::vector<uint8_t> full = Build({Entry("C:\\x", 0), Entry("C:\\y", 0)});
    for (size_t n = 0; n < full.size(); ++n) {
        std::vector<uint8_t> cut(full.begin(), full.begin() + n);
        InstallLogView view;
        InstallLogStatus status = ParseInstallLog(cut.data(), cut.size(), &view);
        EXPECT_NE(kLogComplete, status) << n;
        if (n < kLogHeadSize) EXPECT_EQ(kLogUnreadable, status);
        EXPECT_LE(view.entryCount, 2);
        size_t whole = n < kLogHeadSize ? 0 : (n - kLogHeadSize) / kLogEntrySize;
        EXPECT_EQ(static_cast<int32_t>(whole < 2 ? whole : 2), view.entryCount) << n;
        for (int i = 0; i < view.entryCount; ++i) {
            LogEntry e;
            EXPECT_TRUE(GetInstallLogEntry(view, i, &e));
        }
    }
}

TEST(InstallLog, NegativeAndAbsurdCounts) {
    std::vector<uint8_t> bytes = Build({Entry("C:\\x", 0)});
    InstallLogView view;
    bytes[520] = 0xFE; bytes[521] = 0xFF; bytes[522] = 0xFF; bytes[523] = 0xFF;  // -2
    EXPECT_EQ(kLogUnreadable, ParseInstallLog(bytes.data(), bytes.size(), &view));
    EXPECT_EQ(0, view.entryCount);
    bytes[520] = 0x00; bytes[521] = 0x00; bytes[522] = 0x00; bytes[523] = 0x40;  // 2^30
    EXPECT_EQ(kLogTruncated, ParseInstallLog(bytes.data(), bytes.size(), &view));
    EXPECT_EQ(1 << 30, view.declaredCount);
    EXPECT_LE(view.entryCount, 1);
}

TEST(InstallLog, UnterminatedPathIsCut) {
    LogEntry e = {};
    memset(e.path, 'p', sizeof(e.path));
    std::vector<uint8_t> bytes = Build({e});
    memset(&bytes[kLogHeadSize], 'q', 260);  // destroy the terminator written by the encoder
    InstallLogView view;
    ASSERT_EQ(kLogComplete, ParseInstallLog(bytes.data(), bytes.size(), &view));
    LogEntry back;
    ASSERT_TRUE(GetInstallLogEntry(view, 0, &back));
    EXPECT_EQ(259u, strlen(back.path));
}

}  // namespace
