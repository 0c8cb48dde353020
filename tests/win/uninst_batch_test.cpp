// The self-deletion batch: its exact bytes with and without the folder
// removal, and the path forms that keep each command to one argument.
#include <windows.h>

#include <gtest/gtest.h>
#include <string.h>

#include "self_delete.h"
#include "install_checks.h"

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
