// The entry point of setup: prepares the process, runs the wizard dialog, and
// starts the installed program when the configuration and the user ask for it.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <shlwapi.h>

#include <new>

#include "dll_search.h"
#include "earlier_installation.h"
#include "path_rules.h"
#include "setup_config.h"
#include "setup_globals.h"
#include "setup_ids.h"
#include "text.h"
#include "wizard.h"

namespace {

// Loads the rich edit library from the system folder only: an installer often
// runs from a downloads folder, where a planted DLL of that name must not load.
HMODULE LoadRichEditLibrary() {
    char path[MAX_PATH];
    UINT n = GetSystemDirectoryA(path, sizeof(path));
    if (n == 0 || n >= sizeof(path)) return nullptr;
    if (!AppendText(path, sizeof(path), "\\RICHED20.DLL")) return nullptr;
    return LoadLibraryA(path);
}

// Opens the main program (the first payload file, directly in installDir).
void RunInstalledProgram(const CSetupConfig& config) {
    const auto* first = config.files.First();
    if (!first) return;
    char program[kPathSize];
    if (!JoinPath(program, sizeof(program), config.installDir, first->payload.name)) return;
    if (PathFileExistsA(program)) ShellExecuteA(nullptr, "open", program, nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // Before anything loads a library by name: the system libraries load
    // helpers (text shaping, drawing, themes) by name, which would otherwise be
    // looked for beside the installer first.
    RestrictDllSearchToSystemFolder();
    HMODULE richEdit = LoadRichEditLibrary();
    appInstance = instance;
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    theConfig.Load();
    // An earlier installation of this application: updated in its folder.
    FindEarlierInstallation(&theConfig);
    FormatText(wizardCaption, sizeof(wizardCaption), "Installation : %s", theConfig.appName);

    theWizard = new (std::nothrow) CWizard(&theConfig);
    if (!theWizard) return 0;
    INT_PTR result = DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_WIZARD), nullptr, WizardDialogProc, 0);
    delete theWizard;
    theWizard = nullptr;
    if (richEdit) FreeLibrary(richEdit);

    // A cancelled wizard launches nothing: the user was just told that the
    // program would not be installed.
    if (result == 1 && theConfig.noIcons == 0 && theConfig.runAfterInstall && theConfig.runOffered) {
        RunInstalledProgram(theConfig);
    }
    return 0;
}
