// Installing over an installation, through the real wizard and the real
// uninst.exe: an upgrade, a repair, another folder, a file held by another
// program, a failure in the middle of an upgrade. Each ends either with one
// installation that one uninstall removes entirely (the user's own files
// stay), or with the machine as it was.
#include <windows.h>
#include <string.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "install_checks.h"
#include "wizard_session.h"

namespace {

using namespace testenv;
using namespace wintest;

// A package with shortcuts on the desktop and in the programs menu, and the
// uninstall shortcut, of version `version`.
PackageContents Version(const std::string& app, const std::string& version, const std::string& folder,
                        const std::string& group) {
    PackageContents p = Package(app, folder);
    strcpy(p.record.appVerName, (app + " " + version).c_str());
    strcpy(p.record.groupName, group.c_str());
    return p;
}

// Installs with the default answers of every page; no question may come on the way.
void InstallQuietly(const PackageContents& p) {
    WizardSession run;
    ASSERT_NO_FATAL_FAILURE(run.StartInstalling(p));
    bool ended = false;
    HWND box = WaitFinishPageOrBox(run.program, run, &ended);
    ASSERT_TRUE(ended);
    ASSERT_TRUE(box == nullptr) << gui::ReadMessageBox(box).text;
    ASSERT_TRUE(run.WaitFinishPage());
    run.Close();
}

void Uninstall(const std::string& folder, const std::string& verName) {
    std::vector<gui::MessageBoxInfo> shown;
    ASSERT_NO_FATAL_FAILURE(RunUninstaller(folder + "\\uninst.exe", "Désinstallation de " + verName, &shown));
    ASSERT_EQ(2u, shown.size());
    EXPECT_NE(std::string::npos, shown[1].text.find("avec succès")) << shown[1].text;
    // The batch removes uninst.exe (and the folder) once the program has ended.
    gui::WaitFor([&] { return !FileExists(folder + "\\uninst.exe"); }, kBatchWaitMs);
}

// Holds path open without sharing, as a running program holds its files, then
// starts installing v2 until setup says that it cannot write that file.
// Returns the message (null, with the failure given, when it never comes).
HWND InstallUntilInUse(WizardSession& run, const PackageContents& v2, const std::string& path, HANDLE* holder) {
    *holder = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(INVALID_HANDLE_VALUE, *holder) << path;
    run.StartInstalling(v2);
    if (::testing::Test::HasFatalFailure()) return nullptr;
    return ExpectMessageBox(run.program, Caption(v2.record.appName), FileInUseText(path), {IDRETRY, IDCANCEL}, 30000);
}

// The files moved aside while an installation ran: none may outlive it.
std::vector<std::string> AsideFiles(const std::string& folder) {
    std::vector<std::string> aside;
    for (const std::string& file : FilesBelow(folder)) {
        if (file.find("~setup-") != std::string::npos) aside.push_back(file);
    }
    return aside;
}

// Version 1, then version 2 which drops a file, renames another, adds one and
// renames its start-menu group: version 2 is proposed version 1's folder and
// says it updates it, replaces the application's own shortcuts without a
// question, and one uninstall then removes what either version made. Only
// what the user added stays.
TEST(InstallAgain, UpgradeThenOneUninstallRemovesEveryVersion) {
    std::string app = UniqueName("Upgrade");
    std::string group1 = app + " Un", group2 = app + " Deux";
    SystemCleanup cleanup1(app, group1), cleanup2(app, group2);
    ScratchDir target("upgrade");
    std::string folder = target / "App";

    PackageContents v1 = Version(app, "1.0", folder, group1);
    v1.AddFile("demo.exe", "", "MZ version 1");
    v1.AddFile("old.dll", "", "dropped by version 2");
    v1.AddFile("a.txt", "data\\cartes", "renamed by version 2");
    ASSERT_NO_FATAL_FAILURE(InstallQuietly(v1));
    ASSERT_TRUE(FileExists(ProgramsGroup(group1) + "\\" + app + ".lnk"));
    ASSERT_TRUE(WriteFileBytes(folder + "\\mes notes.txt", "the user's"));
    ASSERT_TRUE(WriteFileBytes(folder + "\\data\\mes cartes.txt", "the user's too"));

    // Version 2 is packaged for another folder: the installed one wins.
    ScratchDir elsewhere("elsewhere");
    PackageContents v2 = Version(app, "2.0", elsewhere / "App", group2);
    v2.AddFile("demo.exe", "", "MZ version 2");
    v2.AddFile("b.txt", "data\\cartes", "renamed");
    v2.AddFile("new.dat", "", "new in version 2");
    {
        WizardSession run;
        ASSERT_NO_FATAL_FAILURE(run.Start(v2));
        ASSERT_TRUE(run.NextUntil("Dossier d'installation"));
        EXPECT_EQ(folder, gui::Text(run.Control(IDC_FOLDER_EDIT)));
        ASSERT_TRUE(run.ToReadyPage());
        EXPECT_EQ(0u, gui::Text(run.Control(IDC_SUMMARY)).find("Mise à jour de " + app + " 1.0\r\n"))
            << gui::Text(run.Control(IDC_SUMMARY));
        SaveShot(run.dialog, "ready_page_update");
        run.Install();
        bool ended = false;
        HWND box = WaitFinishPageOrBox(run.program, run, &ended);
        ASSERT_TRUE(ended);
        ASSERT_TRUE(box == nullptr) << gui::ReadMessageBox(box).text;  // no "Le raccourcis ... existe déjà"
        ASSERT_TRUE(run.WaitFinishPage());
        run.Close();
    }
    EXPECT_EQ("MZ version 2", ReadFileBytes(folder + "\\demo.exe"));
    EXPECT_FALSE(FolderExists(elsewhere / "App"));
    EXPECT_EQ(app + " 2.0", UninstallValue(app, "DisplayName"));
    EXPECT_TRUE(AsideFiles(folder).empty());

    // One log: version 1's entries first, then version 2's, each path once.
    EmbeddedLog log(folder + "\\uninst.exe");
    ASSERT_EQ(kLogComplete, log.status);
    EXPECT_EQ(app + " 2.0", std::string(log.view.appVerName));
    std::vector<std::string> paths;
    for (const LogLine& line : log.entries) paths.push_back(line.path);
    auto at = [&](const std::string& path) {
        for (size_t i = 0; i < paths.size(); ++i) {
            if (_stricmp(paths[i].c_str(), path.c_str()) == 0) return static_cast<int>(i);
        }
        return -1;
    };
    EXPECT_EQ(0, at(folder));
    EXPECT_LT(at(folder + "\\old.dll"), at(folder + "\\new.dat"));
    EXPECT_GE(at(folder + "\\data"), 0);  // both levels of the sub-folder are logged
    EXPECT_GE(at(folder + "\\data\\cartes"), 0);
    EXPECT_GE(at(ProgramsGroup(group1)), 0);
    EXPECT_GE(at(ProgramsGroup(group2)), 0);
    EXPECT_EQ(1, std::count_if(paths.begin(), paths.end(), [&](const std::string& p) {
                  return _stricmp(p.c_str(), (folder + "\\demo.exe").c_str()) == 0;
              }));

    ASSERT_NO_FATAL_FAILURE(Uninstall(folder, app + " 2.0"));
    EXPECT_EQ((std::vector<std::string>{"data\\mes cartes.txt", "mes notes.txt"}), FilesBelow(folder));
    EXPECT_FALSE(FolderExists(folder + "\\data\\cartes"));
    EXPECT_FALSE(FolderExists(ProgramsGroup(group1)));
    EXPECT_FALSE(FolderExists(ProgramsGroup(group2)));
    EXPECT_FALSE(FileExists(DesktopLink(app)));
    EXPECT_FALSE(UninstallKeyExists(app));
}

// The same package twice (a repair), with a sub-folder and a group two levels
// deep: no question on the way, and one uninstall leaves nothing, neither the
// folders the first installation made nor the parents of the ones it made.
TEST(InstallAgain, SamePackageTwiceThenNothingLeft) {
    std::string app = UniqueName("Repair");
    std::string editor = "Ed " + app;
    std::string group = editor + "\\Jeu";
    SystemCleanup cleanup(app, group);
    ScratchDir target("repair");
    std::string root = target / "Editeur";
    PackageContents p = Version(app, "1.0", root, group);
    strcpy(p.record.subFolder, "Jeu\\Demo");
    p.AddFile("demo.exe", "", "MZ");
    p.AddFile("niveau.dat", "niveaux\\faciles", "level");
    std::string folder = root + "\\Jeu\\Demo";

    ASSERT_NO_FATAL_FAILURE(InstallQuietly(p));
    EmbeddedLog first(folder + "\\uninst.exe");
    ASSERT_EQ(kLogComplete, first.status);
    std::vector<LogLine> levels = {{root, 1}, {root + "\\Jeu", 1}, {folder, 1}};
    ASSERT_GE(first.entries.size(), 3u);
    EXPECT_EQ(levels, std::vector<LogLine>(first.entries.begin(), first.entries.begin() + 3));

    ASSERT_NO_FATAL_FAILURE(InstallQuietly(p));
    EmbeddedLog second(folder + "\\uninst.exe");
    EXPECT_EQ(first.entries, second.entries);  // the same log: nothing new, nothing lost

    ASSERT_NO_FATAL_FAILURE(Uninstall(folder, app + " 1.0"));
    EXPECT_TRUE(gui::WaitFor([&] { return !FolderExists(root); }, kBatchWaitMs)) << "left: " << root;
    EXPECT_FALSE(FolderExists(ProgramsGroup(editor)));
    EXPECT_FALSE(FileExists(DesktopLink(app)));
    EXPECT_FALSE(UninstallKeyExists(app));
}

// While the application is installed, another folder is refused on the ready
// page, naming the installed folder; its own folder is accepted again.
TEST(InstallAgain, AnotherFolderIsRefusedWhileInstalled) {
    std::string app = UniqueName("Second");
    SystemCleanup cleanup(app, app);
    ScratchDir target("second");
    std::string folder = target / "App";
    PackageContents p = Version(app, "1.0", folder, app);
    p.AddFile("demo.exe", "", "MZ");
    ASSERT_NO_FATAL_FAILURE(InstallQuietly(p));

    WizardSession run;
    ASSERT_NO_FATAL_FAILURE(run.Start(p));
    ASSERT_TRUE(run.NextUntil("Dossier d'installation"));
    std::string other = target / "Autre";
    SetWindowTextA(run.Control(IDC_FOLDER_EDIT), other.c_str());
    ASSERT_TRUE(run.ToReadyPage());
    run.Install();
    HWND box = ExpectMessageBox(run.program, Caption(app),
                                app + " 1.0 est déjà installé dans le dossier :\n" + folder +
                                    "\n\nUne application ne s'installe qu'une fois. Pour l'installer dans un autre "
                                    "dossier, désinstallez-la d'abord, ou gardez le dossier de l'installation "
                                    "existante.",
                                {IDOK});
    ASSERT_TRUE(box != nullptr);
    SaveShot(box, "ready_page_installed_elsewhere");
    ASSERT_TRUE(gui::AnswerMessageBox(box, IDOK));
    ASSERT_TRUE(gui::WaitFor([&] { return run.Control(IDC_SUMMARY) != nullptr; }));
    EXPECT_FALSE(FolderExists(other));
    EXPECT_EQ(app + " 1.0", UninstallValue(app, "DisplayName"));
    gui::Command(run.dialog, IDCANCEL);
    box = ExpectMessageBox(run.program, Caption(app), kQuitText, {IDYES, IDNO});
    ASSERT_TRUE(box != nullptr);
    ASSERT_TRUE(gui::AnswerMessageBox(box, IDYES));
    ASSERT_TRUE(run.program.WaitExit(10000));
    ASSERT_NO_FATAL_FAILURE(Uninstall(folder, app + " 1.0"));
}

// Version 1 installed, and version 2 of the same files, one of them into a
// folder version 2 makes.
class HeldFileUpgrade : public ::testing::Test {
protected:
    HeldFileUpgrade()
        : app(UniqueName("Held")), cleanup(app, app), target("held"), folder(target / "App"),
          v1(Version(app, "1.0", folder, app)), v2(Version(app, "2.0", folder, app)) {
        for (const char* name : {"demo.exe", "a.txt", "held.bin", "z.txt"}) {
            v1.AddFile(name, "", std::string(name) + " 1");
            v2.AddFile(name, strcmp(name, "a.txt") == 0 ? "neuf" : "", std::string(name) + " 2");
        }
    }
    void SetUp() override { ASSERT_NO_FATAL_FAILURE(InstallQuietly(v1)); }

