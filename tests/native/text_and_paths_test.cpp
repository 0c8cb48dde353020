// Bounded text composition, path rules and the list container.
#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "list.h"
#include "path_rules.h"
#include "records.h"
#include "text.h"

namespace {

TEST(FolderOf, CutsAtTheLastBackslashFromIndexOne) {
    char out[kPathSize];
    FolderOf("D:\\Apps\\Tool\\setup.exe", out);
    EXPECT_STREQ("D:\\Apps\\Tool", out);
    FolderOf("D:\\Apps\\Tool\\", out);
    EXPECT_STREQ("D:\\Apps\\Tool", out);
    FolderOf("D:\\setup.exe", out);
    EXPECT_STREQ("D:", out);
    FolderOf("setup.exe", out);
    EXPECT_STREQ("", out);
    FolderOf("", out);
    EXPECT_STREQ("", out);
    FolderOf("\\x", out);  // index 0 is not looked at
    EXPECT_STREQ("", out);
    strcpy(out, "unchanged");
    FolderOf(nullptr, out);
    EXPECT_STREQ("unchanged", out);
    FolderOf("C:\\a", nullptr);  // no crash
}

TEST(JoinPath, NeverCutsAPath) {
    char out[16];
    EXPECT_TRUE(JoinPath(out, sizeof(out), "C:\\a", "b.exe"));
    EXPECT_STREQ("C:\\a\\b.exe", out);
    EXPECT_TRUE(JoinPath(out, sizeof(out), "C:\\", "b.exe"));
    EXPECT_STREQ("C:\\b.exe", out);
    EXPECT_TRUE(JoinPath(out, sizeof(out), "C:\\abcdef", "h.exe"));  // exactly 15 characters
    EXPECT_FALSE(JoinPath(out, sizeof(out), "C:\\abcdefg", "h.exe"));
    EXPECT_STREQ("", out);
}

TEST(Text, ComposedTextsAreCutToTheirBuffer) {
    char small[8];
    memset(small, 'x', sizeof(small));
    EXPECT_FALSE(FormatText(small, sizeof(small), "%s %s", "Installation", "Demo"));
    EXPECT_STREQ("Install", small);
    EXPECT_TRUE(FormatText(small, sizeof(small), "%d", 42));
    EXPECT_STREQ("42", small);
    std::string longName(300, 'n');
    char caption[260];
    EXPECT_FALSE(FormatText(caption, sizeof(caption), "Installation : %s", longName.c_str()));
    EXPECT_EQ(259u, strlen(caption));
    EXPECT_FALSE(CopyText(small, sizeof(small), "abcdefgh"));
    EXPECT_STREQ("abcdefg", small);
    strcpy(small, "abc");
    EXPECT_TRUE(AppendText(small, sizeof(small), "def"));
    EXPECT_FALSE(AppendText(small, sizeof(small), "gh"));
    EXPECT_STREQ("abcdefg", small);
}

struct Record {
    int value;
    char name[12];
};

TEST(List, AppendWalkAndClear) {
    CList<Record> list;
    EXPECT_EQ(nullptr, list.First());
    EXPECT_EQ(nullptr, list.Next(nullptr));
    EXPECT_EQ(0, list.Count());

    Record r = {1, "one"};
    auto* first = list.Append(&r);
    r.value = 2;
    strcpy(r.name, "two");
    auto* second = list.Append(&r);  // the same record again: an independent copy
    auto* zero = list.Append(nullptr);
    EXPECT_EQ(1, first->payload.value);
    EXPECT_STREQ("one", first->payload.name);
    EXPECT_EQ(2, second->payload.value);
    EXPECT_EQ(0, zero->payload.value);
    EXPECT_EQ(3, list.Count());
    EXPECT_EQ(first, list.Next(nullptr));
    EXPECT_EQ(second, list.Next(first));
    EXPECT_EQ(nullptr, list.Next(zero));
    EXPECT_EQ(nullptr, list.Prev(list.First()));
    EXPECT_EQ(second, list.Prev(zero));
    EXPECT_EQ(nullptr, list.Prev(nullptr));
    EXPECT_EQ(zero, list.tail);

    list.Clear();
    EXPECT_EQ(nullptr, list.First());
    EXPECT_EQ(nullptr, list.tail);
    auto* again = list.Append(&r);
    EXPECT_EQ(again, list.First());
    EXPECT_EQ(nullptr, list.Prev(again));
    EXPECT_EQ(1, list.Count());
}

}  // namespace

TEST(IsFullPath, DriveRootsAndNetworkSharesOnly) {
    const struct {
        const char* path;
        int full;
    } cases[] = {
        {"C:\\Jeux\\Mon Jeu", 1}, {"d:\\", 1},          {"\\\\serveur\\partage", 1}, {"\\\\serveur\\partage\\Jeux", 1},
        {"Jeux\\Mon Jeu", 0},    {"\\Jeux", 0},        {"C:Jeux", 0},               {"C:", 0},
        {"\\\\serveur", 0},      {"\\\\serveur\\", 0}, {"\\\\\\partage", 0},        {"1:\\Jeux", 0},
        {"", 0},
    };
    for (const auto& c : cases) EXPECT_EQ(c.full, IsFullPath(c.path)) << c.path;
    EXPECT_EQ(0, IsFullPath(nullptr));
}
