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

// Pixels of a 24-bit BMP written by gui::Capture.
class Shot {
public:
    bool Load(const std::string& path) {
        bytes_ = testenv::ReadFileBytes(path);
        if (bytes_.size() < 54 || bytes_.compare(0, 2, "BM") != 0) return false;
        offset_ = U32(10);
        width_ = static_cast<int32_t>(U32(18));
        height_ = static_cast<int32_t>(U32(22));
        return (U32(28) & 0xFFFF) == 24;
    }
    COLORREF At(int x, int y) const {
        int rows = height_ < 0 ? -height_ : height_;
        int row = height_ < 0 ? y : rows - 1 - y;
        size_t at = offset_ + static_cast<size_t>(row) * ((width_ * 3 + 3) / 4 * 4) + x * 3;
        if (x < 0 || y < 0 || x >= width_ || y >= rows || at + 3 > bytes_.size()) return CLR_INVALID;
        return RGB(static_cast<uint8_t>(bytes_[at + 2]), static_cast<uint8_t>(bytes_[at + 1]),
                   static_cast<uint8_t>(bytes_[at]));
    }
    int width() const { return width_; }

private:
    uint32_t U32(size_t at) const {
        uint32_t v = 0;
        for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<uint8_t>(bytes_[at + i]);
        return v;
    }
    std::string bytes_;
    size_t offset_ = 0;
    int width_ = 0;
    int height_ = 0;
};

std::string Hex(COLORREF c) {
    char text[16];
    snprintf(text, sizeof(text), "#%02X%02X%02X", GetRValue(c), GetGValue(c), GetBValue(c));
    return text;
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
    HMODULE resources = LoadLibraryExA(package.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_TRUE(resources != nullptr);
    HICON caption = LoadIconA(resources, MAKEINTRESOURCEA(110));
    ASSERT_TRUE(caption != nullptr);
    EXPECT_EQ(Hex(kIconColour), Hex(IconCentre(caption, 32)));
    DestroyIcon(caption);
    FreeLibrary(resources);

    // Welcome page: the side picture at the page's left edge.
    Sleep(500);
    std::string artefacts = testenv::ArtefactDir();
    ASSERT_TRUE(gui::Capture(dialog, artefacts + "\\branding-welcome.bmp"));
    Shot shot;
    ASSERT_TRUE(gui::Capture(page(), artefacts + "\\branding-welcome-page.bmp"));
    ASSERT_TRUE(shot.Load(artefacts + "\\branding-welcome-page.bmp"));
    EXPECT_EQ(Hex(kSideTop), Hex(shot.At(72, 40)));
    EXPECT_EQ(Hex(kSideBottom), Hex(shot.At(72, 280)));

    // Next page: the header picture at the right of the white band.
    HWND before = page();
    gui::Command(dialog, IDC_NEXT);
    ASSERT_TRUE(gui::WaitFor([&] { return page() && page() != before; }, 15000));
    Sleep(500);
    ASSERT_TRUE(gui::Capture(dialog, artefacts + "\\branding-inner.bmp"));
    ASSERT_TRUE(gui::Capture(page(), artefacts + "\\branding-inner-page.bmp"));
    ASSERT_TRUE(shot.Load(artefacts + "\\branding-inner-page.bmp"));
    EXPECT_EQ(Hex(kHeaderColour), Hex(shot.At(shot.width() - 32, 32)));

    // Leave: setup asks whether to quit, answered yes.
    gui::Command(dialog, IDCANCEL);
    HWND box = setup.WaitMessageBox();
    if (box) gui::AnswerMessageBox(box, IDYES);
    EXPECT_TRUE(setup.WaitExit());
}

}  // namespace
