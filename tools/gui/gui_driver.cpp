// The GUI test driver (see gui_driver.h).
#include "gui_driver.h"

#include <string.h>

namespace gui {

namespace {

const UINT kSendTimeoutMs = 5000;

LRESULT SendTimed(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kSendTimeoutMs, &result);
    return static_cast<LRESULT>(result);
}

struct WindowSearch {
    DWORD pid;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectTopLevel(HWND window, LPARAM param) {
    WindowSearch* search = reinterpret_cast<WindowSearch*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == search->pid && IsWindowVisible(window)) search->found.push_back(window);
    return TRUE;
}

struct ControlSearch {
    int id;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectById(HWND window, LPARAM param) {
    ControlSearch* search = reinterpret_cast<ControlSearch*>(param);
    if (GetDlgCtrlID(window) == search->id) search->found.push_back(window);
    return TRUE;
}

}  // namespace

bool WaitFor(const std::function<bool()>& cond, int timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        if (cond()) return true;
        if (static_cast<int>(GetTickCount() - start) > timeoutMs) return false;
        Sleep(20);
    }
}

Program::~Program() {
    Kill();
}

bool Program::Start(const std::string& exe, const std::string& args, const std::string& workDir) {
    Kill();
    std::string folder = workDir;
    if (folder.empty()) {
        size_t slash = exe.find_last_of("\\/");
        folder = slash == std::string::npos ? "." : exe.substr(0, slash);
    }
    std::string commandLine = "\"" + exe + "\"" + (args.empty() ? "" : " " + args);
    std::vector<char> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back(0);
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA(exe.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                        &info)) {
        return false;
    }
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    pid_ = info.dwProcessId;
    WaitForInputIdle(process_, 5000);
    return true;
}

bool Program::Running() const {
    return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

bool Program::WaitExit(int timeoutMs, DWORD* exitCode) {
    if (!process_) return false;
    if (WaitForSingleObject(process_, static_cast<DWORD>(timeoutMs)) != WAIT_OBJECT_0) return false;
    if (exitCode) GetExitCodeProcess(process_, exitCode);
    return true;
}

void Program::Kill() {
    if (!process_) return;
    if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
        TerminateProcess(process_, 99);
        WaitForSingleObject(process_, 5000);
    }
    CloseHandle(process_);
    process_ = nullptr;
    pid_ = 0;
}

std::vector<HWND> Program::Windows() const {
    WindowSearch search = {pid_, {}};
    if (pid_) EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND Program::WaitWindow(const std::string& caption, int timeoutMs) const {
    HWND result = nullptr;
    WaitFor([&] {
        for (HWND window : Windows()) {
            if (Text(window) == caption) {
                result = window;
                return true;
            }
        }
        return false;
    }, timeoutMs);
    return result;
}

HWND Program::FindMessageBox(const std::string& caption) const {
    for (HWND window : Windows()) {
        if (IsMessageBox(window) && (caption.empty() || Text(window) == caption)) return window;
    }
    return nullptr;
}

HWND Program::WaitMessageBox(const std::string& caption, int timeoutMs) const {
    HWND result = nullptr;
    WaitFor([&] { return (result = FindMessageBox(caption)) != nullptr; }, timeoutMs);
    return result;
}

bool IsMessageBox(HWND window) {
    // A message box is a dialog with the message text in static 0xFFFF and only
    // push buttons besides (no edit, no page window).
    if (ClassName(window) != "#32770") return false;
    bool hasText = false;
    for (HWND child : Children(window)) {
        std::string name = ClassName(child);
        int id = GetDlgCtrlID(child) & 0xFFFF;
        if (name == "Static" || name == "STATIC" || name == "static") {
            if (id == 0xFFFF && !(Style(child) & SS_ICON)) hasText = true;
        } else if (name != "Button" && name != "BUTTON" && name != "button") {
            return false;
        }
    }
    return hasText;
}

MessageBoxInfo ReadMessageBox(HWND box) {
    MessageBoxInfo info;
    info.caption = Text(box);
    for (HWND child : Children(box)) {
        std::string name = ClassName(child);
        for (char& c : name) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
        int id = GetDlgCtrlID(child) & 0xFFFF;
        if (name == "static") {
            if ((Style(child) & SS_TYPEMASK) == SS_ICON) {
                info.hasIcon = true;
            } else if (id == 0xFFFF) {
                info.text = Text(child);
            }
        } else if (name == "button" && Visible(child)) {
            info.buttons.push_back(id);
        }
    }
    return info;
}

bool AnswerMessageBox(HWND box, int buttonId, int timeoutMs) {
    HWND button = GetDlgItem(box, buttonId);
    if (button) {
        PostMessageA(button, BM_CLICK, 0, 0);
    } else {
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), 0);
    }
    return WaitFor([&] { return !IsWindow(box) || !IsWindowVisible(box); }, timeoutMs);
}

