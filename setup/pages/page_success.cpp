// Placeholder of CPageSuccess: the header layout only, until the page is built.
#include "page_success.h"

#include "page_layout.h"
#include "setup_config.h"
#include "setup_ids.h"

CPageSuccess::CPageSuccess(CSetupConfig* config) {
    this->config = config;
}

LRESULT CPageSuccess::OnCreate(HWND page) {
    window = page;
    pageBitmap = LoadPageBitmap(IDB_HEADER_IMAGE);
    int width, height;
    PageSize(page, &width, &height);
    BuildHeader(page, pageBitmap, config, "Félicitation !", "", width);
    return 0;
}

HBRUSH CPageSuccess::OnCtlColorStatic(HWND page, HDC dc, HWND control) {
    return HeaderColors(page, dc, control);
}

LRESULT CPageSuccess::OnCommand(HWND page, WPARAM wParam, LPARAM lParam) {
    return CPageObject::OnCommand(page, wParam, lParam);
}

LRESULT CPageSuccess::OnDrawItem(HWND page, WPARAM wParam, LPARAM lParam) {
    return CPageObject::OnDrawItem(page, wParam, lParam);
}

LRESULT CPageSuccess::OnQueryCancel(HWND page) {
    return CPageObject::OnQueryCancel(page);
}

LRESULT CPageSuccess::OnLeave(HWND, int) {
    return 1;
}
