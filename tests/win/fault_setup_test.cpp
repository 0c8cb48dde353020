// Faults injected into real installations: setup.exe clicked through with the
// GUI driver while the disk, the files or the registry refuse what it does.
// For each case: the message the user sees, and what is on disk afterwards.
//
// The drives J: (a 2 MB disk), K: (read-only) and L: (K: writable) are made by
// tools/wine/fault_drives.sh, which tools/wine/with_wine.sh runs; without them the cases
// that need them skip.
#include <windows.h>
#include <stdio.h>

#include <gtest/gtest.h>

#include "install_checks.h"
#include "wizard_session.h"

namespace {

using namespace testenv;
using namespace wintest;

// Clicks through to "Installer" and waits for the quit question that follows
// the failed extraction (null, with the failure given, when it never comes).
HWND InstallUntilQuitQuestion(WizardSession& run, const PackageContents& p, const std::string& app) {
    run.StartInstalling(p);
    if (::testing::Test::HasFatalFailure()) return nullptr;
    return WaitQuitQuestion(run, app);
}

// Yes to the quit question: the wizard ends with exit code 0.
void QuitWizard(WizardSession& run, HWND box) {
    ASSERT_TRUE(gui::AnswerMessageBox(box, IDYES));
    DWORD code = 1;
    ASSERT_TRUE(run.program.WaitExit(10000, &code));
    EXPECT_EQ(0u, code);
}

// What a failed installation must not leave: an uninstaller, a registration, a log file.
void ExpectNothingRegistered(const WizardSession& run, const std::string& app, const std::string& installDir) {
    EXPECT_FALSE(FileExists(installDir + "\\uninst.exe"));
    EXPECT_FALSE(UninstallKeyExists(app));
    EXPECT_FALSE(FileExists(run.dir / "Temp_002.log"));
}

// Starts a setup program lying elsewhere than the session's own folder, and
// clicks "Installer" after the default answers of every page; run drives it.
void StartAndInstall(gui::Program& program, WizardSession& run, const std::string& setupExe, const std::string& app) {
    ASSERT_TRUE(program.Start(setupExe));
    HWND dialog = program.WaitWindow(Caption(app));
    ASSERT_TRUE(dialog != nullptr);
    ASSERT_NO_FATAL_FAILURE(run.Attach(dialog));
    ASSERT_TRUE(run.ToReadyPage());
    run.Install();
}

bool DriveThere(const char* root) { return GetDriveTypeA(root) > DRIVE_NO_ROOT_DIR; }

// J: is the small disk only when it is small: never fill a real one.
bool SmallDisk(ULONGLONG* freeBytes) {
    ULARGE_INTEGER avail, total, free;
    if (!DriveThere("J:\\") || !GetDiskFreeSpaceExA("J:\\", &avail, &total, &free)) return false;
    *freeBytes = avail.QuadPart;
    return total.QuadPart <= 4 * 1024 * 1024;
}

std::string Pattern(size_t size, char seed) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(seed + i % 251);
    return bytes;
}

