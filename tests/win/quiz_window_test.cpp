// Cartopia's main window: its fixed frame, the panel's controls, the colours of
// the counters, the start and quit confirmations, the About box, and the
// program's resources (menu, icons, map, version, manifest).
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "install_checks.h"
#include "quiz_harness.h"

namespace {

using namespace quiz;

struct Row {
    const char* className;
    const char* text;
    int id;
    int x, y, w, h;  // w or h < 0: the client width or height minus |value|
    LONG style;
    LONG exStyle;
};

TEST(QuizWindow, FixedFrameThatCannotBeResizedOrMaximised) {
    RunningQuiz q;
    q.Launch();
    EXPECT_EQ("CartopiaClassApp", gui::ClassName(q.main));
    LONG style = gui::Style(q.main);
    EXPECT_EQ(WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
              style & (WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME | WS_POPUP |
                       WS_CHILD));
    EXPECT_TRUE(GetMenu(q.main) != nullptr);
    RECT frame;
    GetWindowRect(q.main, &frame);
    EXPECT_EQ(730, frame.right - frame.left);
    EXPECT_EQ(540, frame.bottom - frame.top);

    // It can be minimised and comes back as it was.
    PostMessageA(q.main, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(gui::WaitFor([&] { return IsIconic(q.main) != FALSE; }, 3000));
    PostMessageA(q.main, WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_TRUE(gui::WaitFor([&] { return IsIconic(q.main) == FALSE; }, 3000));
    // The window is no longer iconic a moment before it has its size back.
    gui::WaitFor([&] { return GetWindowRect(q.main, &frame) && frame.right - frame.left == 730; }, 3000);
    EXPECT_EQ(730, frame.right - frame.left);
}

// (Fonts of another process cannot be read back under Wine: WM_GETFONT answers 0.)
TEST(QuizWindow, PanelAndMapViewAsCreated) {
    RunningQuiz q;
    q.Launch();
    RECT client;
    GetClientRect(q.main, &client);
    const LONG child = WS_CHILD | WS_VISIBLE;
    const Row rows[] = {
        {"Static", "", 0, 0, 0, 180, -0, 0x5000000B, WS_EX_CLIENTEDGE},
        {"WndViewClass", "", 0, 180, 0, -180, -0, child, WS_EX_CLIENTEDGE},
        {"Button", " Question ", 0, 10, 12, 160, 115, 0x50000007, 0},
        {"Static", "", 4010, 20, 37, 140, 60, 0x50000000, 0},
        {"Button", "Je passe", 4000, 70, 100, 90, 22, 0x58000000, 0},
        {"Button", " Score ", 0, 10, 150, 160, 105, 0x50000007, 0},
        {"Static", "Réponses exactes :", 0, 20, 175, 100, 20, child, 0},
        {"Static", "0", 4012, 120, 172, 40, 18, 0x50001001, 0},
        {"Static", "Réponses fausses :", 0, 20, 200, 100, 20, child, 0},
        {"Static", "0", 4011, 120, 197, 40, 18, 0x50001001, 0},
        {"Static", "Durée :", 0, 20, 225, 80, 20, child, 0},
        {"Static", "0:00", 4013, 100, 222, 60, 18, 0x50001001, 0},
        {"Button", "Commencer", 1000, 20, -30, 140, 22, 0x50000000, 0},
    };
    std::vector<HWND> children = gui::Children(q.main);
    ASSERT_EQ(sizeof rows / sizeof rows[0], children.size());
    for (size_t i = 0; i < children.size(); ++i) {
        const Row& r = rows[i];
        SCOPED_TRACE("row " + std::to_string(i + 1));
        HWND c = children[i];
        EXPECT_EQ(r.className, gui::ClassName(c));
        EXPECT_EQ(r.text, gui::Text(c));
        EXPECT_EQ(r.id, GetDlgCtrlID(c));
        RECT rect = gui::RectIn(c, q.main);
        int y = r.y < 0 ? client.bottom + r.y : r.y;
        int w = r.w <= 0 ? client.right + r.w : r.w;
        int h = r.h <= 0 ? client.bottom + r.h : r.h;
        EXPECT_EQ(r.x, rect.left);
        EXPECT_EQ(y, rect.top);
        EXPECT_EQ(w, rect.right - rect.left);
        EXPECT_EQ(h, rect.bottom - rect.top);
        EXPECT_EQ(r.style, gui::Style(c) & ~WS_CLIPSIBLINGS);
        // A sunken static takes the static edge by itself.
        LONG implied = (r.style & SS_SUNKEN) ? WS_EX_STATICEDGE : 0;
        EXPECT_EQ(r.exStyle | implied, gui::ExStyle(c) & ~WS_EX_NOPARENTNOTIFY);
    }
    // The map view gets the client area the city table is drawn for.
    GetClientRect(q.view, &client);
    EXPECT_GE(client.right, 490);
    EXPECT_GE(client.bottom, 460);
}

// Found in blue, missed in red, both drawn in pure colour; the clock in black.
TEST(QuizWindow, OnlyTheTwoCountersAreColoured) {
    RunningQuiz q;
    q.Launch();
    const COLORREF red = RGB(255, 0, 0), blue = RGB(0, 0, 255), black = RGB(0, 0, 0);
    RECT found = gui::RectIn(q.Control(kFound), q.main);
    RECT missed = gui::RectIn(q.Control(kMissed), q.main);
    RECT clock = gui::RectIn(q.Control(kClock), q.main);
    RECT question = gui::RectIn(q.Control(kQuestion), q.main);
    ASSERT_TRUE(gui::WaitFor([&] {
        ClientPixels shown(q.main);
        return shown.Count(found, blue) > 5 && shown.Count(missed, red) > 5 && shown.Count(clock, black) > 5;
    }, 5000));
    ClientPixels shown(q.main);
    EXPECT_EQ(0, shown.Count(found, red));
    EXPECT_EQ(0, shown.Count(missed, blue));
    EXPECT_EQ(0, shown.Count(clock, red) + shown.Count(clock, blue));
    // With a game on, the question is written in the default colour too.
    q.StartGame(true);
    ASSERT_TRUE(gui::WaitFor([&] { return ClientPixels(q.main).Count(question, black) > 10; }, 3000));
    ClientPixels playing(q.main);
    EXPECT_EQ(0, playing.Count(question, red) + playing.Count(question, blue));
}

TEST(QuizWindow, StartCancelledChangesNothing) {
    RunningQuiz q;
    q.Launch();
    q.StartGame(false);
    EXPECT_EQ("Commencer", q.Text(kStart));
    EXPECT_FALSE(gui::Enabled(q.Control(kSkip)));
    EXPECT_EQ("", q.Text(kQuestion));
    Sleep(1200);
    EXPECT_EQ("0:00", q.Text(kClock));
    // The menu's "Recommencer" starts the first game just like the button.
    q.StartGame(true, /*fromMenu=*/true);
    EXPECT_EQ("Recommencer", q.Text(kStart));
    EXPECT_TRUE(gui::Enabled(q.Control(kSkip)));
    EXPECT_NE("", q.Asked());
}

TEST(QuizWindow, QuitAsksFromTheMenuAndTheCloseBox) {
    RunningQuiz q;
    q.Launch();
    q.StartGame(true);
    auto askQuit = [&](bool fromMenu, int answer) {
        if (fromMenu) {
            gui::Command(q.main, kQuit);
        } else {
            gui::CloseBox(q.main);
        }
        gui::MessageBoxInfo info;
        HWND box = wintest::ExpectMessageBox(q.program, kCaption, kQuitQuestion, {IDYES, IDNO}, 10000, &info);
        ASSERT_TRUE(box != nullptr) << "no quit confirmation";
        EXPECT_TRUE(info.hasIcon);
        ASSERT_TRUE(gui::AnswerMessageBox(box, answer));
    };
    askQuit(true, IDNO);
    q.Sync();
    EXPECT_TRUE(q.program.Running());
    EXPECT_TRUE(IsWindow(q.main));
    askQuit(false, IDNO);
    q.Sync();
    EXPECT_TRUE(IsWindow(q.main));
    // The game went on meanwhile.
    EXPECT_NE("", q.Asked());
    EXPECT_TRUE(gui::WaitText(q.Control(kClock), "0:01", 3000));
    askQuit(false, IDYES);
    DWORD code = 99;
    ASSERT_TRUE(q.program.WaitExit(5000, &code));
    EXPECT_EQ(0u, code);
}

TEST(QuizWindow, AboutBox) {
    RunningQuiz q;
    q.Launch();
    gui::Command(q.main, kAbout);
    HWND box = q.program.WaitMessageBox(" A propos de...");
    ASSERT_TRUE(box != nullptr) << "no About box";
    gui::MessageBoxInfo info = gui::ReadMessageBox(box);
    EXPECT_EQ(0u, info.text.find("    Cartopia   Version 1.0    \n\n")) << info.text;
    EXPECT_NE(std::string::npos, info.text.find("\n\n    Auteur : l'équipe Cartopia    \n\n")) << info.text;
    EXPECT_NE(std::string::npos, info.text.find("\n\n    Graphiste : l'équipe Cartopia    \n\n")) << info.text;
    EXPECT_EQ(std::vector<int>{IDOK}, info.buttons);
    EXPECT_TRUE(info.hasIcon);
    EXPECT_TRUE(gui::Capture(box, ArtefactDir() + "\\quiz_about.bmp"));
    ASSERT_TRUE(gui::AnswerMessageBox(box, IDOK));
    EXPECT_TRUE(q.program.Running());
}

// The program file read as data.
class ProgramResources : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(module_ != nullptr); }
    std::string Bytes(const char* name, const char* type) const { return program_.Resource(type, name); }
    static std::string Wide(const char* text) {
        std::string wide;
        for (; *text; ++text) wide += std::string(1, *text) + '\0';
        return wide;
    }
    wintest::DataModule program_{testenv::Program("Cartopia.exe")};
    HMODULE module_ = program_.get();
};

BOOL CALLBACK FirstName(HMODULE, LPCSTR, LPSTR name, LONG_PTR param) {
    *reinterpret_cast<std::string*>(param) = IS_INTRESOURCE(name) ? "#" + std::to_string(LOWORD(name)) : name;
    return FALSE;
}

TEST_F(ProgramResources, MenuWithTwoPopups) {
    HMENU menu = LoadMenuA(module_, MAKEINTRESOURCEA(100));
    ASSERT_TRUE(menu != nullptr);
    auto text = [](HMENU m, int position) {
        char buffer[64] = "";
        GetMenuStringA(m, position, buffer, sizeof buffer, MF_BYPOSITION);
        return std::string(buffer);
    };
    struct Popup {
        const char* title;
        std::vector<std::pair<UINT, const char*>> items;  // command id and text
    } popups[] = {
        {" Jeu ", {{1000, "Recommencer"}, {1001, "Quitter"}}},
        {" Aide ", {{1020, "A propos de..."}}},
    };
    ASSERT_EQ(2, GetMenuItemCount(menu));
    for (int p = 0; p < 2; ++p) {
        SCOPED_TRACE(popups[p].title);
        EXPECT_EQ(popups[p].title, text(menu, p));
        HMENU popup = GetSubMenu(menu, p);
        ASSERT_EQ(static_cast<int>(popups[p].items.size()), GetMenuItemCount(popup));
        for (int i = 0; i < GetMenuItemCount(popup); ++i) {
            EXPECT_EQ(popups[p].items[i].first, GetMenuItemID(popup, i));
            EXPECT_EQ(popups[p].items[i].second, text(popup, i));
        }
    }
    DestroyMenu(menu);
}

TEST_F(ProgramResources, TwoIconGroupsAndTheShellOneFirst) {
    std::string first;
    EnumResourceNamesA(module_, RT_GROUP_ICON, FirstName, reinterpret_cast<LONG_PTR>(&first));
    EXPECT_EQ("A", first);
    const char* groups[] = {"A", MAKEINTRESOURCEA(101)};
    for (const char* name : groups) {
        std::string group = Bytes(name, RT_GROUP_ICON);
        ASSERT_EQ(6u + 2 * 14, group.size());
        EXPECT_EQ(2, static_cast<unsigned char>(group[4]));
        for (int i = 0; i < 2; ++i) {
            const unsigned char* entry = reinterpret_cast<const unsigned char*>(group.data()) + 6 + 14 * i;
            EXPECT_EQ(i == 0 ? 48 : 32, entry[0]);
            EXPECT_EQ(i == 0 ? 48 : 32, entry[1]);
            EXPECT_EQ(8, entry[6]);  // bits per pixel: 256 colours
        }
    }
    EXPECT_TRUE(LoadIconA(module_, MAKEINTRESOURCEA(101)) != nullptr);
}

TEST_F(ProgramResources, MapBitmap) {
    std::string map = Bytes(MAKEINTRESOURCEA(110), RT_BITMAP);
    ASSERT_GE(map.size(), sizeof(BITMAPINFOHEADER));
    BITMAPINFOHEADER header;
    memcpy(&header, map.data(), sizeof header);
    EXPECT_EQ(397, header.biWidth);
    EXPECT_EQ(380, header.biHeight);  // bottom-up
    EXPECT_EQ(24, header.biBitCount);
    EXPECT_EQ(static_cast<DWORD>(BI_RGB), header.biCompression);
    EXPECT_GE(map.size(), sizeof header + 380u * ((397 * 3 + 3) & ~3));
}

TEST_F(ProgramResources, VersionAndManifest) {
    std::string version = Bytes(MAKEINTRESOURCEA(1), RT_VERSION);
    const DWORD signature = 0xFEEF04BD;
    size_t at = version.find(std::string(reinterpret_cast<const char*>(&signature), 4));
    ASSERT_NE(std::string::npos, at);
    VS_FIXEDFILEINFO fixed;
    ASSERT_GE(version.size(), at + sizeof fixed);
    memcpy(&fixed, version.data() + at, sizeof fixed);
    EXPECT_EQ(0x00010000u, fixed.dwFileVersionMS);
    EXPECT_EQ(0u, fixed.dwFileVersionLS);
    EXPECT_EQ(0x00010000u, fixed.dwProductVersionMS);
    EXPECT_EQ(0u, fixed.dwProductVersionLS);
    size_t key = version.find(Wide("FileDescription"));
    ASSERT_NE(std::string::npos, key);
    size_t value = version.find(Wide("Urbiquiz"), key);
    EXPECT_LT(value - key, 40u);

    std::string manifest = Bytes(MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    // The manifest names the processor of the build it is in.
    std::string identity = std::string("version=\"1.0.0.0\" processorArchitecture=\"") +
                           (sizeof(void*) == 8 ? "amd64" : "X86") + "\"";
    EXPECT_NE(std::string::npos, manifest.find(identity)) << manifest;
    EXPECT_NE(std::string::npos,
              manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"")) << manifest;
}

}  // namespace
