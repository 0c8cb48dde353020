// The self-deletion batch: its exact bytes with and without the folder
// removal, and the path forms that keep each command to one argument.
#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <gtest/gtest.h>
#include <stdio.h>
#include <string.h>

#include "self_delete.h"
#include "install_checks.h"

#include <string>
#include <vector>

namespace {

using testenv::ScratchDir;

std::string ShortForm(const std::string& path) {
    char out[MAX_PATH] = "";
    DWORD n = GetShortPathNameA(path.c_str(), out, sizeof(out));
    return n > 0 && n < sizeof(out) ? out : "";
}

TEST(SelfDeleteBatch, LinesInOrderWithCrLfAndNoTerminator) {
    char text[kBatchTextSize];
    int n = ComposeSelfDeleteBatch(text, sizeof(text), "C:\\PROGRA~1\\Demo\\uninst.exe", "C:\\PROGRA~1\\Demo",
                                   "C:\\TEMP\\temp_001.bat");
    EXPECT_EQ(std::string("echo off\r\n"
                          "del C:\\PROGRA~1\\Demo\\uninst.exe\r\n"
                          "rmdir C:\\PROGRA~1\\Demo\r\n"
                          "del C:\\TEMP\\temp_001.bat\r\n"),
              std::string(text, n > 0 ? n : 0));

    n = ComposeSelfDeleteBatch(text, sizeof(text), "C:\\PROGRA~1\\Demo\\uninst.exe", nullptr, "C:\\TEMP\\temp_001.bat");
    EXPECT_EQ(std::string("echo off\r\n"
                          "del C:\\PROGRA~1\\Demo\\uninst.exe\r\n"
                          "del C:\\TEMP\\temp_001.bat\r\n"),
              std::string(text, n > 0 ? n : 0));
}

// The parents of the install folder that the installation made go after it,
// deepest first, each only when empty (rmdir without /s); none without the
// own folder's line. The log's other folders and files are no parents.
TEST(SelfDeleteBatch, LoggedParentsFollowTheOwnFolder) {
    ScratchDir dir("parents");
    std::string editeur = dir / "Editeur", jeu = editeur + "\\Jeu", demo = jeu + "\\Demo";
    ASSERT_TRUE(CreateDirectoryA(editeur.c_str(), nullptr) && CreateDirectoryA(jeu.c_str(), nullptr) &&
                CreateDirectoryA(demo.c_str(), nullptr));
    CList<LogEntry> log;
    for (const LogEntry& entry : {wintest::Entry(editeur, kLogFolder), wintest::Entry(jeu, kLogFolder),
                                  wintest::Entry(demo, kLogFolder), wintest::Entry(demo + "\\sons", kLogFolder),
                                  wintest::Entry(dir / "Autre", kLogFolder), wintest::Entry(editeur, kLogFolder),
                                  wintest::Entry(jeu + "\\x.txt", kLogFile)}) {
        ASSERT_TRUE(log.Append(&entry));
    }
    char parents[kMaxBatchParents][kPathSize];
    ASSERT_EQ(2, LoggedParentFolders(log, (ShortForm(demo) + "\\").c_str(), parents, kMaxBatchParents));
    EXPECT_EQ(jeu, std::string(parents[0]));
    EXPECT_EQ(editeur, std::string(parents[1]));
    EXPECT_EQ(1, LoggedParentFolders(log, demo.c_str(), parents, 1));

    const char* lines[] = {"C:\\PROGRA~1\\Jeu", "C:\\PROGRA~1"};
    char text[kBatchTextSize];
    int n = ComposeSelfDeleteBatch(text, sizeof(text), "C:\\PROGRA~1\\Jeu\\Demo\\uninst.exe",
                                   "C:\\PROGRA~1\\Jeu\\Demo", "C:\\TEMP\\temp_001.bat", lines, 2);
    EXPECT_EQ(std::string("echo off\r\n"
                          "del C:\\PROGRA~1\\Jeu\\Demo\\uninst.exe\r\n"
                          "rmdir C:\\PROGRA~1\\Jeu\\Demo\r\n"
                          "rmdir C:\\PROGRA~1\\Jeu\r\n"
                          "rmdir C:\\PROGRA~1\r\n"
                          "del C:\\TEMP\\temp_001.bat\r\n"),
              std::string(text, n > 0 ? n : 0));
    n = ComposeSelfDeleteBatch(text, sizeof(text), "C:\\D\\uninst.exe", nullptr, "C:\\T\\b.bat", lines, 2);
    EXPECT_EQ(std::string("echo off\r\ndel C:\\D\\uninst.exe\r\ndel C:\\T\\b.bat\r\n"), std::string(text, n > 0 ? n : 0));
}

// An elevated run's batch lies in a folder of its own: cmd calls the batch,
// then removes that folder, from a command line that keeps each path one
// argument.
TEST(SelfDeleteBatch, ElevatedCommandCallsTheBatchThenRemovesItsFolder) {
    ScratchDir dir("ubatch");
    std::string folder = dir / "uninst-0000ABCD-0";
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    std::string batch = folder + "\\temp_001.bat";
    wintest::Touch(batch);
    char line[2 * kBatchPathFormSize + 32];
    ASSERT_EQ(1, ComposeBatchCommand(line, sizeof(line), batch.c_str(), folder.c_str()));
    std::string shortBatch = ShortForm(batch), shortFolder = ShortForm(folder);
    ASSERT_FALSE(shortBatch.empty());
    EXPECT_EQ("/c call " + shortBatch + " & rmdir " + shortFolder, std::string(line));

    EXPECT_EQ(0, ComposeBatchCommand(line, 20, batch.c_str(), folder.c_str()));
    EXPECT_STREQ("", line);
    EXPECT_EQ(0, ComposeBatchCommand(line, sizeof(line), (dir / "100%\\temp_001.bat").c_str(), folder.c_str()));
}

TEST(SelfDeleteBatch, TextThatDoesNotFitIsRefusedInsideItsBuffer) {
    char text[48];
    memset(text, '#', sizeof(text));
    EXPECT_EQ(-1, ComposeSelfDeleteBatch(text, 40, "C:\\PROGRA~1\\Demo\\uninst.exe", nullptr, "C:\\TEMP\\temp_001.bat"));
    for (size_t i = 40; i < sizeof(text); ++i) EXPECT_EQ('#', text[i]);
}

// The file as it is written for a program in a folder with long names and
// blanks: every path goes in its short form, so del and rmdir each get one
// argument.
TEST(SelfDeleteBatch, WrittenFileUsesShortFormsOfRealPaths) {
    ScratchDir dir("ubatch");
    std::string folder = dir / "Mon Application Longue";
    std::string temp = dir / "Dossier temporaire";
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(temp.c_str(), nullptr));
    std::string program = folder + "\\uninst.exe";
    std::string batch = temp + "\\temp_001.bat";
    wintest::Touch(program);
    std::string shortProgram = ShortForm(program), shortFolder = ShortForm(folder);
    ASSERT_EQ(std::string::npos, shortProgram.find(' ')) << "no short names on this volume";

