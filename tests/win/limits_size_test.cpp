// The largest package setup can install. A 32-bit setup.exe is mapped whole
// into 2 GB of address space shared with the system's libraries, so a package
// on it is refused past an image of 1.5 GB; the largest one allowed installs
// and uninstalls. A 64-bit setup.exe takes a package past that bound. The
// payload is one sparse file, so that no test data is written but the
// package and the installed file.
#include <windows.h>
#include <winioctl.h>

#include <gtest/gtest.h>

#include <stdint.h>

#include <string>

#include "install_checks.h"
#include "wizard_session.h"

namespace {

using namespace testenv;
using namespace wintest;

// The test program and the setup.exe it packages are of the same build.
bool Is64BitBuild() { return sizeof(void*) == 8; }

// A file of size bytes that holds nothing yet (a hole on the disk).
bool MakeSparseFile(const std::string& path, uint64_t size) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD ignored = 0;
    DeviceIoControl(file, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &ignored, nullptr);
    LARGE_INTEGER end;
    end.QuadPart = static_cast<LONGLONG>(size);
    bool ok = SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file);
    return CloseHandle(file) && ok;
}

uint64_t SizeOf(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    return static_cast<uint64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
}

// The package of one file of payload bytes (read from source).
PackageContents BigPackage(const std::string& app, const std::string& folder, const std::string& source,
                           uint64_t payload) {
    PackageContents p = PlainPackage(app, folder);
    p.files.clear();
    p.parts.clear();
    p.payload.clear();
    p.AddFileFrom("grand.bin", "", source, payload);
    return p;
}

// The largest payload whose package image stays within kLargestImage32.
uint64_t LargestPayload(const PackageContents& probe) {
    uint64_t fileSize = 0, imageSize = 0;
    std::string error;
    PackageContents p = probe;
    p.parts[0].size = 1 << 20;
    EXPECT_TRUE(PlanPackage(Program("setup.exe"), p, &fileSize, &imageSize, &error)) << error;
    uint64_t payload = kLargestImage32 - (imageSize - (1 << 20));
    for (;; payload -= 512) {
        p.parts[0].size = payload;
        EXPECT_TRUE(PlanPackage(Program("setup.exe"), p, &fileSize, &imageSize, &error)) << error;
        if (imageSize <= kLargestImage32 || payload < 1024) return payload;
    }
}

TEST(LimitsSize, TheLargestPackageInstallsAndOneMoreIsRefused) {
    std::string app = UniqueName("Grand");
    SystemCleanup cleanup(app, app);
    ScratchDir work("big");
    std::string dir = work / "App";
    std::string source = work / "source.bin";
    ASSERT_TRUE(MakeSparseFile(source, 1700ull << 20));

    PackageContents probe = BigPackage(app, dir, source, 1 << 20);
    uint64_t payload = Is64BitBuild() ? (1600ull << 20) : LargestPayload(probe);
    ASSERT_TRUE(MakeSparseFile(source, payload));
    PackageContents p = BigPackage(app, dir, source, payload);
    std::string error;
    if (!Is64BitBuild()) {
        // The next bigger payload passes the bound: refused, nothing written.
        PackageContents over = BigPackage(app, dir, source, payload + 4096);
        ASSERT_TRUE(MakeSparseFile(source, payload + 4096));
        std::string refused = work / "refused.exe";
        EXPECT_FALSE(WritePackage(Program("setup.exe"), refused, over, &error));
        EXPECT_NE(std::string::npos, error.find("1610612736 bytes (1.5 GB) a 32-bit setup.exe")) << error;
        EXPECT_FALSE(FileExists(refused));
        ASSERT_TRUE(MakeSparseFile(source, payload));
    }

    WizardSession run("bigrun");
    run.InstallToEnd(p);
    ASSERT_TRUE(run.WaitFinishPage(300000));
    run.Close();
    EXPECT_GT(SizeOf(run.exe), Is64BitBuild() ? kLargestImage32 : kLargestImage32 - (1 << 20));
    EXPECT_EQ(payload, SizeOf(dir + "\\grand.bin"));
    ASSERT_TRUE(FileExists(dir + "\\uninst.exe"));
    std::vector<gui::MessageBoxInfo> shown;
    ASSERT_NO_FATAL_FAILURE(RunUninstaller(dir + "\\uninst.exe", "", &shown));
    EXPECT_TRUE(gui::WaitFor([&] { return !FolderExists(dir); }, 60000)) << "install folder stayed";
}

}  // namespace
