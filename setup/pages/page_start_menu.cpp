// Placeholder of CPageStartMenu: the header layout only, until the page is built.
#include "page_start_menu.h"

#include "page_layout.h"
#include "setup_config.h"
#include "setup_ids.h"

CPageStartMenu::CPageStartMenu(CSetupConfig* config) {
    this->config = config;
}

LRESULT CPageStartMenu::OnCreate(HWND page) {
    window = page;
    pageBitmap = LoadPageBitmap(IDB_HEADER_IMAGE);
    int width, height;
    PageSize(page, &width, &height);
    BuildHeader(page, pageBitmap, config, "Raccourcis du menu Démarrer", "", width);
    return 0;
}

HBRUSH CPageStartMenu::OnCtlColorStatic(HWND page, HDC dc, HWND control) {
    return HeaderColors(page, dc, control);
}

LRESULT CPageStartMenu::OnCommand(HWND page, WPARAM wParam, LPARAM lParam) {
    return CPageObject::OnCommand(page, wParam, lParam);
}

LRESULT CPageStartMenu::OnLeave(HWND, int) {
    return 1;
}
