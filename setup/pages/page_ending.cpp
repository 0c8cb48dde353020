// Placeholder of CPageEnding: the header layout only, until the page is built.
#include "page_ending.h"

#include "page_layout.h"
#include "setup_config.h"
#include "setup_ids.h"

CPageEnding::CPageEnding(CSetupConfig* config) {
    this->config = config;
}

LRESULT CPageEnding::OnCreate(HWND page) {
    window = page;
    pageBitmap = LoadPageBitmap(IDB_HEADER_IMAGE);
    int width, height;
    PageSize(page, &width, &height);
    BuildHeader(page, pageBitmap, config, "Prêt à installer", "", width);
    return 0;
}

HBRUSH CPageEnding::OnCtlColorStatic(HWND page, HDC dc, HWND control) {
    return HeaderColors(page, dc, control);
}

LRESULT CPageEnding::OnLeave(HWND, int) {
    return 1;
}
