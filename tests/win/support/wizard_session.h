// A packaged setup.exe run under the GUI driver: packages for it, its wizard
// walked page by page with the dialog buttons, up to the end of an installation.
#pragma once

#include <windows.h>

#include <string>

#include "gui_driver.h"
#include "package_writer.h"
#include "setup_ids.h"
#include "test_env.h"

namespace wintest {

// The question every way of cancelling the wizard asks.
extern const char kQuitText[];

// What setup says of a file of the installation that another program holds.
std::string FileInUseText(const std::string& path);

// The wizard's caption for an application (cut as the program cuts it).
std::string Caption(const std::string& appName);

// A package whose pages all stay out of the way unless a test asks for them:
// no licence, no information page, no start-menu or additional tasks page.
PackageContents QuietPackage(const std::string& name, const std::string& folder = "C:\\ct_never_installed");
// A package with shortcuts allowed, installing into folder.
PackageContents Package(const std::string& appName, const std::string& folder);
// The same without shortcuts: nothing outside the scratch folders but the key.
PackageContents PlainPackage(const std::string& appName, const std::string& folder);

// A packaged setup.exe under the driver, with its wizard dialog. The program
// is ended, if still running, before its scratch folder is removed.
struct WizardSession {
    testenv::ScratchDir dir;
    gui::Program program;
    HWND dialog = nullptr;
    std::string exe;

    explicit WizardSession(const std::string& tag = "wizard") : dir(tag) {}
    ~WizardSession();
    WizardSession(const WizardSession&) = delete;
    WizardSession& operator=(const WizardSession&) = delete;

    // Writes the package into the scratch folder, starts it and waits for the
    // first page, complete.
    void Start(const PackageContents& contents);
    // Drives the wizard of a program the test started itself.
    void Attach(HWND wizardDialog);

    HWND Page() const;
    HWND Button(int id) const;
    HWND Control(int id) const;
    // The title of the current page's header band ("" on the side-image pages).
    std::string Title() const;
    // Waits until the wizard's thread is back in its message loop, so that a
    // page that has just appeared has all its controls.
    void Settle() const;

    // Presses a dialog button; true once another page is on screen and built.
    // The new page window is among the dialog's children while its controls
    // are still being made, and becomes visible only when that is done; the
    // title tells pages apart should the system hand out the same handle.
    bool Press(int id);
    bool Next() { return Press(IDC_NEXT); }
    bool Back() { return Press(IDC_BACK); }
    // Ticks the licence box when the page shows it unticked.
    void AcceptLicence();
    // Goes forward until the page with this header title is on screen,
    // accepting the licence on the way. False if it never comes.
    bool NextUntil(const std::string& title);
    // Suivant until the ready page (its summary box) is on screen; says what
    // is on screen when a page does not go.
    bool ToReadyPage();
    // Clicks a check box and waits for its new state.
    bool Toggle(int id);

    // "Installer": the installing page comes (and may already be gone again).
    void Install();
    // Start, then the defaults of every page up to "Installer" pressed.
    void StartInstalling(const PackageContents& contents);
    bool OnFinishPage() const;
    bool WaitFinishPage(int ms = 30000) const;
    // Clicks through the whole installation with the defaults of every page.
    void InstallToEnd(const PackageContents& contents);
    // Presses "Fermer" and waits for the program to end with exit code 0.
    void Close();
};

// Waits for the quit question that follows a failed extraction and checks it;
// null, with the failure given, when it never comes.
HWND WaitQuitQuestion(WizardSession& run, const std::string& app);

// Waits (30 s at most) until the finish page or a message box of program is
// on screen; *ended says whether either came. Returns the box, or null when
// the finish page came without one.
HWND WaitFinishPageOrBox(const gui::Program& program, const WizardSession& run, bool* ended);

// Saves what the window shows as <artefacts>/<name>.bmp once it has painted.
bool SaveShot(HWND window, const std::string& name);

}  // namespace wintest
