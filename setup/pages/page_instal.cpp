// Placeholder of CPageInstal: the header layout only, until the page is built.
#include "page_instal.h"

#include "page_layout.h"
#include "setup_config.h"
#include "setup_ids.h"

CPageInstal::CPageInstal(CSetupConfig* config) : running(0), workerThread(nullptr) {
    this->config = config;
}

LRESULT CPageInstal::OnCreate(HWND page) {
    window = page;
    pageBitmap = LoadPageBitmap(IDB_HEADER_IMAGE);
    int width, height;
    PageSize(page, &width, &height);
    BuildHeader(page, pageBitmap, config, "Installation en cours", "", width);
    return 0;
}

HBRUSH CPageInstal::OnCtlColorStatic(HWND page, HDC dc, HWND control) {
    return HeaderColors(page, dc, control);
}

LRESULT CPageInstal::OnCommand(HWND page, WPARAM wParam, LPARAM lParam) {
    return CPageObject::OnCommand(page, wParam, lParam);
}

LRESULT CPageInstal::OnQueryCancel(HWND page) {
    return CPageObject::OnQueryCancel(page);
}

LRESULT CPageInstal::OnWorkerDone(HWND page, int success) {
    return CPageObject::OnWorkerDone(page, success);
}

LRESULT CPageInstal::OnLeave(HWND, int) {
    return 1;
}
