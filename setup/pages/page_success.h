// The finish page: the end of the wizard, with the offer to run the program.
#pragma once

#include "page_object.h"

class CPageSuccess : public CPageObject {
public:
    explicit CPageSuccess(CSetupConfig* config);

    LRESULT OnCreate(HWND page) override;
    HBRUSH OnCtlColorStatic(HWND page, HDC dc, HWND control) override;
    LRESULT OnCommand(HWND page, WPARAM wParam, LPARAM lParam) override;
    LRESULT OnDrawItem(HWND page, WPARAM wParam, LPARAM lParam) override;
    LRESULT OnQueryCancel(HWND page) override;
    LRESULT OnLeave(HWND page, int forward) override;
};
