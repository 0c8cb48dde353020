// The start-menu page: the group that receives the program shortcuts and the
// choice of the menu shortcuts, each control governed by its own flag.
#include "page_start_menu.h"

#include "page_layout.h"
#include "setup_config.h"
#include "setup_ids.h"

namespace {

const char kTitle[] = "Raccourcis du menu Démarrer";
const char kSubtitle[] = "Précisez un nom de groupe où doit-on placer les raccourcis programmes.";
const char kGroupSentence[] =
    "L'assistant va créer les raccourcis des programmes dans le groupe du menu Démarrer suivant:";
const char kUninstallIcon[] = " Créer un raccourci de désinstallation dans le menu Programme.";
const char kStartMenuIcon[] = " Créer un raccourci programme dans le menu Démarrer.";
const char kProgramsMenuIcon[] = " Créer un raccourci programme dans le menu Programme.";

// A check box of the page, ticked from its choice and shown only when offered.
// Controls that are not offered keep their place, so the layout does not close up.
void AddChoice(HWND page, const char* text, int id, int y, int checked, int offered) {
    HWND box = AddControl(page, "button", text, id, 40, y, 350, 20, WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX);
    SendMessageA(box, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    ShowWindow(box, offered ? SW_SHOWNORMAL : SW_HIDE);
}

int CheckState(HWND page, int id) {
    return static_cast<int>(SendDlgItemMessageA(page, id, BM_GETCHECK, 0, 0));
}

}  // namespace

CPageStartMenu::CPageStartMenu(CSetupConfig* config) {
    this->config = config;
}

LRESULT CPageStartMenu::OnCreate(HWND page) {
    window = page;
    pageBitmap = LoadPageBitmap(IDB_HEADER_IMAGE);
    int width, height;
    PageSize(page, &width, &height);
    BuildHeader(page, pageBitmap, config, kTitle, kSubtitle, width);
    AddControl(page, "static", kGroupSentence, 0, 40, 80, 340, 34, WS_CHILD | WS_VISIBLE);
    HWND group = AddControl(page, "edit", config->groupName, IDC_GROUP_EDIT, 40, 115, 340, 20, WS_CHILD | WS_VISIBLE,
                            WS_EX_CLIENTEDGE);
    EnableWindow(group, config->allowGroupChange != 0);
    AddChoice(page, kUninstallIcon, IDC_UNINSTALL_ICON, 145, config->uninstallIcon, config->uninstallIconOffered);
    AddChoice(page, kStartMenuIcon, IDC_START_MENU_ICON, 165, config->startMenuIcon, config->offerMenuIcons);
    AddChoice(page, kProgramsMenuIcon, IDC_PROGRAMS_MENU_ICON, 185, config->programsMenuIcon,
              config->offerMenuIcons);
    return 0;
}

HBRUSH CPageStartMenu::OnCtlColorStatic(HWND page, HDC dc, HWND control) {
    return HeaderColors(page, dc, control);
}

LRESULT CPageStartMenu::OnCommand(HWND, WPARAM, LPARAM) {
    // The automatic check boxes toggle themselves; the choices are read when leaving.
    return 0;
}

LRESULT CPageStartMenu::OnLeave(HWND page, int) {
    // Hidden or disabled controls are read too: they give back the unchanged values.
    GetDlgItemTextA(page, IDC_GROUP_EDIT, config->groupName, sizeof(config->groupName));
    config->uninstallIcon = CheckState(page, IDC_UNINSTALL_ICON);
    config->startMenuIcon = CheckState(page, IDC_START_MENU_ICON);
    config->programsMenuIcon = CheckState(page, IDC_PROGRAMS_MENU_ICON);
    return 1;
}
