// The main window of Cartopia: the control panel on the left, the map view on the right.
#pragma once

#include <windows.h>

extern HINSTANCE appInstance;

// The window procedure of "CartopiaClassApp".
LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Builds the left panel and the map view inside window; returns 0.
int CreateControls(HWND window);

// The About box; returns the message box result.
int ShowAbout(HWND owner);
