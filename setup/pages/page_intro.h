// The welcome page: the first page, in the side-image layout.
#pragma once

#include "page_object.h"

class CPageIntro : public CPageObject {
public:
    explicit CPageIntro(CSetupConfig* config);

    LRESULT OnCreate(HWND page) override;
    HBRUSH OnCtlColorStatic(HWND page, HDC dc, HWND control) override;
    LRESULT OnLeave(HWND page, int forward) override;
};
