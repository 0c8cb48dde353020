// The licence page: the licence text, to be accepted before going on.
#pragma once

#include "page_object.h"

class CPageLicense : public CPageObject {
public:
    explicit CPageLicense(CSetupConfig* config);

    LRESULT OnCreate(HWND page) override;
    HBRUSH OnCtlColorStatic(HWND page, HDC dc, HWND control) override;
    LRESULT OnCommand(HWND page, WPARAM wParam, LPARAM lParam) override;
    LRESULT OnLeave(HWND page, int forward) override;

    HGLOBAL textData;
    int textSize;
    int textPos;
};