    ASSERT_EQ(1, WriteSelfDeleteBatch(batch.c_str(), program.c_str(), 1));
    std::string shortBatch = ShortForm(batch);
    EXPECT_EQ("echo off\r\ndel " + shortProgram + "\r\nrmdir " + shortFolder + "\r\ndel " + shortBatch + "\r\n",
              testenv::ReadFileBytes(batch));

    ASSERT_EQ(1, WriteSelfDeleteBatch(batch.c_str(), program.c_str(), 0));
    EXPECT_EQ("echo off\r\ndel " + shortProgram + "\r\ndel " + shortBatch + "\r\n", testenv::ReadFileBytes(batch));
}

TEST(SelfDeleteBatch, PathWithoutShortFormIsQuotedWhenItHoldsSeparators) {
    char out[MAX_PATH + 2];
    BatchPathForm("C:\\ct no such folder\\a b.exe", out);
    EXPECT_STREQ("\"C:\\ct no such folder\\a b.exe\"", out);
    BatchPathForm("C:\\ct_no_such_folder\\R&D.exe", out);
    EXPECT_STREQ("\"C:\\ct_no_such_folder\\R&D.exe\"", out);
    BatchPathForm("C:\\ct_no_such_folder\\plain.exe", out);
    EXPECT_STREQ("C:\\ct_no_such_folder\\plain.exe", out);
    // cmd reads %x% as a variable: every '%' goes doubled, quoted or not.
    BatchPathForm("C:\\%x%Jeu 100%y%\\uninst.exe", out);
    EXPECT_STREQ("\"C:\\%%x%%Jeu 100%%y%%\\uninst.exe\"", out);
    BatchPathForm("C:\\ct_100%\\uninst.exe", out);
    EXPECT_STREQ("C:\\ct_100%%\\uninst.exe", out);
    // The longest path, all '%': doubled and quoted, it still fits.
    std::string percents = "C:\\" + std::string(MAX_PATH - 4, '%');
    std::vector<char> big(kBatchPathFormSize + 16, '#');
    BatchPathForm(percents.c_str(), big.data());
    EXPECT_EQ(2 * percents.size() - 3, strlen(big.data()));
    for (size_t i = kBatchPathFormSize; i < big.size(); ++i) EXPECT_EQ('#', big[i]);
}

