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

    // Shows the shell's folder browser owned by owner. Returns 1 with the chosen
    // folder in path (MAX_PATH characters) when a file-system folder was chosen,
    // else 0 with path empty (cancelled, or a virtual folder such as the network).
    static int BrowseForFolder(HWND owner, char* path);
};
