// The installing page as the user sees it, read from the screen: the bar grows
// and the file name changes while the files are written; once the last file is
// written, or a file cannot be, the page shows that file's name and the bar as
// far as it got, drawn by the controls themselves.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "install_checks.h"
#include "wizard_session.h"

namespace {

using namespace testenv;
using namespace wintest;

// The pixels a window shows on screen, row by row from the top.
struct ScreenShot {
    int width = 0, height = 0;
    std::vector<COLORREF> pixels;

    COLORREF At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }

    bool Take(HWND window) {
        RECT rect;
        if (!GetWindowRect(window, &rect)) return false;
        width = rect.right - rect.left;
        height = rect.bottom - rect.top;
        return gui::ScreenPixels(rect, &pixels);
    }

    // Columns of the middle row that differ from the colour of an empty bar.
    int FilledColumns(COLORREF empty) const {
        int filled = 0;
        for (int x = 0; x < width; ++x) filled += At(x, height / 2) != empty;
        return filled;
    }

    // Pixels that differ from background: what is drawn on it.
    int PixelsOtherThan(COLORREF background) const {
        int drawn = 0;
        for (COLORREF c : pixels) drawn += c != background;
        return drawn;
    }
};

int Position(HWND bar) { return static_cast<int>(SendMessageA(bar, PBM_GETPOS, 0, 0)); }

// Waits until the bar stands at least at position, then lets a picture or two
// pass (the page draws its controls at most about 30 times a second).
bool WaitPosition(HWND bar, int position) {
    bool reached = gui::WaitFor([&] { return Position(bar) >= position; }, 60000);
    Sleep(150);
    return reached;
}

