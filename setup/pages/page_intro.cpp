// The welcome page: the first page of the wizard, in the side-image layout.
#include "page_intro.h"

#include "page_layout.h"
#include "setup_config.h"
#include "setup_ids.h"
#include "text.h"

namespace {

const char kWelcome[] = "Bienvenue dans l'assistant d'installation de";
const char kHelps[] = "Cet assistant vous aide à installer";
const char kOnComputer[] =
    "sur votre ordinateur. \n\nIl est recommandé de fermer toutes les applications actives avant de continuer.";
const char kClickNext[] = "Cliquez sur Suivant pour continuer ou sur Annuler pour quitter l'assistant.";

}  // namespace

CPageIntro::CPageIntro(CSetupConfig* config) {
    this->config = config;
    pageBitmap = nullptr;
}

LRESULT CPageIntro::OnCreate(HWND page) {
    window = page;
    pageBitmap = LoadPageBitmap(IDB_SIDE_IMAGE);
    ShowWindow(DialogButton(page, IDC_BACK), SW_HIDE);
    int width, height;
    PageSize(page, &width, &height);
    BuildSideImage(page, pageBitmap, width, height);

    // Both texts are cut to their 260-character buffers for very long names.
    char text[260];
    FormatText(text, sizeof(text), "%s %s", kWelcome, config->appName);
    AddControl(page, "static", text, 0, 180, 30, width - 200, 75, WS_CHILD | WS_VISIBLE, 0, config->welcomeFont);
    FormatText(text, sizeof(text), "%s %s %s", kHelps, config->appVerName, kOnComputer);
    AddControl(page, "static", text, 0, 180, 120, width - 200, 80, WS_CHILD | WS_VISIBLE);
    AddControl(page, "static", kClickNext, 0, 180, 260, width - 200, 45, WS_CHILD | WS_VISIBLE);
    return 0;
}

HBRUSH CPageIntro::OnCtlColorStatic(HWND, HDC dc, HWND) {
    return SideImageColors(dc);
}

LRESULT CPageIntro::OnLeave(HWND page, int forward) {
    if (forward == 1) ShowWindow(DialogButton(page, IDC_BACK), SW_SHOWNORMAL);
    return 1;
}
