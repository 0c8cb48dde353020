// The ready page: shows what the installation will do and checks the choices
// before it starts.
#include "page_ending.h"

#include "folder_ops.h"
#include "resolved_path.h"
#include "path_rules.h"
#include "page_layout.h"
#include "setup_config.h"
#include "setup_globals.h"
#include "setup_ids.h"
#include "text.h"

namespace {

const char kTitle[] = "Prêt à installer";
const char kReady[] = "L'assistant est prêt à installer";
const char kOnComputer[] = "sur votre ordinateur.";
const char kPressInstall[] = "Appuyer sur installer pour procéder à l'installation .";
const char kInstall[] = "Installer";
const char kNext[] = "Suivant  >";

const char kUpdateLine[] = "Mise à jour de %s\r\n\r\n";
const char kFolderHeading[] = "Dossier d'installation:\r\n";
const char kFolderLine[] = "   %s\r\n\r\n";
const char kShortcutHeading[] = "Raccourcis à créer:\r\n";
const char kDesktopLine[] = "   Icône sur le bureau.\r\n";
const char kStartMenuLine[] = "   Raccourcis menu démarrer.\r\n";
const char kProgramsMenuLine[] = "   Raccourcis menu programme.\r\n";

const char kNoFolder[] = "Séléctionnez un dossier d'installation des fichiers.";
const char kNotFullPath[] =
    "Le dossier d'installation doit être un chemin complet, avec sa lettre de lecteur "
    "(par exemple C:\\Jeux\\Mon Jeu) ou un chemin réseau (\\\\serveur\\partage).";
const char kInstalledElsewhere[] =
    "%s est déjà installé dans le dossier :\n%s\n\n"
    "Une application ne s'installe qu'une fois. Pour l'installer dans un autre dossier, "
    "désinstallez-la d'abord, ou gardez le dossier de l'installation existante.";
const char kNoGroup[] = "Saisissez un nom de groupe pour votre application.";

// Adds one shortcut line, preceded by the heading the first time.
void AddShortcutLine(HWND summary, const char* line, bool* headingWritten) {
    if (!*headingWritten) AppendEditText(summary, kShortcutHeading);
    *headingWritten = true;
    AppendEditText(summary, line);
}

}  // namespace

int ValidateChoices(const CSetupConfig* config, HWND owner) {
    if (config->installDir[0] == 0) {
        MessageBoxA(owner, kNoFolder, wizardCaption, MB_OK | MB_ICONINFORMATION);
        return 0;
    }
    // A relative folder would depend on the current folder, at installation
    // and again when the uninstaller removes it.
    if (!IsFullPath(config->installDir)) {
        MessageBoxA(owner, kNotFullPath, wizardCaption, MB_OK | MB_ICONINFORMATION);
        return 0;
    }
    // One installation per application and scope: another folder would leave
    // the earlier installation without a registration.
    if (config->earlierFound && !SamePlace(config->installDir, config->earlierDir)) {
        char text[3 * kPathSize + sizeof(kInstalledElsewhere)];
        FormatText(text, sizeof(text), kInstalledElsewhere, config->earlierName, config->earlierDir);
        MessageBoxA(owner, text, wizardCaption, MB_OK | MB_ICONINFORMATION);
        return 0;
    }
    if (config->noIcons == 0 && config->groupName[0] == 0) {
        MessageBoxA(owner, kNoGroup, wizardCaption, MB_OK | MB_ICONINFORMATION);
        return 0;
    }
    return 1;
}

CPageEnding::CPageEnding(CSetupConfig* config) {
    this->config = config;
}

LRESULT CPageEnding::OnCreate(HWND page) {
    window = page;
    SetWindowTextA(DialogButton(page, IDC_NEXT), kInstall);
    pageBitmap = LoadPageBitmap(IDB_HEADER_IMAGE);
    int width, height;
    PageSize(page, &width, &height);
    // Composed texts are cut to their buffers for very long names.
    char subtitle[260];
    FormatText(subtitle, sizeof(subtitle), "%s %s %s", kReady, config->appVerName, kOnComputer);
    BuildHeader(page, pageBitmap, config, kTitle, subtitle, width);
    AddControl(page, "static", kPressInstall, 0, 40, 75, 250, 16, WS_CHILD | WS_VISIBLE);
    HWND summary = AddControl(page, "edit", "", IDC_SUMMARY, 40, 95, 350, 200,
                              WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY,
                              WS_EX_CLIENTEDGE);

    if (config->earlierFound) {
        char updateLine[kPathSize + 32];
        FormatText(updateLine, sizeof(updateLine), kUpdateLine, config->earlierName);
        AppendEditText(summary, updateLine);
    }
    char folderLine[kPathSize + 16];
    FormatText(folderLine, sizeof(folderLine), kFolderLine, config->installDir);
    AppendEditText(summary, kFolderHeading);
    AppendEditText(summary, folderLine);
    if (config->noIcons == 0) {
        bool heading = false;
        if (config->desktopIcon) AddShortcutLine(summary, kDesktopLine, &heading);
        if (config->startMenuIcon) AddShortcutLine(summary, kStartMenuLine, &heading);
        if (config->programsMenuIcon) AddShortcutLine(summary, kProgramsMenuLine, &heading);
    }
    return 0;
}

HBRUSH CPageEnding::OnCtlColorStatic(HWND page, HDC dc, HWND control) {
    return HeaderColors(page, dc, control);
}

LRESULT CPageEnding::OnLeave(HWND page, int forward) {
    if (forward == 1 && !ValidateChoices(config, page)) return 0;
    SetWindowTextA(DialogButton(page, IDC_NEXT), kNext);
    return 1;
}