// A read-only file in the way: it is not replaced, the extraction stops before
// it, and the files already written are taken back. Windows
// refuses to replace a file with the read-only attribute; Wine run as root
// does not, so there the file lies on a read-only drive instead.
TEST(FaultSetup, ReadOnlyTargetFileStopsTheInstallation) {
    std::string app = UniqueName("ReadOnly");
    SystemCleanup cleanup(app, app);
    ScratchDir target("target");
    std::string probe = target / "probe.txt";
    ASSERT_TRUE(testenv::WriteFileBytes(probe, "x"));
    ASSERT_TRUE(SetFileAttributesA(probe.c_str(), FILE_ATTRIBUTE_READONLY));
    HANDLE replaced = CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                  nullptr);
    bool attributeHolds = replaced == INVALID_HANDLE_VALUE;
    if (!attributeHolds) CloseHandle(replaced);
    SetFileAttributesA(probe.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(probe.c_str());

    std::string folder = target.path();
    std::string writable;  // the folder as written to, when it is on the read-only drive
    if (!attributeHolds) {
        if (!DriveThere("K:\\") || !DriveThere("L:\\")) {
            GTEST_SKIP() << "read-only files are replaced here, and there is no read-only drive K:";
        }
        printf("read-only attribute not enforced here: the file lies on the read-only drive K:\n");
        writable = "L:\\" + app;
        folder = "K:\\" + app;
        ASSERT_TRUE(CreateDirectoryA(writable.c_str(), nullptr));
    }
    std::string kept = (writable.empty() ? folder : writable) + "\\data.bin";
    ASSERT_TRUE(testenv::WriteFileBytes(kept, "the user's own bytes"));
    ASSERT_TRUE(SetFileAttributesA(kept.c_str(), FILE_ATTRIBUTE_READONLY));
    PackageContents p = PlainPackage(app, folder);
    if (attributeHolds) p.AddFile("demo.exe", "", "MZ-program");
    p.AddFile("data.bin", "", "new data");
    p.AddFile("last.txt", "", "last");

    WizardSession run;
    HWND box = InstallUntilQuitQuestion(run, p, app);
    ASSERT_TRUE(box != nullptr);
    EXPECT_FALSE(FileExists(folder + "\\demo.exe"));  // taken back
    EXPECT_EQ("the user's own bytes", ReadFileBytes(kept));
    EXPECT_FALSE(FileExists(folder + "\\last.txt"));
    ExpectNothingRegistered(run, app, folder);
    QuitWizard(run, box);
    SetFileAttributesA(kept.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!writable.empty()) testenv::RemoveTree(writable);
}

// A file held open without sharing by another program: the user is told which
// one; Cancel takes back what the attempt wrote, then the quit question; No goes
// back to the ready page, and once the file is free "Installer" runs the whole
// extraction again and succeeds. The log holds that attempt only.
TEST(FaultSetup, LockedTargetFileThenInstallAgain) {
    std::string app = UniqueName("Locked");
    SystemCleanup cleanup(app, app);
    ScratchDir target("target");
    std::string locked = target / "data.bin";
    ASSERT_TRUE(testenv::WriteFileBytes(locked, "held"));
    HANDLE holder = CreateFileA(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, holder);
    PackageContents p = PlainPackage(app, target.path());
    p.AddFile("demo.exe", "", "MZ-program");
    p.AddFile("data.bin", "", "new data");
    p.AddFile("last.txt", "", "last");

    WizardSession run;
    run.StartInstalling(p);
    HWND box = ExpectMessageBox(run.program, Caption(app), FileInUseText(locked), {IDRETRY, IDCANCEL}, 30000);
    ASSERT_TRUE(box != nullptr);
    ASSERT_TRUE(gui::AnswerMessageBox(box, IDCANCEL));
    box = WaitQuitQuestion(run, app);
    ASSERT_TRUE(box != nullptr);
    // Read through the test's own handle: nobody else may open the file now.
    char held[16] = "";
    DWORD got = 0;
    SetFilePointer(holder, 0, nullptr, FILE_BEGIN);
    EXPECT_TRUE(ReadFile(holder, held, sizeof(held) - 1, &got, nullptr));
    EXPECT_EQ("held", std::string(held, got));
    EXPECT_FALSE(FileExists(target / "demo.exe"));  // taken back
    EXPECT_FALSE(FileExists(target / "last.txt"));
    ExpectNothingRegistered(run, app, target.path());

    ASSERT_TRUE(gui::AnswerMessageBox(box, IDNO));
    ASSERT_TRUE(gui::WaitFor([&] { return run.Control(IDC_SUMMARY) != nullptr; })) << "not back on the ready page";
    EXPECT_EQ("Installer", gui::Text(run.Button(IDC_NEXT)));
    CloseHandle(holder);
    run.Install();
    ASSERT_TRUE(run.WaitFinishPage());
    EXPECT_EQ("new data", ReadFileBytes(locked));
    EXPECT_EQ("last", ReadFileBytes(target / "last.txt"));
    EmbeddedLog log(target / "uninst.exe");
    ASSERT_EQ(kLogComplete, log.status);
    std::vector<LogLine> expected = {
        {target / "demo.exe", 0},
        {target / "data.bin", 0},
        {target / "last.txt", 0},
    };
    EXPECT_EQ(expected, log.entries);
    EXPECT_EQ((std::vector<std::string>{"data.bin", "demo.exe", "last.txt", "uninst.exe"}),
              FilesBelow(target.path()));
    run.Close();
}

