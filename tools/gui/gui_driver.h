// A small GUI test driver: starts a program, finds its windows and controls,
// reads what they show, presses buttons, answers message boxes and captures
// windows to image files. Everything works out of process, through messages
// the system marshals, and every wait has a timeout.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace gui {

// Waits until cond() holds, polling; false on timeout.
bool WaitFor(const std::function<bool()>& cond, int timeoutMs = 10000);

// A program started by a test. It is killed when the object goes, if still running.
class Program {
public:
    Program() = default;
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // Starts exe (full path); workDir "" means the exe's folder.
    bool Start(const std::string& exe, const std::string& args = "", const std::string& workDir = "");
    bool Running() const;
    // Waits for the program to end; the exit code goes to *exitCode if given.
    bool WaitExit(int timeoutMs = 10000, DWORD* exitCode = nullptr);
    void Kill();
    DWORD pid() const { return pid_; }

    // The visible top-level windows of the program.
    std::vector<HWND> Windows() const;
    // A visible top-level window whose caption is exactly caption.
    HWND WaitWindow(const std::string& caption, int timeoutMs = 10000) const;
    // A visible message box of the program (with this caption unless caption is empty).
    HWND WaitMessageBox(const std::string& caption = "", int timeoutMs = 10000) const;
    // The message box shown now, or null.
    HWND FindMessageBox(const std::string& caption = "") const;

private:
    HANDLE process_ = nullptr;
    DWORD pid_ = 0;
};

// What a message box shows.
struct MessageBoxInfo {
    std::string caption;
    std::string text;
    std::vector<int> buttons;  // ids of its buttons (IDOK, IDCANCEL, IDYES, IDNO, ...)
    bool hasIcon = false;
};

bool IsMessageBox(HWND window);
MessageBoxInfo ReadMessageBox(HWND box);
// Presses the button with this id (IDYES, IDNO, IDOK...) and waits until the box is gone.
bool AnswerMessageBox(HWND box, int buttonId, int timeoutMs = 10000);

// A control with this id anywhere below root (children, grandchildren...), or null.
HWND FindControl(HWND root, int id);
// All descendants of root with this id (page controls without id share id 0).
std::vector<HWND> FindControls(HWND root, int id);
// Direct children of parent, in creation (z) order.
std::vector<HWND> Children(HWND parent);
// Waits for a control with this id below root.
HWND WaitControl(HWND root, int id, int timeoutMs = 10000);

std::string Text(HWND window);
std::string ClassName(HWND window);
// The window's rectangle in the client coordinates of reference (its parent by default).
RECT RectIn(HWND window, HWND reference = nullptr);
LONG Style(HWND window);
LONG ExStyle(HWND window);
bool Visible(HWND window);
bool Enabled(HWND window);
int CheckState(HWND button);  // BM_GETCHECK
// Fonts can only be read in process (WM_GETFONT does not cross processes):
// the font of a control of this process, and whether it is the stock DEFAULT_GUI_FONT.
HFONT FontHandle(HWND control);
bool UsesGuiFont(HWND control);

// Waits until the window's thread has handled what was sent or posted to it so
// far (a WM_NULL round trip): after it, a page being built is complete.
void Sync(HWND window);

// Clicks a button without waiting for what the click starts (BM_CLICK is posted).
void Click(HWND button);
// Posts WM_COMMAND with this id to a window (a dialog's buttons, a menu item).
void Command(HWND window, int id);
// Posts WM_SYSCOMMAND SC_CLOSE (the close box and Alt+F4).
void CloseBox(HWND window);
// Presses Escape in the window's thread (delivered to its focused control).
void PressEscape(HWND window);
// Replaces an edit control's text (WM_SETTEXT, waits for it).
void SetText(HWND edit, const std::string& text);
// Waits until the window shows exactly this text.
bool WaitText(HWND window, const std::string& text, int timeoutMs = 10000);

// Copies what the window shows on screen into a 24-bit BMP file.
bool Capture(HWND window, const std::string& bmpPath);

// What the screen shows in a rectangle of screen coordinates, row by row from
// the top. False (and no pixels) when the rectangle is empty or cannot be read.
bool ScreenPixels(const RECT& area, std::vector<COLORREF>* pixels);

}  // namespace gui
