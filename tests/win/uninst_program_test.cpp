// uninst.exe run as a program: copies carrying a log, placed in scratch
// installations, answered through the GUI driver. Covers the confirmation, the
// success notice, the batch that deletes the program (and its folder), and the
// runs that must leave everything as it was.
#include <windows.h>

#include <gtest/gtest.h>

#include "gui_driver.h"
#include "install_checks.h"

namespace {

using testenv::FileExists;
using testenv::FolderExists;
using testenv::ScratchDir;
using wintest::BatchLeft;
using wintest::ClearBatches;
using wintest::kBatchWaitMs;
using wintest::Entry;
using wintest::Touch;

std::string Confirmation(const std::string& name) {
    return "Etes-vous certain de vouloir désinstaller totalement " + name + " et tous ses composants ?";
}

// An installation in a scratch folder: the install folder (created, so
// logged), two files, a group folder with a shortcut, and uninst.exe carrying
// the log of all that. Registered as setup registers it.
struct Installed {
    ScratchDir dir{"uprog"};
    std::string app = dir / "Demo App";
    std::string group = dir / "Demo Group";
    std::string uninst = app + "\\uninst.exe";
    std::string appName = wintest::UniqueName("Prog");
    wintest::KeyGuard guard{appName};
    std::vector<LogEntry> log;

