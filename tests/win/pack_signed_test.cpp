// A package signed by pack (with a test certificate, by the signing check that
// runs before this test) installs through the real wizard and is removed by
// the uninstaller it wrote. The signature sits after the resources: setup must
// find its package in a signed file as in an unsigned one.
#include <windows.h>
#include <softpub.h>
#include <wintrust.h>

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

// Where the certificate table's entry lies in a program file's header, or 0.
size_t CertificateEntry(const std::string& bytes) {
    if (bytes.size() < 0x40) return 0;
    DWORD pe = *reinterpret_cast<const DWORD*>(bytes.data() + 0x3C);
    if (pe + 24 + 2 > bytes.size()) return 0;
    WORD magic = *reinterpret_cast<const WORD*>(bytes.data() + pe + 24);
    size_t entry = pe + 24 + (magic == 0x20B ? 112 : 96) + 8 * IMAGE_DIRECTORY_ENTRY_SECURITY;
    return entry + 8 <= bytes.size() ? entry : 0;
}

// The certificate table's entry of a program file: (file offset, size).
std::pair<DWORD, DWORD> CertificateTable(const std::string& bytes) {
    size_t entry = CertificateEntry(bytes);
    if (!entry) return {0, 0};
    return {*reinterpret_cast<const DWORD*>(bytes.data() + entry), *reinterpret_cast<const DWORD*>(bytes.data() + entry + 4)};
}

// The system's verdict on a program file's signature: whether it is there and
// whether the file's bytes are the signed ones (the hash only: the test
// authority's chain is not evaluated, and nothing is fetched), without any window.
LONG SystemVerdict(const std::string& path) {
    std::wstring wide(path.begin(), path.end());
    WINTRUST_FILE_INFO file = {};
    file.cbStruct = sizeof(file);
    file.pcwszFilePath = wide.c_str();
    GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
    WINTRUST_DATA data = {};
    data.cbStruct = sizeof(data);
    data.dwUIChoice = WTD_UI_NONE;
    data.fdwRevocationChecks = WTD_REVOKE_NONE;
    data.dwUnionChoice = WTD_CHOICE_FILE;
    data.pFile = &file;
    data.dwStateAction = WTD_STATEACTION_VERIFY;
    data.dwProvFlags = WTD_HASH_ONLY_FLAG | WTD_CACHE_ONLY_URL_RETRIEVAL;
    LONG verdict = WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
    data.dwStateAction = WTD_STATEACTION_CLOSE;
    WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
    return verdict;
}

TEST(PackSigned, TheSystemFindsTheSignatureIntactAndAChangeBreaksIt) {
    const char* package = getenv("SIGNED_PACKAGE");
    ASSERT_TRUE(package && FileExists(package)) << "the signing check leaves the signed package; run through ctest";
    std::string bytes = testenv::ReadFileBytes(package);
    std::pair<DWORD, DWORD> table = CertificateTable(bytes);
    ASSERT_NE(0u, table.second);
    testenv::ScratchDir dir("verdict");

    std::string intact = dir / "intact.exe";
    ASSERT_TRUE(testenv::WriteFileBytes(intact, bytes));
    EXPECT_EQ(ERROR_SUCCESS, SystemVerdict(intact));

    std::string changed = dir / "changed.exe";
    std::string altered = bytes;
    altered[table.first / 2] ^= 0x04;  // a byte of the payload
    ASSERT_TRUE(testenv::WriteFileBytes(changed, altered));
    EXPECT_EQ(TRUST_E_BAD_DIGEST, SystemVerdict(changed));

    // The same file without its signature.
    std::string bare = dir / "unsigned.exe";
    std::string stripped = bytes.substr(0, table.first);
    stripped.replace(CertificateEntry(stripped), 8, std::string(8, '\0'));
    ASSERT_TRUE(testenv::WriteFileBytes(bare, stripped));
    EXPECT_EQ(TRUST_E_NOSIGNATURE, SystemVerdict(bare));
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
    // Named in UTF-8 on the Linux disk it was packaged from, installed under the same name.
    EXPECT_EQ("r\xe9sum\xe9\n",
              testenv::ReadFileBytes(std::string(kInstallDir) + "\\Données\\Résumé d'été ç œ € ß è.txt"));
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
