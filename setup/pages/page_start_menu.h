// The start-menu page: the group name and the menu shortcut choices.
#pragma once

#include "page_object.h"

class CPageStartMenu : public CPageObject {
public:
    explicit CPageStartMenu(CSetupConfig* config);

    LRESULT OnCreate(HWND page) override;
    HBRUSH OnCtlColorStatic(HWND page, HDC dc, HWND control) override;
    LRESULT OnCommand(HWND page, WPARAM wParam, LPARAM lParam) override;
    LRESULT OnLeave(HWND page, int forward) override;
};
