// The real uninst.exe after a real installation, when the removal cannot
// finish: a file another program holds open, and an older uninstaller whose
// registration now belongs to a later installation elsewhere.
#include <windows.h>

#include <gtest/gtest.h>
#include <string.h>

#include "install_checks.h"
#include "uninst_messages.h"
#include "wizard_session.h"

namespace {

using namespace testenv;
using namespace wintest;

// A file opened without sharing, as a running program holds its data.
class HeldFile {
public:
    explicit HeldFile(const std::string& path)
        : handle_(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)) {}
    ~HeldFile() { Release(); }
    bool held() const { return handle_ != INVALID_HANDLE_VALUE; }
    void Release() {
        if (held()) CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
    }

private:
    HANDLE handle_;
};

std::string RetryText(const std::string& path) {
    char text[1024];
    ComposeRetryDeletion(path.c_str(), text, sizeof(text));
    return text;
}

std::string IncompleteText(const std::string& verName) {
    CUninstConfig config;
    strcpy(config.appVerName, verName.c_str());
    char text[1024];
    ComposeIncomplete(config, text, sizeof(text));
    return text;
}

// A held file is asked about again on Retry while it stays held; after Cancel
// the removal is incomplete and says so, and the key, uninst.exe and the
// uninstall shortcut in the menu stay. In the second run, Retry once the file
// is released finishes the removal.
TEST(UninstInUse, HeldFileLeavesAnIncompleteRemovalThatASecondRunFinishes) {
    std::string app = UniqueName("InUse");
    SystemCleanup cleanup(app, app);
    ScratchDir target("inuse");
    std::string installDir = target / "Mon Appli";
    PackageContents p = Package(app, installDir);
    p.AddFile("demo.exe", "", "MZ-program");
    p.AddFile("carte.dat", "donnees", "map bytes");
    p.AddFile("notes.txt", "", "notes");
    WizardSession run;
    ASSERT_NO_FATAL_FAILURE(run.InstallToEnd(p));
    run.Close();
    const std::string uninstaller = installDir + "\\uninst.exe", held = installDir + "\\donnees\\carte.dat";
    const std::string shortcut = ProgramsGroup(app) + "\\Désinstallation.lnk";
    const std::string caption = "Désinstallation de " + app + " 2.5";
    ASSERT_TRUE(FileExists(shortcut));

    HeldFile file(held);
    ASSERT_TRUE(file.held());
    {
        gui::Program remover;
        ASSERT_TRUE(remover.Start(uninstaller));
        HWND box = remover.WaitMessageBox(caption);
        ASSERT_TRUE(box != nullptr);
        ASSERT_TRUE(gui::AnswerMessageBox(box, IDYES));
        // Retry while the file is still held asks again.
        for (int answer : {IDRETRY, IDCANCEL}) {
            box = ExpectMessageBox(remover, caption, RetryText(held), {IDRETRY, IDCANCEL});
            ASSERT_TRUE(box != nullptr);
            ASSERT_TRUE(gui::AnswerMessageBox(box, answer));
        }
        box = ExpectMessageBox(remover, caption, IncompleteText(app + " 2.5"), {IDOK});
        ASSERT_TRUE(box != nullptr);
        ASSERT_TRUE(gui::AnswerMessageBox(box, IDOK));
        DWORD code = 1;
        ASSERT_TRUE(remover.WaitExit(10000, &code));
    }
    EXPECT_FALSE(FileExists(installDir + "\\demo.exe"));  // logged before the held file: gone
    EXPECT_TRUE(FileExists(held));
    EXPECT_TRUE(FileExists(installDir + "\\notes.txt"));
    EXPECT_TRUE(FileExists(shortcut));
    EXPECT_TRUE(UninstallKeyExists(app));
    // No self-deletion was started: uninst.exe is still there once a batch would have run.
    EXPECT_FALSE(gui::WaitFor([] { return BatchLeft(); }, 2000));
    EXPECT_TRUE(FileExists(uninstaller));
    EXPECT_EQ(kLogComplete, EmbeddedLog(uninstaller).status);

    {
        gui::Program remover;
        ASSERT_TRUE(remover.Start(uninstaller));
        HWND box = remover.WaitMessageBox(caption);
        ASSERT_TRUE(box != nullptr);
        ASSERT_TRUE(gui::AnswerMessageBox(box, IDYES));
        box = ExpectMessageBox(remover, caption, RetryText(held), {IDRETRY, IDCANCEL});
        ASSERT_TRUE(box != nullptr);
        file.Release();
        ASSERT_TRUE(gui::AnswerMessageBox(box, IDRETRY));
        box = ExpectMessageBox(remover, caption, app + " 2.5 a été désinstallé avec succès de votre ordinateur.",
                               {IDOK});
        ASSERT_TRUE(box != nullptr);
        ASSERT_TRUE(gui::AnswerMessageBox(box, IDOK));
        ASSERT_TRUE(remover.WaitExit(10000));
    }
    EXPECT_TRUE(gui::WaitFor([&] { return !FolderExists(installDir); }, kBatchWaitMs)) << "install folder stayed";
    EXPECT_FALSE(FolderExists(ProgramsGroup(app)));
    EXPECT_FALSE(FileExists(DesktopLink(app)));
    EXPECT_FALSE(UninstallKeyExists(app));
    EXPECT_TRUE(gui::WaitFor([] { return !BatchLeft(); }, kBatchWaitMs)) << "batch left";
}

// The key now names the uninst.exe of a later installation in another
// folder: the older uninstaller removes its own files but leaves the key.
TEST(UninstInUse, StaleUninstallerKeepsTheLiveKey) {
    std::string app = UniqueName("Stale");
    SystemCleanup cleanup(app, app);
    ScratchDir target("stale");
    std::string installDir = target / "Ancien", live = target / "Nouveau";
    PackageContents p = PlainPackage(app, installDir);
    p.AddFile("demo.exe", "", "MZ-program");
    WizardSession run;
    ASSERT_NO_FATAL_FAILURE(run.InstallToEnd(p));
    run.Close();
    ASSERT_TRUE(CreateDirectoryA(live.c_str(), nullptr));
    Touch(live + "\\uninst.exe");
    HKEY root = HKEY_LOCAL_MACHINE;
    ASSERT_NO_FATAL_FAILURE(Register(app, 0, root, live + "\\uninst.exe"));

    std::vector<gui::MessageBoxInfo> shown;
    ASSERT_NO_FATAL_FAILURE(RunUninstaller(installDir + "\\uninst.exe", "Désinstallation de " + app + " 2.5", &shown));
    EXPECT_TRUE(gui::WaitFor([&] { return !FolderExists(installDir); }, kBatchWaitMs)) << "install folder stayed";
    EXPECT_TRUE(UninstallKeyExists(app));
    EXPECT_EQ(live + "\\uninst.exe", UninstallValue(app, "UninstallString"));
    EXPECT_TRUE(gui::WaitFor([] { return !BatchLeft(); }, kBatchWaitMs)) << "batch left";
}

}  // namespace
