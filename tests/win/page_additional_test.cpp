// The additional tasks page: its controls and the desktop shortcut choice,
// which is not part of the package and lives only in the running wizard.
#include <windows.h>

#include <gtest/gtest.h>

#include "page_additional.h"
#include "page_support.h"

namespace {

using pagetest::ControlRow;
using pagetest::RunningWizard;

const char kTitle[] = "Tâches supplémentaires";

std::vector<ControlRow> AdditionalTable(int width) {
    const LONG kChild = WS_CHILD | WS_VISIBLE;
    return pagetest::WithHeader(
        width, kTitle, "Séléctionnez les tâches supplémentaires que doivent éffectuer.",
        {
            {"Static", 0, "Icônes supplémentaires :", 40, 80, 340, 16, kChild, 0, pagetest::kTitleFont, true, true},
            {"Button", IDC_DESKTOP_ICON, " Créer une icône sur le bureau.", 40, 105, 350, 20, kChild | BS_AUTOCHECKBOX,
             0, pagetest::kGuiFont, true, true},
        });
}

PackageContents AdditionalPackage() {
    PackageContents p = pagetest::Package("Taches");
    p.record.noIcons = 0;
    return p;
}

TEST(AdditionalPage, ControlsAndTheDesktopBoxTickedAtFirst) {
    RunningWizard w;
    w.Start(AdditionalPackage());
    ASSERT_TRUE(w.NextUntil(kTitle));
    pagetest::ExpectPage(w.Page(), AdditionalTable(pagetest::PageWidth(w.Page())));
    EXPECT_EQ(BST_CHECKED, gui::CheckState(w.Control(IDC_DESKTOP_ICON)));
    EXPECT_TRUE(gui::Enabled(w.Button(IDC_NEXT)));
    pagetest::SaveShot(w.dialog, "page_additional");
}

TEST(AdditionalPage, FontsAndTheBoxFollowTheChoice) {
    pagetest::InProcessPage host;
    CPageAdditional additional(&host.config);
    for (int choice : {0, 1}) {
        host.config.desktopIcon = choice;
        HWND page = host.Show(&additional);
        ASSERT_TRUE(page != nullptr);
        pagetest::ExpectFonts(page, host.config, AdditionalTable(pagetest::PageWidth(page)));
        EXPECT_EQ(choice ? BST_CHECKED : BST_UNCHECKED, SendDlgItemMessageA(page, IDC_DESKTOP_ICON, BM_GETCHECK, 0, 0));
        host.Leave(1);
    }
}

TEST(AdditionalPage, ChoiceSurvivesBackAndNext) {
    RunningWizard w;
    w.Start(AdditionalPackage());
    ASSERT_TRUE(w.NextUntil(kTitle));

    // Unticked and left backwards: stored.
    ASSERT_TRUE(w.Toggle(IDC_DESKTOP_ICON));
    ASSERT_TRUE(w.Back());
    ASSERT_TRUE(w.Next());
    ASSERT_EQ(kTitle, w.Title());
    EXPECT_EQ(BST_UNCHECKED, gui::CheckState(w.Control(IDC_DESKTOP_ICON)));
    pagetest::SaveShot(w.dialog, "page_additional_unticked");

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
