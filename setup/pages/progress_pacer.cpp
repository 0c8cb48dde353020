// The installing page's repaint pacing: a timer draws the file name and the bar.
#include "progress_pacer.h"

#include <commctrl.h>

#include "records.h"

namespace {

// About 30 pictures a second. Each picture costs the page's thread, and the
// display, work that the worker then waits for or shares the processor with;
// at 30 a second the bar still grows in even steps (about 4 pixels a picture
// for 1,000 files on its 400), half the work of 60 a second.
const UINT kTickMs = 33;

// The label as a static control with SS_PATHELLIPSIS draws it, without
// prefix characters: a file name may hold an "&".
void DrawFileName(HWND page, HWND label, HDC dc, const RECT& area) {
    int saved = SaveDC(dc);
    // The page chooses the colours of its static controls, as for any static.
    HBRUSH background = reinterpret_cast<HBRUSH>(
        SendMessageA(page, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(label)));
    FillRect(dc, &area, background ? background : GetSysColorBrush(COLOR_BTNFACE));
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(label, WM_GETFONT, 0, 0));
    if (font) SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    char text[kPathSize] = "";
    GetWindowTextA(label, text, sizeof(text));
    RECT box = area;
    DrawTextA(dc, text, -1, &box, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX | DT_PATH_ELLIPSIS);
    if (saved) RestoreDC(dc, saved);
}

}  // namespace

CProgressPacer::CProgressPacer() : controls(), pictures(), updating(nullptr), changed(0), pacing(false) {}

CProgressPacer::~CProgressPacer() {
    ReleasePictures();
}

void CProgressPacer::Start(HWND page, HWND label, HWND bar) {
    controls[kLabel] = label;
    controls[kBar] = bar;
    updating = nullptr;
    changed = 0;
    // Without pictures the controls draw every update themselves: slower, but
    // nothing is lost.
    pacing = MakePictures(page);
    for (int which = kLabel; which <= kBar; ++which) {
        if (!pacing) break;
        if (!SetWindowSubclass(controls[which], ControlProc, which, reinterpret_cast<DWORD_PTR>(this))) {
            RemoveWindowSubclass(controls[kLabel], ControlProc, kLabel);
            pacing = false;
        }
    }
    if (!pacing) ReleasePictures();
    SetTimer(page, kTimerId, kTickMs, nullptr);
}

// Makes the two pictures, in the format of the screen, once for the whole
// installation: making a bitmap costs more than drawing a control into it.
bool CProgressPacer::MakePictures(HWND page) {
    HDC screen = GetDC(page);
    if (!screen) return false;
    bool made = true;
    for (int which = kLabel; which <= kBar && made; ++which) {
        Picture& picture = pictures[which];
        RECT area;
        made = GetClientRect(controls[which], &area) != 0;
        if (!made) break;
        picture.width = area.right;
        picture.height = area.bottom;
        picture.dc = CreateCompatibleDC(screen);
        picture.bitmap = picture.dc ? CreateCompatibleBitmap(screen, picture.width, picture.height) : nullptr;
        made = picture.bitmap != nullptr;
        if (made) picture.ownBitmap = SelectObject(picture.dc, picture.bitmap);
    }
    ReleaseDC(page, screen);
    if (!made) ReleasePictures();
    return made;
}

void CProgressPacer::ReleasePictures() {
    for (Picture& picture : pictures) {
        if (picture.dc && picture.ownBitmap) SelectObject(picture.dc, picture.ownBitmap);
        if (picture.bitmap) DeleteObject(picture.bitmap);
        if (picture.dc) DeleteDC(picture.dc);
        picture = Picture();
    }
}

// Draws the control's current state into its picture. The bar draws itself
// (WM_PRINTCLIENT, which controls handle) over the page's background; the
// picture DC's state is saved around it, so that what the bar selects or
// clips does not carry over to the next picture.
void CProgressPacer::Render(HWND page, int which) {
    Picture& picture = pictures[which];
    RECT area = {0, 0, picture.width, picture.height};
    if (which == kLabel) {
        DrawFileName(page, controls[kLabel], picture.dc, area);
        return;
    }
    HBRUSH background = reinterpret_cast<HBRUSH>(GetClassLongPtrA(page, GCLP_HBRBACKGROUND));
    FillRect(picture.dc, &area, background ? background : GetSysColorBrush(COLOR_BTNFACE));
    int saved = SaveDC(picture.dc);
    SendMessageA(controls[kBar], WM_PRINTCLIENT, reinterpret_cast<WPARAM>(picture.dc), PRF_CLIENT | PRF_ERASEBKGND);
    if (saved) RestoreDC(picture.dc, saved);
}

// Copies the control's picture onto the control, in its visible part.
void CProgressPacer::Show(int which) {
    HWND control = controls[which];
    HDC dc = GetDC(control);
    if (!dc) return;
    const Picture& picture = pictures[which];
    BitBlt(dc, 0, 0, picture.width, picture.height, picture.dc, 0, 0, SRCCOPY);
    ReleaseDC(control, dc);
}

// The control takes the update as usual (its text or its position, at once)
// and paints nothing for it: the screen keeps the control's previous picture
// until the next tick draws the new one. A control with a part still to paint
// (just uncovered) takes the update as usual and paints that part itself, so
// that no uncovered part waits for a tick.
LRESULT CProgressPacer::TakeUpdate(HWND control, int which, UINT message, WPARAM wParam, LPARAM lParam) {
    changed |= 1 << which;
    if (GetUpdateRect(control, nullptr, FALSE)) return DefSubclassProc(control, message, wParam, lParam);
    HWND outer = updating;
    updating = control;
    LRESULT result = DefSubclassProc(control, message, wParam, lParam);
    updating = outer;
    return result;
}

LRESULT CALLBACK CProgressPacer::ControlProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam,
                                             UINT_PTR which, DWORD_PTR pacerData) {
    CProgressPacer* pacer = reinterpret_cast<CProgressPacer*>(pacerData);
    int index = static_cast<int>(which);
    switch (message) {
    case WM_SETTEXT:
    case PBM_SETPOS:
        return pacer->TakeUpdate(control, index, message, wParam, lParam);
    case WM_ERASEBKGND:
        if (pacer->updating == control) return 1;
        break;
    case WM_PAINT:
        // What the update made invalid is drawn at the next tick.
        if (pacer->updating == control) {
            ValidateRect(control, nullptr);
            return 0;
        }
        break;
    case WM_NCDESTROY:
        RemoveWindowSubclass(control, ControlProc, which);
        break;
    }
    return DefSubclassProc(control, message, wParam, lParam);
}

void CProgressPacer::DrawLabel(HWND page, const DRAWITEMSTRUCT* item) {
    // A drawing the label asks for while it takes an update (a static draws
    // its new text at once) is left to the next tick.
    if (pacing && updating == item->hwndItem) return;
    DrawFileName(page, item->hwndItem, item->hDC, item->rcItem);
}

// Draws the controls updated since the previous tick, as they are now.
void CProgressPacer::Tick(HWND page) {
    if (!pacing) return;
    for (int which = kLabel; which <= kBar; ++which) {
        if (!(changed & (1 << which))) continue;
        Render(page, which);
        Show(which);
    }
    changed = 0;
}

void CProgressPacer::Stop(HWND page) {
    KillTimer(page, kTimerId);
    if (!pacing) return;
    pacing = false;
    for (int which = kLabel; which <= kBar; ++which) {
        RemoveWindowSubclass(controls[which], ControlProc, which);
        if (changed & (1 << which)) RedrawWindow(controls[which], nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    }
    changed = 0;
    ReleasePictures();
}