std::vector<HWND> FindControls(HWND root, int id) {
    ControlSearch search = {id, {}};
    if (root) EnumChildWindows(root, CollectById, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND FindControl(HWND root, int id) {
    std::vector<HWND> found = FindControls(root, id);
    return found.empty() ? nullptr : found.front();
}

std::vector<HWND> Children(HWND parent) {
    std::vector<HWND> result;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        result.push_back(child);
    }
    return result;
}

HWND WaitControl(HWND root, int id, int timeoutMs) {
    HWND result = nullptr;
    WaitFor([&] { return (result = FindControl(root, id)) != nullptr; }, timeoutMs);
    return result;
}

std::string Text(HWND window) {
    if (!window) return "";
    LRESULT length = SendTimed(window, WM_GETTEXTLENGTH, 0, 0);
    if (length <= 0) return "";
    std::vector<char> buffer(static_cast<size_t>(length) + 2, 0);
    SendTimed(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()));
    return std::string(buffer.data());
}

std::string ClassName(HWND window) {
    char name[256] = "";
    GetClassNameA(window, name, sizeof(name));
    return name;
}

RECT RectIn(HWND window, HWND reference) {
    RECT rect = {};
    GetWindowRect(window, &rect);
    if (!reference) reference = GetParent(window);
    MapWindowPoints(HWND_DESKTOP, reference, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

LONG Style(HWND window) { return GetWindowLongA(window, GWL_STYLE); }
LONG ExStyle(HWND window) { return GetWindowLongA(window, GWL_EXSTYLE); }
bool Visible(HWND window) { return (Style(window) & WS_VISIBLE) != 0; }
bool Enabled(HWND window) { return (Style(window) & WS_DISABLED) == 0; }
int CheckState(HWND button) { return static_cast<int>(SendTimed(button, BM_GETCHECK, 0, 0)); }

HFONT FontHandle(HWND control) {
    return reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0));
}

bool UsesGuiFont(HWND control) {
    return FontHandle(control) == static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

void Sync(HWND window) {
    SendTimed(window, WM_NULL, 0, 0);
}

void Click(HWND button) { PostMessageA(button, BM_CLICK, 0, 0); }

void Command(HWND window, int id) { PostMessageA(window, WM_COMMAND, static_cast<WPARAM>(id), 0); }

void CloseBox(HWND window) { PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0); }

void PressEscape(HWND window) {
    GUITHREADINFO thread = {};
    thread.cbSize = sizeof(thread);
    HWND target = window;
    if (GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &thread) && thread.hwndFocus &&
        IsChild(window, thread.hwndFocus)) {
        target = thread.hwndFocus;
    } else {
        // No focus inside the window (it may not be active): a control of it
        // receives the key, as the dialog manager expects.
        HWND cancel = GetDlgItem(window, IDCANCEL);
        target = cancel ? cancel : GetWindow(window, GW_CHILD);
    }
    PostMessageA(target, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    PostMessageA(target, WM_KEYUP, VK_ESCAPE, 0xC0010001);
}

void SetText(HWND edit, const std::string& text) {
    SendTimed(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

bool WaitText(HWND window, const std::string& text, int timeoutMs) {
    return WaitFor([&] { return Text(window) == text; }, timeoutMs);
}

namespace {

// Copies an area of the screen into a picture of bitCount bits a pixel (rows
// top-down or bottom-up) and hands it to use(header, bits, copied), where
// copied says whether the copy succeeded. False when no picture could be made.
template <typename Use>
bool WithScreenCopy(const RECT& area, WORD bitCount, bool topDown, Use use) {
    int width = area.right - area.left;
    int height = area.bottom - area.top;
    if (width <= 0 || height <= 0) return false;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = topDown ? -height : height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = bitCount;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool ok = false;
    if (bitmap) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        bool copied = BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY) != 0;
        GdiFlush();
        SelectObject(memory, old);
        ok = use(info.bmiHeader, bits, copied);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return ok;
}

}  // namespace

bool ScreenPixels(const RECT& area, std::vector<COLORREF>* pixels) {
    pixels->clear();
    bool ok = WithScreenCopy(area, 32, true, [&](const BITMAPINFOHEADER& header, const void* bits, bool copied) {
        const DWORD* p = static_cast<const DWORD*>(bits);
        size_t count = static_cast<size_t>(header.biWidth) * static_cast<size_t>(-header.biHeight);
        pixels->reserve(count);
        for (size_t i = 0; i < count; ++i) pixels->push_back(RGB((p[i] >> 16) & 0xFF, (p[i] >> 8) & 0xFF, p[i] & 0xFF));
        return copied;
    });
    if (!ok) pixels->clear();
    return ok;
}

bool Capture(HWND window, const std::string& bmpPath) {
    RECT rect;
    if (!GetWindowRect(window, &rect)) return false;
    return WithScreenCopy(rect, 24, false, [&](BITMAPINFOHEADER header, const void* bits, bool) {
        DWORD stride = (static_cast<DWORD>(header.biWidth) * 3 + 3) & ~3u;
        DWORD imageSize = stride * static_cast<DWORD>(header.biHeight);
        BITMAPFILEHEADER file = {};
        file.bfType = 0x4D42;
        file.bfOffBits = sizeof(file) + sizeof(header);
        file.bfSize = file.bfOffBits + imageSize;
        header.biSizeImage = imageSize;
        HANDLE out = CreateFileA(bmpPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                 nullptr);
        if (out == INVALID_HANDLE_VALUE) return false;
        DWORD written = 0;
        bool ok = WriteFile(out, &file, sizeof(file), &written, nullptr) &&
                  WriteFile(out, &header, sizeof(header), &written, nullptr) &&
                  WriteFile(out, bits, imageSize, &written, nullptr);
        CloseHandle(out);
        return ok;
    });
}

}  // namespace gui
