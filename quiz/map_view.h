// The map view window class: the map of France with one marker per city.
#pragma once

#include <windows.h>

// Registers "WndViewClass"; returns the class atom, 0 on failure.
ATOM RegisterViewClass();

// Forwards the view's messages to the CQuizGame stored in its user data.
LRESULT CALLBACK ViewWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
