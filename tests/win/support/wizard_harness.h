// The setup wizard run inside the test process, on theConfig as the test set it
// up: lets tests look at fonts and at what pages store into theConfig. Message
// boxes would block the test thread, so flows that raise them are tested out of
// process with the GUI driver instead.
#pragma once

#include <windows.h>

class InProcessWizard {
public:
    // Builds the wizard for theConfig and opens its dialog on the first page.
    InProcessWizard();
    ~InProcessWizard();
    InProcessWizard(const InProcessWizard&) = delete;
    InProcessWizard& operator=(const InProcessWizard&) = delete;

    HWND dialog() const { return dialog_; }
    HWND Page() const;
    HWND Control(int id) const;
    // Presses Suivant or Precedent and handles the messages that follow.
    void Next();
    void Back();
    // Handles pending messages for about ms milliseconds.
    void Pump(int ms = 50);
    // True once a page ended the dialog (a modeless dialog is only hidden then;
    // end codes are checked out of process).
    bool Hidden() const;

private:
    HWND dialog_ = nullptr;
};
