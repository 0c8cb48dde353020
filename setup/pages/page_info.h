// The information page: a text to read before the installation.
#pragma once

#include "page_object.h"

class CPageInfo : public CPageObject {
public:
    explicit CPageInfo(CSetupConfig* config);

    LRESULT OnCreate(HWND page) override;
    HBRUSH OnCtlColorStatic(HWND page, HDC dc, HWND control) override;
    LRESULT OnLeave(HWND page, int forward) override;

    HGLOBAL textData;
    int textSize;
    int textPos;
};
