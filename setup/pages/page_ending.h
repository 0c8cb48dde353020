// The ready page: the summary, "Installer" and the checks of the choices.
#pragma once

#include "page_object.h"

class CPageEnding : public CPageObject {
public:
    explicit CPageEnding(CSetupConfig* config);

    LRESULT OnCreate(HWND page) override;
    HBRUSH OnCtlColorStatic(HWND page, HDC dc, HWND control) override;
    LRESULT OnLeave(HWND page, int forward) override;
};

// 1 when the installation may start; otherwise tells the user why (message box
// owned by owner) and returns 0. The folder is checked before the group.
int ValidateChoices(const CSetupConfig* config, HWND owner);
