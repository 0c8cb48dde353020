// The main window: the panel (question, "Je passe", score, clock, start button),
// the commands of the menu and the panel, the confirmations, the counters' colours.
#include "main_window.h"

#include "quiz_game.h"
#include "quiz_ids.h"

namespace {

const char kCaption[] = "Urbiquiz";
const char kStartQuestion[] = "Cliquez sur OK si vous êtes prêts!";
const char kQuitQuestion[] = "Voulez-vous quitter vraiment.";
const char kRestartText[] = "Recommencer";

const char kAboutCaption[] = " A propos de...";
const char kAboutText[] =
    "    Cartopia   Version 1.0    \n"
    "\n"
    "    Décembre 2026 - Tous droits réservés    \n"
    "\n"
    "    Auteur : l'équipe Cartopia    \n"
    "\n"
    "    Graphiste : l'équipe Cartopia    \n"
    "\n"
    "L'équipe Cartopia";

const COLORREF kMissedTextColour = RGB(255, 0, 0);
const COLORREF kFoundTextColour = RGB(0, 0, 255);

// One child of the main window; GUI-font controls get DEFAULT_GUI_FONT at once.
enum ControlFont { kSystemFont, kGuiFont };

HWND AddChild(HWND parent, const char* className, const char* text, int id, int x, int y, int w, int h,
              DWORD style, DWORD exStyle, ControlFont font) {
    HWND child = CreateWindowExA(exStyle, className, text, style, x, y, w, h, parent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), appInstance, nullptr);
    if (child && font == kGuiFont) {
        SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), TRUE);
    }
    return child;
}

void OnStart(HWND window) {
    if (MessageBoxA(window, kStartQuestion, kCaption, MB_OKCANCEL | MB_ICONINFORMATION) != IDOK) return;
    theGame.Start();
    SetDlgItemTextA(window, ID_START, kRestartText);
    EnableWindow(GetDlgItem(window, ID_SKIP), TRUE);
}

LRESULT OnCommand(HWND window, WPARAM wParam) {
    switch (LOWORD(wParam)) {
    case ID_START:
        OnStart(window);
        break;
    case ID_QUIT:
        PostMessageA(window, WM_CLOSE, 0, 0);
        break;
    case ID_ABOUT:
        ShowAbout(window);
        break;
    case ID_SKIP:
        theGame.Skip();
        break;
    }
    return 0;
}

LRESULT OnClose(HWND window) {
    if (MessageBoxA(window, kQuitQuestion, kCaption, MB_YESNO | MB_ICONINFORMATION) == IDYES) DestroyWindow(window);
    return 0;
}

// The two counters are coloured; every other static keeps the default look.
LRESULT OnColourStatic(HWND window, WPARAM wParam, LPARAM lParam) {
    HDC dc = reinterpret_cast<HDC>(wParam);
    LONG id = GetWindowLongA(reinterpret_cast<HWND>(lParam), GWL_ID);
    if (id != ID_MISSED_COUNT && id != ID_FOUND_COUNT) {
        return DefWindowProcA(window, WM_CTLCOLORSTATIC, wParam, lParam);
    }
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, id == ID_MISSED_COUNT ? kMissedTextColour : kFoundTextColour);
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

}  // namespace

int CreateControls(HWND window) {
    RECT client;
    GetClientRect(window, &client);
    const int height = client.bottom;
    const DWORD child = WS_CHILD | WS_VISIBLE;
    const DWORD counter = child | SS_SUNKEN | SS_CENTER;
    AddChild(window, "Static", "", 0, 0, 0, 180, height, child | SS_SIMPLE, WS_EX_CLIENTEDGE, kSystemFont);
    theGame.CreateView(window);
    AddChild(window, "Button", " Question ", 0, 10, 12, 160, 115, child | BS_GROUPBOX, 0, kGuiFont);
    AddChild(window, "Static", "", ID_QUESTION, 20, 37, 140, 60, child | SS_LEFT, 0, kGuiFont);
    AddChild(window, "Button", "Je passe", ID_SKIP, 70, 100, 90, 22, child | WS_DISABLED | BS_PUSHBUTTON, 0,
             kGuiFont);
    AddChild(window, "Button", " Score ", 0, 10, 150, 160, 105, child | BS_GROUPBOX, 0, kGuiFont);
    AddChild(window, "Static", "Réponses exactes :", 0, 20, 175, 100, 20, child, 0, kGuiFont);
    AddChild(window, "Static", "0", ID_FOUND_COUNT, 120, 172, 40, 18, counter, 0, kSystemFont);
    AddChild(window, "Static", "Réponses fausses :", 0, 20, 200, 100, 20, child, 0, kGuiFont);
    AddChild(window, "Static", "0", ID_MISSED_COUNT, 120, 197, 40, 18, counter, 0, kSystemFont);
    AddChild(window, "Static", "Durée :", 0, 20, 225, 80, 20, child, 0, kGuiFont);
    AddChild(window, "Static", "0:00", ID_CLOCK, 100, 222, 60, 18, counter, 0, kSystemFont);
    AddChild(window, "Button", "Commencer", ID_START, 20, height - 30, 140, 22, child | BS_PUSHBUTTON, 0, kGuiFont);
    return 0;
}

int ShowAbout(HWND owner) {
    MSGBOXPARAMSA about = {};
    about.cbSize = sizeof about;
    about.hwndOwner = owner;
    about.hInstance = appInstance;
    about.lpszText = kAboutText;
    about.lpszCaption = kAboutCaption;
    about.dwStyle = MB_USERICON | MB_OK;
    about.lpszIcon = MAKEINTRESOURCEA(IDI_CARTOPIA);
    return MessageBoxIndirectA(&about);
}

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        return CreateControls(window);
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_CLOSE:
        return OnClose(window);
    case WM_COMMAND:
        return OnCommand(window, wParam);
    case WM_CTLCOLORSTATIC:
        return OnColourStatic(window, wParam, lParam);
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}
