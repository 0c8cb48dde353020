// The additional tasks page: its controls and the desktop shortcut choice,
// which is not part of the package and lives only in the running wizard.
#include <windows.h>

#include <gtest/gtest.h>

#include "page_additional.h"
#include "page_checks.h"
#include "wizard_session.h"

namespace {

using wintest::ControlRow;
using wintest::WizardSession;

const char kTitle[] = "Tâches supplémentaires";

std::vector<ControlRow> AdditionalTable(int width) {
    const LONG kChild = WS_CHILD | WS_VISIBLE;
    return wintest::WithHeader(
        width, kTitle, "Séléctionnez les tâches supplémentaires que doivent éffectuer.",
        {
            {"Static", 0, "Icônes supplémentaires :", 40, 80, 340, 16, kChild, 0, wintest::kTitleFont, true, true},
            {"Button", IDC_DESKTOP_ICON, " Créer une icône sur le bureau.", 40, 105, 350, 20, kChild | BS_AUTOCHECKBOX,
             0, wintest::kGuiFont, true, true},
        });
}

PackageContents AdditionalPackage() {
    PackageContents p = wintest::QuietPackage("Taches");
    p.record.noIcons = 0;
    return p;
}

TEST(AdditionalPage, ControlsAndTheDesktopBoxTickedAtFirst) {
    WizardSession w;
    w.Start(AdditionalPackage());
    ASSERT_TRUE(w.NextUntil(kTitle));
    wintest::ExpectPage(w.Page(), AdditionalTable(wintest::PageWidth(w.Page())));
    EXPECT_EQ(BST_CHECKED, gui::CheckState(w.Control(IDC_DESKTOP_ICON)));
    EXPECT_TRUE(gui::Enabled(w.Button(IDC_NEXT)));
    wintest::SaveShot(w.dialog, "page_additional");
}

TEST(AdditionalPage, FontsAndTheBoxFollowTheChoice) {
    wintest::InProcessPage host;
    CPageAdditional additional(&host.config);
    for (int choice : {0, 1}) {
        host.config.desktopIcon = choice;
        HWND page = host.Show(&additional);
        ASSERT_TRUE(page != nullptr);
        wintest::ExpectFonts(page, host.config, AdditionalTable(wintest::PageWidth(page)));
        EXPECT_EQ(choice ? BST_CHECKED : BST_UNCHECKED, SendDlgItemMessageA(page, IDC_DESKTOP_ICON, BM_GETCHECK, 0, 0));
        host.Leave(1);
    }
}

TEST(AdditionalPage, ChoiceSurvivesBackAndNext) {
    WizardSession w;
    w.Start(AdditionalPackage());
    ASSERT_TRUE(w.NextUntil(kTitle));

    // Unticked and left backwards: stored.
    ASSERT_TRUE(w.Toggle(IDC_DESKTOP_ICON));
    ASSERT_TRUE(w.Back());
    ASSERT_TRUE(w.Next());
    ASSERT_EQ(kTitle, w.Title());
    EXPECT_EQ(BST_UNCHECKED, gui::CheckState(w.Control(IDC_DESKTOP_ICON)));
    wintest::SaveShot(w.dialog, "page_additional_unticked");

    // Left forwards unticked, then ticked again and left forwards.
    ASSERT_TRUE(w.Next());
    ASSERT_NE(kTitle, w.Title());
    ASSERT_TRUE(w.Back());
    EXPECT_EQ(BST_UNCHECKED, gui::CheckState(w.Control(IDC_DESKTOP_ICON)));
    ASSERT_TRUE(w.Toggle(IDC_DESKTOP_ICON));
    ASSERT_TRUE(w.Next());
    ASSERT_TRUE(w.Back());
    EXPECT_EQ(BST_CHECKED, gui::CheckState(w.Control(IDC_DESKTOP_ICON)));
}

}  // namespace
