// The installing page's repaint pacing: updates are kept, a timer draws them.
#include "progress_pacer.h"

#include <commctrl.h>

namespace {

// About 30 pictures a second: the bar still grows in even steps (about 4
// pixels a picture for 1,000 files on its 400), and each picture costs the
// page's thread and the display work that the worker shares the processor with.
const UINT kTickMs = 33;

}  // namespace

CProgressPacer::CProgressPacer()
    : label(nullptr), bar(nullptr), labelOwnProc(nullptr), barOwnProc(nullptr), labelChanged(false),
      positionKept(false), pacing(false), position(0) {}

void CProgressPacer::Start(HWND page, HWND labelControl, HWND barControl) {
    label = labelControl;
    bar = barControl;
    labelChanged = false;
    positionKept = false;
    pacing = true;
    // A control that cannot be subclassed draws every update itself: slower,
    // but nothing is lost.
    Subclass(label, LabelProc, this, &labelOwnProc);
    Subclass(bar, BarProc, this, &barOwnProc);
    SetTimer(page, kTimerId, kTickMs, nullptr);
}

bool CProgressPacer::Subclass(HWND control, WNDPROC procedure, CProgressPacer* pacer, WNDPROC* own) {
    *own = nullptr;
    if (!control) return false;
    SetWindowLongPtrA(control, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(pacer));
    *own = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure)));
    if (*own) return true;
    SetWindowLongPtrA(control, GWLP_USERDATA, 0);
    return false;
}

void CProgressPacer::Unsubclass(HWND control, WNDPROC procedure, WNDPROC own) {
    if (!control || !own) return;
    if (reinterpret_cast<WNDPROC>(GetWindowLongPtrA(control, GWLP_WNDPROC)) != procedure) return;
    SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(own));
    SetWindowLongPtrA(control, GWLP_USERDATA, 0);
}

CProgressPacer* CProgressPacer::Of(HWND control) {
    return reinterpret_cast<CProgressPacer*>(GetWindowLongPtrA(control, GWLP_USERDATA));
}

LRESULT CALLBACK CProgressPacer::LabelProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
    CProgressPacer* pacer = Of(control);
    WNDPROC own = pacer->labelOwnProc;
    switch (message) {
    case WM_SETTEXT:
        if (!pacer->pacing) break;
        // The text is kept as the system keeps any window's text (WM_GETTEXT
        // reads it at once); the static's repaint for it waits for the tick.
        pacer->labelChanged = true;
        return DefWindowProcA(control, message, wParam, lParam);
    case WM_NCDESTROY:
        Unsubclass(control, LabelProc, own);
        pacer->label = nullptr;
        break;
    }
    return CallWindowProcA(own, control, message, wParam, lParam);
}

LRESULT CALLBACK CProgressPacer::BarProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
    CProgressPacer* pacer = Of(control);
    WNDPROC own = pacer->barOwnProc;
    switch (message) {
    case PBM_SETPOS:
        if (pacer->pacing) return pacer->SetPosition(wParam);
        break;
    case PBM_GETPOS:
        if (pacer->positionKept) return pacer->position;
        break;
    case WM_NCDESTROY:
        Unsubclass(control, BarProc, own);
        pacer->bar = nullptr;
        break;
    default:
        // Whatever else the bar is asked (its range, a step) starts from the
        // latest position.
        if (message >= WM_USER) pacer->ApplyPosition();
        break;
    }
    return CallWindowProcA(own, control, message, wParam, lParam);
}

// Keeps the new position, brought into the bar's range as the bar does, and
// returns the previous one, as PBM_SETPOS does.
LRESULT CProgressPacer::SetPosition(WPARAM requested) {
    int previous = positionKept ? position : static_cast<int>(CallWindowProcA(barOwnProc, bar, PBM_GETPOS, 0, 0));
    PBRANGE range = {};
    CallWindowProcA(barOwnProc, bar, PBM_GETRANGE, TRUE, reinterpret_cast<LPARAM>(&range));
    int wanted = static_cast<int>(requested);
    position = wanted < range.iLow ? range.iLow : (wanted > range.iHigh ? range.iHigh : wanted);
    positionKept = true;
    return previous;
}

void CProgressPacer::ApplyPosition() {
    if (!positionKept || !bar) return;
    positionKept = false;
    CallWindowProcA(barOwnProc, bar, PBM_SETPOS, static_cast<WPARAM>(position), 0);
    UpdateWindow(bar);
}

void CProgressPacer::RedrawLabel() {
    labelChanged = false;
    if (label) RedrawWindow(label, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void CProgressPacer::Tick() {
    ApplyPosition();
    if (labelChanged) RedrawLabel();
}

void CProgressPacer::Stop(HWND page) {
    KillTimer(page, kTimerId);
    Tick();
    // A procedure put on top of the pacer's since keeps it in the chain: it
    // then passes every message through.
    pacing = false;
    Unsubclass(label, LabelProc, labelOwnProc);
    Unsubclass(bar, BarProc, barOwnProc);
}
