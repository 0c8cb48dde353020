// The setup wizard run inside the test process.
#include "wizard_harness.h"

#include <commctrl.h>

#include "gui_driver.h"
#include "setup_config.h"
#include "setup_globals.h"
#include "setup_ids.h"
#include "text.h"
#include "wizard.h"

InProcessWizard::InProcessWizard() {
    static HMODULE richEdit = LoadLibraryA("RICHED20.DLL");
    (void)richEdit;
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    appInstance = GetModuleHandleA(nullptr);
    FormatText(wizardCaption, sizeof(wizardCaption), "Installation : %s", theConfig.appName);
    theWizard = new CWizard(&theConfig);
    dialog_ = CreateDialogParamA(appInstance, MAKEINTRESOURCEA(IDD_WIZARD), nullptr, WizardDialogProc, 0);
    Pump();
}

InProcessWizard::~InProcessWizard() {
    if (dialog_) DestroyWindow(dialog_);
    Pump();
    delete theWizard;
    theWizard = nullptr;
}

HWND InProcessWizard::Page() const { return GetDlgItem(dialog_, IDC_PAGE); }

HWND InProcessWizard::Control(int id) const { return gui::FindControl(Page(), id); }

void InProcessWizard::Next() {
    SendMessageA(dialog_, WM_COMMAND, IDC_NEXT, 0);
    Pump();
}

void InProcessWizard::Back() {
    SendMessageA(dialog_, WM_COMMAND, IDC_BACK, 0);
    Pump();
}

void InProcessWizard::Pump(int ms) {
    DWORD start = GetTickCount();
    MSG message;
    do {
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (!IsDialogMessageA(dialog_, &message)) {
                TranslateMessage(&message);
                DispatchMessageA(&message);
            }
        }
        Sleep(5);
    } while (static_cast<int>(GetTickCount() - start) < ms);
}

bool InProcessWizard::Hidden() const {
    return !IsWindowVisible(dialog_);
}
