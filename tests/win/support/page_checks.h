// Checks of a wizard page against a table of its controls (out of process
// through the GUI driver, fonts in process), and pages made in this process.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>
#include <string.h>

#include <string>
#include <vector>

#include "gui_driver.h"
#include "page_object.h"
#include "setup_config.h"
#include "setup_globals.h"
#include "setup_ids.h"

namespace wintest {

// The font a control is given: the stock GUI font, the configuration's bold
// title font, none, or one the check does not look at (the rich text box).
enum FontKind { kGuiFont, kTitleFont, kNoFont, kAnyFont };

// One control of a page table. Rectangles are x, y, width, height.
struct ControlRow {
    const char* className;
    int id;
    std::string text;
    int x, y, w, h;
    LONG style;  // as created; WS_VISIBLE and WS_DISABLED are checked separately
    LONG exStyle;
    FontKind font;
    bool visible;
    bool enabled;
};

// Compares one control with its table row. where names the row in failures.
inline void ExpectControl(HWND control, const ControlRow& row, const std::string& where) {
    SCOPED_TRACE(where);
    ASSERT_TRUE(control != nullptr);
    EXPECT_EQ(row.className, gui::ClassName(control));
    EXPECT_EQ(row.id, GetDlgCtrlID(control));
    EXPECT_EQ(row.text, gui::Text(control));
    RECT r = gui::RectIn(control);
    EXPECT_EQ(row.x, r.left);
    EXPECT_EQ(row.y, r.top);
    LONG systemExStyle = WS_EX_NOPARENTNOTIFY;
    if ((row.style & SS_TYPEMASK) == SS_ETCHEDHORZ && row.className == std::string("Static")) {
        // The static control gives its etched line an edge of its own and sizes it.
        systemExStyle |= WS_EX_STATICEDGE;
    } else {
        EXPECT_EQ(row.w, r.right - r.left);
        EXPECT_EQ(row.h, r.bottom - r.top);
    }
    LONG systemStyle = WS_VISIBLE | WS_DISABLED;
    // A rich edit shows its scroll bar only while the text overflows.
    if (row.className == std::string("RichEdit20A")) systemStyle |= WS_VSCROLL;
    EXPECT_EQ(row.style & ~systemStyle, gui::Style(control) & ~systemStyle);
    EXPECT_EQ(row.exStyle, gui::ExStyle(control) & ~systemExStyle);
    EXPECT_EQ(row.visible, gui::Visible(control));
    EXPECT_EQ(row.enabled, gui::Enabled(control));
}

// The header band rows followed by the page's own rows, in creation order.
inline std::vector<ControlRow> WithHeader(int width, const std::string& title, const std::string& subtitle,
                                           const std::vector<ControlRow>& own) {
    const LONG kStatic = WS_CHILD | WS_VISIBLE;
    std::vector<ControlRow> all = {
        {"Static", 0, "", 0, 0, width, 65, kStatic | SS_WHITERECT, 0, kNoFont, true, true},
        {"Static", 0, "", width - 64, 0, 64, 64, kStatic | SS_BITMAP, 0, kNoFont, true, true},
        {"Static", 0, "", 0, 65, width + 2, 1, kStatic | SS_ETCHEDHORZ, 0, kNoFont, true, true},
        {"Static", IDC_HEADER_TITLE, title, 20, 5, width - 100, 18, kStatic, 0, kTitleFont, true, true},
        {"Static", IDC_HEADER_SUBTITLE, subtitle, 40, 24, width - 120, 34, kStatic, 0, kGuiFont, true, true},
    };
    all.insert(all.end(), own.begin(), own.end());
    return all;
}

// Checks every child of the page against the table, in creation order.
inline void ExpectPage(HWND page, const std::vector<ControlRow>& table) {
    std::vector<HWND> children = gui::Children(page);
    ASSERT_EQ(table.size(), children.size());
    for (size_t i = 0; i < table.size(); ++i) {
        ExpectControl(children[i], table[i], "row " + std::to_string(i + 1));
    }
}

// Fonts can only be read in process: checks the fonts of a page created by
// InProcessPage against the table.
inline void ExpectFonts(HWND page, const CSetupConfig& config, const std::vector<ControlRow>& table) {
    std::vector<HWND> children = gui::Children(page);
    ASSERT_EQ(table.size(), children.size());
    for (size_t i = 0; i < table.size(); ++i) {
        SCOPED_TRACE("row " + std::to_string(i + 1));
        HFONT font = reinterpret_cast<HFONT>(SendMessageA(children[i], WM_GETFONT, 0, 0));
        switch (table[i].font) {
        case kGuiFont:
            EXPECT_EQ(GetStockObject(DEFAULT_GUI_FONT), font);
            break;
        case kTitleFont:
            EXPECT_EQ(config.titleFont, font);
            break;
        case kNoFont:
            EXPECT_EQ(nullptr, font);
            break;
        case kAnyFont:
            break;
        }
    }
}

// The rich edit library of the system, for text boxes made in this process.
class RichEditLibrary {
public:
    RichEditLibrary() {
        char path[MAX_PATH];
        GetSystemDirectoryA(path, sizeof(path));
        strcat(path, "\\RICHED20.DLL");
        module_ = LoadLibraryA(path);
    }
    ~RichEditLibrary() {
        if (module_) FreeLibrary(module_);
    }
    bool loaded() const { return module_ != nullptr; }

private:
    HMODULE module_ = nullptr;
};

// A page created in this process inside a stand-in for the wizard dialog (a
// window of the dialog's client size with the Next and Back buttons), with a
// configuration of its own. The program's images and texts are not there.
class InProcessPage {
public:
    InProcessPage() {
        appInstance = GetModuleHandleA(nullptr);
        RegisterPageClass(appInstance);
        RECT frame = {0, 0, 474, 357};
        AdjustWindowRect(&frame, WS_POPUP | WS_CAPTION, FALSE);
        dialog_ = CreateWindowExA(0, "static", "host", WS_POPUP | WS_CAPTION, 0, 0, frame.right - frame.left,
                                  frame.bottom - frame.top, nullptr, nullptr, appInstance, nullptr);
        CreateWindowExA(0, "button", "Suivant  >", WS_CHILD | WS_VISIBLE, 285, 325, 82, 23, dialog_,
                        reinterpret_cast<HMENU>(IDC_NEXT), appInstance, nullptr);
        CreateWindowExA(0, "button", "<  Precedent", WS_CHILD | WS_VISIBLE, 200, 325, 82, 23, dialog_,
                        reinterpret_cast<HMENU>(IDC_BACK), appInstance, nullptr);
    }
    ~InProcessPage() {
        if (dialog_) DestroyWindow(dialog_);
    }
    InProcessPage(const InProcessPage&) = delete;
    InProcessPage& operator=(const InProcessPage&) = delete;

    // Creates the page's window; null on failure.
    HWND Show(CPageObject* page) { return page->Create(dialog_, IDC_PAGE); }
    // Sends the leave request and destroys the page window, as the wizard does.
    LRESULT Leave(int forward) {
        HWND page = GetDlgItem(dialog_, IDC_PAGE);
        LRESULT result = SendMessageA(page, WM_PAGE_LEAVE, static_cast<WPARAM>(forward), 0);
        DestroyWindow(page);
        return result;
    }
    HWND dialog() const { return dialog_; }
    CSetupConfig config;

private:
    HWND dialog_ = nullptr;
};

inline int PageWidth(HWND page) {
    RECT client;
    GetClientRect(page, &client);
    return client.right;
}

// A rich edit's text with its paragraph ends written as "\n" whatever the
// control returns ("\r", "\r\n").
inline std::string Lines(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            out += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace wintest