// The DACL of a file or folder, in the text form ("" when unreadable).
std::string DaclText(const std::string& path, int* aceCount) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    PACL dacl = nullptr;
    if (GetNamedSecurityInfoA(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl,
                              nullptr, &descriptor) != ERROR_SUCCESS) {
        return "";
    }
    char* text = nullptr;
    std::string result;
    if (ConvertSecurityDescriptorToStringSecurityDescriptorA(descriptor, SDDL_REVISION_1, DACL_SECURITY_INFORMATION,
                                                             &text, nullptr)) {
        result = text;
        LocalFree(text);
    }
    *aceCount = dacl ? dacl->AceCount : -1;
    LocalFree(descriptor);
    return result;
}

// The folder of an elevated run's batch: new for each run, never one that
// was there before (anyone may have made it).
TEST(SelfDeleteBatch, ElevatedRunsPutTheBatchInANewFolder) {
    ScratchDir dir("ubatch");
    char first[MAX_PATH], second[MAX_PATH];
    char name[32];
    sprintf(name, "%s%08lX-0", kProtectedFolderPrefix, GetCurrentProcessId());
    ASSERT_TRUE(CreateDirectoryA((dir / name).c_str(), nullptr));
    ASSERT_EQ(1, MakeProtectedBatchFolder(dir.path().c_str(), first));
    ASSERT_EQ(1, MakeProtectedBatchFolder(dir.path().c_str(), second));
    EXPECT_STRNE(first, second);
    EXPECT_NE(dir / name, first);
    EXPECT_NE(dir / name, second);
    EXPECT_EQ(0u, std::string(first).find(dir / kProtectedFolderPrefix));
}

// ...and writable by the administrators and the system only, whatever its
// parent allows. Wine keeps no access rights on its files: there the check
// cannot be made.
TEST(SelfDeleteBatch, ElevatedBatchFolderOnlyAdministratorsWrite) {
    ScratchDir dir("ubatch");
    char folder[MAX_PATH];
    ASSERT_EQ(1, MakeProtectedBatchFolder(dir.path().c_str(), folder));
    int aces = 0;
    std::string sddl = DaclText(folder, &aces);
    // Does this system keep a DACL that is set on a folder?
    std::string probe = dir / "probe";
    PSECURITY_DESCRIPTOR wanted = nullptr;
    ASSERT_TRUE(CreateDirectoryA(probe.c_str(), nullptr));
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA("D:P(A;OICI;FA;;;WD)", SDDL_REVISION_1, &wanted,
                                                                     nullptr));
    SetFileSecurityA(probe.c_str(), DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, wanted);
    LocalFree(wanted);
    if (DaclText(probe, &aces).find("D:P") != 0) {
        GTEST_SKIP() << "this system keeps no access rights of its own on files: " << sddl;
    }
    // Protected (nothing inherited from the parent), and only these two.
    EXPECT_EQ(0u, sddl.find("D:P")) << sddl;
    DaclText(folder, &aces);
    EXPECT_EQ(2, aces) << sddl;
    EXPECT_NE(std::string::npos, sddl.find(";;;BA)")) << sddl;
    EXPECT_NE(std::string::npos, sddl.find(";;;SY)")) << sddl;
}

TEST(SelfDeleteBatch, UnwritableBatchPlaceGivesZero) {
    ScratchDir dir("ubatch");
    EXPECT_EQ(0, WriteSelfDeleteBatch((dir / "missing\\temp_001.bat").c_str(), (dir / "uninst.exe").c_str(), 1));
}

TEST(SelfDeleteBatch, LivesInTheTemporaryFolder) {
    char path[MAX_PATH], temp[MAX_PATH];
    ASSERT_EQ(1, SelfDeleteBatchPath(path));
    GetTempPathA(sizeof(temp), temp);
    std::string expected = temp;
    if (expected.back() != '\\') expected += '\\';
    EXPECT_EQ(expected + "temp_001.bat", path);
}

}  // namespace
