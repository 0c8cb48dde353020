// Placeholder of CPageLicense: the header layout only, until the page is built.
#include "page_license.h"

#include "page_layout.h"
#include "setup_config.h"
#include "setup_ids.h"

CPageLicense::CPageLicense(CSetupConfig* config) : textData(nullptr), textSize(0), textPos(0) {
    this->config = config;
}

LRESULT CPageLicense::OnCreate(HWND page) {
    window = page;
    pageBitmap = LoadPageBitmap(IDB_HEADER_IMAGE);
    int width, height;
    PageSize(page, &width, &height);
    BuildHeader(page, pageBitmap, config, "Accord de licence", "", width);
    return 0;
}

HBRUSH CPageLicense::OnCtlColorStatic(HWND page, HDC dc, HWND control) {
    return HeaderColors(page, dc, control);
}

LRESULT CPageLicense::OnCommand(HWND page, WPARAM wParam, LPARAM lParam) {
    return CPageObject::OnCommand(page, wParam, lParam);
}

LRESULT CPageLicense::OnLeave(HWND, int) {
    return 1;
}
