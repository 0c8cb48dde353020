// The removal in process: logged files listed and deleted in log order, logged
// folders removed when nothing is left in them, the registration deleted, and
// the result that decides whether the batch removes the install folder.
#include <windows.h>

#include <gtest/gtest.h>
#include <string.h>

#include <memory>
#include <string>
#include <vector>

#include "folder_tree.h"
#include "log_loader.h"
#include "removal.h"
#include "removal_dialog.h"
#include "unregister.h"
#include "uninst_ids.h"
#include "folder_links.h"
#include "install_checks.h"
#include "package_writer.h"

namespace {

using testenv::FileExists;
using testenv::FolderExists;
using testenv::ScratchDir;
using wintest::Entry;
using wintest::Touch;

// uninst.exe loaded for its resources, for dialogs made from its template 100.
struct UninstResources {
    UninstResources() { EXPECT_TRUE(data.get() != nullptr); }
    wintest::DataModule data{testenv::Program("uninst.exe")};
    HMODULE module = data.get();
};

INT_PTR CALLBACK PlainDialogProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

// The removal dialog's template with a procedure that leaves it alone, so the
// list the removal writes into it can be read.
class ListDialog {
public:
    ListDialog() {
        window = CreateDialogParamA(res.module, MAKEINTRESOURCEA(IDD_REMOVAL), nullptr, PlainDialogProc, 0);
        EXPECT_TRUE(window != nullptr);
        // No limit to the list's length, as the removal dialog sets it.
        SendDlgItemMessageA(window, IDC_DELETED_LIST, EM_SETLIMITTEXT, 0, 0);
    }
    ~ListDialog() {
        if (window) DestroyWindow(window);
    }
    std::string List() const {
        HWND list = GetDlgItem(window, IDC_DELETED_LIST);
        std::string text(static_cast<size_t>(GetWindowTextLengthA(list)) + 1, '\0');
        text.resize(static_cast<size_t>(GetWindowTextA(list, &text[0], static_cast<int>(text.size()))));
        return text;
    }
    UninstResources res;
    HWND window = nullptr;
};

// A config as LoadInstallLog leaves it after reading these entries.
void Fill(CUninstConfig& c, const std::string& appName, const std::vector<LogEntry>& entries) {
    c.Reset();
    strcpy(c.appName, appName.c_str());
    for (const LogEntry& e : entries) c.installLog.Append(&e);
    c.logMissing = 0;
}

// The example installation: install folder created, two files, a desktop
// shortcut in a folder that was there, a group folder with two shortcuts, and
// uninst.exe beside the files (never logged). Given a tag, it is registered
// under a name of its own (appName), removed at the end.
struct ExampleInstall {
    ScratchDir dir{"urem"};
    std::string app = dir / "Demo";
    std::string desk = dir / "Desktop";
    std::string group = dir / "Group";
    std::vector<LogEntry> log;
    std::string appName;
    std::unique_ptr<wintest::KeyGuard> guard;

