// A package whose files two patterns found (the patterns check runs before
// this test and leaves it, with the list of what it must install): the wizard
// installs exactly that tree, byte for byte, accented names and the file a
// link named included, the excluded files not; the uninstaller removes it.
#include <windows.h>

#include <gtest/gtest.h>

#include <stdlib.h>

#include <algorithm>
#include <string>
#include <vector>

#include "install_checks.h"
#include "wizard_session.h"

namespace {

using testenv::FileExists;
using testenv::FolderExists;

const char kApp[] = "PatternAtlas";
const char kTopFolder[] = "C:\\ct_patterns";
const char kInstallDir[] = "C:\\ct_patterns\\Atlas";

std::string Work() {
    const char* work = getenv("PATTERNS_WORK");
    return work ? work : "";
}

TEST(PackPatterns, InstallsExactlyTheTreeFoundAndUninstallsIt) {
    const std::string package = Work() + "\\patterns.exe";
    ASSERT_TRUE(FileExists(package)) << package << ": the patterns check leaves it; run through ctest";
    // manifest.txt: "target|source" a line, in code page 1252.
    std::vector<std::pair<std::string, std::string>> expected;
    std::string manifest = testenv::ReadFileBytes(Work() + "\\manifest.txt");
    for (size_t start = 0, end; (end = manifest.find("\r\n", start)) != std::string::npos; start = end + 2) {
        std::string line = manifest.substr(start, end - start);
        expected.push_back({line.substr(0, line.find('|')), line.substr(line.find('|') + 1)});
    }
    ASSERT_EQ(7u, expected.size());

    wintest::SystemCleanup cleanup(kApp, kApp);
    testenv::RemoveTree(kTopFolder);
    wintest::WizardSession wizard("patterns");
    wizard.exe = wizard.dir / "setup-motifs.exe";
    ASSERT_TRUE(CopyFileA(package.c_str(), wizard.exe.c_str(), FALSE));
    ASSERT_TRUE(wizard.program.Start(wizard.exe));
    HWND dialog = wizard.program.WaitWindow(wintest::Caption(kApp));
    ASSERT_TRUE(dialog != nullptr);
    wizard.Attach(dialog);
    ASSERT_TRUE(wizard.ToReadyPage());
    wizard.Install();
    ASSERT_TRUE(wizard.WaitFinishPage());
    wizard.Close();

    std::vector<std::string> targets = {"uninst.exe"};
    for (const auto& file : expected) targets.push_back(file.first);
    std::sort(targets.begin(), targets.end());
    EXPECT_EQ(targets, testenv::FilesBelow(kInstallDir));
    for (const auto& file : expected) {
        EXPECT_EQ(testenv::ReadFileBytes(Work() + "\\source\\" + file.second),
                  testenv::ReadFileBytes(std::string(kInstallDir) + "\\" + file.first))
            << file.first;
    }

    std::vector<gui::MessageBoxInfo> shown;
    ASSERT_NO_FATAL_FAILURE(wintest::RunUninstaller(std::string(kInstallDir) + "\\uninst.exe",
                                                    "Désinstallation de " + std::string(kApp) + " 2.0", &shown));
    EXPECT_TRUE(gui::WaitFor([&] { return !FolderExists(kInstallDir); }, 15000)) << "install folder stayed";
    EXPECT_FALSE(wintest::UninstallKeyExists(kApp, wintest::BuildView()));
    RemoveDirectoryA(kTopFolder);
}

}  // namespace
