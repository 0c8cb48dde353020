// The whole wizard with all nine pages, clicked through to the end as a user
// would, with a screenshot of every page kept under <build>/win/artefacts.
// What the folder, start-menu and additional tasks pages store is checked in
// what the installation leaves behind.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include "page_checks.h"
#include "wizard_session.h"

namespace {

using wintest::WizardSession;

const char kUninstallRoot[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

std::string ShellFolder(int csidl) {
    char path[MAX_PATH] = "";
    SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

// Removes what an installation may leave outside the scratch folders, now and
// at the end: the desktop shortcut, both menu groups and the uninstall key.
class LeftoverCleanup {
public:
    LeftoverCleanup(const std::string& app, const std::string& group) : app_(app), group_(group) { Clean(); }
    ~LeftoverCleanup() { Clean(); }
    void Clean() const {
        DeleteFileA(DesktopLink().c_str());
        testenv::RemoveTree(ShellFolder(CSIDL_PROGRAMS) + "\\" + group_);
        testenv::RemoveTree(ShellFolder(CSIDL_STARTMENU) + "\\" + group_);
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, (kUninstallRoot + app_).c_str());
    }
    std::string DesktopLink() const { return ShellFolder(CSIDL_DESKTOPDIRECTORY) + "\\" + app_ + ".lnk"; }

private:
    std::string app_, group_;
};

bool OnFinishPage(const WizardSession& w) { return gui::Text(w.Button(IDC_NEXT)) == "Fermer"; }

TEST(WizardWalk, AllNinePagesToTheEnd) {
    const std::string app = "CtWalk" + std::to_string(GetCurrentProcessId());
    const std::string group = app + " Groupe";
    LeftoverCleanup cleanup(app, group);
    testenv::ScratchDir target("walk");
    const std::string folder = target / "Installé ici";

    PackageContents p = wintest::QuietPackage(app.c_str(), (target / "preset").c_str());
    strcpy(p.record.appVerName, (app + " 3.1").c_str());
    p.record.licenseFormat = 1;
    p.writeLicense = true;
    p.license = "Contrat de licence de démonstration.\r\nArticle unique : tout est permis.";
    p.record.infoFormat = 2;
    p.writeInfo = true;
    p.info = "{\\rtf1\\ansi {\\b Important :} lisez ceci avant de continuer.\\par Bonne installation.}";
    p.record.noIcons = 0;
    p.record.allowGroupChange = 1;
    p.record.offerMenuIcons = 1;
    p.record.uninstallIconOffered = 1;
    p.record.runOffered = 0;
    // Enough data for the installing page to stay on screen a moment.
    for (int i = 0; i < 24; ++i) p.AddFile("data" + std::to_string(i) + ".bin", "data", std::string(512 * 1024, 'd'));

    WizardSession w;
    w.Start(p);
    HWND next = w.Button(IDC_NEXT);

    // 1 welcome
    EXPECT_EQ("", w.Title());
    EXPECT_FALSE(gui::Visible(w.Button(IDC_BACK)));
    wintest::SaveShot(w.dialog, "walk_1_welcome");
    ASSERT_TRUE(w.Next());

    // 2 licence: Next only once accepted.
    ASSERT_EQ("Accord de licence", w.Title());
    EXPECT_FALSE(gui::Enabled(next));
    EXPECT_EQ("Contrat de licence de démonstration.\nArticle unique : tout est permis.",
              wintest::Lines(gui::Text(w.Control(IDC_TEXT_BOX))));
    ASSERT_TRUE(w.Toggle(IDC_LICENSE_ACCEPT));
    ASSERT_TRUE(gui::WaitFor([&] { return gui::Enabled(next); }, 3000));
    wintest::SaveShot(w.dialog, "walk_2_license");
    ASSERT_TRUE(w.Next());

    // 3 information
    ASSERT_EQ("Informations", w.Title());
    EXPECT_TRUE(gui::Enabled(next));
    EXPECT_EQ("Important : lisez ceci avant de continuer.\nBonne installation.",
              wintest::Lines(gui::Text(w.Control(IDC_TEXT_BOX))));
    wintest::SaveShot(w.dialog, "walk_3_info");
    ASSERT_TRUE(w.Next());

    // 4 install folder: another folder typed in.
    ASSERT_EQ("Dossier d'installation", w.Title());
    gui::SetText(w.Control(IDC_FOLDER_EDIT), folder);
    wintest::SaveShot(w.dialog, "walk_4_directory");
    ASSERT_TRUE(w.Next());

    // 5 start menu: another group, the start-menu shortcut added.
    ASSERT_EQ("Raccourcis du menu Démarrer", w.Title());
    gui::SetText(w.Control(IDC_GROUP_EDIT), group);
    ASSERT_TRUE(w.Toggle(IDC_START_MENU_ICON));
    wintest::SaveShot(w.dialog, "walk_5_start_menu");
    ASSERT_TRUE(w.Next());

    // 6 additional tasks: no desktop shortcut.
    ASSERT_EQ("Tâches supplémentaires", w.Title());
    ASSERT_TRUE(w.Toggle(IDC_DESKTOP_ICON));
    wintest::SaveShot(w.dialog, "walk_6_additional");
    ASSERT_TRUE(w.Next());

    // 7 ready: the summary lists the folder typed on page 4.
    ASSERT_EQ("Prêt à installer", w.Title());
    HWND summary = w.Control(IDC_SUMMARY);
    if (summary) {
        EXPECT_NE(std::string::npos, gui::Text(summary).find(folder)) << gui::Text(summary);
        EXPECT_EQ(std::string::npos, gui::Text(summary).find("Icône sur le bureau")) << gui::Text(summary);
    }
    wintest::SaveShot(w.dialog, "walk_7_ready");

    // 8 installing, which moves on to the finish page by itself; pages that do
    // not (yet) do so are left with Next.
    HWND ready = w.Page();
    gui::Command(w.dialog, IDC_NEXT);
    bool shotInstalling = false;
    gui::WaitFor(
        [&] {
            HWND now = w.Page();
            if (!shotInstalling && now && now != ready && gui::Visible(now) &&
                w.Title() == "Installation en cours") {
                shotInstalling = wintest::SaveShot(w.dialog, "walk_8_installing");
            }
            return OnFinishPage(w);
        },
        30000);
    EXPECT_TRUE(shotInstalling) << "the installing page was gone before it could be captured";
    ASSERT_TRUE(OnFinishPage(w)) << "the finish page never came; on screen: " << w.Title();

    // 9 finish
    wintest::SaveShot(w.dialog, "walk_9_finish");
    EXPECT_TRUE(testenv::FileExists(folder + "\\data\\data0.bin"));
    EXPECT_FALSE(testenv::FolderExists(target / "preset"));
    EXPECT_TRUE(testenv::FolderExists(ShellFolder(CSIDL_PROGRAMS) + "\\" + group));
    EXPECT_TRUE(testenv::FolderExists(ShellFolder(CSIDL_STARTMENU) + "\\" + group));
    EXPECT_FALSE(testenv::FileExists(cleanup.DesktopLink()));
    gui::Command(w.dialog, IDC_NEXT);
    DWORD code = 1;
    ASSERT_TRUE(w.program.WaitExit(10000, &code));
    EXPECT_EQ(0u, code);
}

}  // namespace
