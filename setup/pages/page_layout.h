// What the wizard pages share: control creation, the side-image and header
// layouts, the colour rules for static texts and access to the dialog buttons.
#pragma once

#include <windows.h>

class CSetupConfig;

// Font choice for AddControl: no WM_SETFONT at all, or the stock GUI font.
#define PAGE_NO_FONT reinterpret_cast<HFONT>(static_cast<INT_PTR>(-1))
#define PAGE_GUI_FONT static_cast<HFONT>(nullptr)

// Creates a child control of the page; font PAGE_GUI_FONT gives DEFAULT_GUI_FONT,
// PAGE_NO_FONT sends no font. Fonts are set with the redraw flag right after creation.
HWND AddControl(HWND page, const char* className, const char* text, int id, int x, int y, int w, int h,
                DWORD style, DWORD exStyle = 0, HFONT font = PAGE_GUI_FONT);

// Loads one of the page images (IDB_SIDE_IMAGE or IDB_HEADER_IMAGE).
HBITMAP LoadPageBitmap(int id);

// The page-size white surface and the side image of the welcome and finish pages.
void BuildSideImage(HWND page, HBITMAP image, int width, int height);

// The white band, header image, etched line, title (4001) and subtitle (4002)
// of every inner page.
void BuildHeader(HWND page, HBITMAP image, const CSetupConfig* config, const char* title,
                 const char* subtitle, int width);

// Side-image rule: every static black on white.
HBRUSH SideImageColors(HDC dc);
// Header rule: only the title and subtitle black on white; other statics keep
// the dialog colours.
HBRUSH HeaderColors(HWND page, HDC dc, HWND control);

// A button of the wizard dialog (IDC_NEXT, IDC_BACK, IDCANCEL) seen from a page.
HWND DialogButton(HWND page, int id);

// Width and height of the page's client area.
void PageSize(HWND page, int* width, int* height);