// A file where the package wants a sub-folder: the folder cannot be made, the
// file stays as it was, and what was written before is taken back.
TEST(FaultSetup, SubFolderThatIsAFile) {
    std::string app = UniqueName("SubFile");
    SystemCleanup cleanup(app, app);
    ScratchDir target("target");
    ASSERT_TRUE(testenv::WriteFileBytes(target / "docs", "a file named docs"));
    PackageContents p = PlainPackage(app, target.path());
    p.AddFile("demo.exe", "", "MZ-program");
    p.AddFile("guide.txt", "docs", "guide");

    WizardSession run;
    HWND box = InstallUntilQuitQuestion(run, p, app);
    ASSERT_TRUE(box != nullptr);
    EXPECT_FALSE(FileExists(target / "demo.exe"));  // taken back
    EXPECT_EQ("a file named docs", ReadFileBytes(target / "docs"));
    ExpectNothingRegistered(run, app, target.path());
    QuitWizard(run, box);
}

// An install folder that cannot be made: below a file, on a drive that does not
// exist, on a read-only drive. Nothing is created anywhere.
TEST(FaultSetup, InstallFolderThatCannotBeCreated) {
    ScratchDir scratch("target");
    ASSERT_TRUE(testenv::WriteFileBytes(scratch / "plain.txt", "x"));
    char freeDrive[] = "?:";
    DWORD used = GetLogicalDrives();
    for (int i = 25; i >= 3; --i) {
        if (!(used & (1u << i))) {
            freeDrive[0] = static_cast<char>('A' + i);
            break;
        }
    }
    std::vector<std::string> folders = {scratch / "plain.txt\\Demo"};
    if (freeDrive[0] != '?') folders.push_back(std::string(freeDrive) + "\\Demo\\App");
    if (DriveThere("K:\\")) folders.push_back("K:\\Demo");
    for (const std::string& folder : folders) {
        SCOPED_TRACE(folder);
        std::string app = UniqueName("NoFolder");
        SystemCleanup cleanup(app, app);
        PackageContents p = PlainPackage(app, folder);
        p.AddFile("demo.exe", "", "MZ-program");
        WizardSession run;
        HWND box = InstallUntilQuitQuestion(run, p, app);
        ASSERT_TRUE(box != nullptr);
        EXPECT_FALSE(FolderExists(folder));
        ExpectNothingRegistered(run, app, folder);
        QuitWizard(run, box);
    }
    if (!DriveThere("K:\\")) printf("no read-only drive K: (tools/wine/fault_drives.sh): that case was not run\n");
}

// The disk fills up in the middle of a file: the short write is a failure, not
// a success; what the attempt wrote, the folder it made included, is taken
// back, and no uninstaller or registration is made for a cut installation.
TEST(FaultSetup, DiskFullDuringExtraction) {
    ULONGLONG freeBytes = 0;
    if (!SmallDisk(&freeBytes)) GTEST_SKIP() << "no small disk J: (tools/wine/fault_drives.sh needs root)";
    std::string app = UniqueName("DiskFull");
    SystemCleanup cleanup(app, app);
    std::string folder = "J:\\DiskFull";
    testenv::RemoveTree(folder);
    PackageContents p = PlainPackage(app, folder);
    std::string first = Pattern(100 * 1024, 'a');
    p.AddFile("first.dat", "", first);
    p.AddFile("big.bin", "", Pattern(static_cast<size_t>(freeBytes) + 512 * 1024, 'b'));
    p.AddFile("after.txt", "", "after");

    WizardSession run;
    HWND box = InstallUntilQuitQuestion(run, p, app);
    ASSERT_TRUE(box != nullptr);
    EXPECT_FALSE(FolderExists(folder));
    ExpectNothingRegistered(run, app, folder);
    QuitWizard(run, box);
    EXPECT_TRUE(testenv::RemoveTree(folder));
}

