// A package made by pack.exe, installed through the real wizard with its
// licence and information pages, then removed by the uninstaller it wrote.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "install_checks.h"
#include "wizard_session.h"
#include "pack_run.h"

namespace {

using wintest::SystemCleanup;
using testenv::FileExists;
using testenv::FolderExists;

TEST(PackInstall, PackedPackageInstallsAndUninstalls) {
    std::string app = wintest::UniqueName("Pack");
    SystemCleanup cleanup(app, app);
    testenv::ScratchDir source("packsrc");
    testenv::ScratchDir target("packdst");
    std::string installDir = target / "Atlas";
    ASSERT_TRUE(testenv::WriteFileBytes(source / "atlas.exe", "MZ not really a program"));
    ASSERT_TRUE(CreateDirectoryA((source / "cartes").c_str(), nullptr));
    ASSERT_TRUE(testenv::WriteFileBytes(source / "cartes\\nord.dat", "carte du nord"));
    ASSERT_TRUE(testenv::WriteFileBytes(source / "licence.rtf", "{\\rtf1\\ansi Licence d'essai\\par}"));
    ASSERT_TRUE(testenv::WriteFileBytes(source / "info.txt", "\xC3\x80 lire avant d'installer.\n"));
    ASSERT_TRUE(testenv::WriteFileBytes(source / "package.ini",
                                        "[Setup]\n"
                                        "AppName = " + app + "\n"
                                        "AppVerName = " + app + " 2.5\n"
                                        "Folder = " + installDir + "\n"
                                        "SubFolder =\n"
                                        "UninstallIcon = yes\n"
                                        "License = licence.rtf\n"
                                        "Info = info.txt\n"
                                        "[Files]\n"
                                        "atlas.exe\n"
                                        "cartes/nord.dat = donnees/cartes\n"));
    wintest::PackRun run = wintest::RunPack(source.path(), "build package.ini -o setup-atlas.exe");
    ASSERT_EQ(0u, run.exitCode) << run.err;

    gui::Program setup;
    ASSERT_TRUE(setup.Start(source / "setup-atlas.exe"));
    HWND dialog = setup.WaitWindow("Installation : " + app);
    ASSERT_TRUE(dialog != nullptr);
    auto page = [&] { return GetDlgItem(dialog, IDC_PAGE); };
    auto title = [&] { return gui::Text(gui::FindControl(page(), IDC_HEADER_TITLE)); };
    auto next = [&] {
        HWND before = page();
        std::string was = title();
        gui::Command(dialog, IDC_NEXT);
        // Every page after the welcome page has a header title: wait until it is built.
        return gui::WaitFor([&] { return page() && (page() != before || title() != was) && !title().empty(); },
                            15000);
    };
    ASSERT_TRUE(gui::WaitControl(dialog, IDC_PAGE) != nullptr);
    ASSERT_TRUE(next());  // welcome
    ASSERT_EQ("Accord de licence", title());
    HWND box = gui::WaitControl(page(), IDC_TEXT_BOX);
    ASSERT_TRUE(gui::WaitFor([&] { return gui::Text(box).find("Licence d'essai") != std::string::npos; }))
        << gui::Text(box);
    gui::Click(gui::FindControl(page(), IDC_LICENSE_ACCEPT));
    ASSERT_TRUE(gui::WaitFor([&] { return gui::Enabled(GetDlgItem(dialog, IDC_NEXT)); }));
    ASSERT_TRUE(next());
    ASSERT_EQ("Informations", title());
    box = gui::WaitControl(page(), IDC_TEXT_BOX);
    // The UTF-8 text reached the page in code page 1252.
    ASSERT_TRUE(gui::WaitFor([&] { return gui::Text(box).find("\xC0 lire avant") != std::string::npos; }))
        << gui::Text(box);
    for (int i = 0; i < 5 && !gui::FindControl(page(), IDC_SUMMARY); ++i) ASSERT_TRUE(next()) << title();
    ASSERT_TRUE(gui::FindControl(page(), IDC_SUMMARY) != nullptr);
    gui::Command(dialog, IDC_NEXT);
    ASSERT_TRUE(gui::WaitFor([&] { return gui::Text(GetDlgItem(dialog, IDC_NEXT)) == "Fermer"; }, 30000));
    gui::Command(dialog, IDC_NEXT);
    ASSERT_TRUE(setup.WaitExit());

    EXPECT_EQ("MZ not really a program", testenv::ReadFileBytes(installDir + "\\atlas.exe"));
    EXPECT_EQ("carte du nord", testenv::ReadFileBytes(installDir + "\\donnees\\cartes\\nord.dat"));
    std::string uninstaller = installDir + "\\uninst.exe";
    ASSERT_TRUE(FileExists(uninstaller));
    // Registered in the view of setup's own build, and only there.
    EXPECT_TRUE(wintest::UninstallKeyExists(app, wintest::BuildView()));
    EXPECT_FALSE(wintest::UninstallKeyExists(app, wintest::OtherView()));
    EXPECT_TRUE(FileExists(wintest::ProgramsGroup(app) + "\\Désinstallation.lnk"));

    // pack inspect reads the log setup embedded into the uninstaller.
    run = wintest::RunPack(source.path(), "inspect \"" + uninstaller + "\"");
    EXPECT_EQ(0u, run.exitCode) << run.err;
    EXPECT_TRUE(wintest::Contains(run.out, "uninstaller with its install log")) << run.out;
    EXPECT_TRUE(wintest::Contains(run.out, "\\donnees\\cartes\\nord.dat")) << run.out;

    // Removal, answered as a user would.
    std::vector<gui::MessageBoxInfo> shown;
    ASSERT_NO_FATAL_FAILURE(wintest::RunUninstaller(uninstaller, "Désinstallation de " + app + " 2.5", &shown));
    EXPECT_TRUE(gui::WaitFor([&] { return !FolderExists(installDir); }, 15000)) << "install folder stayed";
    EXPECT_FALSE(wintest::UninstallKeyExists(app, wintest::BuildView()));
    EXPECT_FALSE(FolderExists(wintest::ProgramsGroup(app)));
    EXPECT_FALSE(FileExists(wintest::DesktopLink(app)));
}

}  // namespace
