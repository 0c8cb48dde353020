// A package with its own icon, pictures and version information, made by
// pack.exe and run through the real wizard: the pages show the pictures, the
// wizard's caption shows the icon, the system reads the version information.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "gui_driver.h"
#include "image_files.h"
#include "install_checks.h"
#include "pack_run.h"
#include "wizard_session.h"

namespace {

const COLORREF kSideTop = RGB(200, 30, 40);       // upper half of the side picture
const COLORREF kSideBottom = RGB(20, 60, 190);    // lower half
const COLORREF kHeaderColour = RGB(30, 170, 60);  // the header picture
const COLORREF kIconColour = RGB(150, 20, 160);   // every pixel of the icon

// A COLORREF (0x00BBGGRR) as the image builders take it (0xRRGGBB).
uint32_t Rgb(COLORREF c) { return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c); }

// An .ico file with one 32x32 32-bit image of a single colour, fully opaque.
std::string Icon32(COLORREF colour) { return testimg::IconFile({{32, 32, testimg::SolidIconImage(32, Rgb(colour))}}); }

// A colour as #RRGGBB, from 0xRRGGBB.
std::string Hex(uint32_t rgb) {
    char text[16];
    snprintf(text, sizeof(text), "#%06X", rgb & 0xFFFFFF);
    return rgb == 0xFFFFFFFFu ? "<outside>" : text;
}

// The version string the system reads from a program file ("" when none).
std::string VersionString(const std::string& exe, const std::string& name) {
    HMODULE version = LoadLibraryA("version.dll");
    if (!version) return "<no version.dll>";
    auto size = reinterpret_cast<DWORD(WINAPI*)(LPCSTR, LPDWORD)>(reinterpret_cast<void*>(GetProcAddress(version, "GetFileVersionInfoSizeA")));
    auto info = reinterpret_cast<BOOL(WINAPI*)(LPCSTR, DWORD, DWORD, LPVOID)>(reinterpret_cast<void*>(GetProcAddress(version, "GetFileVersionInfoA")));
    auto query = reinterpret_cast<BOOL(WINAPI*)(LPCVOID, LPCSTR, LPVOID*, PUINT)>(reinterpret_cast<void*>(GetProcAddress(version, "VerQueryValueA")));
    std::string result;
    DWORD ignored = 0;
    DWORD bytes = size ? size(exe.c_str(), &ignored) : 0;
    if (bytes && info && query) {
        std::string block(bytes, '\0');
        void* value = nullptr;
        UINT length = 0;
        if (info(exe.c_str(), 0, bytes, &block[0]) &&
            query(block.data(), ("\\StringFileInfo\\040C04E4\\" + name).c_str(), &value, &length) && value) {
            result = static_cast<const char*>(value);
        }
    }
    FreeLibrary(version);
    return result;
}

// The centre pixel of an icon drawn at its size on white.
COLORREF IconCentre(HICON icon, int size) {
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, size, size);
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT all = {0, 0, size, size};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    DrawIconEx(dc, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
    COLORREF centre = GetPixel(dc, size / 2, size / 2);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return centre;
}