// The payload fits but uninst.exe does not: the installation is reported as
// failed and taken back, and nothing is registered, nor an uninstall shortcut
// left, that points at a missing uninstaller.
TEST(FaultSetup, DiskFullWritingTheUninstaller) {
    ULONGLONG freeBytes = 0;
    if (!SmallDisk(&freeBytes)) GTEST_SKIP() << "no small disk J: (tools/wine/fault_drives.sh needs root)";
    std::string app = UniqueName("UninstFull");
    SystemCleanup cleanup(app, app);
    std::string folder = "J:\\UninstFull";
    testenv::RemoveTree(folder);
    size_t uninstSize = ReadFileBytes(testenv::Program("uninst.exe")).size();
    ASSERT_GT(uninstSize, 16384u);
    // Leaves about half of uninst.exe's size free, in whole 4 KB blocks.
    size_t fill = static_cast<size_t>(freeBytes) - (uninstSize / 2 / 4096) * 4096;
    PackageContents p = Package(app, folder);  // the uninstall shortcut is asked for
    p.AddFile("fill.bin", "", Pattern(fill, 'f'));

    WizardSession run;
    HWND box = InstallUntilQuitQuestion(run, p, app);
    ASSERT_TRUE(box != nullptr);
    EXPECT_FALSE(FolderExists(folder));
    ExpectNothingRegistered(run, app, folder);
    EXPECT_FALSE(FileExists(ProgramsGroup(app) + "\\Désinstallation.lnk"));
    QuitWizard(run, box);
    EXPECT_TRUE(testenv::RemoveTree(folder));
}

// setup.exe started from a read-only folder: the log cannot be written beside
// it. The user is told ("Erreur"); the installation completes, is registered,
// and its uninst.exe carries the whole log all the same: what setup embeds is
// what it composed, never a file read back.
TEST(FaultSetup, SetupStartedFromReadOnlyFolder) {
    if (!DriveThere("K:\\") || !DriveThere("L:\\")) GTEST_SKIP() << "no read-only drive K: (tools/wine/fault_drives.sh)";
    std::string app = UniqueName("RoSource");
    SystemCleanup cleanup(app, app);
    ScratchDir target("target");
    std::string installDir = target / "App";
    std::string writable = "L:\\" + app;
    std::string readOnly = "K:\\" + app;
    ASSERT_TRUE(CreateDirectoryA(writable.c_str(), nullptr));
    PackageContents p = PlainPackage(app, installDir);
    p.AddFile("demo.exe", "", "MZ-program");
    testenv::MakePackage(writable + "\\setup.exe", p);
    // The drive really refuses writes.
    EXPECT_FALSE(testenv::WriteFileBytes(readOnly + "\\probe.txt", "x"));

    gui::Program program;
    WizardSession run;
    ASSERT_NO_FATAL_FAILURE(StartAndInstall(program, run, readOnly + "\\setup.exe", app));

    HWND box = ExpectMessageBox(program, "Erreur", "On ne peut pas créer un fichier log.", {IDOK}, 30000);
    ASSERT_TRUE(box != nullptr);
    ASSERT_TRUE(gui::AnswerMessageBox(box, IDOK));
    ASSERT_TRUE(run.WaitFinishPage());

    EXPECT_EQ("MZ-program", ReadFileBytes(installDir + "\\demo.exe"));
    EmbeddedLog log(installDir + "\\uninst.exe");
    EXPECT_EQ(kLogComplete, log.status);
    EXPECT_EQ((std::vector<LogLine>{{installDir, 1}, {installDir + "\\demo.exe", 0}}), log.entries);
    EXPECT_TRUE(UninstallKeyExists(app));
    EXPECT_FALSE(FileExists(readOnly + "\\Temp_002.log"));
    gui::Command(run.dialog, IDC_NEXT);
    EXPECT_TRUE(program.WaitExit());
    testenv::RemoveTree(writable);
}

