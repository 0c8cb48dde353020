// The additional tasks page: the desktop shortcut choice.
#pragma once

#include "page_object.h"

class CPageAdditional : public CPageObject {
public:
    explicit CPageAdditional(CSetupConfig* config);

    LRESULT OnCreate(HWND page) override;
    HBRUSH OnCtlColorStatic(HWND page, HDC dc, HWND control) override;
    LRESULT OnCommand(HWND page, WPARAM wParam, LPARAM lParam) override;
    LRESULT OnLeave(HWND page, int forward) override;
};
