// One log for an application installed again: the earlier log's entries where
// they may lie, then this run's, each path once; and the path rules it uses.
#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

#include "install_log.h"
#include "log_merge.h"
#include "path_rules.h"

namespace {

struct Line {
    const char* path;
    int kind;
};

void Fill(CList<LogEntry>* list, const std::vector<Line>& lines) {
    for (const Line& line : lines) {
        LogEntry entry = {};
        strcpy(entry.path, line.path);
        entry.kind = line.kind;
        ASSERT_TRUE(list->Append(&entry));
    }
}

std::vector<std::string> Paths(const CList<LogEntry>& list) {
    std::vector<std::string> paths;
    for (auto* node = list.First(); node; node = list.Next(node)) paths.push_back(node->payload.path);
    return paths;
}

const EarlierLogPlaces kPlaces = {
    "C:\\Jeux\\Editeur\\Demo",
    {"C:\\users\\u\\Desktop", "C:\\users\\u\\Start Menu", "C:\\users\\u\\Start Menu\\Programs"}};

TEST(PathRules, SamePathAndWithinIgnoreCodePageCase) {
    EXPECT_TRUE(SamePath("C:\\Jeux\\\xC9t\xE9", "c:\\JEUX\\\xE9T\xC9"));  // Été / éTÉ
    EXPECT_TRUE(SamePath("C:\\\x8C" "uvre", "c:\\\x9C" "UVRE"));          // Œuvre / œUVRE
    EXPECT_FALSE(SamePath("C:\\Jeux", "C:\\Jeux2"));
    EXPECT_TRUE(PathWithin("C:\\Jeux", "c:\\jeux"));
    EXPECT_TRUE(PathWithin("C:\\Jeux", "C:\\JEUX\\a.txt"));
    EXPECT_FALSE(PathWithin("C:\\Jeux", "C:\\Jeux2\\a.txt"));
    EXPECT_TRUE(PathWithin("C:\\", "C:\\Jeux"));
    EXPECT_FALSE(PathWithin("", "C:\\Jeux"));
}

TEST(LogMerge, EarlierEntriesFirstThenThisRunsEachPathOnce) {
    CList<LogEntry> earlier, current, merged;
    Fill(&earlier, {{"C:\\Jeux\\Editeur\\Demo", 1},
                    {"C:\\Jeux\\Editeur\\Demo\\old.dll", 0},
                    {"C:\\Jeux\\Editeur\\Demo\\demo.exe", 0},
                    {"C:\\JEUX\\editeur\\demo\\OLD.DLL", 0}});
    Fill(&current, {{"c:\\jeux\\editeur\\demo\\DEMO.EXE", 0},
                    {"C:\\Jeux\\Editeur\\Demo\\new.dat", 0},
                    {"C:\\Jeux\\Editeur\\Demo\\new.dat", 0}});
    ASSERT_EQ(kLogMerged, MergeInstallLogs(earlier, kPlaces, current, kMaxInstallLogEntries, &merged));
    EXPECT_EQ((std::vector<std::string>{"C:\\Jeux\\Editeur\\Demo", "C:\\Jeux\\Editeur\\Demo\\old.dll",
                                        "C:\\Jeux\\Editeur\\Demo\\demo.exe", "C:\\Jeux\\Editeur\\Demo\\new.dat"}),
              Paths(merged));
    EXPECT_EQ(kLogFolder, merged.First()->payload.kind);
}

TEST(LogMerge, EarlierEntriesElsewhereAreDropped) {
    CList<LogEntry> earlier, current, merged;
    Fill(&earlier, {{"C:\\Jeux\\Editeur", 1},                              // a parent it made: kept
                    {"C:\\Jeux", 1},                                       // likewise
                    {"C:\\", 1},                                           // a drive root: never
                    {"C:\\Jeux\\Editeur\\autre.txt", 0},                    // a file beside the folder
                    {"C:\\Jeux\\Editeur\\Demo2\\x.dll", 0},                 // a sibling spelled alike
                    {"C:\\Windows\\system32\\x.dll", 0},                    // anywhere else
                    {"C:\\users\\u\\Desktop", 1},                           // a shortcut folder itself
                    {"C:\\users\\u\\Desktop\\Demo.lnk", 0},                 // a shortcut: kept
                    {"C:\\users\\u\\Start Menu\\Programs\\Demo", 1},        // its group: kept
                    {"C:\\users\\u\\Start Menu\\Programs\\Demo\\D.lnk", 0},  // kept
                    {"", 0}});
    ASSERT_EQ(kLogMerged, MergeInstallLogs(earlier, kPlaces, current, kMaxInstallLogEntries, &merged));
    EXPECT_EQ((std::vector<std::string>{"C:\\Jeux\\Editeur", "C:\\Jeux", "C:\\users\\u\\Desktop\\Demo.lnk",
                                        "C:\\users\\u\\Start Menu\\Programs\\Demo",
                                        "C:\\users\\u\\Start Menu\\Programs\\Demo\\D.lnk"}),
              Paths(merged));
    EXPECT_TRUE(LogHasPath(merged, "c:\\USERS\\u\\desktop\\demo.lnk"));
    EXPECT_FALSE(LogHasPath(merged, "C:\\users\\u\\Desktop"));
}

TEST(LogMerge, OverTheLimitIsAFailureNotACutLog) {
    CList<LogEntry> earlier, current, merged;
    Fill(&earlier, {{"C:\\Jeux\\Editeur\\Demo\\a", 0}, {"C:\\Jeux\\Editeur\\Demo\\b", 0}});
    Fill(&current, {{"C:\\Jeux\\Editeur\\Demo\\B", 0}, {"C:\\Jeux\\Editeur\\Demo\\c", 0}});
    // Three distinct paths: a limit of three holds them (a repeated path
    // does not count), a limit of two does not.
    EXPECT_EQ(kLogMerged, MergeInstallLogs(earlier, kPlaces, current, 3, &merged));
    EXPECT_EQ(3, merged.Count());
    EXPECT_EQ(kLogMergeTooLong, MergeInstallLogs(earlier, kPlaces, current, 2, &merged));
    EXPECT_EQ(0, merged.Count());
    // The limit keeps a log's size within a signed 32-bit size.
    EXPECT_LE(InstallLogSize(kMaxInstallLogEntries), 0x7FFFFFFFu);
    EXPECT_GT(InstallLogSize(kMaxInstallLogEntries + 1), 0x7FFFFFFFu);
}

TEST(LogMerge, ManyEntriesMergeInLinearTime) {
    // 100,000 entries, each path in both logs: a quadratic merge would take
    // minutes here.
    CList<LogEntry> earlier, current, merged;
    LogEntry entry = {};
    entry.kind = kLogFile;
    for (int i = 0; i < 50000; ++i) {
        snprintf(entry.path, sizeof(entry.path), "C:\\Jeux\\Editeur\\Demo\\f%06d", i);
        ASSERT_TRUE(earlier.Append(&entry));
        entry.path[0] = 'c';
        ASSERT_TRUE(current.Append(&entry));
    }
    ASSERT_EQ(kLogMerged, MergeInstallLogs(earlier, kPlaces, current, kMaxInstallLogEntries, &merged));
    EXPECT_EQ(50000, merged.Count());
}

}  // namespace
