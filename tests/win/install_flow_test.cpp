// Whole installations through the real setup.exe, clicked through as a user
// would: what lands on disk, the log inside uninst.exe, the shortcuts, the
// uninstall key, and the ways an installation can stop.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "install_checks.h"
#include "wizard_session.h"

namespace {

using namespace testenv;
using namespace wintest;

TEST(InstallFlow, TwoFilesWithShortcutsEndToEnd) {
    std::string app = UniqueName("Flow");
    SystemCleanup cleanup(app, app);
    ScratchDir target("target");
    std::string installDir = target / "Mon Appli";  // a blank: the uninstall command needs quotes
    PackageContents p = Package(app, installDir);
    p.AddFile("demo.exe", "", "MZ-program-bytes");
    p.AddFile("readme.txt", "", std::string("line 1\r\n\0line 2", 15));

    WizardSession run;
    run.Start(p);
    ASSERT_TRUE(run.ToReadyPage());
    EXPECT_EQ("Installer", gui::Text(run.Button(IDC_NEXT)));
    run.Install();
    ASSERT_TRUE(run.WaitFinishPage());

    // The finish page.
    EXPECT_FALSE(gui::Visible(run.Button(IDC_BACK)));
    EXPECT_FALSE(gui::Visible(run.Button(IDCANCEL)));
    EXPECT_TRUE(gui::Visible(run.Button(IDC_NEXT)));
    std::vector<HWND> children = gui::Children(run.Page());
    ASSERT_EQ(4u, children.size());  // no run check button: runOffered is 0
    EXPECT_EQ("Félicitation !\n" + app + " 2.5 est installé avec succès dans votre ordinateur.",
              gui::Text(children[2]));
    EXPECT_EQ("Pour fermer l'assistant, cliquez sur Fermer. ", gui::Text(children[3]));

    // The files, byte for byte.
    EXPECT_EQ("MZ-program-bytes", ReadFileBytes(installDir + "\\demo.exe"));
    EXPECT_EQ(std::string("line 1\r\n\0line 2", 15), ReadFileBytes(installDir + "\\readme.txt"));
    std::string uninstaller = installDir + "\\uninst.exe";
    ASSERT_TRUE(FileExists(uninstaller));
    EXPECT_FALSE(FileExists(run.dir / "Temp_002.log"));

    // The log: seven entries in creation order, 2632 bytes, exactly the bytes
    // the shared encoder makes of them.
    std::string desktop = DesktopLink(app);
    std::string group = ProgramsGroup(app);
    std::vector<LogLine> expected = {
        {installDir, 1},
        {installDir + "\\demo.exe", 0},
        {installDir + "\\readme.txt", 0},
        {desktop, 0},
        {group, 1},
        {group + "\\" + app + ".lnk", 0},
        {group + "\\Désinstallation.lnk", 0},
    };
    EmbeddedLog log(uninstaller);
    ASSERT_EQ(kLogComplete, log.status);
    EXPECT_EQ(2632u, log.bytes.size());
    EXPECT_EQ(expected, log.entries);
    EXPECT_STREQ(app.c_str(), log.view.appName);
    EXPECT_EQ(EncodeLog(app, app + " 2.5", expected), log.bytes);
    // The uninstaller keeps its own resources beside the log.
    bool found = false;
    ProgramResource(uninstaller, MAKEINTRESOURCEA(5), MAKEINTRESOURCEA(100), &found);  // RT_DIALOG 100
    EXPECT_TRUE(found);

    // The shortcuts, read back through the shell.
    LinkInfo program = ReadLink(desktop);
    ASSERT_TRUE(program.loaded);
    EXPECT_EQ(installDir + "\\demo.exe", program.target);
    EXPECT_EQ(installDir, program.workDir);
    EXPECT_EQ(app + " 2.5", program.description);
    EXPECT_EQ(installDir + "\\demo.exe", ReadLink(group + "\\" + app + ".lnk").target);
    LinkInfo remover = ReadLink(group + "\\Désinstallation.lnk");
    ASSERT_TRUE(remover.loaded);
    EXPECT_EQ(uninstaller, remover.target);
    EXPECT_EQ(installDir, remover.workDir);
    EXPECT_EQ(app + " 2.5", remover.description);
    EXPECT_FALSE(FileExists(StartMenuGroup(app) + "\\" + app + ".lnk"));

    // The uninstall key: the command is quoted because the path has a blank.
    EXPECT_EQ(app + " 2.5", UninstallValue(app, "DisplayName"));
    EXPECT_EQ("\"" + uninstaller + "\"", UninstallValue(app, "UninstallString"));

    run.Close();
}

TEST(InstallFlow, ExistingFolderAndTwoLevelSubFolder) {
    std::string app = UniqueName("Sub");
    SystemCleanup cleanup(app, app);
    ScratchDir target("target");  // exists already: not logged
    PackageContents p = Package(app, target.path());
    p.record.noIcons = 1;  // no shortcut pages, nothing outside the scratch folder but the key
    p.record.uninstallIconOffered = 0;
    p.AddFile("main.exe", "", "MZ");
    p.AddFile("deep.dat", "a\\b", "deep bytes");
    p.AddFile("other.dat", "a\\b", "");  // an empty file last: still created

    WizardSession run;
    run.InstallToEnd(p);
    EXPECT_EQ("deep bytes", ReadFileBytes(target / "a\\b\\deep.dat"));
    EXPECT_TRUE(FileExists(target / "a\\b\\other.dat"));
    EmbeddedLog log(target / "uninst.exe");
    std::vector<LogLine> expected = {
        {target / "main.exe", 0},
        {target / "a", 1},  // two levels made, each logged
        {target / "a\\b", 1},
        {target / "a\\b\\deep.dat", 0},
        {target / "a\\b\\other.dat", 0},
    };
    EXPECT_EQ(expected, log.entries);
    // No blank in the path: the command stands without quotes.
    EXPECT_EQ(target / "uninst.exe", UninstallValue(app, "UninstallString"));
    run.Close();
}

// The payload ends inside an entry, or before it: the installation is not
// reported as a success, nothing past the payload is written, and what was
// written before is taken back.
TEST(InstallFlow, ShortPayloadIsAFailedInstallation) {
    std::string app = UniqueName("Short");
    SystemCleanup cleanup(app, app);
    ScratchDir target("target");
    PackageContents p = PlainPackage(app, target / "app");
    p.AddFile("first.exe", "", "0123456789");
    p.AddFile("second.dat", "", "abcdefghij");
    p.payload.resize(15);  // the second entry runs past the end

    WizardSession run;
    ASSERT_NO_FATAL_FAILURE(run.StartInstalling(p));
    HWND box = ExpectMessageBox(run.program, "Installation : " + app, kQuitText, {IDYES, IDNO});
    ASSERT_TRUE(box != nullptr);
    EXPECT_FALSE(FolderExists(target / "app"));
    EXPECT_FALSE(UninstallKeyExists(app));
    ASSERT_TRUE(gui::AnswerMessageBox(box, IDYES));
    DWORD code = 1;
    ASSERT_TRUE(run.program.WaitExit(10000, &code));
    EXPECT_EQ(0u, code);
}

// No payload resource, or no files: the notice, then the quit question; No
// returns to the ready page with "Installer", Yes ends the wizard.
TEST(InstallFlow, NothingToExtractWithBothAnswers) {
    for (int noFiles = 0; noFiles < 2; ++noFiles) {
        SCOPED_TRACE(noFiles ? "no files" : "no payload");
        std::string app = UniqueName(noFiles ? "NoFiles" : "NoPayload");
        SystemCleanup cleanup(app, app);
        ScratchDir target("target");
        PackageContents p = PlainPackage(app, target / "app");
        if (noFiles) {
            p.payload = "stray bytes";
        } else {
            p.AddFile("main.exe", "", "MZ");
            p.writePayload = false;
        }
        std::string caption = "Installation : " + app;

        WizardSession run;
        run.Start(p);
        ASSERT_TRUE(run.ToReadyPage());
        for (int attempt = 0; attempt < 2; ++attempt) {
            run.Install();
            HWND notice = ExpectMessageBox(run.program, caption, "Pas de fichiers à extraire.", {IDOK});
            ASSERT_TRUE(notice != nullptr);
            ASSERT_TRUE(gui::AnswerMessageBox(notice, IDOK));
            HWND question = ExpectMessageBox(run.program, caption, kQuitText, {IDYES, IDNO});
            ASSERT_TRUE(question != nullptr);
            if (attempt == 0) {
                ASSERT_TRUE(gui::AnswerMessageBox(question, IDNO));
                ASSERT_TRUE(gui::WaitFor([&] { return run.Control(IDC_SUMMARY) != nullptr; }, 5000));
                EXPECT_EQ("Installer", gui::Text(run.Button(IDC_NEXT)));
                EXPECT_TRUE(gui::Visible(run.Button(IDC_BACK)));
            } else {
                ASSERT_TRUE(gui::AnswerMessageBox(question, IDYES));
                ASSERT_TRUE(run.program.WaitExit());
            }
        }
        EXPECT_FALSE(FileExists(target / "app\\uninst.exe"));
        EXPECT_FALSE(UninstallKeyExists(app));
    }
}

// Cancel while files are written: what was written is taken back before the
// quit question. No, then Installer again: the second attempt starts from the
// first file, as on a machine where the first never ran.
TEST(InstallFlow, CancelDuringExtractionThenInstallAgain) {
    std::string app = UniqueName("Cancel");
    SystemCleanup cleanup(app, app);
    ScratchDir target("target");
    PackageContents p = PlainPackage(app, target / "app");
    const int kFiles = 1500;
    for (int i = 0; i < kFiles; ++i) p.AddFile("f" + std::to_string(i) + ".txt", "", std::to_string(i));
    std::string caption = "Installation : " + app;

    WizardSession run;
    ASSERT_NO_FATAL_FAILURE(run.StartInstalling(p));
    HWND bar = nullptr;
    ASSERT_TRUE(gui::WaitFor([&] {
        bar = run.Control(IDC_INSTALL_PROGRESS);
        return bar && SendMessageA(bar, PBM_GETPOS, 0, 0) > 0;
    }));
    EXPECT_EQ(kFiles, SendMessageA(bar, PBM_GETRANGE, FALSE, 0));
    EXPECT_FALSE(gui::Visible(run.Button(IDC_NEXT)));
    EXPECT_FALSE(gui::Visible(run.Button(IDC_BACK)));
    gui::Command(run.dialog, IDCANCEL);
    HWND question = ExpectMessageBox(run.program, caption, kQuitText, {IDYES, IDNO});
    ASSERT_TRUE(question != nullptr);
    EXPECT_FALSE(FolderExists(target / "app"));
    ASSERT_TRUE(gui::AnswerMessageBox(question, IDNO));
    ASSERT_TRUE(gui::WaitFor([&] { return run.Control(IDC_SUMMARY) != nullptr; }, 5000));
    EXPECT_EQ("Installer", gui::Text(run.Button(IDC_NEXT)));

    run.Install();
    ASSERT_TRUE(run.WaitFinishPage(60000));
    EmbeddedLog log(target / "app\\uninst.exe");
    ASSERT_EQ(kLogComplete, log.status);
    // {folder, 1}, then the files of the second attempt only.
    ASSERT_EQ(static_cast<size_t>(kFiles + 1), log.entries.size());
    EXPECT_EQ((LogLine{target / "app", 1}), log.entries[0]);
    EXPECT_EQ((LogLine{target / "app\\f0.txt", 0}), log.entries[1]);
    EXPECT_EQ((LogLine{target / ("app\\f" + std::to_string(kFiles - 1) + ".txt"), 0}), log.entries.back());
    run.Close();
}

// An existing shortcut: No keeps it (and leaves it out of the log), Yes
// replaces it (and logs it).
TEST(InstallFlow, ExistingShortcutWithBothAnswers) {
    for (int replace = 0; replace < 2; ++replace) {
        SCOPED_TRACE(replace ? "Yes" : "No");
        std::string app = UniqueName(replace ? "LinkYes" : "LinkNo");
        SystemCleanup cleanup(app, app);
        ScratchDir target("target");
        PackageContents p = Package(app, target.path());
        p.record.uninstallIconOffered = 0;
        p.AddFile("main.exe", "", "MZ");
        std::string desktop = DesktopLink(app);
        ASSERT_TRUE(testenv::WriteFileBytes(desktop, "old shortcut"));

        WizardSession run;
        ASSERT_NO_FATAL_FAILURE(run.StartInstalling(p));
        HWND box = ExpectMessageBox(run.program, "Installation : " + app,
                                    "Le raccourcis " + app + ".lnk existe déjà.\nVoulez-vous le remplacer ?",
                                    {IDYES, IDNO});
        ASSERT_TRUE(box != nullptr);
        ASSERT_TRUE(gui::AnswerMessageBox(box, replace ? IDYES : IDNO));
        ASSERT_TRUE(run.WaitFinishPage());

        EmbeddedLog log(target / "uninst.exe");
        bool logged = false;
        for (const LogLine& line : log.entries) logged = logged || line.path == desktop;
        EXPECT_EQ(replace == 1, logged);
        if (replace) {
            EXPECT_EQ(target / "main.exe", ReadLink(desktop).target);
        } else {
            EXPECT_EQ("old shortcut", ReadFileBytes(desktop));
        }
        // The group shortcut was made either way.
        EXPECT_TRUE(FileExists(ProgramsGroup(app) + "\\" + app + ".lnk"));
        run.Close();
    }
}

// With noIcons only the uninstall shortcut is made, in the programs group.
TEST(InstallFlow, NoIconsMakesOnlyTheUninstallShortcut) {
    std::string app = UniqueName("NoIcons");
    SystemCleanup cleanup(app, app);
    ScratchDir target("target");
    PackageContents p = Package(app, target.path());
    p.record.noIcons = 1;
    p.record.uninstallIconOffered = 1;
    p.record.runOffered = 1;
    p.AddFile("main.exe", "", "MZ");

    WizardSession run;
    run.InstallToEnd(p);
    // No run check button with noIcons, even though runOffered is set.
    EXPECT_EQ(nullptr, run.Control(IDC_RUN_CHECK));
    std::string group = ProgramsGroup(app);
    std::vector<LogLine> expected = {
        {target / "main.exe", 0},
        {group, 1},
        {group + "\\Désinstallation.lnk", 0},
    };
    EXPECT_EQ(expected, EmbeddedLog(target / "uninst.exe").entries);
    EXPECT_FALSE(FileExists(DesktopLink(app)));
    EXPECT_FALSE(FileExists(group + "\\" + app + ".lnk"));
    run.Close();
}

}  // namespace