TEST(PackBranding, TheWizardShowsThePackagesPicturesIconAndVersion) {
    std::string app = wintest::UniqueName("Marque");
    wintest::SystemCleanup cleanup(app, app);
    testenv::ScratchDir source("brandsrc");
    ASSERT_TRUE(testenv::WriteFileBytes(source / "atlas.exe", "MZ not really a program"));
    ASSERT_TRUE(testenv::WriteFileBytes(
        source / "side.bmp", testimg::Bmp24(144, 324, [](int, int y) { return Rgb(y < 162 ? kSideTop : kSideBottom); })));
    ASSERT_TRUE(testenv::WriteFileBytes(source / "header.bmp",
                                        testimg::Bmp24(64, 64, [](int, int) { return Rgb(kHeaderColour); })));
    ASSERT_TRUE(testenv::WriteFileBytes(source / "atlas.ico", Icon32(kIconColour)));
    ASSERT_TRUE(testenv::WriteFileBytes(source / "package.ini",
                                        "[Setup]\n"
                                        "AppName = " + app + "\n"
                                        "AppVersion = 3.1.4\n"
                                        "Publisher = \xC3\x89" "ditions du Globe\n"
                                        "Copyright = \xC2\xA9 2024 \xC3\x89" "ditions du Globe\n"
                                        "SetupIcon = atlas.ico\n"
                                        "SidePicture = side.bmp\n"
                                        "HeaderPicture = header.bmp\n"
                                        "[Files]\n"
                                        "atlas.exe\n"));
    wintest::PackRun run = wintest::RunPack(source.path(), "build package.ini -o setup-marque.exe");
    ASSERT_EQ(0u, run.exitCode) << run.err;
    std::string package = source / "setup-marque.exe";

    // The system's own reader of version information.
    EXPECT_EQ(app, VersionString(package, "ProductName"));
    EXPECT_EQ("3.1.4", VersionString(package, "ProductVersion"));
    EXPECT_EQ("\xC9" "ditions du Globe", VersionString(package, "CompanyName"));
    EXPECT_EQ("Installation de " + app, VersionString(package, "FileDescription"));

    gui::Program setup;
    ASSERT_TRUE(setup.Start(package));
    HWND dialog = setup.WaitWindow("Installation : " + app);
    ASSERT_TRUE(dialog != nullptr);
    ASSERT_TRUE(gui::WaitControl(dialog, IDC_PAGE) != nullptr);
    auto page = [&] { return GetDlgItem(dialog, IDC_PAGE); };

    // The icon the wizard loads for its caption (LoadIcon of group 110) is the package's.
    {
        wintest::DataModule resources(package);
        ASSERT_TRUE(resources.get() != nullptr);
        HICON caption = LoadIconA(resources.get(), MAKEINTRESOURCEA(110));
        ASSERT_TRUE(caption != nullptr);
        EXPECT_EQ(Hex(Rgb(kIconColour)), Hex(Rgb(IconCentre(caption, 32))));
        DestroyIcon(caption);
    }

    // Welcome page: the side picture at the page's left edge.
    Sleep(500);
    std::string artefacts = testenv::ArtefactDir();
    ASSERT_TRUE(gui::Capture(dialog, artefacts + "\\branding-welcome.bmp"));
    testimg::BmpPixels shot;
    ASSERT_TRUE(gui::Capture(page(), artefacts + "\\branding-welcome-page.bmp"));
    ASSERT_TRUE(shot.Load(testenv::ReadFileBytes(artefacts + "\\branding-welcome-page.bmp")));
    EXPECT_EQ(Hex(Rgb(kSideTop)), Hex(shot.At(72, 40)));
    EXPECT_EQ(Hex(Rgb(kSideBottom)), Hex(shot.At(72, 280)));

    // Next page: the header picture at the right of the white band.
    HWND before = page();
    gui::Command(dialog, IDC_NEXT);
    ASSERT_TRUE(gui::WaitFor([&] { return page() && page() != before; }, 15000));
    Sleep(500);
    ASSERT_TRUE(gui::Capture(dialog, artefacts + "\\branding-inner.bmp"));
    ASSERT_TRUE(gui::Capture(page(), artefacts + "\\branding-inner-page.bmp"));
    ASSERT_TRUE(shot.Load(testenv::ReadFileBytes(artefacts + "\\branding-inner-page.bmp")));
    EXPECT_EQ(Hex(Rgb(kHeaderColour)), Hex(shot.At(shot.width() - 32, 32)));

    // Leave: setup asks whether to quit, answered yes.
    gui::Command(dialog, IDCANCEL);
    HWND box = setup.WaitMessageBox();
    if (box) gui::AnswerMessageBox(box, IDYES);
    EXPECT_TRUE(setup.WaitExit());
}

}  // namespace
