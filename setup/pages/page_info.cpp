// The information page: a text from RT_DATA "5011" to read before going on.
#include "page_info.h"

#include "page_layout.h"
#include "resource_names.h"
#include "setup_config.h"
#include "setup_globals.h"
#include "setup_ids.h"
#include "text_box.h"

namespace {

const char kTitle[] = "Informations";
const char kSubtitle[] = "Informations nécessaires avant de continuer l'installation.";
const char kPleaseRead[] =
    "Veuillez lire les informations suivantes et appuyez sur Suivant lorsque vous êtes prêt à continuer.";

}  // namespace

CPageInfo::CPageInfo(CSetupConfig* config) : textData(nullptr), textSize(0), textPos(0) {
    this->config = config;
}

LRESULT CPageInfo::OnCreate(HWND page) {
    window = page;
    pageBitmap = LoadPageBitmap(IDB_HEADER_IMAGE);
    int width, height;
    PageSize(page, &width, &height);
    BuildHeader(page, pageBitmap, config, kTitle, kSubtitle, width);
    AddControl(page, "static", kPleaseRead, 0, 40, 75, 420, 32, WS_CHILD | WS_VISIBLE);
    HWND box = AddTextBox(page, 40, 112, 420, 183);
    ApplyTextBoxLook(box);
    FillTextBox(this, box, appInstance, kInfoResource, config->infoFormat);
    return 0;
}

HBRUSH CPageInfo::OnCtlColorStatic(HWND page, HDC dc, HWND control) {
    return HeaderColors(page, dc, control);
}

LRESULT CPageInfo::OnLeave(HWND, int) {
    return 1;
}