// setup.exe started from a disk that fills up while the install log is
// written beside it: the cut copy is deleted, and the installation completes
// with the whole log in uninst.exe, without a word (nothing went wrong that
// the user must know of).
TEST(FaultSetup, InstallLogBesideSetupCutByAFullDisk) {
    ULONGLONG freeBytes = 0;
    if (!SmallDisk(&freeBytes)) GTEST_SKIP() << "no small disk J: (tools/wine/fault_drives.sh needs root)";
    std::string app = UniqueName("LogFull");
    SystemCleanup cleanup(app, app);
    ScratchDir target("target");
    std::string installDir = target / "App";
    std::string source = "J:\\" + app;
    testenv::RemoveTree(source);
    ASSERT_TRUE(CreateDirectoryA(source.c_str(), nullptr));
    PackageContents p = Package(app, installDir);
    for (int i = 0; i < 16; ++i) p.AddFile("f" + std::to_string(i) + ".txt", "", "data");
    testenv::MakePackage(source + "\\setup.exe", p);
    // One 4 KB block stays free: the log (install folder, 16 files, 3 shortcuts
    // and their group folder: 784 + 264 * 21 bytes) is cut inside an entry.
    ASSERT_TRUE(SmallDisk(&freeBytes));
    ASSERT_GT(freeBytes, 4096u);
    ASSERT_TRUE(testenv::WriteFileBytes(source + "\\fill.bin", std::string(freeBytes - 4096, 'z')));
    ASSERT_TRUE(SmallDisk(&freeBytes));
    ASSERT_LT(freeBytes, 784u + 264u * 21u);

    gui::Program program;
    WizardSession run;
    ASSERT_NO_FATAL_FAILURE(StartAndInstall(program, run, source + "\\setup.exe", app));
    bool ended = false;
    HWND box = WaitFinishPageOrBox(program, run, &ended);
    ASSERT_TRUE(ended);
    EXPECT_FALSE(box != nullptr);
    ASSERT_TRUE(run.OnFinishPage());

    EmbeddedLog log(installDir + "\\uninst.exe");
    EXPECT_EQ(kLogComplete, log.status);
    EXPECT_EQ(21u, log.entries.size());
    EXPECT_TRUE(FileExists(ProgramsGroup(app) + "\\Désinstallation.lnk"));
    EXPECT_TRUE(UninstallKeyExists(app));
    EXPECT_FALSE(FileExists(source + "\\Temp_002.log"));
    gui::Command(run.dialog, IDC_NEXT);
    EXPECT_TRUE(program.WaitExit());
    EXPECT_TRUE(testenv::RemoveTree(source));
}