// Moves a window so that it covers nothing of other (below it, or beside it).
void MoveClearOf(HWND window, HWND other) {
    RECT w, o;
    GetWindowRect(window, &w);
    GetWindowRect(other, &o);
    int height = w.bottom - w.top;
    int y = o.bottom + 4;
    if (y + height > GetSystemMetrics(SM_CYSCREEN)) y = o.top - height - 4;
    SetWindowPos(window, nullptr, o.left, y < 0 ? 0 : y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The control draws itself (it is not left with its drawing off), and what is
// on screen is what it draws from the state it holds now: asked to repaint, it
// shows the same picture. A bar is compared by the length of its fill, which
// is what it shows of its state (a themed bar may animate a glow over it).
void ExpectShowsItsState(HWND control, COLORREF emptyBar = CLR_INVALID) {
    EXPECT_TRUE(gui::Visible(control));
    ScreenShot shown, redrawn;
    ASSERT_TRUE(shown.Take(control));
    InvalidateRect(control, nullptr, TRUE);
    Sleep(300);
    ASSERT_TRUE(redrawn.Take(control));
    if (emptyBar == CLR_INVALID) {
        EXPECT_EQ(shown.pixels, redrawn.pixels);
    } else {
        EXPECT_EQ(shown.FilledColumns(emptyBar), redrawn.FilledColumns(emptyBar));
    }
}

// A message box of the worker or of the page, moved off the wizard so that
// the installing page shows in full behind it.
void MoveBoxAside(HWND box, HWND dialog, HWND label, HWND bar) {
    MoveClearOf(box, dialog);
    RECT boxRect, rect, overlap;
    GetWindowRect(box, &boxRect);
    for (HWND control : {label, bar}) {
        GetWindowRect(control, &rect);
        EXPECT_FALSE(IntersectRect(&overlap, &boxRect, &rect));
    }
    Sleep(300);
}

// Many small files, then the shortcut question, which the worker asks after
// the last file with the page still on screen behind it.
TEST(InstallPage, BarGrowsWhileFilesAreWrittenAndEndsFullWithTheLastName) {
    std::string app = UniqueName("Page");
    SystemCleanup cleanup(app, app);
    ScratchDir target("target");
    std::string installDir = target / "app";
    PackageContents p = Package(app, installDir);
    p.record.uninstallIconOffered = 0;
    const int kFiles = 1500;
    for (int i = 0; i < kFiles; ++i) p.AddFile("f" + std::to_string(i) + ".txt", "", std::to_string(i));
    ASSERT_TRUE(testenv::WriteFileBytes(DesktopLink(app), "old shortcut"));

    WizardSession run;
    ASSERT_NO_FATAL_FAILURE(run.StartInstalling(p));
    HWND bar = nullptr;
    ASSERT_TRUE(gui::WaitFor([&] { return (bar = run.Control(IDC_INSTALL_PROGRESS)) != nullptr; }));
    HWND label = run.Control(IDC_INSTALL_FILE);
    ASSERT_TRUE(label != nullptr);
    ASSERT_EQ(kFiles, SendMessageA(bar, PBM_GETRANGE, FALSE, 0));

    // Early on, the right end of the bar shows its empty colour.
    ScreenShot early, later, earlyName, laterName;
    ASSERT_TRUE(WaitPosition(bar, kFiles / 10));
    ASSERT_TRUE(early.Take(bar));
    ASSERT_TRUE(earlyName.Take(label));
    COLORREF empty = early.At(early.width - early.width / 20, early.height / 2);
    ASSERT_TRUE(WaitPosition(bar, kFiles / 2));
    ASSERT_TRUE(later.Take(bar));
    ASSERT_TRUE(laterName.Take(label));
    ASSERT_GT(Position(bar), kFiles / 2) << "the files went by too fast to be watched";
    ASSERT_LT(Position(bar), kFiles) << "the files went by too fast to be watched";
    int earlyFilled = early.FilledColumns(empty);
    int laterFilled = later.FilledColumns(empty);
    EXPECT_GE(earlyFilled, early.width / 20);
    EXPECT_GE(laterFilled, earlyFilled + later.width / 4);
    EXPECT_LT(laterFilled, later.width - later.width / 10);
    // A file name is on screen, and another one later.
    EXPECT_GT(earlyName.PixelsOtherThan(GetSysColor(COLOR_BTNFACE)), 20);
    EXPECT_GT(laterName.PixelsOtherThan(GetSysColor(COLOR_BTNFACE)), 20);
    EXPECT_NE(earlyName.pixels, laterName.pixels);

    HWND box = run.program.WaitMessageBox("Installation : " + app, 60000);
    ASSERT_TRUE(box != nullptr);
    MoveBoxAside(box, run.dialog, label, bar);

    // The controls hold the last state and show it.
    std::string last = installDir + "\\f" + std::to_string(kFiles - 1) + ".txt";
    EXPECT_EQ(last, gui::Text(label));
    EXPECT_EQ(kFiles, Position(bar));
    ScreenShot full, finalName;
    ASSERT_TRUE(full.Take(bar));
    EXPECT_GE(full.FilledColumns(empty), full.width - full.width / 50);
    ASSERT_TRUE(finalName.Take(label));
    EXPECT_NE(laterName.pixels, finalName.pixels);
    ExpectShowsItsState(label);
    ExpectShowsItsState(bar, empty);
    ASSERT_TRUE(gui::AnswerMessageBox(box, IDNO));
    ASSERT_TRUE(run.WaitFinishPage());
    run.Close();
}

// A file that cannot be written stops the extraction at once: behind the quit
// question, the page shows that file's path and the bar of the files before.
TEST(InstallPage, FailedFileStaysOnScreenBehindTheQuitQuestion) {
    std::string app = UniqueName("PageFail");
    SystemCleanup cleanup(app, app);
    ScratchDir target("target");
    std::string installDir = target / "app";
    PackageContents p = PlainPackage(app, installDir);
    const int kFiles = 600, kBlocked = 400;
    for (int i = 0; i < kFiles; ++i) p.AddFile("f" + std::to_string(i) + ".txt", "", std::to_string(i));
    std::string blocked = installDir + "\\f" + std::to_string(kBlocked) + ".txt";
    ASSERT_TRUE(CreateDirectoryA(installDir.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(blocked.c_str(), nullptr));

    WizardSession run;
    ASSERT_NO_FATAL_FAILURE(run.StartInstalling(p));
    HWND question = ExpectMessageBox(run.program, "Installation : " + app, kQuitText, {IDYES, IDNO}, 60000);
    ASSERT_TRUE(question != nullptr);
    HWND label = run.Control(IDC_INSTALL_FILE);
    HWND bar = run.Control(IDC_INSTALL_PROGRESS);
    ASSERT_TRUE(label != nullptr && bar != nullptr);
    MoveBoxAside(question, run.dialog, label, bar);
    EXPECT_EQ(blocked, gui::Text(label));
    EXPECT_EQ(kBlocked, Position(bar));
    ExpectShowsItsState(label);
    // Two thirds of the bar are filled; its right end shows the empty colour.
    ScreenShot shown;
    ASSERT_TRUE(shown.Take(bar));
    COLORREF empty = shown.At(shown.width - shown.width / 20, shown.height / 2);
    EXPECT_NEAR(shown.width * kBlocked / kFiles, shown.FilledColumns(empty), shown.width / 30);
    ExpectShowsItsState(bar, empty);
    ASSERT_TRUE(gui::AnswerMessageBox(question, IDYES));
    EXPECT_TRUE(run.program.WaitExit(10000));
}

// The index of the file "<installDir>\\f<i>.txt" the label names, or -1.
int FileIndex(const std::string& text, const std::string& installDir) {
    std::string prefix = installDir + "\\f";
    if (text.compare(0, prefix.size(), prefix) != 0 || text.size() < prefix.size() + 5) return -1;
    return atoi(text.c_str() + prefix.size());
}

// While the files are written, the label and the bar are visible and enabled
// to the system (assistive tools skip hidden windows), hold the worker's last
// update whenever they are asked, and show it on screen, also right after
// another window uncovers them.
TEST(InstallPage, ControlsStayVisibleAndHoldTheLatestUpdateWhileFilesAreWritten) {
    std::string app = UniqueName("PageSeen");
    SystemCleanup cleanup(app, app);
    ScratchDir target("target");
    std::string installDir = target / "app";
    PackageContents p = PlainPackage(app, installDir);
    const int kFiles = 2000;
    for (int i = 0; i < kFiles; ++i) p.AddFile("f" + std::to_string(i) + ".txt", "", std::to_string(i));

    WizardSession run;
    ASSERT_NO_FATAL_FAILURE(run.StartInstalling(p));
    HWND bar = nullptr;
    ASSERT_TRUE(gui::WaitFor([&] { return (bar = run.Control(IDC_INSTALL_PROGRESS)) != nullptr; }));
    HWND label = run.Control(IDC_INSTALL_FILE);
    ASSERT_TRUE(label != nullptr);
    ASSERT_TRUE(WaitPosition(bar, 1));

    // The worker names file i, then writes it, then sets the bar to i + 1: a
    // position read before the label and one read after it enclose its file.
    int samples = 0, hidden = 0, disabled = 0, behind = 0;
    std::string firstBehind;
    while (Position(bar) < kFiles * 3 / 4) {
        int before = Position(bar);
        std::string text = gui::Text(label);
        int after = Position(bar);
        for (HWND control : {label, bar}) {
            hidden += !IsWindowVisible(control) || !gui::Visible(control);
            disabled += !IsWindowEnabled(control);
        }
        int index = FileIndex(text, installDir);
        if (index < before - 1 || index > after) {
            if (!behind++) firstBehind = text + " with the bar from " + std::to_string(before) + " to " +
                                         std::to_string(after);
        }
        ++samples;
        Sleep(1);
    }
    ASSERT_LT(Position(bar), kFiles) << "the files went by too fast to be watched";
    EXPECT_GT(samples, 50);
    EXPECT_EQ(0, hidden) << "of " << samples << " samples";
    EXPECT_EQ(0, disabled) << "of " << samples << " samples";
    EXPECT_EQ(0, behind) << firstBehind;

    // A window over both controls, then gone: the screen shows the file name
    // and about as much of the bar as its position says.
    RECT area, barRect;
    GetWindowRect(label, &area);
    GetWindowRect(bar, &barRect);
    UnionRect(&area, &area, &barRect);
    HWND cover = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, "static", "", WS_POPUP | WS_VISIBLE, area.left,
                                 area.top, area.right - area.left, area.bottom - area.top, nullptr, nullptr,
                                 nullptr, nullptr);
    ASSERT_TRUE(cover != nullptr);
    Sleep(100);
    DestroyWindow(cover);
    Sleep(100);
    ScreenShot name, shown;
    ASSERT_TRUE(name.Take(label));
    ASSERT_TRUE(shown.Take(bar));
    int position = Position(bar);
    ASSERT_LT(position, kFiles) << "the files went by too fast to be watched";
    EXPECT_GT(name.PixelsOtherThan(GetSysColor(COLOR_BTNFACE)), 20);
    COLORREF empty = shown.At(shown.width - shown.width / 20, shown.height / 2);
    EXPECT_NEAR(shown.width * position / kFiles, shown.FilledColumns(empty), shown.width / 10);
    EXPECT_TRUE(run.WaitFinishPage());
    run.Close();
}

}  // namespace
