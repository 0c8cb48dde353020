// Names and paths at their limits, through the real setup.exe and uninst.exe:
// 259-character names in every composed text, and install paths that reach
// 259 characters exactly or would pass them. Every text is cut, never
// overflowing; the programs go on and end cleanly.
#include <windows.h>

#include <gtest/gtest.h>
#include <string.h>

#include "install_checks.h"
#include "wizard_session.h"

namespace {

using namespace testenv;
using namespace wintest;

const size_t kLongest = 259;

// A name of exactly length characters, with accented letters, unique to this run.
std::string LongName(const std::string& tag, size_t length) {
    std::string name = UniqueName(tag) + " ";
    while (name.size() < length) name += "Ééà ";
    name.resize(length);
    return name;
}

// Every text shown below root (root included) fits a 260-byte buffer.
void ExpectTextsFit(HWND root, const std::string& where) {
    std::vector<HWND> all = {root};
    for (size_t i = 0; i < all.size(); ++i) {
        for (HWND child : gui::Children(all[i])) all.push_back(child);
    }
    for (HWND window : all) {
        std::string text = gui::Text(window);
        EXPECT_LE(text.size(), kLongest) << where << ": " << gui::ClassName(window) << " shows " << text;
    }
}

// Runs uninst.exe to the end, answering Yes then OK; returns the two texts.
std::vector<gui::MessageBoxInfo> Uninstall(const std::string& uninst) {
    std::vector<gui::MessageBoxInfo> shown;
    RunUninstaller(uninst, "", &shown);
    return shown;
}

// appName, appVerName and groupName of 259 characters, with every shortcut
// asked for: the wizard shows every page with cut texts, the shortcuts whose
// names no longer fit a path are not made, the installation completes, and the
// uninstaller's caption, question and notice are cut too.
TEST(LimitsNames, LongestNamesThroughInstallAndUninstall) {
    std::string app = LongName("App", kLongest);
    std::string verName = LongName("Ver", kLongest);
    std::string group = LongName("Grp", kLongest);
    SystemCleanup cleanup(app, group);
    ScratchDir target("target");
    std::string dir = target / "App";
    PackageContents p = Package(app, dir);
    strcpy(p.record.appVerName, verName.c_str());
    strcpy(p.record.groupName, group.c_str());
    p.record.runOffered = 1;
    p.AddFile("demo.exe", "", "MZ-program");

    WizardSession run;
    ASSERT_NO_FATAL_FAILURE(run.Start(p)) << "no wizard titled with the cut caption";
    EXPECT_EQ(("Installation : " + app).substr(0, kLongest), gui::Text(run.dialog));
    for (int i = 0; i < 9 && !run.Control(IDC_SUMMARY); ++i) {
        gui::Sync(run.Page());
        ExpectTextsFit(run.dialog, "page " + std::to_string(i));
        ASSERT_TRUE(run.Press(IDC_NEXT)) << "stuck on page " << i;
    }
    ASSERT_TRUE(run.Control(IDC_SUMMARY) != nullptr);
    gui::Sync(run.Page());
    ExpectTextsFit(run.dialog, "ready page");
    run.Install();
    // No question may come: the shortcut files would not fit a path, so none
    // exists already and none is made.
    bool ended = false;
    HWND box = WaitFinishPageOrBox(run.program, run, &ended);
    ASSERT_TRUE(ended);
    ASSERT_FALSE(box != nullptr) << gui::ReadMessageBox(box).text;
    gui::Sync(run.Page());
    ExpectTextsFit(run.dialog, "finish page");
    EXPECT_EQ("MZ-program", ReadFileBytes(dir + "\\demo.exe"));
    EXPECT_FALSE(FolderExists(ProgramsGroup(group)));

    EmbeddedLog log(dir + "\\uninst.exe");
    ASSERT_EQ(kLogComplete, log.status);
    EXPECT_EQ(app, log.view.appName);
    EXPECT_EQ(verName, log.view.appVerName);
    EXPECT_EQ((std::vector<LogLine>{{dir, 1}, {dir + "\\demo.exe", 0}}), log.entries);
    // A registry key name holds at most 255 characters: with a 259-character
    // name the registration is refused, without a message.
    EXPECT_FALSE(UninstallKeyExists(app));
    // The run check button (its text cut too) is turned off: demo.exe is not a
    // real program to start.
    HWND runCheck = run.Control(IDC_RUN_CHECK);
    ASSERT_TRUE(runCheck != nullptr);
    gui::Click(runCheck);
    gui::Sync(run.Page());
    run.Close();

    ClearBatches();
    std::vector<gui::MessageBoxInfo> shown = Uninstall(dir + "\\uninst.exe");
    ASSERT_EQ(2u, shown.size());
    std::string uninstCaption = "Désinstallation de " + verName;
    EXPECT_LT(shown[0].caption.size(), 256u);
    EXPECT_EQ(0u, uninstCaption.find(shown[0].caption.substr(0, shown[0].caption.size() - 3)));
    EXPECT_LE(shown[0].text.size(), kLongest);
    EXPECT_EQ(0u, shown[0].text.find("Etes-vous certain de vouloir désinstaller totalement " + verName.substr(0, 20)));
    EXPECT_NE(std::string::npos, shown[0].text.find("... et tous ses composants ?")) << shown[0].text;
    EXPECT_LE(shown[1].text.size(), kLongest);
    EXPECT_NE(std::string::npos, shown[1].text.find("... a été désinstallé avec succès de votre ordinateur."))
        << shown[1].text;
    EXPECT_FALSE(FileExists(dir + "\\demo.exe"));
    EXPECT_TRUE(gui::WaitFor([&] { return !FolderExists(dir); }, 15000)) << "install folder stayed";
}

// A folder path of exactly length characters below base, made of long parts.
std::string FolderOfLength(const std::string& base, size_t length) {
    std::string path = base;
    while (path.size() < length) {
        size_t part = length - path.size() - 1;
        if (part > 60) part = 60;
        if (length - path.size() - 1 - part == 1) --part;  // never a last part of 0 characters
        path += "\\" + std::string(part, 'd');
    }
    return path;
}

// Paths that reach 259 characters exactly: installed, logged and removed
// again. uninst.exe itself ends at the 259th character.
TEST(LimitsNames, PathsOfExactly259Characters) {
    std::string app = UniqueName("Path259");
    SystemCleanup cleanup(app, app);
    ScratchDir target("target");
    std::string dir = FolderOfLength(target.path(), kLongest - strlen("\\uninst.exe"));
    std::string longest = std::string(kLongest - dir.size() - 1, 'f');
    ASSERT_EQ(kLongest, (dir + "\\" + longest).size());
    PackageContents p = PlainPackage(app, dir);
    p.AddFile("a.exe", "", "MZ");
    p.AddFile(longest, "", "longest");

    WizardSession run;
    run.InstallToEnd(p);
    EXPECT_EQ("longest", ReadFileBytes(dir + "\\" + longest));
    std::string uninst = dir + "\\uninst.exe";
    ASSERT_EQ(kLongest, uninst.size());
    EmbeddedLog log(uninst);
    ASSERT_EQ(kLogComplete, log.status);
    // Every level of the folder that was made, then the two files.
    ASSERT_GE(log.entries.size(), 3u);
    EXPECT_EQ((LogLine{dir, 1}), log.entries[log.entries.size() - 3]);
    EXPECT_EQ((LogLine{dir + "\\" + longest, 0}), log.entries.back());
    run.Close();

    ClearBatches();
    std::vector<gui::MessageBoxInfo> shown = Uninstall(uninst);
    ASSERT_EQ(2u, shown.size());
    EXPECT_EQ(app + " 2.5 a été désinstallé avec succès de votre ordinateur.", shown[1].text);
    EXPECT_FALSE(FileExists(dir + "\\" + longest));
    EXPECT_FALSE(UninstallKeyExists(app));
    EXPECT_TRUE(gui::WaitFor([&] { return !FolderExists(dir); }, 15000)) << "install folder stayed";
}

// An install folder of 249 characters: every payload file fits, but
// "\uninst.exe" would make 260. An installation without its uninstaller
// could never be removed, so it is a failure like a cut uninstaller: the quit
// question, no uninst.exe, no key. The payload and its folder are taken back.
TEST(LimitsNames, InstallFolderWithoutRoomForTheUninstaller) {
    std::string app = UniqueName("Path249");
    SystemCleanup cleanup(app, app);
    ScratchDir target("target");
    std::string dir = FolderOfLength(target.path(), kLongest + 1 - strlen("\\uninst.exe"));
    ASSERT_EQ(249u, dir.size());
    PackageContents p = PlainPackage(app, dir);
    p.AddFile("a.exe", "", "MZ");

    WizardSession run;
    ASSERT_NO_FATAL_FAILURE(run.StartInstalling(p));
    HWND box = nullptr;
    ASSERT_TRUE(gui::WaitFor([&] {
        box = run.program.FindMessageBox();
        return box || run.OnFinishPage();
    }, 30000));
    ASSERT_TRUE(box != nullptr) << "the installation was reported as a success";
    EXPECT_EQ(kQuitText, gui::ReadMessageBox(box).text);
    EXPECT_FALSE(FolderExists(dir));  // no uninst.exe, no cut name either
    EXPECT_FALSE(UninstallKeyExists(app));
    EXPECT_FALSE(FileExists(run.dir / "Temp_002.log"));
    ASSERT_TRUE(gui::AnswerMessageBox(box, IDYES));
    EXPECT_TRUE(run.program.WaitExit());
}

// A file whose path would be 260 characters is a failed extraction, not a file
// with a cut name: the files before it are taken back, nothing is registered.
TEST(LimitsNames, PathOneCharacterTooLongFailsTheExtraction) {
    std::string app = UniqueName("Path260");
    SystemCleanup cleanup(app, app);
    ScratchDir target("target");
    std::string dir = FolderOfLength(target.path(), 200);
    std::string tooLong = std::string(kLongest + 1 - dir.size() - 1, 'g');
    PackageContents p = PlainPackage(app, dir);
    p.AddFile("a.exe", "", "MZ");
    p.AddFile(tooLong, "", "too long");
    p.AddFile("after.txt", "", "after");

    WizardSession run;
    ASSERT_NO_FATAL_FAILURE(run.StartInstalling(p));
    HWND box = ExpectMessageBox(run.program, "Installation : " + app, kQuitText, {IDYES, IDNO}, 30000);
    ASSERT_TRUE(box != nullptr);
    EXPECT_FALSE(FileExists(dir + "\\a.exe"));
    EXPECT_FALSE(FileExists(dir + "\\" + tooLong.substr(0, tooLong.size() - 1)));  // no cut name either
    EXPECT_FALSE(FileExists(dir + "\\after.txt"));
    EXPECT_FALSE(FileExists(dir + "\\uninst.exe"));
    EXPECT_FALSE(UninstallKeyExists(app));
    ASSERT_TRUE(gui::AnswerMessageBox(box, IDYES));
    EXPECT_TRUE(run.program.WaitExit());
}

}  // namespace
