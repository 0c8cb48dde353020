// The additional tasks page: the choice of a desktop shortcut, kept in desktopIcon.
#include "page_additional.h"

#include "page_layout.h"
#include "setup_config.h"
#include "setup_ids.h"

namespace {

const char kTitle[] = "Tâches supplémentaires";
const char kSubtitle[] = "Séléctionnez les tâches supplémentaires que doivent éffectuer.";
const char kIconsLabel[] = "Icônes supplémentaires :";
const char kDesktopIcon[] = " Créer une icône sur le bureau.";

}  // namespace

CPageAdditional::CPageAdditional(CSetupConfig* config) {
    this->config = config;
}

LRESULT CPageAdditional::OnCreate(HWND page) {
    window = page;
    pageBitmap = LoadPageBitmap(IDB_HEADER_IMAGE);
    int width, height;
    PageSize(page, &width, &height);
    BuildHeader(page, pageBitmap, config, kTitle, kSubtitle, width);
    // The section label is a body text in the bold title font.
    AddControl(page, "static", kIconsLabel, 0, 40, 80, 340, 16, WS_CHILD | WS_VISIBLE, 0, config->titleFont);
    HWND desktop = AddControl(page, "button", kDesktopIcon, IDC_DESKTOP_ICON, 40, 105, 350, 20,
                              WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX);
    SendMessageA(desktop, BM_SETCHECK, config->desktopIcon ? BST_CHECKED : BST_UNCHECKED, 0);
    return 0;
}

HBRUSH CPageAdditional::OnCtlColorStatic(HWND page, HDC dc, HWND control) {
    return HeaderColors(page, dc, control);
}

LRESULT CPageAdditional::OnCommand(HWND, WPARAM, LPARAM) {
    // The automatic check box toggles itself; the choice is read when leaving.
    return 0;
}

LRESULT CPageAdditional::OnLeave(HWND page, int) {
    config->desktopIcon = static_cast<int>(SendDlgItemMessageA(page, IDC_DESKTOP_ICON, BM_GETCHECK, 0, 0));
    return 1;
}
