// The uninstaller's reading of its embedded install log, and the texts it
// composes from the names in it.
#include <windows.h>

#include <gtest/gtest.h>
#include <string.h>

#include "log_loader.h"
#include "uninst_globals.h"
#include "uninst_messages.h"
#include "install_checks.h"

namespace {

using testenv::ScratchDir;
using wintest::Entry;
using wintest::LogBytes;

const uint8_t* Bytes(const std::string& s) { return reinterpret_cast<const uint8_t*>(s.data()); }

std::vector<LogEntry> ThreeEntries() {
    return {Entry("C:\\Demo", 1), Entry("C:\\Demo\\demo.exe", 0), Entry("C:\\Demo\\data.bin", 0)};
}

void ExpectDefaults(const CUninstConfig& c) {
    EXPECT_STREQ("MonApplication", c.appName);
    EXPECT_STREQ("MonApplication 1.0", c.appVerName);
    EXPECT_STREQ("", c.reservedText);
    EXPECT_EQ(0, c.installLog.Count());
    EXPECT_EQ(1, c.logMissing);
}

// Loads the log of a copy of uninst.exe as that copy would find it.
LogLoadResult LoadFromCopy(const std::string& exe, CUninstConfig* config) {
    wintest::DataModule module(exe);
    EXPECT_TRUE(module.get() != nullptr) << exe;
    return LoadInstallLogFrom(*config, module.get());
}

TEST(LoadInstallLog, EmbeddedLogGivesNamesAndEntriesInLogOrder) {
    ScratchDir dir("ulog");
    std::string log = LogBytes("Demo", "Demo 2.1", ThreeEntries(), "reserve");
    wintest::MakeUninstaller(dir / "uninst.exe", &log);
    CUninstConfig c;
    ASSERT_EQ(kLogLoaded, LoadFromCopy(dir / "uninst.exe", &c));
    EXPECT_STREQ("Demo", c.appName);
    EXPECT_STREQ("Demo 2.1", c.appVerName);
    EXPECT_STREQ("reserve", c.reservedText);
    EXPECT_EQ(0, c.logMissing);
    ASSERT_EQ(3, c.installLog.Count());
    const CList<LogEntry>::Node* n = c.installLog.First();
    EXPECT_STREQ("C:\\Demo", n->payload.path);
    EXPECT_EQ(1, n->payload.kind);
    n = n->next;
    EXPECT_STREQ("C:\\Demo\\demo.exe", n->payload.path);
    EXPECT_EQ(0, n->payload.kind);
    EXPECT_STREQ("C:\\Demo\\data.bin", n->next->payload.path);
}

TEST(LoadInstallLog, BareProgramKeepsTheDefaults) {
    ScratchDir dir("ulog");
    wintest::MakeUninstaller(dir / "uninst.exe", nullptr);
    CUninstConfig c;
    EXPECT_EQ(kLogAbsent, LoadFromCopy(dir / "uninst.exe", &c));
    ExpectDefaults(c);
}

// Log bytes read in memory, and what the configuration holds afterwards. An
// empty log is a log (it removes nothing but the key). A log that promises
// more than it holds is damaged: none of it is used, so a half-read log can
// never remove half an installation; the names of a whole head are kept for
// the caption. A negative count or a short head reads nothing at all. Every
// damaged length here is read past by a reader that trusts the count.
TEST(LoadInstallLog, LogBytesInMemory) {
    std::string whole = LogBytes("Demo", "Demo 1", ThreeEntries());
    const int32_t absurd = 0x7FFFFFFF;
    const int32_t ten = 10;
    const int32_t negative = -1;
    struct Case {
        const char* what;
        std::string bytes;
        LogLoadResult result;
        const char* appName;     // null: the defaults of a program without log
        const char* appVerName;
    } cases[] = {
        {"empty log", LogBytes("Demo", "Demo 1", {}), kLogLoaded, "Demo", "Demo 1"},
        {"tail cut by one byte", whole.substr(0, whole.size() - 1), kLogDamaged, "Demo", "Demo 1"},
        {"no tail", whole.substr(0, kLogHeadSize + 3 * kLogEntrySize), kLogDamaged, "Demo", "Demo 1"},
        {"last entry cut", whole.substr(0, kLogHeadSize + 2 * kLogEntrySize + 100), kLogDamaged, "Demo", "Demo 1"},
        {"count of ten over three entries", LogBytes("Demo", "Demo 1", ThreeEntries(), "", &ten), kLogDamaged, "Demo",
         "Demo 1"},
        {"absurd count", LogBytes("Demo", "Demo 1", ThreeEntries(), "", &absurd), kLogDamaged, "Demo", "Demo 1"},
        {"negative count", LogBytes("Demo", "Demo 1", ThreeEntries(), "", &negative), kLogDamaged, nullptr, nullptr},
        {"short head", LogBytes("Demo", "Demo 1", {}).substr(0, 523), kLogDamaged, nullptr, nullptr},
        {"no bytes", "", kLogDamaged, nullptr, nullptr},
    };
    ASSERT_EQ(784u, cases[0].bytes.size());
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        // A copy of exactly the damaged length, so that reading past it is caught.
        std::vector<uint8_t> exact(k.bytes.begin(), k.bytes.end());
        CUninstConfig c;
        EXPECT_EQ(k.result, ReadInstallLog(c, exact.empty() ? nullptr : exact.data(), exact.size()));
        if (!k.appName) {
            ExpectDefaults(c);
            continue;
        }
        EXPECT_EQ(k.result == kLogLoaded ? 0 : 1, c.logMissing);
        EXPECT_EQ(0, c.installLog.Count());
        EXPECT_STREQ(k.appName, c.appName);
        EXPECT_STREQ(k.appVerName, c.appVerName);
    }
}

