// The finish page: tells the user the program is installed, offers to run it
// once the wizard closes, and turns Next into "Fermer".
#include "page_success.h"

#include "page_layout.h"
#include "setup_config.h"
#include "setup_ids.h"
#include "text.h"

namespace {

const char kCongratulations[] = "Félicitation !\n%s %s";
const char kInstalled[] = "est installé avec succès dans votre ordinateur.";
const char kHowToClose[] = "Pour fermer l'assistant, cliquez sur Fermer. ";
const char kClose[] = "Fermer";
const char kRun[] = "Executer %s";

}  // namespace

CPageSuccess::CPageSuccess(CSetupConfig* config) {
    this->config = config;
    pageBitmap = nullptr;
}

LRESULT CPageSuccess::OnCreate(HWND page) {
    window = page;
    pageBitmap = LoadPageBitmap(IDB_SIDE_IMAGE);
    SetWindowTextA(DialogButton(page, IDC_NEXT), kClose);
    ShowWindow(DialogButton(page, IDC_BACK), SW_HIDE);
    ShowWindow(DialogButton(page, IDCANCEL), SW_HIDE);
    int width, height;
    PageSize(page, &width, &height);
    BuildSideImage(page, pageBitmap, width, height);

    // Cut to its buffer for a very long appVerName.
    char text[256];
    FormatText(text, sizeof(text), kCongratulations, config->appVerName, kInstalled);
    AddControl(page, "static", text, 0, 180, 30, width - 200, 45, WS_CHILD | WS_VISIBLE);
    if (config->noIcons == 0 && config->runOffered) {
        AddControl(page, "button", "", IDC_RUN_CHECK, 180, 100, 200, 16, WS_CHILD | WS_VISIBLE | BS_OWNERDRAW);
    }
    AddControl(page, "static", kHowToClose, 0, 180, 220, width - 200, 40, WS_CHILD | WS_VISIBLE);
    return 0;
}

HBRUSH CPageSuccess::OnCtlColorStatic(HWND, HDC dc, HWND) {
    return SideImageColors(dc);
}

LRESULT CPageSuccess::OnCommand(HWND page, WPARAM wParam, LPARAM) {
    if (LOWORD(wParam) != IDC_RUN_CHECK) return 0;
    config->runAfterInstall = config->runAfterInstall == 0 ? 1 : 0;
    // The button draws itself from runAfterInstall: redraw it so the box shows
    // the new state at once.
    HWND button = GetDlgItem(page, IDC_RUN_CHECK);
    if (button) InvalidateRect(button, nullptr, TRUE);
    return 0;
}

LRESULT CPageSuccess::OnDrawItem(HWND, WPARAM, LPARAM lParam) {
    const DRAWITEMSTRUCT* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    if (!item || item->CtlID != IDC_RUN_CHECK) return 0;
    HDC dc = item->hDC;
    RECT all = item->rcItem;
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));

    RECT box = all;
    box.right = box.left + 12;
    UINT state = DFCS_BUTTONCHECK | DFCS_FLAT | (config->runAfterInstall ? DFCS_CHECKED : 0);
    DrawFrameControl(dc, &box, DFC_BUTTON, state);

    RECT textArea = all;
    textArea.left += 18;
    char text[kPathSize + 16];
    FormatText(text, sizeof(text), kRun, config->appName);
    SetBkMode(dc, TRANSPARENT);
    DrawTextA(dc, text, -1, &textArea, DT_SINGLELINE | DT_VCENTER);
    return 1;
}

LRESULT CPageSuccess::OnQueryCancel(HWND page) {
    // The installation is done: closing here is the same as "Fermer".
    EndDialog(GetParent(page), 1);
    return 1;
}

LRESULT CPageSuccess::OnLeave(HWND, int) {
    return 1;
}
