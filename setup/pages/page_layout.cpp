// Shared layout helpers of the wizard pages.
#include "page_layout.h"

#include "setup_config.h"
#include "setup_globals.h"
#include "setup_ids.h"

HWND AddControl(HWND page, const char* className, const char* text, int id, int x, int y, int w, int h,
                DWORD style, DWORD exStyle, HFONT font) {
    HWND control = CreateWindowExA(exStyle, className, text, style, x, y, w, h, page,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), appInstance, nullptr);
    if (control && font != PAGE_NO_FONT) {
        HFONT chosen = font ? font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
        SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(chosen), 1);
    }
    return control;
}

HBITMAP LoadPageBitmap(int id) {
    return LoadBitmapA(appInstance, MAKEINTRESOURCEA(id));
}

void BuildSideImage(HWND page, HBITMAP image, int width, int height) {
    AddControl(page, "static", "", 0, 0, 0, width, height, WS_CHILD | WS_VISIBLE, 0, PAGE_NO_FONT);
    HWND picture = AddControl(page, "static", "", 0, 0, 0, 144, height, WS_CHILD | WS_VISIBLE | SS_BITMAP, 0,
                              PAGE_NO_FONT);
    SendMessageA(picture, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(image));
}

void BuildHeader(HWND page, HBITMAP image, const CSetupConfig* config, const char* title,
                 const char* subtitle, int width) {
    AddControl(page, "static", "", 0, 0, 0, width, 65, WS_CHILD | WS_VISIBLE | SS_WHITERECT, 0, PAGE_NO_FONT);
    HWND picture = AddControl(page, "static", "", 0, width - 64, 0, 64, 64, WS_CHILD | WS_VISIBLE | SS_BITMAP, 0,
                              PAGE_NO_FONT);
    SendMessageA(picture, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(image));
    AddControl(page, "static", "", 0, 0, 65, width + 2, 1, WS_CHILD | WS_VISIBLE | SS_ETCHEDHORZ, 0,
               PAGE_NO_FONT);
    AddControl(page, "static", title, IDC_HEADER_TITLE, 20, 5, width - 100, 18, WS_CHILD | WS_VISIBLE, 0,
               config->titleFont);
    AddControl(page, "static", subtitle, IDC_HEADER_SUBTITLE, 40, 24, width - 120, 34, WS_CHILD | WS_VISIBLE);
}

HBRUSH SideImageColors(HDC dc) {
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
    return static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
}

HBRUSH HeaderColors(HWND page, HDC dc, HWND control) {
    int id = GetDlgCtrlID(control);
    if (id == IDC_HEADER_TITLE || id == IDC_HEADER_SUBTITLE) return SideImageColors(dc);
    return reinterpret_cast<HBRUSH>(DefWindowProcA(page, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                                   reinterpret_cast<LPARAM>(control)));
}

HWND DialogButton(HWND page, int id) {
    return GetDlgItem(GetParent(page), id);
}

void PageSize(HWND page, int* width, int* height) {
    RECT client;
    GetClientRect(page, &client);
    *width = client.right;
    *height = client.bottom;
}
