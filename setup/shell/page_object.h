// CPageObject: the base of every wizard page. A page owns one child window of
// the class "PageObjectExClass" while it is the current page; the window
// procedure binds the window to its page object and forwards to the handlers.
#pragma once

#include <windows.h>

class CSetupConfig;

extern const char kPageClassName[];

// Registers "PageObjectExClass"; the result is not needed by the wizard.
ATOM RegisterPageClass(HINSTANCE instance);

class CPageObject {
public:
    CPageObject() : window(nullptr), pageBitmap(nullptr), config(nullptr) {}
    virtual ~CPageObject() {}

    // Creates the page window over the parent's client area, less the 46-pixel
    // band that holds the dialog's buttons. Returns the window, or null.
    virtual HWND Create(HWND parent, int childId);
    virtual HWND GetWindow() { return window; }
    virtual CSetupConfig* GetConfig() { return config; }
    // 0 lets the window creation go on.
    virtual LRESULT OnCreate(HWND page) = 0;
    virtual HBRUSH OnCtlColorStatic(HWND page, HDC dc, HWND control) = 0;
    virtual LRESULT OnCommand(HWND page, WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnDrawItem(HWND page, WPARAM wParam, LPARAM lParam);
    // Deletes pageBitmap and returns the default handling of WM_DESTROY.
    virtual LRESULT OnDestroy(HWND page, WPARAM wParam, LPARAM lParam);
    // forward is 1 for Next, 0 for Back; nonzero lets the wizard leave.
    virtual LRESULT OnLeave(HWND page, int forward) = 0;
    // Nonzero when the page took care of the cancel request itself.
    virtual LRESULT OnQueryCancel(HWND page);
    virtual LRESULT OnWorkerDone(HWND page, int success);
    // A timer the page set on its window; returns 0.
    virtual LRESULT OnTimer(HWND page, WPARAM timerId);

    HWND window;
    HBITMAP pageBitmap;
    CSetupConfig* config;
};
