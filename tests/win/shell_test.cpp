// The setup shell in process: loading packaged configurations, folder creation
// with its created-or-not result, and appending to edit controls.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include "folder_ops.h"
#include "install_checks.h"
#include "record_checks.h"
#include "setup_config.h"
#include "test_env.h"

namespace {

using testenv::ScratchDir;

// Loads the configuration of a packaged copy of setup.exe, as the copy would.
struct LoadedConfig {
    explicit LoadedConfig(const std::string& exe) : module(exe) {
        EXPECT_TRUE(module.get() != nullptr) << exe;
        found = config.LoadFrom(module.get(), exe.c_str());
    }
    wintest::DataModule module;
    CSetupConfig config;
    int found = 0;
};

PackageContents TwoFiles(const char* token, const char* sub) {
    PackageContents p;
    strcpy(p.record.appName, "Demo");
    strcpy(p.record.appVerName, "Demo 3.0");
    strcpy(p.record.folderToken, token);
    strcpy(p.record.subFolder, sub);
    strcpy(p.record.groupName, "Demo Group");
    p.record.noIcons = 0;
    p.record.runOffered = 1;
    p.record.uninstallIconOffered = 1;
    p.AddFile("demo.exe", "", "MZ-demo");
    p.AddFile("data.bin", "data", "0123456789");
    return p;
}

TEST(LoadConfig, TwoFilesWithProgramFilesTokenAndSubFolder) {
    ScratchDir dir("load");
    std::string exe = dir / "setup.exe";
    PackageContents p = TwoFiles("{pf}", "Demo Sub");
    ASSERT_EQ(2644u, p.EncodedRecord().size());
    testenv::MakePackage(exe, p);
    LoadedConfig loaded(exe);
    CSetupConfig& c = loaded.config;
    ASSERT_EQ(1, loaded.found);
    char pf[MAX_PATH];
    ASSERT_EQ(S_OK, SHGetFolderPathA(nullptr, CSIDL_PROGRAM_FILES, nullptr, SHGFP_TYPE_CURRENT, pf));
    EXPECT_EQ(std::string(pf) + "\\Demo Sub", c.installDir);
    // A 32-bit setup on 64-bit Windows installs with the other 32-bit programs.
    const char* expected =
        wintest::RunsOn64BitWindowsAs32Bit() ? ":\\Program Files (x86)\\Demo Sub" : ":\\Program Files\\Demo Sub";
    EXPECT_STREQ(expected, c.installDir + 1);
    EXPECT_EQ(dir.path(), c.sourceDir);
    testrec::ExpectSameRecord(p.record, c);
    ASSERT_EQ(2, c.files.Count());
    EXPECT_STREQ("demo.exe", c.files.First()->payload.name);
    EXPECT_STREQ("data", c.files.Next(c.files.First())->payload.subFolder);
    EXPECT_EQ(10, c.files.Next(c.files.First())->payload.size);
    // The user's choices never come from the record.
    EXPECT_EQ(1, c.desktopIcon);
    EXPECT_EQ(0, c.startMenuIcon);
    EXPECT_EQ(1, c.programsMenuIcon);
    EXPECT_EQ(1, c.uninstallIcon);
    EXPECT_EQ(1, c.runAfterInstall);
}

TEST(LoadConfig, FolderTokens) {
    ScratchDir dir("tokens");
    struct Case {
        const char* token;
        const char* sub;
        std::string expected;
    };
    char windows[MAX_PATH], system[MAX_PATH];
    GetWindowsDirectoryA(windows, sizeof(windows));
    GetSystemDirectoryA(system, sizeof(system));
    const Case cases[] = {
        {"{app}", "", dir.path()},
        {"{app}", "Sub", dir.path() + "\\Sub"},
        {"{win}", "", windows},
        {"{sys}", "x", std::string(system) + "\\x"},
        {"D:\\Apps", "Tool", "D:\\Apps\\Tool"},
        {"{PF}", "", "{PF}"},   // tokens are case-sensitive: taken literally
        {"{App}", "", "{App}"},
    };
    int i = 0;
    for (const Case& c : cases) {
        std::string exe = dir / ("setup" + std::to_string(i++) + ".exe");
        testenv::MakePackage(exe, TwoFiles(c.token, c.sub));
        LoadedConfig loaded(exe);
        EXPECT_EQ(c.expected, loaded.config.installDir) << c.token;
    }
}

TEST(LoadConfig, NoRecordKeepsTheDefaults) {
    ScratchDir dir("norecord");
    std::string exe = dir / "setup.exe";
    PackageContents p;
    p.writeRecord = false;
    testenv::MakePackage(exe, p);
    LoadedConfig loaded(exe);
    const CSetupConfig& c = loaded.config;
    EXPECT_EQ(0, loaded.found);
    EXPECT_STREQ("Mon_Application", c.appName);
    EXPECT_STREQ("Mon_Application 1.0", c.appVerName);
    EXPECT_EQ(dir.path(), c.installDir);
    EXPECT_EQ(1, c.noIcons);
    EXPECT_EQ(0, c.licenseFormat);
    EXPECT_EQ(0, c.files.Count());
}

TEST(LoadConfig, EmptyListAndDamagedRecords) {
    ScratchDir dir("damaged");
    // N = 0: 1596 bytes and no files.
    PackageContents empty = TwoFiles("{app}", "");
    empty.files.clear();
    empty.payload.clear();
    ASSERT_EQ(1596u, empty.EncodedRecord().size());
    testenv::MakePackage(dir / "empty.exe", empty);
    {
        LoadedConfig loaded(dir / "empty.exe");
        EXPECT_EQ(0, loaded.config.files.Count());
        EXPECT_EQ(0, loaded.config.noIcons);
    }
    // A record cut inside its second file entry keeps one file and the default flags.
    PackageContents cut = TwoFiles("{app}", "");
    cut.rawRecord = cut.EncodedRecord().substr(0, 1044 + 524 + 10);
    testenv::MakePackage(dir / "cut.exe", cut);
    {
        LoadedConfig loaded(dir / "cut.exe");
        EXPECT_STREQ("Demo", loaded.config.appName);
        EXPECT_EQ(1, loaded.config.files.Count());
        EXPECT_EQ(1, loaded.config.noIcons);
        EXPECT_STREQ("Mon_Application", loaded.config.groupName);
    }
    // Names without terminator are cut at 259 characters, not read into the next field.
    PackageContents raw = TwoFiles("{app}", "");
    std::string bytes = raw.EncodedRecord();
    bytes.replace(0, 260, std::string(260, 'N'));
    raw.rawRecord = bytes;
    testenv::MakePackage(dir / "raw.exe", raw);
    {
        LoadedConfig loaded(dir / "raw.exe");
        EXPECT_EQ(std::string(259, 'N'), loaded.config.appName);
        EXPECT_STREQ("Demo 3.0", loaded.config.appVerName);
    }
}

TEST(CreateFolderPath, CreatesMissingChainAndReportsOnlyTheTarget) {
    ScratchDir dir("folders");
    std::string apps = dir / "Apps";
    ASSERT_TRUE(CreateDirectoryA(apps.c_str(), nullptr));
    std::string bin = apps + "\\Tools\\Bin";
    EXPECT_EQ(1, CreateFolderPath(bin.c_str(), 0));
    EXPECT_TRUE(testenv::FolderExists(apps + "\\Tools"));
    EXPECT_TRUE(testenv::FolderExists(bin));
    // Existing folder, with or without a trailing backslash: nothing to create.
    EXPECT_EQ(0, CreateFolderPath(bin.c_str(), 0));
    EXPECT_EQ(0, CreateFolderPath((bin + "\\").c_str(), 0));
    EXPECT_EQ(0, CreateFolderPath(nullptr, 0));
    // The folder of a file.
    EXPECT_EQ(1, CreateFolderPath((apps + "\\Doc\\readme.txt").c_str(), 1));
    EXPECT_TRUE(testenv::FolderExists(apps + "\\Doc"));
    EXPECT_FALSE(testenv::FolderExists(apps + "\\Doc\\readme.txt"));
}

TEST(CreateFolderPath, UnresolvableChainCreatesNothing) {
    // A relative chain runs out at a one-character parent; a missing drive has no root.
    EXPECT_EQ(0, CreateFolderPath("a\\b\\c", 0));
    EXPECT_EQ(0, CreateFolderPath("Q:\\nowhere\\deeper", 0));
    EXPECT_EQ(0, CreateFolderPath("x", 0));
    EXPECT_FALSE(testenv::FolderExists("a"));
}

TEST(CreateFolderPath, AFileInTheWayIsNotReportedAsCreated) {
    ScratchDir dir("fileinway");
    ASSERT_TRUE(testenv::WriteFileBytes(dir / "busy", "x"));
    EXPECT_EQ(0, CreateFolderPath((dir / "busy").c_str(), 0));
    EXPECT_EQ(0, CreateFolderPath((dir / "busy\\below").c_str(), 0));
}

// Every level made is reported, outermost first, and none that was there; a
// file in the way, a missing drive or a relative path make nothing.
TEST(MakeFolderLevels, ReportsEachLevelItMade) {
    ScratchDir dir("levels");
    std::vector<std::string> made;
    auto record = [](void* list, const char* folder) {
        static_cast<std::vector<std::string>*>(list)->push_back(folder);
    };
    std::string deep = dir / "Editeur\\Jeu\\Demo";
    EXPECT_EQ(1, MakeFolderLevels((deep + "\\").c_str(), record, &made));
    EXPECT_EQ((std::vector<std::string>{dir / "Editeur", dir / "Editeur\\Jeu", deep}), made);
    made.clear();
    EXPECT_EQ(1, MakeFolderLevels(deep.c_str(), record, &made));
    EXPECT_EQ(1, MakeFolderLevels((dir / "Editeur\\Autre").c_str(), record, &made));
    EXPECT_EQ((std::vector<std::string>{dir / "Editeur\\Autre"}), made);
    made.clear();
    ASSERT_TRUE(testenv::WriteFileBytes(dir / "busy", "x"));
    EXPECT_EQ(0, MakeFolderLevels((dir / "busy\\below").c_str(), record, &made));
    EXPECT_EQ(0, MakeFolderLevels("Q:\\nowhere\\deeper", record, &made));
    EXPECT_EQ(0, MakeFolderLevels("a\\b", record, &made));
    EXPECT_TRUE(made.empty());
    EXPECT_EQ(1, MakeFolderLevels(dir.path().substr(0, 3).c_str(), nullptr, nullptr));  // a drive root is there
}

TEST(AppendEditText, ConcatenatesInCallOrder) {
    HWND edit = CreateWindowExA(0, "edit", "", WS_POPUP | ES_MULTILINE, 0, 0, 100, 100, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    ASSERT_TRUE(edit != nullptr);
    AppendEditText(edit, "Dossier:\r\n");
    char text[64];
    GetWindowTextA(edit, text, sizeof(text));
    EXPECT_STREQ("Dossier:\r\n", text);
    SendMessageA(edit, EM_SETSEL, 0, 0);  // the caret elsewhere does not matter
    AppendEditText(edit, "   C:\\x\r\n");
    AppendEditText(edit, "");
    GetWindowTextA(edit, text, sizeof(text));
    EXPECT_STREQ("Dossier:\r\n   C:\\x\r\n", text);
    DestroyWindow(edit);
}

}  // namespace
