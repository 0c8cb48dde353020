// Placeholder of CPageAdditional: the header layout only, until the page is built.
#include "page_additional.h"

#include "page_layout.h"
#include "setup_config.h"
#include "setup_ids.h"

CPageAdditional::CPageAdditional(CSetupConfig* config) {
    this->config = config;
}

LRESULT CPageAdditional::OnCreate(HWND page) {
    window = page;
    pageBitmap = LoadPageBitmap(IDB_HEADER_IMAGE);
    int width, height;
    PageSize(page, &width, &height);
    BuildHeader(page, pageBitmap, config, "Tâches supplémentaires", "", width);
    return 0;
}

HBRUSH CPageAdditional::OnCtlColorStatic(HWND page, HDC dc, HWND control) {
    return HeaderColors(page, dc, control);
}

LRESULT CPageAdditional::OnCommand(HWND page, WPARAM wParam, LPARAM lParam) {
    return CPageObject::OnCommand(page, wParam, lParam);
}

LRESULT CPageAdditional::OnLeave(HWND, int) {
    return 1;
}
