// Pacing of the installing page's repaints: the file name and the bar take
// every update of the worker at once but are drawn at most once a tick.
#pragma once

#include <windows.h>

// The worker updates the file name label and the progress bar for every file,
// several hundred times a second with small files, and each update made the
// controls repaint themselves while the worker waited: most of the time of an
// installation of many files. The pacer lets the controls take every update
// at once but paint nothing for it, and a timer of the page draws the
// controls whose state changed, each into a picture kept in memory and from
// there onto the screen, once a tick at most, about 30 times a second.
//
// The controls stay visible and enabled throughout, and take every update at
// once: WM_GETTEXT and PBM_GETPOS read the latest state at any moment, and
// assistive tools see both controls. A part of a control uncovered meanwhile
// is painted by the control itself, from its current state.
//
// The label is an owner-drawn static (SS_OWNERDRAW): the page passes its
// WM_DRAWITEM to DrawLabel. The bar is a progress bar. Both are subclassed
// (SetWindowSubclass) between Start and Stop.
class CProgressPacer {
public:
    // The id of the page timer whose WM_TIMER goes to Tick.
    enum { kTimerId = 1 };

    CProgressPacer();
    ~CProgressPacer();

    // Starts the timer on page and the pacing of label and bar.
    void Start(HWND page, HWND label, HWND bar);
    void Tick(HWND page);
    // Stops the timer and the pacing; a control whose latest state was not
    // drawn yet draws itself.
    void Stop(HWND page);

    // Handles the page's WM_DRAWITEM for the label: the file name, cut in its
    // middle to fit (as a path), in the page's static colours and the
    // label's font; nothing while the label takes an update.
    void DrawLabel(HWND page, const DRAWITEMSTRUCT* item);

private:
    enum { kLabel = 0, kBar = 1 };

    // A control's picture: a memory DC holding a bitmap as large as the control.
    struct Picture {
        HDC dc;
        HBITMAP bitmap;
        HGDIOBJ ownBitmap;
        int width, height;
    };

    static LRESULT CALLBACK ControlProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam,
                                        UINT_PTR which, DWORD_PTR pacer);
    LRESULT TakeUpdate(HWND control, int which, UINT message, WPARAM wParam, LPARAM lParam);
    bool MakePictures(HWND page);
    void ReleasePictures();
    void Render(HWND page, int which);
    void Show(int which);

    HWND controls[2];  // the label, then the bar
    Picture pictures[2];
    // The control whose update is being handled, or null.
    HWND updating;
    // Bits (1 << which) of the controls updated since their picture was drawn.
    int changed;
    // True between Start and Stop while both pictures exist.
    bool pacing;
};
