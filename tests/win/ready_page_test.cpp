// The ready page: its controls, the summary for the shortcut choices, the
// "Installer" caption, and the two refusals before an installation starts.
#include <windows.h>

#include <gtest/gtest.h>

#include "install_checks.h"
#include "wizard_session.h"
#include "page_ending.h"
#include "page_checks.h"

namespace {

using wintest::WizardSession;
using wintest::SystemCleanup;
using wintest::UniqueName;
using wintest::ControlRow;

const char kFolder[] = "C:\\Program Files\\Démo";
const char kHeadings[] = "Dossier d'installation:\r\n   C:\\Program Files\\Démo\r\n\r\n";

std::vector<ControlRow> ReadyTable(int width, const std::string& subtitle) {
    const LONG kChild = WS_CHILD | WS_VISIBLE;
    return wintest::WithHeader(
        width, "Prêt à installer", subtitle,
        {
            {"Static", 0, "Appuyer sur installer pour procéder à l'installation .", 40, 75, 250, 16, kChild, 0,
             wintest::kGuiFont, true, true},
            {"Edit", IDC_SUMMARY, "", 40, 95, 350, 200,
             kChild | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY, WS_EX_CLIENTEDGE,
             wintest::kGuiFont, true, true},
        });
}

// The summary lists the folder, then each chosen shortcut under one heading.
TEST(ReadyPage, SummaryFollowsTheChoices) {
    struct Case {
        int noIcons, desktop, startMenu, programs;
        std::string shortcuts;
    } cases[] = {
        {0, 1, 1, 1,
         "Raccourcis à créer:\r\n   Icône sur le bureau.\r\n   Raccourcis menu démarrer.\r\n"
         "   Raccourcis menu programme.\r\n"},
        {0, 0, 0, 1, "Raccourcis à créer:\r\n   Raccourcis menu programme.\r\n"},
        {0, 0, 1, 0, "Raccourcis à créer:\r\n   Raccourcis menu démarrer.\r\n"},
        {0, 0, 0, 0, ""},  // no heading without a line under it
        {1, 1, 1, 1, ""},  // noIcons hides every shortcut choice
    };
    wintest::InProcessPage host;
    strcpy(host.config.installDir, kFolder);
    strcpy(host.config.appVerName, "Démo 2.0");
    CPageEnding ready(&host.config);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shortcuts);
        host.config.noIcons = c.noIcons;
        host.config.desktopIcon = c.desktop;
        host.config.startMenuIcon = c.startMenu;
        host.config.programsMenuIcon = c.programs;
        host.config.uninstallIcon = 1;  // never listed
        HWND page = host.Show(&ready);
        ASSERT_TRUE(page != nullptr);
        std::vector<ControlRow> table =
            ReadyTable(wintest::PageWidth(page), "L'assistant est prêt à installer Démo 2.0 sur votre ordinateur.");
        table.back().text = kHeadings + c.shortcuts;
        wintest::ExpectPage(page, table);
        wintest::ExpectFonts(page, host.config, table);
        EXPECT_EQ("Installer", gui::Text(GetDlgItem(host.dialog(), IDC_NEXT)));
        // Going back gives the button its usual caption again.
        EXPECT_EQ(1, host.Leave(0));
        EXPECT_EQ("Suivant  >", gui::Text(GetDlgItem(host.dialog(), IDC_NEXT)));
    }
}

TEST(ReadyPage, LongVersionNameIsCutInTheSubtitle) {
    wintest::InProcessPage host;
    std::string longName(259, 'v');
    strcpy(host.config.appVerName, longName.c_str());
    strcpy(host.config.installDir, kFolder);
    CPageEnding ready(&host.config);
    HWND page = host.Show(&ready);
    ASSERT_TRUE(page != nullptr);
    std::string subtitle = gui::Text(gui::FindControl(page, IDC_HEADER_SUBTITLE));
    EXPECT_EQ(259u, subtitle.size());
    EXPECT_EQ("L'assistant est prêt à installer " + longName.substr(0, 259 - 33), subtitle);
    host.Leave(0);
}

// Presses "Installer" on a package whose choices must be refused, and checks
// the one message and that the page stays with its caption.
void ExpectRefusal(const char* folder, const char* group, const std::string& message) {
    std::string app = UniqueName("Ready");
    SystemCleanup cleanup(app, app);
    PackageContents p = wintest::Package(app, folder);
    strcpy(p.record.groupName, group);
    // No start-menu page: the user has no way to type a group here.
    p.record.allowGroupChange = 0;
    p.record.offerMenuIcons = 0;
    p.record.uninstallIconOffered = 0;
    p.AddFile("main.exe", "", "MZ");
    WizardSession run;
    run.Start(p);
    ASSERT_TRUE(run.ToReadyPage());
    HWND page = run.Page();
    run.Install();
    gui::MessageBoxInfo info;
    HWND box = wintest::ExpectMessageBox(run.program, "Installation : " + app, message, {IDOK}, 10000, &info);
    ASSERT_TRUE(box != nullptr);
    EXPECT_TRUE(info.hasIcon);
    ASSERT_TRUE(gui::AnswerMessageBox(box, IDOK));
    run.Settle();
    EXPECT_EQ(page, run.Page());
    EXPECT_TRUE(run.Control(IDC_SUMMARY) != nullptr);
    EXPECT_EQ("Installer", gui::Text(run.Button(IDC_NEXT)));
    EXPECT_EQ(nullptr, run.program.FindMessageBox());
}

// A folder that is not a full path would depend on the current drive and
// folder, at installation and again at removal.
TEST(ReadyPage, EmptyOrRelativeFolderAndEmptyGroupAreRefused) {
    testenv::ScratchDir target("target");
    const char kNotFull[] =
        "Le dossier d'installation doit être un chemin complet, avec sa lettre de lecteur "
        "(par exemple C:\\Jeux\\Mon Jeu) ou un chemin réseau (\\\\serveur\\partage).";
    const struct {
        const char* what;
        std::string folder;
        const char* group;
        const char* message;
    } cases[] = {
        {"empty group, shortcuts allowed", target.path(), "", "Saisissez un nom de groupe pour votre application."},
        {"empty folder, refused first", "", "", "Séléctionnez un dossier d'installation des fichiers."},
        {"relative folder", "Jeux\\Relatif", "Jeux", kNotFull},
        {"folder of the current drive", "\\Jeux", "Jeux", kNotFull},
        {"folder relative to a drive", "C:Jeux", "Jeux", kNotFull},
        {"network server without a share", "\\\\serveur", "Jeux", kNotFull},
        {"relative folder, refused before the empty group", "Jeux", "", kNotFull},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ExpectRefusal(c.folder.c_str(), c.group, c.message);
    }
}

}  // namespace
