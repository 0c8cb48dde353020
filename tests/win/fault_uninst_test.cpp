// Faults met by the uninstaller of a real installation: setup.exe installs a
// package with the GUI driver, then the files, the folders or the log inside
// uninst.exe are tampered with before uninst.exe runs. For each case: the
// messages the user sees, and that nothing the installation did not create is
// ever deleted.
#include <windows.h>

#include <gtest/gtest.h>

#include "install_checks.h"
#include "wizard_session.h"

namespace {

using namespace testenv;
using namespace wintest;

// An installation made by the real setup.exe into a new folder below a scratch
// folder: demo.exe, data.bin and docs\guide\guide.txt, no shortcuts.
struct Installed {
    std::string app = UniqueName("UFault");
    SystemCleanup cleanup{app, app};
    ScratchDir target{"target"};
    std::string dir = target / "App";
    std::string uninst = dir + "\\uninst.exe";
    std::string caption = "Désinstallation de " + app + " 2.5";

    Installed() {
        PackageContents p = PlainPackage(app, dir);
        p.AddFile("demo.exe", "", "MZ-program");
        p.AddFile("data.bin", "", "data");
        p.AddFile("guide.txt", "docs\\guide", "guide");
        WizardSession run;
        run.InstallToEnd(p);
        run.Close();
        ClearBatches();
    }
    std::string operator/(const std::string& name) const { return dir + "\\" + name; }
};

// Runs uninst.exe, says Yes, and checks the success notice; the program ends.
void UninstallConfirmed(const Installed& inst) {
    std::vector<gui::MessageBoxInfo> shown;
    ASSERT_NO_FATAL_FAILURE(RunUninstaller(inst.uninst, inst.caption, &shown));
    EXPECT_EQ("Etes-vous certain de vouloir désinstaller totalement " + inst.app + " 2.5 et tous ses composants ?",
              shown[0].text);
    EXPECT_EQ(inst.app + " 2.5 a été désinstallé avec succès de votre ordinateur.", shown[1].text);
    EXPECT_EQ(std::vector<int>{IDOK}, shown[1].buttons);
}

// The program deletes itself through its batch; its folder stays (it holds more).
void ExpectSelfDeletedFolderKept(const Installed& inst) {
    EXPECT_TRUE(gui::WaitFor([&] { return !FileExists(inst.uninst); }, kBatchWaitMs)) << "uninst.exe stayed";
    EXPECT_TRUE(gui::WaitFor([&] { return !BatchLeft(); }, kBatchWaitMs)) << "batch stayed";
    EXPECT_TRUE(FolderExists(inst.dir));
}

// A logged file held open by another program cannot be deleted: the box
// names it; after Cancel the removal is incomplete and says so, the files
// after it, the key and uninst.exe stay. Once the file is free, a second run
// removes everything.
TEST(FaultUninst, LoggedFileInUse) {
    Installed inst;
    HANDLE holder = CreateFileA((inst / "data.bin").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, holder);
    {
        gui::Program remover;
        ASSERT_TRUE(remover.Start(inst.uninst));
        for (int answer : {IDYES, IDCANCEL, IDOK}) {
            HWND box = remover.WaitMessageBox(inst.caption);
            ASSERT_TRUE(box != nullptr) << answer;
            gui::MessageBoxInfo shown = gui::ReadMessageBox(box);
            if (answer == IDCANCEL) {
                EXPECT_EQ(0u, shown.text.find(inst / "data.bin" + " ne peut pas être supprimé")) << shown.text;
                EXPECT_EQ((std::vector<int>{IDRETRY, IDCANCEL}), shown.buttons);
            }
            if (answer == IDOK) EXPECT_NE(std::string::npos, shown.text.find("est incomplète")) << shown.text;
            ASSERT_TRUE(gui::AnswerMessageBox(box, answer));
        }
        ASSERT_TRUE(remover.WaitExit(10000));
    }
    CloseHandle(holder);
    EXPECT_EQ("data", ReadFileBytes(inst / "data.bin"));
    EXPECT_FALSE(FileExists(inst / "demo.exe"));
    EXPECT_TRUE(FileExists(inst / "docs\\guide\\guide.txt"));
    EXPECT_TRUE(UninstallKeyExists(inst.app));
    EXPECT_FALSE(BatchLeft());
    EXPECT_TRUE(FileExists(inst.uninst));

    UninstallConfirmed(inst);
    EXPECT_FALSE(FileExists(inst / "data.bin"));
    EXPECT_FALSE(FolderExists(inst / "docs"));
    EXPECT_FALSE(UninstallKeyExists(inst.app));
    EXPECT_TRUE(gui::WaitFor([&] { return !FolderExists(inst.dir); }, kBatchWaitMs)) << "install folder stayed";
}

// A logged file replaced by a folder of the user's: the folder is not the file
// that was installed, so it and what it holds stay.
TEST(FaultUninst, LoggedFileReplacedByAFolder) {
    Installed inst;
    ASSERT_TRUE(DeleteFileA((inst / "data.bin").c_str()));
    ASSERT_TRUE(CreateDirectoryA((inst / "data.bin").c_str(), nullptr));
    ASSERT_TRUE(testenv::WriteFileBytes(inst / "data.bin\\mine.txt", "mine"));
    UninstallConfirmed(inst);
    EXPECT_EQ("mine", ReadFileBytes(inst / "data.bin\\mine.txt"));
    EXPECT_FALSE(FileExists(inst / "demo.exe"));
    EXPECT_FALSE(UninstallKeyExists(inst.app));
    ExpectSelfDeletedFolderKept(inst);
}

// Logged folders that now hold the user's files keep them: only the installed
// files go, and only the empty folders.
TEST(FaultUninst, LoggedFoldersHoldingForeignFiles) {
    Installed inst;
    ASSERT_TRUE(testenv::WriteFileBytes(inst / "docs\\guide\\notes.txt", "notes"));
    ASSERT_TRUE(CreateDirectoryA((inst / "mine").c_str(), nullptr));
    ASSERT_TRUE(testenv::WriteFileBytes(inst / "mine\\keep.txt", "keep"));
    ASSERT_TRUE(testenv::WriteFileBytes(inst / "readme.txt", "readme"));
    UninstallConfirmed(inst);
    EXPECT_EQ("notes", ReadFileBytes(inst / "docs\\guide\\notes.txt"));
    EXPECT_EQ("keep", ReadFileBytes(inst / "mine\\keep.txt"));
    EXPECT_EQ("readme", ReadFileBytes(inst / "readme.txt"));
    EXPECT_FALSE(FileExists(inst / "docs\\guide\\guide.txt"));
    EXPECT_FALSE(FileExists(inst / "demo.exe"));
    EXPECT_FALSE(FileExists(inst / "data.bin"));
    ExpectSelfDeletedFolderKept(inst);
}

// The log inside uninst.exe damaged in several ways: the user is told, and
// nothing at all is removed (files, folders, registration, the program).
TEST(FaultUninst, DamagedLogResource) {
    Installed inst;
    std::string log = ProgramResource(inst.uninst, "RT_DATA", "5000");
    ASSERT_EQ(InstallLogSize(6), log.size());  // folder, three files, docs, docs\guide
    auto withCount = [&](int32_t n) {
        std::string bytes = log;
        uint8_t* at = reinterpret_cast<uint8_t*>(&bytes[520]);
        at[0] = static_cast<uint8_t>(n);
        at[1] = static_cast<uint8_t>(n >> 8);
        at[2] = static_cast<uint8_t>(n >> 16);
        at[3] = static_cast<uint8_t>(n >> 24);
        return bytes;
    };
    struct Damage {
        const char* what;
        std::string bytes;
        bool namesReadable;
    };
    std::vector<Damage> damages = {
        {"last entry and tail cut", log.substr(0, log.size() - kLogTailSize - kLogEntrySize), true},
        {"tail cut", log.substr(0, log.size() - 1), true},
        {"count one too many", withCount(7), true},
        {"absurd count", withCount(0x7FFFFFFF), true},
        {"negative count", withCount(-1), false},
        {"only 100 bytes", log.substr(0, 100), false},
    };
    std::string error;
    for (const Damage& damage : damages) {
        SCOPED_TRACE(damage.what);
        ASSERT_TRUE(UpdateProgramResource(inst.uninst, "RT_DATA", "5000", damage.bytes, &error)) << error;
        gui::Program p;
        ASSERT_TRUE(p.Start(inst.uninst));
        HWND box = p.WaitMessageBox();
        ASSERT_TRUE(box != nullptr);
        gui::MessageBoxInfo info = gui::ReadMessageBox(box);
        EXPECT_EQ(damage.namesReadable ? inst.caption : std::string("Désinstallation de MonApplication 1.0"),
                  info.caption);
        EXPECT_EQ("Le journal d'installation contenu dans ce programme est endommagé.\n"
                  "Aucun fichier n'a été supprimé.",
                  info.text);
        EXPECT_EQ(std::vector<int>{IDOK}, info.buttons);
        ASSERT_TRUE(gui::AnswerMessageBox(box, IDOK));
        bool another = false;
        EXPECT_TRUE(gui::WaitFor([&] {
            if (p.FindMessageBox()) another = true;
            return !p.Running();
        }));
        EXPECT_FALSE(another) << "a second message after the damage notice";
        EXPECT_TRUE(FileExists(inst / "demo.exe"));
        EXPECT_TRUE(FileExists(inst / "docs\\guide\\guide.txt"));
        EXPECT_TRUE(FileExists(inst.uninst));
        EXPECT_TRUE(UninstallKeyExists(inst.app));
        EXPECT_FALSE(BatchLeft());
    }
}

}  // namespace
