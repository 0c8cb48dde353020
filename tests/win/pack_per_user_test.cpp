// A per-user package (Privileges = user) made by pack.exe, installed through
// the real wizard into the user's own programs folder, registered under
// HKEY_CURRENT_USER only, with its shortcuts where every package puts them,
// then removed by its uninstaller without touching a key of the same name
// under HKEY_LOCAL_MACHINE.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "install_checks.h"
#include "pack_run.h"
#include "wizard_session.h"

namespace {

using testenv::FileExists;
using testenv::FolderExists;
using wintest::SystemCleanup;

// Removes the install folder whatever the outcome, and the user's programs
// folder when the test made it.
struct PerUserFolders {
    std::string programs = wintest::ShellFolder(CSIDL_LOCAL_APPDATA) + "\\Programs";
    bool programsExisted = FolderExists(programs);
    std::string installDir;
    explicit PerUserFolders(const std::string& app) : installDir(programs + "\\" + app) {}
    ~PerUserFolders() {
        testenv::RemoveTree(installDir);
        if (!programsExisted) RemoveDirectoryA(programs.c_str());
    }
};

TEST(PackPerUser, InstallsForTheUserOnlyAndUninstallsCleanly) {
    std::string app = wintest::UniqueName("Perso");
    SystemCleanup cleanup(app, app);
    PerUserFolders folders(app);
    wintest::KeyGuard machineKey(app);
    wintest::WizardSession run("peruser");
    const std::string source = run.dir.path();
    ASSERT_TRUE(testenv::WriteFileBytes(source + "\\atlas.exe", "MZ not really a program"));
    ASSERT_TRUE(CreateDirectoryA((source + "\\cartes").c_str(), nullptr));
    ASSERT_TRUE(testenv::WriteFileBytes(source + "\\cartes\\nord.dat", "carte du nord"));
    // No Folder: a per-user package installs into {userpf}\AppName by default.
    ASSERT_TRUE(testenv::WriteFileBytes(source + "\\package.ini", "[Setup]\n"
                                                                  "AppName = " + app + "\n"
                                                                  "AppVerName = " + app + " 1.0\n"
                                                                  "Privileges = user\n"
                                                                  "UninstallIcon = yes\n"
                                                                  "[Files]\n"
                                                                  "atlas.exe\n"
                                                                  "cartes/nord.dat = cartes\n"));
    wintest::PackRun packed = wintest::RunPack(source, "build package.ini -o setup-perso.exe");
    ASSERT_EQ(0u, packed.exitCode) << packed.err;
    wintest::PackRun shown = wintest::RunPack(source, "inspect setup-perso.exe");
    EXPECT_EQ(0u, shown.exitCode) << shown.out << shown.err;
    for (const std::string& line :
         {std::string("Folder            {userpf}"), std::string("setup.exe asInvoker, uninstaller asInvoker"),
          "Registers under   HKEY_CURRENT_USER\\" + wintest::UninstallKey(app)}) {
        EXPECT_TRUE(wintest::Contains(shown.out, line)) << line << "\n" << shown.out;
    }

    ASSERT_TRUE(run.program.Start(source + "\\setup-perso.exe"));
    HWND dialog = run.program.WaitWindow(wintest::Caption(app));
    ASSERT_TRUE(dialog != nullptr);
    ASSERT_NO_FATAL_FAILURE(run.Attach(dialog));
    ASSERT_TRUE(run.NextUntil("Dossier d'installation"));
    EXPECT_EQ(folders.installDir, gui::Text(run.Control(IDC_FOLDER_EDIT)));
    ASSERT_TRUE(run.ToReadyPage());
    run.Install();
    ASSERT_TRUE(run.WaitFinishPage()) << "the finish page never came";
    ASSERT_NO_FATAL_FAILURE(run.Close());

    const std::string& installDir = folders.installDir;
    EXPECT_EQ("MZ not really a program", testenv::ReadFileBytes(installDir + "\\atlas.exe"));
    EXPECT_EQ("carte du nord", testenv::ReadFileBytes(installDir + "\\cartes\\nord.dat"));
    std::string uninstaller = installDir + "\\uninst.exe";
    ASSERT_TRUE(FileExists(uninstaller));
    EXPECT_EQ("user", wintest::ProgramResource(uninstaller, "RT_DATA", "5003"));
    shown = wintest::RunPack(source, "inspect \"" + uninstaller + "\"");
    EXPECT_TRUE(wintest::Contains(shown.out, "Registered under  HKEY_CURRENT_USER\\" + wintest::UninstallKey(app)))
        << shown.out;
    // Registered for this user, with the values of every package, and not for every user.
    bool found = false;
    EXPECT_EQ(app + " 1.0", wintest::UninstallValue(app, "DisplayName", &found, HKEY_CURRENT_USER));
    EXPECT_TRUE(found);
    std::string command = uninstaller.find(' ') == std::string::npos ? uninstaller : "\"" + uninstaller + "\"";
    EXPECT_EQ(command, wintest::UninstallValue(app, "UninstallString", &found, HKEY_CURRENT_USER));
    EXPECT_FALSE(wintest::UninstallKeyExists(app, wintest::BuildView()));
    EXPECT_FALSE(wintest::UninstallKeyExists(app, wintest::OtherView()));
    // Shortcuts: the user's desktop and programs menu, as for every package.
    wintest::LinkInfo link = wintest::ReadLink(wintest::ProgramsGroup(app) + "\\" + app + ".lnk");
    EXPECT_TRUE(link.loaded);
    EXPECT_EQ(installDir + "\\atlas.exe", link.target);
    EXPECT_TRUE(FileExists(wintest::DesktopLink(app)));
    EXPECT_TRUE(FileExists(wintest::ProgramsGroup(app) + "\\Désinstallation.lnk"));

    // An administrator's installation of the same name: its key must stay.
    ASSERT_NO_FATAL_FAILURE(wintest::Register(app));
    std::vector<gui::MessageBoxInfo> boxes;
    ASSERT_NO_FATAL_FAILURE(wintest::RunUninstaller(uninstaller, "Désinstallation de " + app + " 1.0", &boxes));
    EXPECT_TRUE(gui::WaitFor([&] { return !FolderExists(installDir); }, 15000)) << "install folder stayed";
    EXPECT_FALSE(wintest::UninstallKeyExists(app, 0, HKEY_CURRENT_USER));
    EXPECT_TRUE(wintest::UninstallKeyExists(app));
    EXPECT_FALSE(FolderExists(wintest::ProgramsGroup(app)));
    EXPECT_FALSE(FileExists(wintest::DesktopLink(app)));
    EXPECT_TRUE(gui::WaitFor([] { return !wintest::BatchLeft(); }, wintest::kBatchWaitMs)) << "batch left";
    wintest::ClearBatches();
}

}  // namespace
