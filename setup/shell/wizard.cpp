// The wizard controller and the dialog procedure of the wizard dialog.
#include "wizard.h"

#include <new>

#include "page_additional.h"
#include "page_directory.h"
#include "page_ending.h"
#include "page_info.h"
#include "page_instal.h"
#include "page_intro.h"
#include "page_license.h"
#include "page_start_menu.h"
#include "page_success.h"
#include "setup_config.h"
#include "setup_globals.h"
#include "setup_ids.h"

namespace {

const char kQuitQuestion[] =
    "L'installation n'est pas terminée. Si vous abandonnez maintenant, le programme ne sera pas "
    "installé.\nVoulez-vous vraiment quitter l'assistant d'installation ?\n";

void AddSeparator(HWND dialog) {
    RECT client;
    GetClientRect(dialog, &client);
    CreateWindowExA(0, "static", "", WS_CHILD | WS_VISIBLE | SS_ETCHEDHORZ, 0, client.bottom - 46,
                    client.right + 2, 1, dialog, nullptr, appInstance, nullptr);
}

void OnCancel(HWND dialog) {
    if (theWizard->QueryCancel(dialog)) return;
    if (AskQuitInstallation(dialog)) EndDialog(dialog, 0);
}

}  // namespace

int AskQuitInstallation(HWND owner) {
    return MessageBoxA(owner, kQuitQuestion, wizardCaption, MB_ICONQUESTION | MB_YESNO) == IDYES;
}

CWizard::CWizard(CSetupConfig* config) : current(nullptr), config(config) {
    AddPage(new (std::nothrow) CPageIntro(config));
    current = pages.First();
    if (config->licenseFormat != 0) AddPage(new (std::nothrow) CPageLicense(config));
    if (config->infoFormat != 0) AddPage(new (std::nothrow) CPageInfo(config));
    AddPage(new (std::nothrow) CPageDirectory(config));
    if (config->allowGroupChange || config->uninstallIconOffered || config->offerMenuIcons) {
        AddPage(new (std::nothrow) CPageStartMenu(config));
    }
    if (config->noIcons == 0) AddPage(new (std::nothrow) CPageAdditional(config));
    AddPage(new (std::nothrow) CPageEnding(config));
    AddPage(new (std::nothrow) CPageInstal(config));
    AddPage(new (std::nothrow) CPageSuccess(config));
    RegisterPageClass(appInstance);
}

CWizard::~CWizard() {
    for (auto* node = pages.First(); node; node = pages.Next(node)) delete node->payload;
    pages.Clear();
}

void CWizard::AddPage(CPageObject* page) {
    if (!page) return;
    if (!pages.Append(&page)) delete page;
}

void CWizard::Start(HWND dialog) {
    if (current) current->payload->Create(dialog, IDC_PAGE);
}

void CWizard::GoNext(HWND dialog) {
    HWND page = GetDlgItem(dialog, IDC_PAGE);
    if (!current || !page) return;
    if (SendMessageA(page, WM_PAGE_LEAVE, 1, 0) == 0) return;
    DestroyWindow(page);
    auto* next = pages.Next(current);
    if (!next) {
        EndDialog(dialog, 1);
        return;
    }
    current = next;
    current->payload->Create(dialog, IDC_PAGE);
}

void CWizard::GoBack(HWND dialog) {
    HWND page = GetDlgItem(dialog, IDC_PAGE);
    if (!current || !page) return;
    auto* previous = pages.Prev(current);
    if (!previous) return;
    SendMessageA(page, WM_PAGE_LEAVE, 0, 0);
    DestroyWindow(page);
    current = previous;
    current->payload->Create(dialog, IDC_PAGE);
}

LRESULT CWizard::QueryCancel(HWND dialog) {
    HWND page = GetDlgItem(dialog, IDC_PAGE);
    if (!current || !page) return 0;
    return SendMessageA(page, WM_PAGE_QUERY_CANCEL, 0, 0);
}

INT_PTR CALLBACK WizardDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        SetWindowTextA(dialog, wizardCaption);
        AddSeparator(dialog);
        SetClassLongPtrA(dialog, GCLP_HICON,
                         reinterpret_cast<LONG_PTR>(LoadIconA(appInstance, MAKEINTRESOURCEA(IDI_SETUP))));
        theWizard->Start(dialog);
        return TRUE;
    case WM_COMMAND:
        switch (wParam) {
        case IDC_NEXT:
            theWizard->GoNext(dialog);
            break;
        case IDC_BACK:
            theWizard->GoBack(dialog);
            break;
        case IDCANCEL:
            OnCancel(dialog);
            break;
        }
        return FALSE;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) != SC_CLOSE) return FALSE;
        SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        // The close request has been answered by the cancel path; consuming it
        // keeps the platform from turning it into a second Cancel command.
        return TRUE;
    default:
        return FALSE;
    }
}