TEST(LoadInstallLog, DamagedEmbeddedLogIsReportedAsDamaged) {
    ScratchDir dir("ulog");
    std::string log = LogBytes("Demo", "Demo 1", ThreeEntries());
    log.resize(log.size() - 300);
    wintest::MakeUninstaller(dir / "uninst.exe", &log);
    CUninstConfig c;
    EXPECT_EQ(kLogDamaged, LoadFromCopy(dir / "uninst.exe", &c));
    EXPECT_EQ(1, c.logMissing);
    EXPECT_EQ(0, c.installLog.Count());
}

TEST(LoadInstallLog, ReloadingReplacesEverything) {
    CUninstConfig c;
    std::string log = LogBytes("Demo", "Demo 1", ThreeEntries());
    ASSERT_EQ(kLogLoaded, ReadInstallLog(c, Bytes(log), log.size()));
    std::string broken = log.substr(0, 600);
    EXPECT_EQ(kLogDamaged, ReadInstallLog(c, Bytes(broken), broken.size()));
    EXPECT_EQ(0, c.installLog.Count());
    EXPECT_EQ(1, c.logMissing);
}

// Texts composed from appVerName stay inside their buffers and keep their
// fixed words whole; the name is what gets cut.
TEST(UninstTexts, LongNamesAreCutInsideTheirBuffers) {
    CUninstConfig c;
    memset(c.appVerName, 'N', sizeof(c.appVerName) - 1);
    c.appVerName[sizeof(c.appVerName) - 1] = 0;

    char text[260 + 8];
    memset(text, '#', sizeof(text));
    ComposeConfirmation(c, text);
    EXPECT_EQ(259u, strlen(text));
    EXPECT_EQ(0, strncmp(text, "Etes-vous certain de vouloir désinstaller totalement NNN", 56));
    EXPECT_NE(nullptr, strstr(text, "N... et tous ses composants ?"));
    for (size_t i = 260; i < sizeof(text); ++i) EXPECT_EQ('#', text[i]);

    memset(text, '#', sizeof(text));
    ComposeSuccess(c, text);
    EXPECT_EQ(259u, strlen(text));
    EXPECT_NE(nullptr, strstr(text, "N... a été désinstallé avec succès de votre ordinateur."));
    for (size_t i = 260; i < sizeof(text); ++i) EXPECT_EQ('#', text[i]);

    ComposeUninstCaption(c);
    EXPECT_EQ(255u, strlen(uninstCaption));
    EXPECT_EQ(0, strncmp(uninstCaption, "Désinstallation de NNN", 22));
    EXPECT_EQ(0, strcmp(uninstCaption + 252, "..."));
}

TEST(UninstTexts, NamesThatFitAreUsedWhole) {
    CUninstConfig c;
    strcpy(c.appVerName, "Demo 2.1");
    char text[260];
    ComposeConfirmation(c, text);
    EXPECT_STREQ("Etes-vous certain de vouloir désinstaller totalement Demo 2.1 et tous ses composants ?", text);
    ComposeSuccess(c, text);
    EXPECT_STREQ("Demo 2.1 a été désinstallé avec succès de votre ordinateur.", text);
    ComposeUninstCaption(c);
    EXPECT_STREQ("Désinstallation de Demo 2.1", uninstCaption);
    // The longest name that still fits the confirmation, 181 characters.
    memset(c.appVerName, 'x', 181);
    c.appVerName[181] = 0;
    ComposeConfirmation(c, text);
    EXPECT_EQ(259u, strlen(text));
    EXPECT_EQ(nullptr, strstr(text, "..."));
}

}  // namespace
