// Entry point of Cartopia: window classes, the main window and the message loop.
#include <windows.h>
#include <commctrl.h>
#include <stdlib.h>

#include "main_window.h"
#include "map_view.h"
#include "quiz_game.h"
#include "quiz_ids.h"

// The program-wide objects. theGame is built before WinMain runs (its brushes
// and city copy exist before any window) and destroyed after it returns.
HINSTANCE appInstance = nullptr;
CQuizGame theGame;

namespace {

const char kMainClass[] = "CartopiaClassApp";
const char kTitle[] = "Urbiquiz";
// Fixed frame with a caption, system menu and minimise box: no resizing, no maximising.
const DWORD kMainStyle = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
const int kMainWidth = 730;
const int kMainHeight = 540;

ATOM RegisterMainClass(HINSTANCE instance) {
    WNDCLASSEXA mainClass = {};
    mainClass.cbSize = sizeof mainClass;
    mainClass.style = CS_DBLCLKS;
    mainClass.lpfnWndProc = MainWndProc;
    mainClass.hInstance = instance;
    mainClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_CARTOPIA));
    mainClass.hIconSm = LoadIconA(instance, MAKEINTRESOURCEA(IDI_CARTOPIA));
    mainClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    mainClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    mainClass.lpszMenuName = MAKEINTRESOURCEA(IDM_MAIN);
    mainClass.lpszClassName = kMainClass;
    return RegisterClassExA(&mainClass);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    appInstance = instance;
    InitCommonControls();
    if (!RegisterMainClass(instance)) return 0;
    if (!RegisterViewClass()) return 0;
    srand(GetTickCount());
    HWND window = CreateWindowExA(0, kMainClass, kTitle, kMainStyle, CW_USEDEFAULT, CW_USEDEFAULT, kMainWidth,
                                  kMainHeight, nullptr, nullptr, instance, nullptr);
    // Without its window the program could never be ended by its user.
    if (!window) return 0;
    ShowWindow(window, showCommand);
    MSG message = {};
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}
