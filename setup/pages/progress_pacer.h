// Pacing of the installing page's repaints: the file name and the bar take
// every update of the worker at once but are drawn at most once a tick.
#pragma once

#include <windows.h>

// The worker updates the file name label and the progress bar for every file,
// several hundred times a second with small files, and waits for each update.
// Everything the page's thread does for an update the worker waits for, and
// under Wine every question to the system about a window (its update region,
// its properties, an invalidation) is a round trip through the Wine server.
// So an update only stores the new state, and a timer of the page draws the
// controls whose state changed, about 30 times a second, the way they draw
// themselves.
//
// The file name label is a static control: its text is set at once (the
// system's own handling of WM_SETTEXT), without the repaint the static makes
// for it; the tick has the label repaint itself. The bar is a progress bar: a
// new position is kept by the pacer and answered to PBM_GETPOS at once, and
// the tick hands the latest one to the bar, which repaints the part that
// changed. Any other message of the bar hands it the kept position first.
//
// Both controls stay visible, enabled and real controls throughout: WM_GETTEXT
// and PBM_GETPOS give the latest state at any moment, and assistive tools see
// both. A part of a control uncovered meanwhile is painted by the control
// itself at once; the bar's part shows its position of the previous tick.
//
// The controls are subclassed by replacing their window procedure (their
// GWLP_USERDATA points to the pacer) between Start and Stop: asking for the
// pacer through a window property would cost a round trip for every message.
class CProgressPacer {
public:
    // The id of the page timer whose WM_TIMER goes to Tick.
    enum { kTimerId = 1 };

    CProgressPacer();

    // Starts the timer on page and the pacing of label and bar.
    void Start(HWND page, HWND label, HWND bar);
    // Draws the controls whose state changed since the previous tick.
    void Tick();
    // Stops the timer and the pacing; the controls show their latest state.
    void Stop(HWND page);

private:
    static LRESULT CALLBACK LabelProc(HWND label, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK BarProc(HWND bar, UINT message, WPARAM wParam, LPARAM lParam);
    static CProgressPacer* Of(HWND control);
    // Puts procedure in the place of the control's own; false if it cannot.
    static bool Subclass(HWND control, WNDPROC procedure, CProgressPacer* pacer, WNDPROC* own);
    // Gives the control its own procedure back, if the pacer's is still its.
    static void Unsubclass(HWND control, WNDPROC procedure, WNDPROC own);
    LRESULT SetPosition(WPARAM position);
    // Hands the kept position to the bar, which repaints the part that changed.
    void ApplyPosition();
    void RedrawLabel();

    HWND label;
    HWND bar;
    WNDPROC labelOwnProc;  // the controls' own procedures while subclassed
    WNDPROC barOwnProc;
    bool labelChanged;     // text set since the label was last drawn
    bool positionKept;     // position not handed to the bar yet
    bool pacing;           // between Start and Stop
    int position;          // the kept position
};
