// The installing page's pacer in process, on a window built like the page: a
// worker thread sends the file name and the bar position for every file, as
// the installation does, while this thread runs the page's messages. Counted
// in the controls' own procedures: what was painted, how often, and what the
// controls answered meanwhile.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "progress_pacer.h"
#include "setup_ids.h"

namespace {

// What the page, the label and the bar went through, counted by procedures
// put under the pacer's (the controls') and by the page's own.
struct Seen {
    CProgressPacer* pacer = nullptr;
    WNDPROC labelProc = nullptr, barProc = nullptr;  // the controls' own
    int pagePaints = 0, labelPaints = 0, barPaints = 0;
    std::string lastPaintedText;
    int lastPaintedPosition = -1;
    std::set<int> paintedPositions;
};
Seen seen;

LRESULT CALLBACK PageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER && wParam == CProgressPacer::kTimerId && seen.pacer) seen.pacer->Tick();
    if (message == WM_PAINT || message == WM_ERASEBKGND) ++seen.pagePaints;
    return DefWindowProcA(page, message, wParam, lParam);
}

LRESULT CALLBACK CountedLabel(HWND label, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        ++seen.labelPaints;
        char text[MAX_PATH] = "";
        CallWindowProcA(seen.labelProc, label, WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text));
        seen.lastPaintedText = text;
    }
    return CallWindowProcA(seen.labelProc, label, message, wParam, lParam);
}

LRESULT CALLBACK CountedBar(HWND bar, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        ++seen.barPaints;
        seen.lastPaintedPosition = static_cast<int>(CallWindowProcA(seen.barProc, bar, PBM_GETPOS, 0, 0));
        seen.paintedPositions.insert(seen.lastPaintedPosition);
    }
    return CallWindowProcA(seen.barProc, bar, message, wParam, lParam);
}

// A page window on screen with the installing page's label and bar, counted.
class PacedPage : public ::testing::Test {
protected:
    void SetUp() override {
        seen = Seen();
        seen.pacer = &pacer;
        INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_PROGRESS_CLASS};
        InitCommonControlsEx(&controls);
        WNDCLASSA type = {};
        type.lpfnWndProc = PageProc;
        type.hInstance = GetModuleHandleA(nullptr);
        type.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
        type.lpszClassName = "PacedPageTest";
        RegisterClassA(&type);
        page = CreateWindowA("PacedPageTest", "", WS_POPUP | WS_VISIBLE, 20, 20, 480, 200, nullptr, nullptr,
                             type.hInstance, nullptr);
        ASSERT_TRUE(page != nullptr);
        HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
        label = CreateWindowA("static", "", WS_CHILD | WS_VISIBLE | SS_PATHELLIPSIS | SS_NOPREFIX, 40, 100, 400, 16,
                              page, reinterpret_cast<HMENU>(IDC_INSTALL_FILE), nullptr, nullptr);
        bar = CreateWindowA(PROGRESS_CLASSA, "", WS_CHILD | WS_VISIBLE | PBS_SMOOTH, 40, 150, 400, 25, page,
                            reinterpret_cast<HMENU>(IDC_INSTALL_PROGRESS), nullptr, nullptr);
        ASSERT_TRUE(label != nullptr && bar != nullptr);
        SendMessageA(label, WM_SETFONT, reinterpret_cast<WPARAM>(font), 0);
        SendMessageA(bar, PBM_SETRANGE32, 0, kFiles);
        seen.labelProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(label, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountedLabel)));
        seen.barProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(bar, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountedBar)));
        // The first painting of the window is not counted.
        UpdateWindow(page);
        Pump(200);
        seen.pagePaints = seen.labelPaints = seen.barPaints = 0;
    }

    void TearDown() override {
        if (page) DestroyWindow(page);
        seen.pacer = nullptr;
    }

    // Runs this thread's messages for ms milliseconds, or until thread ends.
    static void Pump(DWORD ms, HANDLE thread = nullptr) {
        DWORD end = GetTickCount() + ms;
        for (;;) {
            MSG message;
            while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
            DWORD now = GetTickCount();
            if (static_cast<int>(end - now) <= 0) return;
            DWORD waited = MsgWaitForMultipleObjects(thread ? 1 : 0, &thread, FALSE, end - now, QS_ALLINPUT);
            if (thread && waited == WAIT_OBJECT_0) return;
        }
    }

    static std::string FileName(int i) { return "C:\\Programmes\\App & Co\\dir\\file" + std::to_string(i) + ".txt"; }

    // The worker's side: per file the name, the position, then a 1 ms pause,
    // each update sent and waited for; checks that the controls answer the
    // latest update at once, from this other thread.
    struct Sender {
        HWND label, bar;
        int stale = 0;
    };
    static DWORD WINAPI Send(LPVOID parameter) {
        Sender* sender = static_cast<Sender*>(parameter);
        for (int i = 1; i <= kFiles; ++i) {
            std::string name = FileName(i);
            SendMessageA(sender->label, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()));
            SendMessageA(sender->bar, PBM_SETPOS, i, 0);
            char text[MAX_PATH] = "";
            SendMessageA(sender->label, WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text));
            sender->stale += name != text || SendMessageA(sender->bar, PBM_GETPOS, 0, 0) != i;
            Sleep(1);
        }
        return 0;
    }

    static constexpr int kFiles = 600;
    CProgressPacer pacer;
    HWND page = nullptr, label = nullptr, bar = nullptr;
};