// uninst.exe cannot be created: a folder of that name is in its place. Without
// an uninstaller the installation could never be removed, so it is a failed
// installation: what it wrote is taken back, the quit question comes, nothing
// is registered, no shortcut stays.
TEST(FaultSetup, FolderInThePlaceOfTheUninstaller) {
    std::string app = UniqueName("UninstDir");
    SystemCleanup cleanup(app, app);
    ScratchDir target("target");
    std::string installDir = target / "App";
    ASSERT_TRUE(CreateDirectoryA(installDir.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((installDir + "\\uninst.exe").c_str(), nullptr));
    PackageContents p = Package(app, installDir);
    p.AddFile("demo.exe", "", "MZ-program");

    WizardSession run;
    HWND box = InstallUntilQuitQuestion(run, p, app);
    ASSERT_TRUE(box != nullptr);
    EXPECT_FALSE(FileExists(installDir + "\\demo.exe"));
    EXPECT_FALSE(FileExists(DesktopLink(app)));
    EXPECT_TRUE(FolderExists(installDir + "\\uninst.exe"));
    EXPECT_FALSE(UninstallKeyExists(app));
    EXPECT_FALSE(FileExists(ProgramsGroup(app) + "\\Désinstallation.lnk"));
    EXPECT_FALSE(FileExists(run.dir / "Temp_002.log"));
    QuitWizard(run, box);
}

// uninst.exe is written but its log cannot be embedded (here the image setup
// carries is no program file, so the resource update refuses it; a file
// locked by another program fails the same way). An uninstaller without its
// log would remove nothing: everything the attempt made is taken back, the
// install folder it created included, nothing is registered, and the quit
// question comes.
TEST(FaultSetup, UninstallerThatTakesNoLog) {
    std::string app = UniqueName("NoEmbed");
    SystemCleanup cleanup(app, app);
    ScratchDir target("target");
    std::string installDir = target / "App";
    PackageContents p = Package(app, installDir);
    p.AddFile("demo.exe", "", "MZ-program");
    WizardSession run;
    std::string setupExe = run.dir / "setup.exe";
    testenv::MakePackage(setupExe, p);
    std::string notAProgram(40000, 'u');
    HANDLE update = BeginUpdateResourceA(setupExe.c_str(), FALSE);
    ASSERT_TRUE(update != nullptr);
    ASSERT_TRUE(UpdateResourceA(update, "RT_EXECUTABLE", MAKEINTRESOURCEA(210),
                                MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), &notAProgram[0],
                                static_cast<DWORD>(notAProgram.size())));
    ASSERT_TRUE(EndUpdateResourceA(update, FALSE));

    gui::Program program;
    ASSERT_NO_FATAL_FAILURE(StartAndInstall(program, run, setupExe, app));
    HWND box = ExpectMessageBox(program, Caption(app), kQuitText, {IDYES, IDNO}, 30000);
    ASSERT_TRUE(box != nullptr) << "no quit question";
    EXPECT_FALSE(FolderExists(installDir));
    EXPECT_FALSE(FileExists(ProgramsGroup(app) + "\\Désinstallation.lnk"));
    EXPECT_FALSE(UninstallKeyExists(app));
    EXPECT_FALSE(FileExists(run.dir / "Temp_002.log"));
    ASSERT_TRUE(gui::AnswerMessageBox(box, IDYES));
    EXPECT_TRUE(program.WaitExit(10000));
}

// The uninstall key cannot be created. Wine does not enforce registry rights,
// so the refusal comes from the registry itself: a key below a volatile key
// must be volatile, and setup asks for a lasting one. No message; the
// installation counts as a success, without registration.
TEST(FaultSetup, UninstallKeyRefused) {
    std::string parent = UniqueName("Volatile");
    HKEY volatileKey = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, (kUninstallRoot + parent).c_str(), 0, nullptr,
                                             REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &volatileKey, nullptr));
    RegCloseKey(volatileKey);
    std::string app = parent + "\\App";
    HKEY probe = nullptr;
    LONG refused = RegCreateKeyExA(HKEY_LOCAL_MACHINE, (kUninstallRoot + app).c_str(), 0, nullptr,
                                   REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &probe, nullptr);
    if (refused == ERROR_SUCCESS) {
        RegCloseKey(probe);
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, (kUninstallRoot + app).c_str());
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, (kUninstallRoot + parent).c_str());
        GTEST_SKIP() << "this registry does not refuse a lasting key below a volatile one";
    }
    ScratchDir target("target");
    std::string installDir = target / "App";
    PackageContents p = PlainPackage(app, installDir);
    p.AddFile("demo.exe", "", "MZ-program");

    WizardSession run;
    ASSERT_NO_FATAL_FAILURE(run.StartInstalling(p));
    bool ended = false;
    HWND box = WaitFinishPageOrBox(run.program, run, &ended);
    ASSERT_TRUE(ended);
    EXPECT_FALSE(box != nullptr);
    EXPECT_TRUE(run.OnFinishPage());
    EXPECT_FALSE(UninstallKeyExists(app));
    EmbeddedLog log(installDir + "\\uninst.exe");
    EXPECT_EQ(kLogComplete, log.status);
    EXPECT_EQ((std::vector<LogLine>{{installDir, 1}, {installDir + "\\demo.exe", 0}}), log.entries);
    run.Close();
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, (kUninstallRoot + parent).c_str());
}

}  // namespace
