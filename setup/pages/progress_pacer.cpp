// The installing page's repaint pacing: a timer draws the file name and the bar.
#include "progress_pacer.h"

#include <commctrl.h>
#include <string.h>

namespace {

// About 30 pictures a second. Each picture costs the page's thread, and the
// display, work that the worker then waits for or shares the processor with;
// at 30 a second the bar still grows in even steps (about 4 pixels a picture
// for 1,000 files on its 400), half the work of 60 a second.
const UINT kTickMs = 33;

}  // namespace

CProgressPacer::CProgressPacer()
    : controls(), paced(0), stale(0), shownPosition(0), shownFile(), memory(nullptr), picture(nullptr),
      memoryOwnBitmap(nullptr) {}

CProgressPacer::~CProgressPacer() {
    ReleasePicture();
}

void CProgressPacer::Start(HWND page, HWND label, HWND bar) {
    controls[0] = label;
    controls[1] = bar;
    paced = 0;
    stale = 0;
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

// Makes the memory picture on first use, in the format of the screen.
bool CProgressPacer::HavePicture(HDC screen) {
    if (memory) return true;
    int width = 0, height = 0;
    for (HWND control : controls) {
        RECT area;
        if (!GetClientRect(control, &area)) return false;
        if (area.right > width) width = area.right;
        if (area.bottom > height) height = area.bottom;
    }
    memory = CreateCompatibleDC(screen);
    picture = memory ? CreateCompatibleBitmap(screen, width, height) : nullptr;
    if (!picture) {
        ReleasePicture();
        return false;
    }
    memoryOwnBitmap = SelectObject(memory, picture);
    return true;
}

void CProgressPacer::ReleasePicture() {
    if (memory && memoryOwnBitmap) SelectObject(memory, memoryOwnBitmap);
    if (picture) DeleteObject(picture);
    if (memory) DeleteDC(memory);
    memory = nullptr;
    picture = nullptr;
    memoryOwnBitmap = nullptr;
}

// Draws the controls named by which, as they are now, onto the page where
// they lie, while their own drawing stays off: turning it on and off for each
// picture would cost more than the picture. Each control draws itself into the
// memory picture (WM_PRINTCLIENT, which controls handle), laid on the page's
// background first, and its part is copied to the page in one piece. The
// memory DC's state is saved around each control's drawing, so that what one
// control selects or clips does not carry over to the next picture.
void CProgressPacer::DrawOnPage(HWND page, int which) {
    HDC dc = GetDC(page);
    if (!dc) return;
    if (HavePicture(dc)) {
        HBRUSH background = reinterpret_cast<HBRUSH>(GetClassLongPtrA(page, GCLP_HBRBACKGROUND));
        for (int i = 0; i < 2; ++i) {
            HWND control = controls[i];
            RECT area;
            if (!(which & (i == 0 ? kLabel : kBar)) || !GetClientRect(control, &area)) continue;
            FillRect(memory, &area, background ? background : GetSysColorBrush(COLOR_BTNFACE));
            int saved = SaveDC(memory);
            SendMessageA(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT | PRF_ERASEBKGND);
            if (saved) RestoreDC(memory, saved);
            MapWindowPoints(control, page, reinterpret_cast<POINT*>(&area), 2);
            BitBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top, memory, 0, 0, SRCCOPY);
        }
    }
    ReleaseDC(page, dc);
}

// The controls draw themselves again, starting with their current state.
void CProgressPacer::DrawnByThemselves() {
    paced = 0;
    SetDrawing(TRUE);
    for (HWND control : controls) RedrawWindow(control, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_UPDATENOW);
}

// Compares the controls with the previous tick: while updates keep coming,
// drawing stays off and the tick draws the latest state of the controls that
// changed.
void CProgressPacer::Tick(HWND page) {
    char file[kPathSize] = "";
    GetWindowTextA(controls[0], file, sizeof(file));
    int position = static_cast<int>(SendMessageA(controls[1], PBM_GETPOS, 0, 0));
    int changed = (strcmp(file, shownFile) != 0 ? kLabel : 0) | (position != shownPosition ? kBar : 0);
    shownPosition = position;
    memcpy(shownFile, file, sizeof(shownFile));
    if (changed && paced) {
        DrawOnPage(page, changed | stale);
        stale = 0;
    } else if (changed) {
        SetDrawing(FALSE);
        paced = 1;
        stale = kLabel | kBar;
    } else if (paced) {
        DrawnByThemselves();
    }
}

void CProgressPacer::Stop(HWND page) {
    KillTimer(page, kTimerId);
    if (paced) DrawnByThemselves();
    ReleasePicture();
}
