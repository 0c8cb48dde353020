// A package signed by pack (with a test certificate, by the signing check that
// runs before this test) installs through the real wizard and is removed by
// the uninstaller it wrote. The signature sits after the resources: setup must
// find its package in a signed file as in an unsigned one.
#include <windows.h>

#include <gtest/gtest.h>

#include <stdlib.h>

#include <string>
#include <vector>

#include "install_checks.h"
#include "wizard_session.h"

namespace {

using testenv::FileExists;
using testenv::FolderExists;

const char kApp[] = "SignedAtlas";
const char kTopFolder[] = "C:\\ct_signed";
const char kInstallDir[] = "C:\\ct_signed\\Atlas";

// The certificate table's entry of a program file: (file offset, size).
std::pair<DWORD, DWORD> CertificateTable(const std::string& bytes) {
    if (bytes.size() < 0x40) return {0, 0};
    DWORD pe = *reinterpret_cast<const DWORD*>(bytes.data() + 0x3C);
    if (pe + 24 + 2 > bytes.size()) return {0, 0};
    WORD magic = *reinterpret_cast<const WORD*>(bytes.data() + pe + 24);
    size_t entry = pe + 24 + (magic == 0x20B ? 112 : 96) + 8 * IMAGE_DIRECTORY_ENTRY_SECURITY;
    if (entry + 8 > bytes.size()) return {0, 0};
    return {*reinterpret_cast<const DWORD*>(bytes.data() + entry), *reinterpret_cast<const DWORD*>(bytes.data() + entry + 4)};
}

TEST(PackSigned, SignedPackageInstallsAndUninstalls) {
    const char* package = getenv("SIGNED_PACKAGE");
    ASSERT_TRUE(package && FileExists(package)) << "the signing check leaves the signed package; run through ctest";
    std::string before = testenv::ReadFileBytes(package);
    std::pair<DWORD, DWORD> table = CertificateTable(before);
    ASSERT_NE(0u, table.second) << "the package is not signed";
    ASSERT_EQ(before.size(), static_cast<size_t>(table.first) + table.second) << "the signature ends the file";

    wintest::SystemCleanup cleanup(kApp, kApp);
    testenv::ScratchDir copy("signed");
    std::string exe = copy / "setup-signe.exe";
    ASSERT_TRUE(CopyFileA(package, exe.c_str(), FALSE));

    wintest::WizardSession wizard;
    ASSERT_TRUE(wizard.program.Start(exe));
    HWND dialog = wizard.program.WaitWindow(wintest::Caption(kApp));
    ASSERT_TRUE(dialog != nullptr);
    wizard.Attach(dialog);
    ASSERT_TRUE(wizard.NextUntil("Accord de licence"));
    wizard.AcceptLicence();
    ASSERT_TRUE(wizard.ToReadyPage());
    wizard.Install();
    ASSERT_TRUE(wizard.WaitFinishPage());
    wizard.Close();

    EXPECT_EQ(before, testenv::ReadFileBytes(exe)) << "running setup changed the signed file";
    std::string installed = testenv::ReadFileBytes(std::string(kInstallDir) + "\\atlas.exe");
    ASSERT_EQ(16384u, installed.size());
    for (size_t i = 0; i < installed.size(); ++i) ASSERT_EQ(static_cast<char>(i % 256), installed[i]) << i;
    EXPECT_EQ("carte du nord\n", testenv::ReadFileBytes(std::string(kInstallDir) + "\\cartes\\nord.dat"));
    std::string uninstaller = std::string(kInstallDir) + "\\uninst.exe";
    ASSERT_TRUE(FileExists(uninstaller));
    // The uninstaller carries the log written on this machine, so it cannot
    // carry a signature: it has none.
    EXPECT_EQ(0u, CertificateTable(testenv::ReadFileBytes(uninstaller)).second);
    EXPECT_TRUE(wintest::UninstallKeyExists(kApp, wintest::BuildView()));

    std::vector<gui::MessageBoxInfo> shown;
    ASSERT_NO_FATAL_FAILURE(wintest::RunUninstaller(uninstaller, "Désinstallation de " + std::string(kApp) + " 3.1",
                                                    &shown));
    EXPECT_TRUE(gui::WaitFor([&] { return !FolderExists(kInstallDir); }, 15000)) << "install folder stayed";
    EXPECT_FALSE(wintest::UninstallKeyExists(kApp, wintest::BuildView()));
    // Setup logs the install folder it creates, not the folders above it.
    RemoveDirectoryA(kInstallDir);
    RemoveDirectoryA(kTopFolder);
}

}  // namespace
