// The licence page: the licence text from RT_DATA "5010" in a read-only text
// box, and the box to tick before the dialog's Next button works.
#include "page_license.h"

#include "page_layout.h"
#include "resource_names.h"
#include "setup_config.h"
#include "setup_globals.h"
#include "setup_ids.h"
#include "text_box.h"

namespace {

const char kTitle[] = "Accord de licence";
const char kSubtitle[] = "Informations concernant les termes du contrat de licence.";
const char kPleaseRead[] =
    "Veuillez lire le contrat de licence suivant. Vous devez en accepter tous les termes avant de continuer "
    "l'installation.";
const char kAccept[] = "J'accepte les termes du contrat de licence";

}  // namespace

CPageLicense::CPageLicense(CSetupConfig* config) : textData(nullptr), textSize(0), textPos(0) {
    this->config = config;
}

LRESULT CPageLicense::OnCreate(HWND page) {
    window = page;
    // Acceptance is not kept: every visit starts unticked, with Next disabled.
    EnableWindow(DialogButton(page, IDC_NEXT), FALSE);
    pageBitmap = LoadPageBitmap(IDB_HEADER_IMAGE);
    int width, height;
    PageSize(page, &width, &height);
    BuildHeader(page, pageBitmap, config, kTitle, kSubtitle, width);
    AddControl(page, "static", kPleaseRead, 0, 40, 75, 420, 32, WS_CHILD | WS_VISIBLE);
    HWND accept = AddControl(page, "button", kAccept, IDC_LICENSE_ACCEPT, 40, 288, 420, 18,
                             WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX);
    SendMessageA(accept, BM_SETCHECK, BST_UNCHECKED, 0);
    HWND box = AddTextBox(page, 40, 112, 420, 170);
    ApplyTextBoxLook(box);
    FillTextBox(this, box, appInstance, kLicenseResource, config->licenseFormat);
    return 0;
}

HBRUSH CPageLicense::OnCtlColorStatic(HWND page, HDC dc, HWND control) {
    return HeaderColors(page, dc, control);
}

LRESULT CPageLicense::OnCommand(HWND page, WPARAM wParam, LPARAM lParam) {
    if (LOWORD(wParam) != IDC_LICENSE_ACCEPT) return 0;
    HWND accept = lParam ? reinterpret_cast<HWND>(lParam) : GetDlgItem(page, IDC_LICENSE_ACCEPT);
    LRESULT state = SendMessageA(accept, BM_GETCHECK, 0, 0);
    EnableWindow(DialogButton(page, IDC_NEXT), state != 0);
    return 0;
}

LRESULT CPageLicense::OnLeave(HWND page, int) {
    // The next page shown, in either direction, finds Next usable again.
    EnableWindow(DialogButton(page, IDC_NEXT), TRUE);
    return 1;
}
