// The start-menu page: each of its three flags governs its own controls, and
// the group name and shortcut choices survive Back and Next.
#include <windows.h>

#include <gtest/gtest.h>

#include "page_start_menu.h"
#include "page_checks.h"
#include "wizard_session.h"

namespace {

using wintest::ControlRow;
using wintest::WizardSession;

const char kTitle[] = "Raccourcis du menu Démarrer";
const char kSubtitle[] = "Précisez un nom de groupe où doit-on placer les raccourcis programmes.";
const char kSentence[] =
    "L'assistant va créer les raccourcis des programmes dans le groupe du menu Démarrer suivant:";

struct Flags {
    int group, uninstall, menus;
};

std::vector<ControlRow> StartMenuTable(int width, const std::string& groupName, Flags f) {
    const LONG kChild = WS_CHILD | WS_VISIBLE;
    const LONG kCheck = kChild | BS_AUTOCHECKBOX;
    return wintest::WithHeader(
        width, kTitle, kSubtitle,
        {
            {"Static", 0, kSentence, 40, 80, 340, 34, kChild, 0, wintest::kGuiFont, true, true},
            {"Edit", IDC_GROUP_EDIT, groupName, 40, 115, 340, 20, kChild, WS_EX_CLIENTEDGE, wintest::kGuiFont, true,
             f.group != 0},
            {"Button", IDC_UNINSTALL_ICON, " Créer un raccourci de désinstallation dans le menu Programme.", 40, 145,
             350, 20, kCheck, 0, wintest::kGuiFont, f.uninstall != 0, true},
            {"Button", IDC_START_MENU_ICON, " Créer un raccourci programme dans le menu Démarrer.", 40, 165, 350, 20,
             kCheck, 0, wintest::kGuiFont, f.menus != 0, true},
            {"Button", IDC_PROGRAMS_MENU_ICON, " Créer un raccourci programme dans le menu Programme.", 40, 185, 350,
             20, kCheck, 0, wintest::kGuiFont, f.menus != 0, true},
        });
}

PackageContents StartMenuPackage(Flags f) {
    PackageContents p = wintest::QuietPackage("Menus");
    strcpy(p.record.groupName, "Groupe Démo");
    p.record.allowGroupChange = f.group;
    p.record.uninstallIconOffered = f.uninstall;
    p.record.offerMenuIcons = f.menus;
    return p;
}

// The three check states, uninstall first, as the page shows them.
std::vector<int> Checks(const WizardSession& w) {
    return {gui::CheckState(w.Control(IDC_UNINSTALL_ICON)), gui::CheckState(w.Control(IDC_START_MENU_ICON)),
            gui::CheckState(w.Control(IDC_PROGRAMS_MENU_ICON))};
}

TEST(StartMenuPage, EachFlagGovernsItsOwnControls) {
    const struct {
        Flags flags;
        const char* shot;
    } cases[] = {
        {{1, 1, 1}, "page_start_menu"},
        {{0, 1, 0}, "page_start_menu_uninstall_only"},
        {{0, 0, 1}, "page_start_menu_menus_only"},
        {{1, 0, 0}, "page_start_menu_group_only"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.shot);
        WizardSession w;
        w.Start(StartMenuPackage(c.flags));
        ASSERT_TRUE(w.NextUntil(kTitle));
        wintest::ExpectPage(w.Page(), StartMenuTable(wintest::PageWidth(w.Page()), "Groupe Démo", c.flags));
        // Initial choices: uninstall shortcut yes, start menu no, programs menu yes.
        EXPECT_EQ((std::vector<int>{BST_CHECKED, BST_UNCHECKED, BST_CHECKED}), Checks(w));
        wintest::SaveShot(w.dialog, c.shot);
    }
}

TEST(StartMenuPage, FontsOfEveryControl) {
    wintest::InProcessPage host;
    CPageStartMenu menus(&host.config);
    HWND page = host.Show(&menus);
    ASSERT_TRUE(page != nullptr);
    wintest::ExpectFonts(page, host.config, StartMenuTable(wintest::PageWidth(page), "", {1, 1, 1}));
}

TEST(StartMenuPage, ChoicesSurviveBackAndNext) {
    WizardSession w;
    w.Start(StartMenuPackage({1, 1, 1}));
    ASSERT_TRUE(w.NextUntil(kTitle));

    // Changed and left backwards: stored and shown again.
    gui::SetText(w.Control(IDC_GROUP_EDIT), "Mes outils");
    ASSERT_TRUE(w.Toggle(IDC_UNINSTALL_ICON));
    ASSERT_TRUE(w.Toggle(IDC_START_MENU_ICON));
    ASSERT_TRUE(w.Back());
    ASSERT_TRUE(w.Next());
    ASSERT_EQ(kTitle, w.Title());
    EXPECT_EQ("Mes outils", gui::Text(w.Control(IDC_GROUP_EDIT)));
    EXPECT_EQ((std::vector<int>{BST_UNCHECKED, BST_CHECKED, BST_CHECKED}), Checks(w));

    // Changed and left forwards: the same.
    gui::SetText(w.Control(IDC_GROUP_EDIT), "Autre groupe");
    ASSERT_TRUE(w.Toggle(IDC_PROGRAMS_MENU_ICON));
    ASSERT_TRUE(w.Toggle(IDC_UNINSTALL_ICON));
    ASSERT_TRUE(w.Next());
    ASSERT_NE(kTitle, w.Title());
    ASSERT_TRUE(w.Back());
    EXPECT_EQ("Autre groupe", gui::Text(w.Control(IDC_GROUP_EDIT)));
    EXPECT_EQ((std::vector<int>{BST_CHECKED, BST_CHECKED, BST_UNCHECKED}), Checks(w));

    // An empty group name is not refused here and comes back empty.
    gui::SetText(w.Control(IDC_GROUP_EDIT), "");
    ASSERT_TRUE(w.Back());
    ASSERT_TRUE(w.Next());
    EXPECT_EQ("", gui::Text(w.Control(IDC_GROUP_EDIT)));
}

TEST(StartMenuPage, HiddenAndDisabledControlsGiveTheirValuesBackUnchanged) {
    wintest::InProcessPage host;
    CSetupConfig& config = host.config;
    config.allowGroupChange = 1;
    config.uninstallIconOffered = 0;
    config.offerMenuIcons = 0;
    config.uninstallIcon = 0;
    config.startMenuIcon = 1;
    config.programsMenuIcon = 0;
    strcpy(config.groupName, "Avant");
    CPageStartMenu menus(&config);
    HWND page = host.Show(&menus);
    ASSERT_TRUE(page != nullptr);
    SetDlgItemTextA(page, IDC_GROUP_EDIT, "Après");
    EXPECT_EQ(1, host.Leave(1));
    EXPECT_STREQ("Après", config.groupName);
    EXPECT_EQ(0, config.uninstallIcon);
    EXPECT_EQ(1, config.startMenuIcon);
    EXPECT_EQ(0, config.programsMenuIcon);

    // With the group fixed, its name goes back as it was.
    config.allowGroupChange = 0;
    page = host.Show(&menus);
    ASSERT_TRUE(page != nullptr);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, IDC_GROUP_EDIT)));
    EXPECT_EQ(1, host.Leave(0));
    EXPECT_STREQ("Après", config.groupName);
}

TEST(StartMenuPage, LongestGroupNameIsKeptWhole) {
    std::string group(259, 'g');
    WizardSession w;
    w.Start(StartMenuPackage({1, 0, 0}));
    ASSERT_TRUE(w.NextUntil(kTitle));
    gui::SetText(w.Control(IDC_GROUP_EDIT), group);
    ASSERT_TRUE(w.Back());
    ASSERT_TRUE(w.Next());
    EXPECT_EQ(group, gui::Text(w.Control(IDC_GROUP_EDIT)));
}

}  // namespace
