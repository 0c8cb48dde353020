// Placeholder of CPageDirectory: the header layout only, until the page is built.
#include "page_directory.h"

#include "page_layout.h"
#include "setup_config.h"
#include "setup_ids.h"

CPageDirectory::CPageDirectory(CSetupConfig* config) {
    this->config = config;
}

LRESULT CPageDirectory::OnCreate(HWND page) {
    window = page;
    pageBitmap = LoadPageBitmap(IDB_HEADER_IMAGE);
    int width, height;
    PageSize(page, &width, &height);
    BuildHeader(page, pageBitmap, config, "Dossier d'installation", "", width);
    return 0;
}

HBRUSH CPageDirectory::OnCtlColorStatic(HWND page, HDC dc, HWND control) {
    return HeaderColors(page, dc, control);
}

LRESULT CPageDirectory::OnCommand(HWND page, WPARAM wParam, LPARAM lParam) {
    return CPageObject::OnCommand(page, wParam, lParam);
}

LRESULT CPageDirectory::OnLeave(HWND, int) {
    return 1;
}
