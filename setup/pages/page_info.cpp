// Placeholder of CPageInfo: the header layout only, until the page is built.
#include "page_info.h"

#include "page_layout.h"
#include "setup_config.h"
#include "setup_ids.h"

CPageInfo::CPageInfo(CSetupConfig* config) : textData(nullptr), textSize(0), textPos(0) {
    this->config = config;
}

LRESULT CPageInfo::OnCreate(HWND page) {
    window = page;
    pageBitmap = LoadPageBitmap(IDB_HEADER_IMAGE);
    int width, height;
    PageSize(page, &width, &height);
    BuildHeader(page, pageBitmap, config, "Informations", "", width);
    return 0;
}

HBRUSH CPageInfo::OnCtlColorStatic(HWND page, HDC dc, HWND control) {
    return HeaderColors(page, dc, control);
}

LRESULT CPageInfo::OnLeave(HWND, int) {
    return 1;
}
