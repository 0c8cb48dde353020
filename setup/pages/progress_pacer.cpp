// The installing page's repaint pacing: a timer draws the file name and the bar.
#include "progress_pacer.h"

#include <commctrl.h>
#include <string.h>

namespace {

// About 60 pictures a second.
const UINT kTickMs = 16;

}  // namespace

CProgressPacer::CProgressPacer() : controls(), paced(0), shownPosition(0), shownFile() {}

void CProgressPacer::Start(HWND page, HWND label, HWND bar) {
    controls[0] = label;
    controls[1] = bar;
    paced = 0;
    shownPosition = static_cast<int>(SendMessageA(bar, PBM_GETPOS, 0, 0));
    GetWindowTextA(label, shownFile, sizeof(shownFile));
    SetTimer(page, kTimerId, kTickMs, nullptr);
}

// With drawing off, a control still takes every update, its text or its
// position, but does not repaint for it, so the worker's sent message returns
// without waiting for a picture.
void CProgressPacer::SetDrawing(BOOL on) {
    for (HWND control : controls) SendMessageA(control, WM_SETREDRAW, on, 0);
}

// Draws both controls as they are now onto the page, where they lie, while
// their own drawing stays off: turning it on and off for each picture would
// cost more than the picture. Each control draws itself into a picture of its
// own size (WM_PRINTCLIENT, which controls handle), laid on the page's
// background first, and the picture is copied to the page in one piece.
void CProgressPacer::DrawOnPage(HWND page) {
    HDC dc = GetDC(page);
    if (!dc) return;
    HDC memory = CreateCompatibleDC(dc);
    HBRUSH background = reinterpret_cast<HBRUSH>(GetClassLongPtrA(page, GCLP_HBRBACKGROUND));
    for (HWND control : controls) {
        RECT area;
        if (!memory || !GetClientRect(control, &area)) break;
        HBITMAP picture = CreateCompatibleBitmap(dc, area.right, area.bottom);
        if (!picture) break;
        HGDIOBJ previous = SelectObject(memory, picture);
        FillRect(memory, &area, background ? background : GetSysColorBrush(COLOR_BTNFACE));
        SendMessageA(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT | PRF_ERASEBKGND);
        MapWindowPoints(control, page, reinterpret_cast<POINT*>(&area), 2);
        BitBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top, memory, 0, 0, SRCCOPY);
        SelectObject(memory, previous);
        DeleteObject(picture);
    }
    if (memory) DeleteDC(memory);
    ReleaseDC(page, dc);
}

// The controls draw themselves again, starting with their current state.
void CProgressPacer::DrawnByThemselves() {
    paced = 0;
    SetDrawing(TRUE);
    for (HWND control : controls) RedrawWindow(control, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_UPDATENOW);
}

// Compares the controls with the previous tick: while updates keep coming,
// drawing stays off and the tick draws the latest state.
void CProgressPacer::Tick(HWND page) {
    char file[kPathSize] = "";
    GetWindowTextA(controls[0], file, sizeof(file));
    int position = static_cast<int>(SendMessageA(controls[1], PBM_GETPOS, 0, 0));
    bool changed = position != shownPosition || strcmp(file, shownFile) != 0;
    shownPosition = position;
    memcpy(shownFile, file, sizeof(shownFile));
    if (changed && paced) {
        DrawOnPage(page);
    } else if (changed) {
        SetDrawing(FALSE);
        paced = 1;
    } else if (paced) {
        DrawnByThemselves();
    }
}

void CProgressPacer::Stop(HWND page) {
    KillTimer(page, kTimerId);
    if (paced) DrawnByThemselves();
}