    std::string app;
    SystemCleanup cleanup;
    ScratchDir target;
    std::string folder;
    PackageContents v1, v2;
};

// A file of the installation held open by another program: the user is told
// which one, and Retry once it is free finishes the installation.
TEST_F(HeldFileUpgrade, RetryOnceFreeFinishes) {
    WizardSession run;
    HANDLE holder = INVALID_HANDLE_VALUE;
    HWND box = InstallUntilInUse(run, v2, folder + "\\held.bin", &holder);
    if (box) SaveShot(box, "file_in_use");
    CloseHandle(holder);
    ASSERT_TRUE(box != nullptr);
    ASSERT_TRUE(gui::AnswerMessageBox(box, IDRETRY));
    ASSERT_TRUE(run.WaitFinishPage());
    run.Close();
    EXPECT_EQ("held.bin 2", ReadFileBytes(folder + "\\held.bin"));
    EXPECT_EQ("a.txt 2", ReadFileBytes(folder + "\\neuf\\a.txt"));
    EXPECT_TRUE(AsideFiles(folder).empty());
    ASSERT_NO_FATAL_FAILURE(Uninstall(folder, app + " 2.0"));
    EXPECT_TRUE(gui::WaitFor([&] { return !FolderExists(folder); }, kBatchWaitMs));
}

// An upgrade given up in its middle (a file held, Cancel): everything version 2
// wrote is taken back, version 1 is there byte for byte with its uninstaller,
// shortcuts and registration, and still uninstalls completely.
TEST_F(HeldFileUpgrade, CancelLeavesVersion1) {
    std::vector<std::string> before = FilesBelow(folder);
    std::string uninstaller = ReadFileBytes(folder + "\\uninst.exe");
    std::string link = ReadFileBytes(DesktopLink(app));
    WizardSession run;
    HANDLE holder = INVALID_HANDLE_VALUE;
    HWND box = InstallUntilInUse(run, v2, folder + "\\held.bin", &holder);
    ASSERT_TRUE(box != nullptr);
    ASSERT_TRUE(gui::AnswerMessageBox(box, IDCANCEL));
    box = WaitQuitQuestion(run, app);
    CloseHandle(holder);
    ASSERT_TRUE(box != nullptr);
    EXPECT_EQ(before, FilesBelow(folder));
    for (const char* name : {"demo.exe", "a.txt", "held.bin", "z.txt"}) {
        EXPECT_EQ(std::string(name) + " 1", ReadFileBytes(folder + "\\" + name));
    }
    EXPECT_FALSE(FolderExists(folder + "\\neuf"));
    EXPECT_EQ(uninstaller, ReadFileBytes(folder + "\\uninst.exe"));
    EXPECT_EQ(link, ReadFileBytes(DesktopLink(app)));
    EXPECT_EQ(app + " 1.0", UninstallValue(app, "DisplayName"));
    ASSERT_TRUE(gui::AnswerMessageBox(box, IDYES));
    ASSERT_TRUE(run.program.WaitExit(10000));

    ASSERT_NO_FATAL_FAILURE(Uninstall(folder, app + " 1.0"));
    EXPECT_TRUE(gui::WaitFor([&] { return !FolderExists(folder); }, kBatchWaitMs));
    EXPECT_FALSE(FileExists(DesktopLink(app)));
}

}  // namespace