    explicit ExampleInstall(const std::string& registeredTag = "") {
        if (!registeredTag.empty()) {
            appName = wintest::UniqueName(registeredTag);
            guard.reset(new wintest::KeyGuard(appName));
            wintest::Register(appName, 0, HKEY_LOCAL_MACHINE, app + "\\uninst.exe");
        }
        CreateDirectoryA(app.c_str(), nullptr);
        CreateDirectoryA(desk.c_str(), nullptr);
        CreateDirectoryA(group.c_str(), nullptr);
        for (const char* f : {"\\demo.exe", "\\data.bin", "\\uninst.exe"}) Touch(app + f);
        Touch(desk + "\\Demo.lnk");
        Touch(group + "\\Demo.lnk");
        Touch(group + "\\Désinstallation.lnk");
        log = {Entry(app, 1),
               Entry(app + "\\demo.exe", 0),
               Entry(app + "\\data.bin", 0),
               Entry(desk + "\\Demo.lnk", 0),
               Entry(group, 1),
               Entry(group + "\\Demo.lnk", 0),
               Entry(group + "\\Désinstallation.lnk", 0)};
    }
};

TEST(RemoveInstallation, ExampleListsFilesInLogOrderAndLeavesOnlyUninst) {
    ExampleInstall inst("Example");
    const std::string& appName = inst.appName;
    CUninstConfig c;
    Fill(c, appName, inst.log);
    ListDialog dialog;
    HWND list = GetDlgItem(dialog.window, IDC_DELETED_LIST);
    ASSERT_TRUE(list != nullptr);
    // One path per line needs a multi-line control.
    EXPECT_TRUE(GetWindowLongA(list, GWL_STYLE) & ES_MULTILINE);
    // The label comes out of the resource script in code page 1252.
    char label[64] = "";
    GetWindowTextA(GetWindow(list, GW_HWNDPREV), label, sizeof(label));
    EXPECT_STREQ("Fichiers supprimés :", label);

    EXPECT_EQ(kRemovedFolderFree, RemoveInstallation(c, dialog.window, inst.app.c_str()));

    EXPECT_EQ(inst.app + "\\demo.exe\r\n" + inst.app + "\\data.bin\r\n" + inst.desk + "\\Demo.lnk\r\n" + inst.group +
                  "\\Demo.lnk\r\n" + inst.group + "\\Désinstallation.lnk\r\n",
              dialog.List());
    EXPECT_FALSE(FileExists(inst.app + "\\demo.exe"));
    EXPECT_FALSE(FileExists(inst.app + "\\data.bin"));
    EXPECT_FALSE(FileExists(inst.desk + "\\Demo.lnk"));
    EXPECT_FALSE(FolderExists(inst.group));
    EXPECT_TRUE(FolderExists(inst.desk));  // was there before: not logged
    EXPECT_TRUE(FileExists(inst.app + "\\uninst.exe"));
    EXPECT_EQ(1, CountFiles(inst.app.c_str(), 1));
    EXPECT_FALSE(wintest::UninstallKeyExists(appName));
}

TEST(RemoveInstallation, UserFileInTheInstallFolderGivesOneAndKeepsIt) {
    ExampleInstall inst;
    Touch(inst.app + "\\notes.txt");
    CUninstConfig c;
    Fill(c, wintest::UniqueName("UserFile"), inst.log);
    EXPECT_EQ(kRemovedFolderUsed, RemoveInstallation(c, nullptr, inst.app.c_str()));
    EXPECT_TRUE(FileExists(inst.app + "\\notes.txt"));
    EXPECT_TRUE(FileExists(inst.app + "\\uninst.exe"));
    EXPECT_FALSE(FileExists(inst.app + "\\demo.exe"));
    EXPECT_FALSE(FolderExists(inst.group));
}

TEST(RemoveInstallation, TwiceLoggedAndReadOnlyFilesAreDeletedAndListedOnce) {
    ScratchDir dir("urem");
    std::string a = dir / "a.dat", b = dir / "b.dat";
    Touch(a);
    Touch(b);
    ASSERT_TRUE(SetFileAttributesA(b.c_str(), FILE_ATTRIBUTE_READONLY));
    CUninstConfig c;
    Fill(c, wintest::UniqueName("Twice"), {Entry(a, 0), Entry(b, 0), Entry(a, 0), Entry(dir / "gone.dat", 0)});
    ListDialog dialog;
    RemoveInstallation(c, dialog.window, dir.path().c_str());
    EXPECT_EQ(a + "\r\n" + b + "\r\n", dialog.List());
    EXPECT_FALSE(FileExists(a));
    EXPECT_FALSE(FileExists(b));
}

// Far more lines than the list takes at a time, short and long ones, with
// paths logged twice or gone in between: every deleted file is listed once,
// in log order, nothing is lost or repeated where one addition ends and the
// next begins, and none of them is left on disk.
TEST(RemoveInstallation, LongListHoldsEveryDeletedFileInLogOrder) {
    ScratchDir dir("urem");
    std::vector<LogEntry> log;
    std::vector<std::string> expected;
    for (int i = 0; i < 900; ++i) {
        // Lengths from a few characters to the longest path there is.
        size_t length = i % 7 == 3 ? 259 - dir.path().size() - 1 : 5 + i % 40;
        std::string name = std::to_string(i) + "_";
        name += std::string(length - name.size(), 'n');
        std::string path = dir / name;
        ASSERT_EQ(i % 7 == 3 ? 259u : dir.path().size() + 1 + length, path.size());
        Touch(path);
        log.push_back(Entry(path, 0));
        expected.push_back(path);
        if (i % 100 == 50) log.push_back(Entry(path, 0));            // logged twice: listed once
        if (i % 100 == 70) log.push_back(Entry(dir / "gone", 0));  // gone: not listed
    }
    CUninstConfig c;
    Fill(c, wintest::UniqueName("Long"), log);
    ListDialog dialog;
    RemoveInstallation(c, dialog.window, dir.path().c_str());
    std::string list = dialog.List();
    ASSERT_GT(list.size(), 65536u);
    ASSERT_EQ("\r\n", list.substr(list.size() - 2));
    std::vector<std::string> listed;
    for (size_t start = 0, end; (end = list.find("\r\n", start)) != std::string::npos; start = end + 2) {
        listed.push_back(list.substr(start, end - start));
    }
    EXPECT_EQ(expected.size(), listed.size());
    for (size_t i = 0; i < expected.size() && i < listed.size(); ++i) {
        ASSERT_EQ(expected[i], listed[i]) << "line " << i;
    }
    for (const LogEntry& e : log) EXPECT_FALSE(FileExists(e.path)) << e.path;
}

// The question about a file or folder that stays: what it was asked about,
// and what it answers (Retry while tries remain, after running onAsk).
struct Question {
    static std::vector<std::string> asked;
    static int retries;
    static void (*onAsk)();
    static int Ask(const char* path) {
        asked.push_back(path);
        if (onAsk) onAsk();
        return retries-- > 0 ? 1 : 0;
    }
    Question(int retryCount, void (*action)() = nullptr) {
        asked.clear();
        retries = retryCount;
        onAsk = action;
    }
};
std::vector<std::string> Question::asked;
int Question::retries = 0;
void (*Question::onAsk)() = nullptr;

HANDLE heldOpen = INVALID_HANDLE_VALUE;
void CloseHeld() {
    if (heldOpen != INVALID_HANDLE_VALUE) CloseHandle(heldOpen);
    heldOpen = INVALID_HANDLE_VALUE;
}

// A file held open without sharing: Cancel stops the removal there. The
// files before it are gone, the ones after it, the folders, the shortcut of
// this uninst.exe and the key stay; a second run after the file is released
// finishes the job.
TEST(RemoveInstallation, FileInUseStopsTheRemovalOnCancelAndASecondRunFinishes) {
    ExampleInstall inst("InUse");
    std::string held = inst.app + "\\data.bin";
    // The group's uninstall shortcut really starts this uninst.exe.
    std::string own = inst.group + "\\Désinstallation.lnk";
    ASSERT_TRUE(DeleteFileA(own.c_str()));
    ASSERT_NO_FATAL_FAILURE(wintest::MakeShortcut(own, inst.app + "\\uninst.exe"));
    heldOpen = CreateFileA(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, heldOpen);
    CUninstConfig c;
    Fill(c, inst.appName, inst.log);
    {
        ListDialog dialog;
        Question cancel(0);
        EXPECT_EQ(kRemovalIncomplete, RemoveInstallation(c, dialog.window, inst.app.c_str(), Question::Ask));
        EXPECT_EQ(std::vector<std::string>{held}, Question::asked);
        EXPECT_EQ(inst.app + "\\demo.exe\r\n" + held + "\r\n", dialog.List());
    }
    EXPECT_FALSE(FileExists(inst.app + "\\demo.exe"));
    EXPECT_TRUE(FileExists(held));
    EXPECT_TRUE(FileExists(inst.desk + "\\Demo.lnk"));
    EXPECT_TRUE(FileExists(own));
    EXPECT_TRUE(wintest::UninstallKeyExists(inst.appName));

    // Retry after the program let go of the file: the rest goes.
    Question retry(1, CloseHeld);
    EXPECT_EQ(kRemovedFolderFree, RemoveInstallation(c, nullptr, inst.app.c_str(), Question::Ask));
    CloseHeld();
    EXPECT_EQ(std::vector<std::string>{held}, Question::asked);
    EXPECT_FALSE(FileExists(held));
    EXPECT_FALSE(FolderExists(inst.group));
    EXPECT_FALSE(FileExists(inst.desk + "\\Demo.lnk"));
    EXPECT_FALSE(wintest::UninstallKeyExists(inst.appName));
}

// A logged folder left empty that a program holds (its current folder, for
// example) is asked about too; one that keeps the user's files is not.
TEST(RemoveInstallation, EmptyFolderInUseIsAskedAboutAndUserFilesAreNot) {
    ScratchDir dir("urem");
    std::string app = dir / "Demo", busy = app + "\\occupe", kept = app + "\\garde";
    CreateDirectoryA(app.c_str(), nullptr);
    CreateDirectoryA(busy.c_str(), nullptr);
    CreateDirectoryA(kept.c_str(), nullptr);
    Touch(kept + "\\notes.txt");
    Touch(app + "\\uninst.exe");
    heldOpen = CreateFileA(busy.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, heldOpen);
    CUninstConfig c;
    Fill(c, wintest::UniqueName("BusyFolder"), {Entry(kept, 1), Entry(busy, 1)});
    Question cancel(0);
    EXPECT_EQ(kRemovalIncomplete, RemoveInstallation(c, nullptr, app.c_str(), Question::Ask));
    CloseHeld();
    EXPECT_EQ(std::vector<std::string>{busy}, Question::asked);
    EXPECT_TRUE(FolderExists(busy));
    Question none(0);
    EXPECT_EQ(kRemovedFolderUsed, RemoveInstallation(c, nullptr, app.c_str(), Question::Ask));
    EXPECT_TRUE(Question::asked.empty());
    EXPECT_FALSE(FolderExists(busy));
    EXPECT_TRUE(FileExists(kept + "\\notes.txt"));
}

// The log names the install folder in another spelling than the program's
// own (short names, doubled backslashes): the files are the same.
TEST(RemoveInstallation, LoggedPathsInOtherSpellingsAreTheSamePlaces) {
    ScratchDir dir("urem");
    std::string app = dir / "Dossier Longue Application", data = app + "\\Donnees du jeu";
    CreateDirectoryA(app.c_str(), nullptr);
    CreateDirectoryA(data.c_str(), nullptr);
    Touch(data + "\\carte.dat");
    Touch(app + "\\demo.exe");
    Touch(app + "\\uninst.exe");
    char shortApp[MAX_PATH] = "";
    ASSERT_GT(GetShortPathNameA(app.c_str(), shortApp, sizeof(shortApp)), 0u);
    CUninstConfig c;
    Fill(c, wintest::UniqueName("Spelling"),
         {Entry(std::string(shortApp) + "\\demo.exe", 0), Entry(app + "\\\\Donnees du jeu\\carte.dat", 0),
          Entry(std::string(shortApp) + "\\Donnees du jeu", 1)});
    Question none(0);
    EXPECT_EQ(kRemovedFolderFree, RemoveInstallation(c, nullptr, app.c_str(), Question::Ask));
    EXPECT_TRUE(Question::asked.empty());
    EXPECT_FALSE(FileExists(app + "\\demo.exe"));
    EXPECT_FALSE(FolderExists(data));
}

// An older installation's uninstaller, run after the application was
// installed again elsewhere: the shortcuts now start the other installation's
// programs and stay, and so does the key that names the other uninst.exe.
TEST(RemoveInstallation, StaleUninstallerLeavesTheLiveInstallationsShortcutsAndKey) {
    ExampleInstall inst;
    ScratchDir other("urem2");
    std::string live = other / "Demo";
    CreateDirectoryA(live.c_str(), nullptr);
    Touch(live + "\\demo.exe");
    Touch(live + "\\uninst.exe");
    std::string appName = wintest::UniqueName("Stale");
    wintest::KeyGuard guard(appName);
    wintest::Register(appName, 0, HKEY_LOCAL_MACHINE, live + "\\uninst.exe");
    std::string shortcut = inst.group + "\\Demo.lnk", uninstallShortcut = inst.group + "\\Désinstallation.lnk";
    ASSERT_TRUE(DeleteFileA(shortcut.c_str()) && DeleteFileA(uninstallShortcut.c_str()));
    ASSERT_NO_FATAL_FAILURE(wintest::MakeShortcut(shortcut, live + "\\demo.exe"));
    ASSERT_NO_FATAL_FAILURE(wintest::MakeShortcut(uninstallShortcut, live + "\\uninst.exe"));
    CUninstConfig c;
    Fill(c, appName, inst.log);
    Question none(0);
    EXPECT_EQ(kRemovedFolderFree, RemoveInstallation(c, nullptr, inst.app.c_str(), Question::Ask));
    EXPECT_TRUE(Question::asked.empty());
    EXPECT_FALSE(FileExists(inst.app + "\\demo.exe"));
    EXPECT_TRUE(FileExists(shortcut));
    EXPECT_TRUE(FileExists(uninstallShortcut));
    EXPECT_TRUE(wintest::UninstallKeyExists(appName));
    EXPECT_TRUE(FileExists(live + "\\demo.exe"));
}

TEST(RemoveInstallation, InstallFolderThatExistedBeforeIsNeverRemovedByTheRemoval) {
    ScratchDir dir("urem");
    std::string app = dir / "Existing";
    CreateDirectoryA(app.c_str(), nullptr);
    Touch(app + "\\demo.exe");
    CUninstConfig c;
    Fill(c, wintest::UniqueName("Existed"), {Entry(app + "\\demo.exe", 0)});
    EXPECT_EQ(kRemovedFolderFree, RemoveInstallation(c, nullptr, app.c_str()));
    EXPECT_FALSE(FileExists(app + "\\demo.exe"));
    EXPECT_TRUE(FolderExists(app));
}

TEST(RemoveInstallation, NestedLoggedFoldersGoOuterFirstWithTheirEmptySubTrees) {
    ScratchDir dir("urem");
    std::string app = dir / "Demo", a = app + "\\a", b = a + "\\b";
    CreateDirectoryA(app.c_str(), nullptr);
    CreateDirectoryA(a.c_str(), nullptr);
    CreateDirectoryA(b.c_str(), nullptr);
    CreateDirectoryA((a + "\\made by user").c_str(), nullptr);
    Touch(b + "\\deep.txt");
    CUninstConfig c;
    Fill(c, wintest::UniqueName("Nested"), {Entry(app, 1), Entry(a, 1), Entry(b, 1), Entry(b + "\\deep.txt", 0)});
    EXPECT_EQ(kRemovedFolderFree, RemoveInstallation(c, nullptr, app.c_str()));
    EXPECT_FALSE(FolderExists(app));
}

// Since the installation, a logged folder inside the install folder became
// a link to a folder elsewhere that holds files of the same names: nothing
// there is deleted, listed or removed, and the rest goes as usual.
TEST(RemoveInstallation, NothingIsDeletedThroughALinkBelowTheInstallFolder) {
    ScratchDir dir("ulink");
    std::string app = dir / "App", outside = dir / "ailleurs";
    CreateDirectoryA(app.c_str(), nullptr);
    CreateDirectoryA(outside.c_str(), nullptr);
    CreateDirectoryA((outside + "\\vide").c_str(), nullptr);
    CreateDirectoryA((outside + "\\sons").c_str(), nullptr);
    Touch(outside + "\\carte.dat");
    Touch(outside + "\\sons\\a.wav");
    Touch(app + "\\demo.exe");
    Touch(app + "\\uninst.exe");
    wintest::FolderLink link(app + "\\Donnees", outside);
    if (!link.made()) GTEST_SKIP() << "no folder links here";
    std::vector<LogEntry> log = {Entry(app, 1),
                                 Entry(app + "\\demo.exe", 0),
                                 Entry(app + "\\Donnees", 1),
                                 Entry(app + "\\Donnees\\carte.dat", 0),
                                 Entry(app + "\\Donnees\\sons\\a.wav", 0),
                                 Entry(app + "\\Donnees\\sons", 1),
                                 Entry(app + "\\Donnees\\vide", 1)};
    CUninstConfig c;
    Fill(c, wintest::UniqueName("Link"), log);
    ListDialog dialog;

    EXPECT_EQ(kRemovedFolderUsed, RemoveInstallation(c, dialog.window, app.c_str()));
    EXPECT_EQ(app + "\\demo.exe\r\n", dialog.List());
    EXPECT_FALSE(FileExists(app + "\\demo.exe"));
    EXPECT_TRUE(FileExists(outside + "\\carte.dat"));
    EXPECT_TRUE(FileExists(outside + "\\sons\\a.wav"));
    EXPECT_TRUE(FolderExists(outside + "\\vide"));
    // The link stays, and counts as content the uninstaller cannot look into.
    EXPECT_EQ(2, CountFiles(app.c_str(), 1));
}

TEST(RemoveInstallation, WithoutLogNothingIsTouched) {
    ExampleInstall inst("NoLog");
    const std::string& appName = inst.appName;
    CUninstConfig c;
    Fill(c, appName, inst.log);
    c.logMissing = 1;
    ListDialog dialog;
    EXPECT_EQ(kRemovedNothing, RemoveInstallation(c, dialog.window, inst.app.c_str()));
    EXPECT_EQ("", dialog.List());
    EXPECT_TRUE(FileExists(inst.app + "\\demo.exe"));
    EXPECT_TRUE(FileExists(inst.group + "\\Demo.lnk"));
    EXPECT_TRUE(wintest::UninstallKeyExists(appName));
}

TEST(RemoveInstallation, EmptyLogDeletesOnlyTheRegistration) {
    ExampleInstall inst("Empty");
    const std::string& appName = inst.appName;
    CUninstConfig c;
    Fill(c, appName, {});
    EXPECT_EQ(kRemovedFolderUsed, RemoveInstallation(c, nullptr, inst.app.c_str()));
    EXPECT_TRUE(FileExists(inst.app + "\\demo.exe"));
    EXPECT_TRUE(FolderExists(inst.group));
    EXPECT_FALSE(wintest::UninstallKeyExists(appName));
}

// The dialog procedure runs the removal while it initialises and ends the
// modal loop with its result; the dialog never shows.
TEST(RemovalDialog, EndsWithTheRemovalResult) {
    UninstResources res;
    ScratchDir dir("urem");
    std::string file = dir / "demo.exe";
    Touch(file);
    CUninstConfig c;
    Fill(c, wintest::UniqueName("Dialog"), {Entry(file, 0)});
    // The test program's own folder holds many files: result 1.
    EXPECT_EQ(kRemovedFolderUsed, RunRemovalDialog(res.module, &c));
    EXPECT_FALSE(FileExists(file));

    Touch(file);
    c.logMissing = 1;
    EXPECT_EQ(kRemovedNothing, RunRemovalDialog(res.module, &c));
    EXPECT_TRUE(FileExists(file));
}

TEST(RemovalDialog, MissingTemplateGivesMinusOneAndRemovesNothing) {
    ScratchDir dir("urem");
    std::string exe = dir / "uninst.exe";
    wintest::MakeUninstaller(exe, nullptr);
    // A copy stripped of all its resources.
    HANDLE update = BeginUpdateResourceA(exe.c_str(), TRUE);
    ASSERT_TRUE(update != nullptr);
    ASSERT_TRUE(EndUpdateResourceA(update, FALSE));
    wintest::DataModule stripped(exe);
    HMODULE module = stripped.get();
    ASSERT_TRUE(module != nullptr);
    ASSERT_EQ(nullptr, FindResourceA(module, MAKEINTRESOURCEA(IDD_REMOVAL), RT_DIALOG));

    std::string file = dir / "demo.exe";
    Touch(file);
    CUninstConfig c;
    Fill(c, wintest::UniqueName("NoDialog"), {Entry(file, 0)});
    EXPECT_EQ(-1, RunRemovalDialog(module, &c));
    EXPECT_TRUE(FileExists(file));
}

TEST(RemoveEmptyFolderTree, RemovesEmptySubTreesAndKeepsEveryFolderAboveAFile) {
    ScratchDir dir("utree");
    std::string root = dir / "root";
    for (const char* sub : {"", "\\a", "\\a\\b", "\\c", "\\d", "\\d\\e", "\\d\\f"}) {
        CreateDirectoryA((root + sub).c_str(), nullptr);
    }
    Touch(root + "\\d\\f\\keep.txt");
    EXPECT_EQ(0, RemoveEmptyFolderTree(root.c_str()));
    EXPECT_FALSE(FolderExists(root + "\\a"));
    EXPECT_FALSE(FolderExists(root + "\\c"));
    EXPECT_FALSE(FolderExists(root + "\\d\\e"));
    EXPECT_TRUE(FileExists(root + "\\d\\f\\keep.txt"));

    ASSERT_TRUE(DeleteFileA((root + "\\d\\f\\keep.txt").c_str()));
    EXPECT_EQ(1, RemoveEmptyFolderTree(root.c_str()));
    EXPECT_FALSE(FolderExists(root));
}

TEST(RemoveEmptyFolderTree, FileAtTheTopOrNoFolderGivesZero) {
    ScratchDir dir("utree");
    Touch(dir / "top.txt");
    EXPECT_EQ(0, RemoveEmptyFolderTree(dir.path().c_str()));
    EXPECT_TRUE(FileExists(dir / "top.txt"));
    EXPECT_EQ(0, RemoveEmptyFolderTree((dir / "top.txt").c_str()));
    EXPECT_EQ(0, RemoveEmptyFolderTree((dir / "missing").c_str()));
    EXPECT_EQ(0, RemoveEmptyFolderTree(nullptr));
}

TEST(CountFiles, CountsFilesNotFoldersWithAndWithoutRecursion) {
    ScratchDir dir("ucount");
    std::string root = dir / "root";
    CreateDirectoryA(root.c_str(), nullptr);
    CreateDirectoryA((root + "\\sub").c_str(), nullptr);
    CreateDirectoryA((root + "\\sub\\deeper").c_str(), nullptr);
    CreateDirectoryA((root + "\\empty").c_str(), nullptr);
    for (const char* f : {"\\1", "\\2", "\\sub\\3", "\\sub\\4", "\\sub\\deeper\\5"}) Touch(root + f);
    EXPECT_EQ(5, CountFiles(root.c_str(), 1));
    EXPECT_EQ(2, CountFiles(root.c_str(), 0));
    EXPECT_EQ(0, CountFiles((root + "\\empty").c_str(), 1));
    EXPECT_EQ(0, CountFiles((root + "\\1").c_str(), 1));
    EXPECT_EQ(0, CountFiles((root + "\\missing").c_str(), 1));
    EXPECT_EQ(0, CountFiles(nullptr, 1));
}

TEST(UnregisterUninstaller, DeletesOnlyItsOwnKey) {
    ScratchDir dir("unreg");
    std::string uninstaller = dir / "uninst.exe";
    Touch(uninstaller);
    std::string mine = wintest::UniqueName("Mine"), other = wintest::UniqueName("Other");
    wintest::KeyGuard g1(mine), g2(other);
    wintest::Register(mine, 0, HKEY_LOCAL_MACHINE, uninstaller);
    wintest::Register(other, 0, HKEY_LOCAL_MACHINE, uninstaller);
    CUninstConfig c;
    strcpy(c.appName, mine.c_str());
    EXPECT_EQ(1, UnregisterUninstaller(c, uninstaller.c_str()));
    EXPECT_FALSE(wintest::UninstallKeyExists(mine));
    EXPECT_TRUE(wintest::UninstallKeyExists(other));
    EXPECT_EQ(1, UnregisterUninstaller(c, uninstaller.c_str()));  // already gone: still 1

    char key[400];
    EXPECT_EQ(0, UninstallKeyName("", key, sizeof(key)));
}

// The key goes only when its UninstallString names this uninst.exe, however
// either is spelled; a key of a later installation elsewhere, or one without
// an UninstallString, stays.
TEST(UnregisterUninstaller, DeletesTheKeyOnlyWhenItNamesThisUninstaller) {
    ScratchDir dir("unreg");
    std::string folder = dir / "Mon Jeu", elsewhere = dir / "Autre";
    CreateDirectoryA(folder.c_str(), nullptr);
    CreateDirectoryA(elsewhere.c_str(), nullptr);
    std::string uninstaller = folder + "\\uninst.exe";
    Touch(uninstaller);
    Touch(elsewhere + "\\uninst.exe");
    char shortForm[MAX_PATH] = "";
    ASSERT_GT(GetShortPathNameA(uninstaller.c_str(), shortForm, sizeof(shortForm)), 0u);
    std::string lower = uninstaller;
    CharLowerBuffA(&lower[0], static_cast<DWORD>(lower.size()));
    const struct {
        std::string registered;  // "" writes no UninstallString
        bool gone;
    } cases[] = {
        {uninstaller, true},
        {shortForm, true},
        {lower, true},
        {dir / "Mon Jeu\\\\uninst.exe", true},
        {elsewhere + "\\uninst.exe", false},
        {folder + "\\uninst.exe.bak", false},
        {"", false},
    };
    for (const auto& k : cases) {
        std::string name = wintest::UniqueName("Names");
        wintest::KeyGuard guard(name);
        wintest::Register(name, 0, HKEY_LOCAL_MACHINE, k.registered);
        CUninstConfig c;
        strcpy(c.appName, name.c_str());
        EXPECT_EQ(k.gone ? 1 : 0, UnregisterUninstaller(c, uninstaller.c_str())) << k.registered;
        EXPECT_EQ(k.gone, !wintest::UninstallKeyExists(name)) << k.registered;
    }
    char program[MAX_PATH];
    EXPECT_EQ(1, UninstallProgramOf("\"C:\\Mon Jeu\\uninst.exe\" /S", program, sizeof(program)));
    EXPECT_STREQ("C:\\Mon Jeu\\uninst.exe", program);
    EXPECT_EQ(0, UninstallProgramOf("\"C:\\Mon Jeu\\uninst.exe", program, sizeof(program)));
    EXPECT_EQ(0, UninstallProgramOf("\"C:\\Mon Jeu\\uninst.exe\"", program, 8));
}

// setup writes the key in its own build's view (the 32-bit view for a 32-bit
// build on 64-bit Windows, the 64-bit view for a 64-bit build); the uninstaller
// of the same build must delete it there and nowhere else.
TEST(UnregisterUninstaller, WorksInTheViewSetupWritesTo) {
    if (sizeof(void*) == 4 && !wintest::RunsOn64BitWindowsAs32Bit()) GTEST_SKIP() << "one registry view only";
    std::string name = wintest::UniqueName("View");
    ScratchDir dir("unreg");
    std::string uninstaller = dir / "uninst.exe";
    Touch(uninstaller);
    wintest::KeyGuard mine(name, wintest::BuildView()), other(name, wintest::OtherView());
    wintest::Register(name, 0, HKEY_LOCAL_MACHINE, uninstaller);  // as setup does: default view
    wintest::Register(name, wintest::OtherView(), HKEY_LOCAL_MACHINE, uninstaller);
    ASSERT_TRUE(wintest::UninstallKeyExists(name, wintest::BuildView()));
    CUninstConfig c;
    strcpy(c.appName, name.c_str());
    UnregisterUninstaller(c, uninstaller.c_str());
    EXPECT_FALSE(wintest::UninstallKeyExists(name, wintest::BuildView()));
    EXPECT_TRUE(wintest::UninstallKeyExists(name, wintest::OtherView()));
}

// A per-user installation's uninstaller carries the scope "user" beside its
// log and deletes the key under HKEY_CURRENT_USER; one without the scope, the
// key under HKEY_LOCAL_MACHINE; one whose scope cannot be read, neither. The
// other root's key of the same name is never touched.
TEST(UnregisterUninstaller, DeletesTheKeyUnderTheRootOfItsScopeOnly) {
    const struct {
        const char* scope;  // RT_DATA "5003", none when null
        InstallScope read;
        bool machineKeyGone, userKeyGone;
    } cases[] = {
        {nullptr, kScopeMachine, true, false},
        {"user", kScopeUser, false, true},
        {"User", kScopeUnknown, false, false},
        {"user\n", kScopeUnknown, false, false},
    };
    for (const auto& c : cases) {
        const char* label = c.scope ? c.scope : "no scope";
        std::string name = wintest::UniqueName("Scope");
        wintest::KeyGuard machine(name), user(name, 0, HKEY_CURRENT_USER);
        ScratchDir dir("scope");
        std::string uninstaller = dir / "uninst.exe";
        wintest::Register(name, 0, HKEY_LOCAL_MACHINE, uninstaller);
        wintest::Register(name, 0, HKEY_CURRENT_USER, uninstaller);
        std::string log = wintest::LogBytes(name, name + " 1.0", {});
        ASSERT_NO_FATAL_FAILURE(wintest::MakeUninstaller(uninstaller, &log));
        std::string error;
        if (c.scope) {
            ASSERT_TRUE(UpdateProgramResource(uninstaller, "RT_DATA", "5003", c.scope, &error)) << error;
        }
        CUninstConfig config;
        {
            wintest::DataModule module(uninstaller);
            ASSERT_EQ(kLogLoaded, LoadInstallLogFrom(config, module.get())) << label;
        }
        EXPECT_EQ(c.read, config.scope) << label;
        UnregisterUninstaller(config, uninstaller.c_str());
        EXPECT_EQ(c.machineKeyGone, !wintest::UninstallKeyExists(name)) << label;
        EXPECT_EQ(c.userKeyGone, !wintest::UninstallKeyExists(name, 0, HKEY_CURRENT_USER)) << label;
    }
}

}  // namespace
