// Packages made with Compression = best by the Linux pack (the compression
// check runs before this test and leaves them): the real wizard installs the
// files decoded byte for byte, the uninstaller removes them, and a damaged
// stream, or a package holding both payloads, ends in the quit question with
// nothing registered.
#include <windows.h>

#include <gtest/gtest.h>

#include <stdlib.h>

#include <string>

#include "compressed_payload.h"
#include "install_checks.h"
#include "pack_run.h"
#include "package_writer.h"
#include "wizard_session.h"

namespace {

using testenv::FileExists;
using testenv::FolderExists;

const char kApp[] = "PressedAtlas";
const char kTopFolder[] = "C:\\ct_compressed";
const char kInstallDir[] = "C:\\ct_compressed\\Atlas";

std::string Work() {
    const char* work = getenv("COMPRESSED_WORK");
    return work ? work : "";
}

// Starts a copy of the package and clicks through to "Installer".
void StartInstalling(wintest::WizardSession* wizard, const std::string& package) {
    ASSERT_TRUE(FileExists(package)) << package << ": the compression check leaves it; run through ctest";
    wizard->exe = wizard->dir / "setup-compresse.exe";
    ASSERT_TRUE(CopyFileA(package.c_str(), wizard->exe.c_str(), FALSE));
    ASSERT_TRUE(wizard->program.Start(wizard->exe));
    HWND dialog = wizard->program.WaitWindow(wintest::Caption(kApp));
    ASSERT_TRUE(dialog != nullptr);
    wizard->Attach(dialog);
    ASSERT_TRUE(wizard->ToReadyPage());
    wizard->Install();
}

TEST(PackCompressed, InstallsTheFilesByteForByteAndUninstalls) {
    wintest::SystemCleanup cleanup(kApp, kApp);
    wintest::WizardSession wizard("compressed");
    ASSERT_NO_FATAL_FAILURE(StartInstalling(&wizard, Work() + "\\best.exe"));
    ASSERT_TRUE(wizard.WaitFinishPage());
    wizard.Close();

    const char* files[] = {"programmes\\setup.exe", "programmes\\uninst.exe", "programmes\\Cartopia.exe",
                           "programmes\\pack.exe", "lisez-moi.txt"};
    for (const char* file : files) {
        std::string source = Work() + "\\source\\" + file;
        if (!FileExists(source)) continue;
        std::string installed = std::string(kInstallDir) + "\\" + file;
        EXPECT_EQ(testenv::ReadFileBytes(source), testenv::ReadFileBytes(installed)) << file;
    }
    std::string uninstaller = std::string(kInstallDir) + "\\uninst.exe";
    ASSERT_TRUE(FileExists(uninstaller));
    EXPECT_TRUE(wintest::UninstallKeyExists(kApp, wintest::BuildView()));
    std::vector<gui::MessageBoxInfo> shown;
    ASSERT_NO_FATAL_FAILURE(wintest::RunUninstaller(uninstaller, "Désinstallation de " + std::string(kApp), &shown));
    EXPECT_TRUE(gui::WaitFor([&] { return !FolderExists(kInstallDir); }, 15000)) << "install folder stayed";
    EXPECT_FALSE(wintest::UninstallKeyExists(kApp, wintest::BuildView()));
    RemoveDirectoryA(kTopFolder);
}

// Each damage is found before the installation is reported done: the quit
// question, no uninstaller, no key. The files decoded before the damage stay.
TEST(PackCompressed, ADamagedStreamEndsInTheQuitQuestion) {
    const char* damages[] = {"frame-header", "middle", "checksum", "cut"};
    for (const char* damage : damages) {
        SCOPED_TRACE(damage);
        wintest::SystemCleanup cleanup(kApp, kApp);
        {
            wintest::WizardSession wizard("damaged");
            ASSERT_NO_FATAL_FAILURE(StartInstalling(&wizard, Work() + "\\damaged-" + damage + ".exe"));
            HWND box = wintest::WaitQuitQuestion(wizard, kApp);
            ASSERT_TRUE(box != nullptr);
            ASSERT_TRUE(gui::AnswerMessageBox(box, IDYES));
            ASSERT_TRUE(wizard.program.WaitExit(10000));
        }
        EXPECT_FALSE(FileExists(std::string(kInstallDir) + "\\uninst.exe"));
        EXPECT_FALSE(wintest::UninstallKeyExists(kApp, wintest::BuildView()));
        testenv::RemoveTree(kTopFolder);
    }
}

// A package holding the payload both compressed and as stored (put together
// by another tool, or by an old pack on top of an earlier package): which one
// the files are in is not known, so setup installs neither. The stored one
// here has the right size, so that taking it would have "succeeded".
TEST(PackCompressed, APackageWithBothPayloadsEndsInTheQuitQuestion) {
    std::string both = Work() + "\\both-payloads.exe";
    ASSERT_TRUE(CopyFileA((Work() + "\\best.exe").c_str(), both.c_str(), FALSE));
    std::string compressed = wintest::ProgramResource(both, "RT_DATA", "5002");
    CompressedPayloadHeader header;
    ASSERT_TRUE(DecodeCompressedHeader(reinterpret_cast<const uint8_t*>(compressed.data()), compressed.size(), &header));
    std::string error;
    ASSERT_TRUE(UpdateProgramResource(both, "RT_DATA", "5000", std::string(static_cast<size_t>(header.decodedSize), 's'),
                                      &error))
        << error;
    wintest::PackRun shown = wintest::RunPack(Work(), "inspect both-payloads.exe");
    EXPECT_TRUE(wintest::Contains(shown.out, "both RT_DATA 5000 and 5002: setup refuses the package as damaged"))
        << shown.out;

    wintest::SystemCleanup cleanup(kApp, kApp);
    {
        wintest::WizardSession wizard("both");
        ASSERT_NO_FATAL_FAILURE(StartInstalling(&wizard, both));
        HWND box = wintest::WaitQuitQuestion(wizard, kApp);
        ASSERT_TRUE(box != nullptr);
        ASSERT_TRUE(gui::AnswerMessageBox(box, IDYES));
        ASSERT_TRUE(wizard.program.WaitExit(10000));
    }
    EXPECT_FALSE(FileExists(std::string(kInstallDir) + "\\lisez-moi.txt"));
    EXPECT_FALSE(FileExists(std::string(kInstallDir) + "\\uninst.exe"));
    EXPECT_FALSE(wintest::UninstallKeyExists(kApp, wintest::BuildView()));
    testenv::RemoveTree(kTopFolder);
    DeleteFileA(both.c_str());
}

}  // namespace
