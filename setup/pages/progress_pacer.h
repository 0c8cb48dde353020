// Pacing of the installing page's repaints: the file name and the bar take
// every update of the worker at once but are drawn at most once a tick.
#pragma once

#include <windows.h>

#include "records.h"

// The worker updates the file name label and the progress bar for every file,
// several hundred times a second with small files, and each update made the
// controls repaint themselves while the worker waited: most of the time of an
// installation of many files. The pacer lets the controls take the updates
// with their drawing off (WM_SETREDRAW) and draws them itself from a timer of
// the page, once a tick at most, about 30 times a second. A tick that sees no
// update turns the controls' own drawing back on, so that they show their last
// state and repaint themselves when uncovered (a long file, the steps after
// the last file, a message box); Stop does the same.
class CProgressPacer {
public:
    // The id of the page timer whose WM_TIMER goes to Tick.
    enum { kTimerId = 1 };

    CProgressPacer();
    ~CProgressPacer();

    // Starts the timer on page, whose controls label and bar are drawing
    // themselves as usual.
    void Start(HWND page, HWND label, HWND bar);
    void Tick(HWND page);
    // Stops the timer; the controls draw themselves again and show their state.
    void Stop(HWND page);

private:
    // Bits of the controls to draw: the label, the bar.
    enum { kLabel = 1, kBar = 2 };

    void SetDrawing(BOOL on);
    bool HavePicture(HDC screen);
    void ReleasePicture();
    void DrawOnPage(HWND page, int which);
    void DrawnByThemselves();

    HWND controls[2];  // the label, then the bar
    // 1 while the controls take updates without drawing them.
    int paced;
    // The controls whose picture on screen may be older than their state
    // although it did not change since the previous tick: both, when their
    // own drawing has just been turned off.
    int stale;
    // What the controls held at the previous tick.
    int shownPosition;
    char shownFile[kPathSize];
    // The memory picture the controls are drawn into, as large as the larger
    // of the two, made at the first picture and kept until Stop: making a
    // bitmap costs more than drawing the label into it.
    HDC memory;
    HBITMAP picture;
    HGDIOBJ memoryOwnBitmap;
};
