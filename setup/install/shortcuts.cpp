// Shell shortcuts made with the shell-link object and saved through IPersistFile.
#include "shortcuts.h"

#include <objbase.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <string.h>

#include "install_journal.h"
#include "log_entries.h"
#include "log_merge.h"
#include "path_rules.h"
#include "setup_config.h"
#include "setup_globals.h"
#include "text.h"

namespace {

const char kReplaceQuestion[] = "Le raccourcis %s existe déjà.\nVoulez-vous le remplacer ?";
const char kLinkExtension[] = ".lnk";

const CLSID kShellLink = {0x00021401, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID kShellLinkA = {0x000214EE, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID kPersistFile = {0x0000010B, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// The part shared by both shortcut kinds, from the link's IPersistFile onwards.
// The link is set up already; COM is released by the caller.
int SaveLink(CSetupConfig* config, HWND owner, int place, IShellLinkA* link, const char* name) {
    IPersistFile* file = nullptr;
    if (FAILED(link->QueryInterface(kPersistFile, reinterpret_cast<void**>(&file))) || !file) return 1;

    char folder[kPathSize];
    char fileName[kPathSize];
    char path[kPathSize];
    if (!ShortcutFolder(config, place, folder) || !ShortcutFileName(name, fileName) ||
        !JoinPath(path, sizeof(path), folder, fileName)) {
        file->Release();
        return 0;
    }
    if (!MakeLoggedFolder(config, folder)) {
        file->Release();
        return 0;
    }

    // The application's own shortcut, made by an earlier installation, is
    // simply replaced; any other file of that name is the user's to keep.
    bool exists = PathFileExistsA(path) != 0;
    if (exists && !LogHasPath(config->earlierLog, path)) {
        char question[kPathSize + 64];
        FormatText(question, sizeof(question), kReplaceQuestion, fileName);
        if (MessageBoxA(owner, question, wizardCaption, MB_ICONINFORMATION | MB_YESNO) == IDNO) {
            file->Release();
            return 0;
        }
    }
    // The earlier shortcut is kept aside until the installation succeeds.
    if (exists && config->journal) config->journal->MoveAside(path);
    AddLogEntry(config, path, kLogFile);
    WCHAR widePath[kPathSize];
    if (MultiByteToWideChar(CP_ACP, 0, path, -1, widePath, kPathSize) > 0) file->Save(widePath, TRUE);
    file->Release();
    return 1;
}

// Creates the link object with its target, working folder and description, and
// saves it. COM is initialised here and uninitialised on every path.
int MakeShortcut(CSetupConfig* config, HWND owner, int place, const char* target, const char* workFolder,
                 const char* description, const char* name) {
    HRESULT com = CoInitialize(nullptr);
    IShellLinkA* link = nullptr;
    if (FAILED(CoCreateInstance(kShellLink, nullptr, CLSCTX_INPROC_SERVER, kShellLinkA,
                                reinterpret_cast<void**>(&link))) ||
        !link) {
        if (SUCCEEDED(com)) CoUninitialize();
        return 0;
    }
    link->SetWorkingDirectory(workFolder);
    link->SetPath(target);
    link->SetDescription(description);
    int result = SaveLink(config, owner, place, link, name);
    link->Release();
    if (SUCCEEDED(com)) CoUninitialize();
    return result;
}

}  // namespace

int ShellFolderOf(int place, char* folder) {
    int csidl = place == kPlaceStartMenu ? CSIDL_STARTMENU : place == kPlaceProgramsMenu ? CSIDL_PROGRAMS
                                                                                         : CSIDL_DESKTOP;
    char shell[MAX_PATH] = "";
    if (FAILED(SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, shell)) || !shell[0]) return 0;
    return CopyText(folder, kPathSize, shell);
}

int ShortcutFolder(const CSetupConfig* config, int place, char* folder) {
    char shell[kPathSize];
    if (!ShellFolderOf(place, shell)) return 0;
    if (place != kPlaceStartMenu && place != kPlaceProgramsMenu) return CopyText(folder, kPathSize, shell);
    return JoinPath(folder, kPathSize, shell, config->groupName);
}

int ShortcutFileName(const char* name, char* fileName) {
    // The extension is always added: a name that already has one ("Demo 1.5",
    // "Demo.exe") would otherwise give a file the shell does not take for a shortcut.
    size_t length = strlen(name);
    size_t extension = sizeof(kLinkExtension) - 1;
    if (length >= extension && lstrcmpiA(name + length - extension, kLinkExtension) == 0) {
        return CopyText(fileName, kPathSize, name);
    }
    return FormatText(fileName, kPathSize, "%s%s", name, kLinkExtension);
}

int CreateProgramShortcut(CSetupConfig* config, HWND owner, int place) {
    if (config->noIcons) return 0;
    const auto* first = config->files.First();
    if (!first) return 0;
    char target[kPathSize];
    if (!JoinPath(target, sizeof(target), config->installDir, first->payload.name)) return 0;
    return MakeShortcut(config, owner, place, target, config->installDir, config->appVerName, config->appName);
}

int CreateShortcut(CSetupConfig* config, HWND owner, int place, const char* target, const char* name,
                   const char* description) {
    if (!target || !target[0]) return 0;
    char folder[kPathSize];
    FolderOf(target, folder);
    return MakeShortcut(config, owner, place, target, folder, description, name);
}
