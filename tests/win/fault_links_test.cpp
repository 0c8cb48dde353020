// Links planted in the install folder before the installation: setup writes
// nothing through them, neither a file nor a folder, and the installation
// ends like any file that cannot be written: taken back, then the quit question.
#include <windows.h>

#include <gtest/gtest.h>

#include "folder_links.h"
#include "install_checks.h"
#include "wizard_session.h"

namespace {

using namespace testenv;
using namespace wintest;

// The sub-folder of the second payload file, the install folder's "Donnees"
// being a link to a folder elsewhere: the file would go straight through the
// link, or through a folder made behind it.
class PlantedLink : public ::testing::TestWithParam<const char*> {};

TEST_P(PlantedLink, SetupWritesNothingThroughIt) {
    std::string app = UniqueName("Planted");
    SystemCleanup cleanup(app, app);
    ScratchDir dir("links");
    std::string installDir = dir / "App", outside = dir / "ailleurs";
    ASSERT_TRUE(CreateDirectoryA(installDir.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(outside.c_str(), nullptr));
    FolderLink link(installDir + "\\Donnees", outside);
    if (!link.made()) GTEST_SKIP() << "no folder links here";
    PackageContents p = Package(app, installDir);
    p.AddFile("demo.exe", "", "MZ-program");
    p.AddFile("carte.dat", GetParam(), "map bytes");

    WizardSession run;
    run.StartInstalling(p);
    HWND box = WaitQuitQuestion(run, app);
    ASSERT_TRUE(box != nullptr);
    EXPECT_FALSE(FileExists(installDir + "\\demo.exe"));  // taken back
    // The folder behind the link is as it was: empty.
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((outside + "\\*").c_str(), &found);
    ASSERT_NE(INVALID_HANDLE_VALUE, search);
    int entries = 0;
    do {
        ++entries;
    } while (FindNextFileA(search, &found));
    FindClose(search);
    EXPECT_EQ(2, entries) << "something was written behind the link";
    EXPECT_FALSE(FileExists(installDir + "\\uninst.exe"));
    EXPECT_FALSE(UninstallKeyExists(app));
    ASSERT_TRUE(gui::AnswerMessageBox(box, IDYES));
    EXPECT_TRUE(run.program.WaitExit(10000));
}

INSTANTIATE_TEST_SUITE_P(SubFolders, PlantedLink, ::testing::Values("Donnees", "Donnees\\sons"));

}  // namespace
