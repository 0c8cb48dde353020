// The install folder page: shows and edits installDir.
#pragma once

#include "page_object.h"

class CPageDirectory : public CPageObject {
public:
    explicit CPageDirectory(CSetupConfig* config);

    LRESULT OnCreate(HWND page) override;
    HBRUSH OnCtlColorStatic(HWND page, HDC dc, HWND control) override;
    LRESULT OnCommand(HWND page, WPARAM wParam, LPARAM lParam) override;
    LRESULT OnLeave(HWND page, int forward) override;
};