// The controls take every update at once but are painted about once a tick,
// never the page around them; the bar is seen growing while the files go, and
// once the worker is done both show its last update.
TEST_F(PacedPage, UpdatesArePaintedOnceATickAndTheLastOneStays) {
    pacer.Start(page, label, bar);
    Sender sender = {label, bar};
    DWORD start = GetTickCount();
    HANDLE worker = CreateThread(nullptr, 0, Send, &sender, 0, nullptr);
    ASSERT_TRUE(worker != nullptr);
    Pump(120000, worker);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(worker, 0)) << "the updates did not end";
    CloseHandle(worker);
    DWORD elapsed = GetTickCount() - start;
    pacer.Stop(page);

    EXPECT_EQ(0, sender.stale) << "updates not answered at once";
    EXPECT_EQ(0, seen.pagePaints) << "the page was painted for its controls' updates";
    // About one picture a tick (33 ms), not one an update; a few more for the
    // end and for the system's own timing.
    int ticks = static_cast<int>(elapsed / 33);
    EXPECT_LE(seen.labelPaints, ticks + 4) << kFiles << " updates in " << elapsed << " ms";
    EXPECT_LE(seen.barPaints, ticks + 4) << kFiles << " updates in " << elapsed << " ms";
    EXPECT_LT(seen.barPaints, kFiles / 2);
    // The bar grew in steps while the files went, not only at the end.
    EXPECT_GE(static_cast<int>(seen.paintedPositions.size()), 5) << elapsed << " ms";
    EXPECT_EQ(FileName(kFiles), seen.lastPaintedText);
    EXPECT_EQ(kFiles, seen.lastPaintedPosition);
    // Unsubclassed, the controls themselves hold the last update.
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(CountedBar), GetWindowLongPtrA(bar, GWLP_WNDPROC));
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(CountedLabel), GetWindowLongPtrA(label, GWLP_WNDPROC));
    EXPECT_EQ(kFiles, SendMessageA(bar, PBM_GETPOS, 0, 0));
    char text[MAX_PATH] = "";
    GetWindowTextA(label, text, sizeof(text));
    EXPECT_EQ(FileName(kFiles), text);
}

// A kept position answers as the bar would: the previous position returned,
// a position outside the range brought to its ends, and any other request of
// the bar (a step, its range) made from the latest position.
TEST_F(PacedPage, KeptPositionBehavesAsTheBarWould) {
    pacer.Start(page, label, bar);
    EXPECT_EQ(0, SendMessageA(bar, PBM_SETPOS, 5, 0));
    EXPECT_EQ(5, SendMessageA(bar, PBM_SETPOS, 7, 0));
    EXPECT_EQ(7, SendMessageA(bar, PBM_GETPOS, 0, 0));
    SendMessageA(bar, PBM_SETPOS, kFiles + 50, 0);
    EXPECT_EQ(kFiles, SendMessageA(bar, PBM_GETPOS, 0, 0));
    SendMessageA(bar, PBM_SETPOS, static_cast<WPARAM>(-3), 0);
    EXPECT_EQ(0, SendMessageA(bar, PBM_GETPOS, 0, 0));
    SendMessageA(bar, PBM_SETPOS, 10, 0);
    EXPECT_EQ(10, SendMessageA(bar, PBM_DELTAPOS, 4, 0));
    EXPECT_EQ(14, SendMessageA(bar, PBM_GETPOS, 0, 0));
    SendMessageA(bar, PBM_SETPOS, 20, 0);
    EXPECT_EQ(0, SendMessageA(bar, PBM_GETRANGE, TRUE, 0));
    pacer.Stop(page);
    EXPECT_EQ(20, SendMessageA(bar, PBM_GETPOS, 0, 0));
}

// A label whose text is set while it is covered and uncovered before the
// next tick paints its latest text at once (the system's own painting), and
// a tick after updates paints only the controls that changed.
TEST_F(PacedPage, TickPaintsOnlyWhatChanged) {
    pacer.Start(page, label, bar);
    SendMessageA(label, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("C:\\a\\one.txt"));
    Pump(150);
    EXPECT_EQ("C:\\a\\one.txt", seen.lastPaintedText);
    int labelPaints = seen.labelPaints, barPaints = seen.barPaints;
    SendMessageA(bar, PBM_SETPOS, 3, 0);
    Pump(150);
    EXPECT_EQ(labelPaints, seen.labelPaints) << "the label was painted without a change";
    EXPECT_GT(seen.barPaints, barPaints);
    EXPECT_EQ(3, seen.lastPaintedPosition);
    SendMessageA(label, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("C:\\a\\two.txt"));
    InvalidateRect(label, nullptr, TRUE);
    UpdateWindow(label);
    EXPECT_EQ("C:\\a\\two.txt", seen.lastPaintedText);
    EXPECT_EQ(0, seen.pagePaints);
    pacer.Stop(page);
}

}  // namespace