    explicit Installed(bool writeLog = true) {
        ClearBatches();
        CreateDirectoryA(app.c_str(), nullptr);
        CreateDirectoryA(group.c_str(), nullptr);
        Touch(app + "\\demo.exe");
        Touch(app + "\\data.bin");
        Touch(group + "\\Demo.lnk");
        log = {Entry(app, 1), Entry(app + "\\demo.exe", 0), Entry(app + "\\data.bin", 0), Entry(group, 1),
               Entry(group + "\\Demo.lnk", 0)};
        wintest::Register(appName, 0, HKEY_LOCAL_MACHINE, uninst);
        if (writeLog) Embed(wintest::LogBytes(appName, "Demo 2.1", log));
    }
    void Embed(const std::string& bytes) { wintest::MakeUninstaller(uninst, &bytes); }
    bool Untouched() const {
        return FileExists(app + "\\demo.exe") && FileExists(app + "\\data.bin") && FileExists(group + "\\Demo.lnk") &&
               FileExists(uninst) && wintest::UninstallKeyExists(appName);
    }
};

// Answers the confirmation with answer; returns what it showed.
gui::MessageBoxInfo Confirm(gui::Program& p, const std::string& caption, int answer) {
    HWND box = p.WaitMessageBox(caption);
    EXPECT_TRUE(box != nullptr) << "no confirmation titled " << caption;
    if (!box) return {};
    gui::MessageBoxInfo info = gui::ReadMessageBox(box);
    EXPECT_TRUE(gui::AnswerMessageBox(box, answer));
    return info;
}

// Waits for the program's end, failing if it shows any message box meanwhile.
void ExpectEndsWithoutBox(gui::Program& p) {
    bool boxShown = false;
    EXPECT_TRUE(gui::WaitFor([&] {
        if (p.FindMessageBox()) boxShown = true;
        return !p.Running();
    }));
    EXPECT_FALSE(boxShown);
}

TEST(UninstProgram, ConfirmedRemovalDeletesEverythingThenItselfAndItsFolder) {
    Installed inst;
    gui::Program p;
    ASSERT_TRUE(p.Start(inst.uninst));
    gui::MessageBoxInfo asked = Confirm(p, "Désinstallation de Demo 2.1", IDYES);
    EXPECT_EQ(Confirmation("Demo 2.1"), asked.text);
    EXPECT_EQ((std::vector<int>{IDYES, IDNO}), asked.buttons);
    EXPECT_TRUE(asked.hasIcon);

    HWND done = p.WaitMessageBox("Désinstallation de Demo 2.1");
    ASSERT_TRUE(done != nullptr);
    EXPECT_EQ("Demo 2.1 a été désinstallé avec succès de votre ordinateur.", gui::ReadMessageBox(done).text);
    // Everything logged is gone while the notice shows; the program is not.
    EXPECT_FALSE(FileExists(inst.app + "\\demo.exe"));
    EXPECT_FALSE(FolderExists(inst.group));
    EXPECT_FALSE(wintest::UninstallKeyExists(inst.appName));
    EXPECT_TRUE(FileExists(inst.uninst));
    ASSERT_TRUE(gui::AnswerMessageBox(done, IDOK));
    DWORD code = 1;
    ASSERT_TRUE(p.WaitExit(10000, &code));
    EXPECT_EQ(0u, code);

    EXPECT_TRUE(gui::WaitFor([&] { return !FolderExists(inst.app); }, kBatchWaitMs)) << "install folder stayed";
    EXPECT_TRUE(gui::WaitFor([&] { return !BatchLeft(); }, kBatchWaitMs)) << "batch stayed";
}

TEST(UninstProgram, UserFileKeepsTheFolderButNotTheProgram) {
    Installed inst;
    Touch(inst.app + "\\notes.txt");
    std::vector<gui::MessageBoxInfo> shown;
    ASSERT_NO_FATAL_FAILURE(wintest::RunUninstaller(inst.uninst, "Désinstallation de Demo 2.1", &shown));

    EXPECT_TRUE(gui::WaitFor([&] { return !FileExists(inst.uninst); }, kBatchWaitMs)) << "uninst.exe stayed";
    EXPECT_TRUE(gui::WaitFor([&] { return !BatchLeft(); }, kBatchWaitMs)) << "batch stayed";
    EXPECT_TRUE(FileExists(inst.app + "\\notes.txt"));
    EXPECT_FALSE(FileExists(inst.app + "\\demo.exe"));
}

TEST(UninstProgram, AnsweringNoChangesNothing) {
    Installed inst;
    gui::Program p;
    ASSERT_TRUE(p.Start(inst.uninst));
    Confirm(p, "Désinstallation de Demo 2.1", IDNO);
    ExpectEndsWithoutBox(p);
    EXPECT_TRUE(inst.Untouched());
    EXPECT_FALSE(BatchLeft());
}

TEST(UninstProgram, BareProgramRemovesNothingAndStays) {
    Installed inst(false);
    wintest::MakeUninstaller(inst.uninst, nullptr);
    gui::Program p;
    ASSERT_TRUE(p.Start(inst.uninst));
    gui::MessageBoxInfo asked = Confirm(p, "Désinstallation de MonApplication 1.0", IDYES);
    EXPECT_EQ(Confirmation("MonApplication 1.0"), asked.text);
    ExpectEndsWithoutBox(p);
    Sleep(500);  // a batch, had one been started, would have run by now
    EXPECT_TRUE(inst.Untouched());
    EXPECT_FALSE(BatchLeft());
}

// A log cut short is not half-used: the user is told, and nothing is removed.
TEST(UninstProgram, DamagedLogIsReportedAndRemovesNothing) {
    Installed inst(false);
    std::string log = wintest::LogBytes(inst.appName, "Demo 2.1", inst.log);
    inst.Embed(log.substr(0, log.size() - 264));
    gui::Program p;
    ASSERT_TRUE(p.Start(inst.uninst));
    HWND box = p.WaitMessageBox("Désinstallation de Demo 2.1");
    ASSERT_TRUE(box != nullptr);
    gui::MessageBoxInfo shown = gui::ReadMessageBox(box);
    EXPECT_NE(std::string::npos, shown.text.find("endommagé")) << shown.text;
    EXPECT_NE(std::string::npos, shown.text.find("Aucun fichier n'a été supprimé.")) << shown.text;
    EXPECT_EQ(std::vector<int>{IDOK}, shown.buttons);
    ASSERT_TRUE(gui::AnswerMessageBox(box, IDOK));
    ExpectEndsWithoutBox(p);
    EXPECT_TRUE(inst.Untouched());
}

TEST(UninstProgram, EmptyLogDeletesTheRegistrationAndReportsSuccess) {
    Installed inst(false);
    inst.Embed(wintest::LogBytes(inst.appName, "Demo 2.1", {}));
    std::vector<gui::MessageBoxInfo> shown;
    ASSERT_NO_FATAL_FAILURE(wintest::RunUninstaller(inst.uninst, "Désinstallation de Demo 2.1", &shown));
    EXPECT_FALSE(wintest::UninstallKeyExists(inst.appName));
    EXPECT_TRUE(FileExists(inst.app + "\\demo.exe"));
    EXPECT_TRUE(FileExists(inst.group + "\\Demo.lnk"));
    EXPECT_TRUE(gui::WaitFor([&] { return !FileExists(inst.uninst); }, kBatchWaitMs)) << "uninst.exe stayed";
    EXPECT_TRUE(FolderExists(inst.app));
}

}  // namespace
