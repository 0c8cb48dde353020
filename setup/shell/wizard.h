// CWizard: the ordered pages of the setup wizard and the moves between them.
#pragma once

#include <windows.h>

#include "list.h"

class CPageObject;
class CSetupConfig;

class CWizard {
public:
    // Builds the page list from the configuration flags and registers the
    // page window class.
    explicit CWizard(CSetupConfig* config);
    // Deletes every page object.
    ~CWizard();
    CWizard(const CWizard&) = delete;
    CWizard& operator=(const CWizard&) = delete;

    void Start(HWND dialog);
    void GoNext(HWND dialog);
    void GoBack(HWND dialog);
    // The current page's answer to the cancel query, 0 without a page window.
    LRESULT QueryCancel(HWND dialog);

    CList<CPageObject*> pages;
    CList<CPageObject*>::Node* current;
    CSetupConfig* config;

private:
    void AddPage(CPageObject* page);
};

// The dialog procedure of the wizard dialog (template 100).
INT_PTR CALLBACK WizardDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Asks the question shown when the installation is left before its end;
// returns 1 when the user answers Yes.
int AskQuitInstallation(HWND owner);
