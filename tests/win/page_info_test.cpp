// The information page: its controls, the text from RT_DATA "5011" as plain
// text or RTF, and the dialog's buttons after the licence page.
#include <windows.h>

#include <gtest/gtest.h>

#include "page_info.h"
#include "page_checks.h"
#include "wizard_session.h"

namespace {

using wintest::ControlRow;
using wintest::WizardSession;

const char kTitle[] = "Informations";
const char kRtfInfo[] = "{\\rtf1\\ansi Avant de {\\b continuer}, fermez les programmes.\\par Merci.}";

std::vector<ControlRow> InfoTable(int width, const std::string& text) {
    const LONG kChild = WS_CHILD | WS_VISIBLE;
    return wintest::WithHeader(
        width, kTitle, "Informations nécessaires avant de continuer l'installation.",
        {
            {"Static", 0,
             "Veuillez lire les informations suivantes et appuyez sur Suivant lorsque vous êtes prêt à continuer.",
             40, 75, 420, 32, kChild, 0, wintest::kGuiFont, true, true},
            {"RichEdit20A", IDC_TEXT_BOX, text, 40, 112, 420, 183, 0x50204844, 0, wintest::kAnyFont, true, true},
        });
}

PackageContents InfoPackage(int format, const std::string& text, bool write = true) {
    PackageContents p = wintest::QuietPackage("Infos");
    p.record.infoFormat = static_cast<int16_t>(format);
    p.writeInfo = write;
    p.info = text;
    return p;
}

std::string BoxText(const WizardSession& w) { return wintest::Lines(gui::Text(w.Control(IDC_TEXT_BOX))); }

TEST(InfoPage, ControlsAndPlainText) {
    WizardSession w;
    w.Start(InfoPackage(1, "Lisez-moi : à jour."));
    ASSERT_TRUE(w.Next());
    ASSERT_EQ(kTitle, w.Title());
    wintest::ExpectPage(w.Page(), InfoTable(wintest::PageWidth(w.Page()), "Lisez-moi : à jour."));
    // The page leaves the buttons as it finds them and asks for nothing.
    EXPECT_TRUE(gui::Enabled(w.Button(IDC_NEXT)));
    EXPECT_TRUE(gui::Visible(w.Button(IDC_BACK)));
    wintest::SaveShot(w.dialog, "page_info");
    ASSERT_TRUE(w.Next());
    EXPECT_EQ("Dossier d'installation", w.Title());
}

TEST(InfoPage, RtfFormatTwoAndRawOtherwise) {
    {
        WizardSession w;
        w.Start(InfoPackage(2, kRtfInfo));
        ASSERT_TRUE(w.Next());
        EXPECT_EQ("Avant de continuer, fermez les programmes.\nMerci.", BoxText(w));
        wintest::SaveShot(w.dialog, "page_info_rtf");
    }
    WizardSession w;
    w.Start(InfoPackage(1, kRtfInfo));
    ASSERT_TRUE(w.Next());
    EXPECT_EQ(kRtfInfo, BoxText(w));
}

TEST(InfoPage, MissingTextLeavesTheBoxEmpty) {
    WizardSession w;
    w.Start(InfoPackage(2, "", false));
    ASSERT_TRUE(w.Next());
    ASSERT_EQ(kTitle, w.Title());
    EXPECT_EQ("", BoxText(w));
    ASSERT_TRUE(w.Next());
    EXPECT_EQ("Dossier d'installation", w.Title());
}

TEST(InfoPage, AfterTheLicenceNextIsEnabledAndBackStartsTheLicenceAgain) {
    PackageContents p = InfoPackage(1, "Infos.");
    p.record.licenseFormat = 1;
    p.writeLicense = true;
    p.license = "Licence.";
    WizardSession w;
    w.Start(p);
    ASSERT_TRUE(w.NextUntil(kTitle));
    EXPECT_TRUE(gui::Enabled(w.Button(IDC_NEXT)));
    EXPECT_EQ("Infos.", BoxText(w));
    ASSERT_TRUE(w.Back());
    EXPECT_EQ("Accord de licence", w.Title());
    EXPECT_EQ("Licence.", BoxText(w));
    EXPECT_EQ(BST_UNCHECKED, gui::CheckState(w.Control(IDC_LICENSE_ACCEPT)));
    EXPECT_FALSE(gui::Enabled(w.Button(IDC_NEXT)));
    // Rebuilt on every visit, text included.
    ASSERT_TRUE(w.NextUntil(kTitle));
    EXPECT_EQ("Infos.", BoxText(w));
}

TEST(InfoPage, FontsOfEveryControl) {
    wintest::RichEditLibrary library;
    wintest::InProcessPage host;
    CPageInfo info(&host.config);
    EXPECT_EQ(0, info.textSize);
    EXPECT_EQ(0, info.textPos);
    HWND page = host.Show(&info);
    ASSERT_TRUE(page != nullptr);
    wintest::ExpectFonts(page, host.config, InfoTable(wintest::PageWidth(page), ""));
    EXPECT_EQ(1, host.Leave(1));
}

}  // namespace
