// The wizard as a user meets it: caption, welcome page, page sequence, the
// Suivant and Precedent buttons, and every way of cancelling.
#include <windows.h>

#include <gtest/gtest.h>

#include "gui_driver.h"
#include "setup_config.h"
#include "wizard_harness.h"
#include "setup_ids.h"
#include "test_env.h"
#include "wizard_session.h"

namespace {

using testenv::ScratchDir;

using wintest::kQuitText;
using wintest::WizardSession;

PackageContents Package(const char* name, const char* verName) {
    PackageContents p = wintest::QuietPackage(name);
    strcpy(p.record.appVerName, verName);
    return p;
}

TEST(Wizard, CaptionAndWelcomePage) {
    WizardSession w;
    w.Start(Package("Démo", "Démo 2.0"));
    HWND page = w.Page();
    RECT client;
    GetClientRect(w.dialog, &client);
    RECT pageRect = gui::RectIn(page);
    EXPECT_EQ(0, pageRect.left);
    EXPECT_EQ(0, pageRect.top);
    EXPECT_EQ(client.right, pageRect.right);
    EXPECT_EQ(client.bottom - 46, pageRect.bottom);
    EXPECT_EQ("PageObjectExClass", gui::ClassName(page));

    std::vector<HWND> c = gui::Children(page);
    ASSERT_EQ(5u, c.size());
    int W = pageRect.right, H = pageRect.bottom;
    struct Expected {
        const char* text;
        RECT rect;
    } expected[] = {
        {"", {0, 0, W, H}},
        {"", {0, 0, 144, H}},
        {"Bienvenue dans l'assistant d'installation de Démo", {180, 30, W - 20, 105}},
        {"Cet assistant vous aide à installer Démo 2.0 sur votre ordinateur. \n\nIl est recommandé de fermer "
         "toutes les applications actives avant de continuer.",
         {180, 120, W - 20, 200}},
        {"Cliquez sur Suivant pour continuer ou sur Annuler pour quitter l'assistant.", {180, 260, W - 20, 305}},
    };
    for (size_t i = 0; i < c.size(); ++i) {
        EXPECT_EQ(expected[i].text, gui::Text(c[i])) << i;
        RECT r = gui::RectIn(c[i]);
        EXPECT_EQ(expected[i].rect.left, r.left) << i;
        EXPECT_EQ(expected[i].rect.top, r.top) << i;
        EXPECT_EQ(expected[i].rect.right, r.right) << i;
        // A bitmap static takes the size of its 144 x 324 image.
        if (i != 1) {
            EXPECT_EQ(expected[i].rect.bottom, r.bottom) << i;
        }
        EXPECT_EQ(0, GetDlgCtrlID(c[i])) << i;
        EXPECT_EQ(0, gui::ExStyle(c[i]) & ~WS_EX_NOPARENTNOTIFY) << i;
        EXPECT_EQ(0, gui::Style(c[i]) & (WS_TABSTOP | WS_GROUP)) << i;
    }
    EXPECT_EQ(SS_BITMAP, gui::Style(c[1]) & SS_TYPEMASK);

    EXPECT_FALSE(gui::Visible(GetDlgItem(w.dialog, IDC_BACK)));
    EXPECT_EQ("Suivant  >", gui::Text(GetDlgItem(w.dialog, IDC_NEXT)));
    EXPECT_EQ("Annuler", gui::Text(GetDlgItem(w.dialog, IDCANCEL)));
    EXPECT_EQ("<  Precedent", gui::Text(GetDlgItem(w.dialog, IDC_BACK)));
    EXPECT_EQ(0, gui::Style(GetDlgItem(w.dialog, IDC_NEXT)) & BS_DEFPUSHBUTTON);
}

TEST(Wizard, LongNamesAreCutInTheCaptionAndTexts) {
    std::string name(250, 'a');
    std::string verName(259, 'v');
    WizardSession w;
    w.Start(Package(name.c_str(), verName.c_str()));  // waits for the caption as cut
    EXPECT_EQ(("Installation : " + name).substr(0, 259), gui::Text(w.dialog));
    EXPECT_EQ(259u, gui::Text(w.dialog).size());
    std::vector<HWND> c = gui::Children(w.Page());
    ASSERT_EQ(5u, c.size());
    EXPECT_EQ(259u, gui::Text(c[2]).size());
    EXPECT_EQ(259u, gui::Text(c[3]).size());
}

TEST(Wizard, NavigationShowsAndHidesBackAndRebuildsPages) {
    WizardSession w;
    w.Start(Package("Demo", "Demo 1"));
    HWND back = GetDlgItem(w.dialog, IDC_BACK);
    HWND welcome = w.Page();

    // Precedent on the first page changes nothing.
    gui::Command(w.dialog, IDC_BACK);
    Sleep(300);
    EXPECT_EQ(welcome, w.Page());

    w.Next();
    EXPECT_EQ("Dossier d'installation", w.Title());
    EXPECT_TRUE(gui::Visible(back));
    w.Back();
    EXPECT_EQ("", w.Title());
    EXPECT_FALSE(gui::Visible(back));
    EXPECT_NE(welcome, w.Page());  // a new window, built again
    EXPECT_EQ(5u, gui::Children(w.Page()).size());
    w.Next();
    EXPECT_TRUE(gui::Visible(back));
}

// Walks forward from the welcome page up to the ready page, returning the titles.
std::vector<std::string> PagesUpToReady(WizardSession& w) {
    std::vector<std::string> titles;
    for (int i = 0; i < 9; ++i) {
        std::string title = w.Title();
        titles.push_back(title);
        if (title == "Prêt à installer") break;
        w.AcceptLicence();
        w.Next();
    }
    return titles;
}

TEST(Wizard, PageSequenceFollowsTheFlags) {
    struct Case {
        int license, info, group, uninstall, menus, noIcons;
        std::vector<std::string> titles;
    } cases[] = {
        {0, 0, 0, 0, 0, 1, {"", "Dossier d'installation", "Prêt à installer"}},
        {1, 2, 0, 0, 0, 1, {"", "Accord de licence", "Informations", "Dossier d'installation", "Prêt à installer"}},
        {0, 0, 1, 0, 0, 0,
         {"", "Dossier d'installation", "Raccourcis du menu Démarrer", "Tâches supplémentaires", "Prêt à installer"}},
        {0, 0, 0, 1, 0, 1, {"", "Dossier d'installation", "Raccourcis du menu Démarrer", "Prêt à installer"}},
        {0, 0, 0, 0, 1, 1, {"", "Dossier d'installation", "Raccourcis du menu Démarrer", "Prêt à installer"}},
    };
    for (const Case& c : cases) {
        PackageContents p = Package("Seq", "Seq 1");
        p.record.licenseFormat = static_cast<int16_t>(c.license);
        p.record.infoFormat = static_cast<int16_t>(c.info);
        p.writeLicense = c.license != 0;
        p.license = "Licence";
        p.writeInfo = c.info != 0;
        p.info = "{\\rtf1 Info}";
        p.record.allowGroupChange = c.group;
        p.record.uninstallIconOffered = c.uninstall;
        p.record.offerMenuIcons = c.menus;
        p.record.noIcons = c.noIcons;
        WizardSession w;
        w.Start(p);
        EXPECT_EQ(c.titles, PagesUpToReady(w));
    }
}

TEST(Wizard, CancelAsksOnceAndNoKeepsThePage) {
    WizardSession w;
    w.Start(Package("Demo", "Demo 1"));
    w.Next();
    HWND page = w.Page();
    using Trigger = void (*)(HWND);
    const Trigger triggers[] = {
        [](HWND d) { gui::Click(GetDlgItem(d, IDCANCEL)); },
        [](HWND d) { gui::PressEscape(d); },
        [](HWND d) { gui::CloseBox(d); },
    };
    for (Trigger trigger : triggers) {
        trigger(w.dialog);
        HWND box = w.program.WaitMessageBox("Installation : Demo", 5000);
        ASSERT_TRUE(box != nullptr);
        gui::MessageBoxInfo info = gui::ReadMessageBox(box);
        EXPECT_EQ(kQuitText, info.text);
        EXPECT_EQ((std::vector<int>{IDYES, IDNO}), info.buttons);
        EXPECT_TRUE(info.hasIcon);
        ASSERT_TRUE(gui::AnswerMessageBox(box, IDNO));
        Sleep(400);
        EXPECT_EQ(nullptr, w.program.FindMessageBox()) << "asked a second time";
        EXPECT_EQ(page, w.Page());
        EXPECT_TRUE(w.program.Running());
    }
}

TEST(Wizard, CancelYesEndsTheProgram) {
    WizardSession w;
    w.Start(Package("Demo", "Demo 1"));
    gui::CloseBox(w.dialog);
    HWND box = w.program.WaitMessageBox("Installation : Demo", 5000);
    ASSERT_TRUE(box != nullptr);
    gui::AnswerMessageBox(box, IDYES);
    DWORD code = 1234;
    ASSERT_TRUE(w.program.WaitExit(5000, &code));
    EXPECT_EQ(0u, code);
}

TEST(Wizard, DefaultsWithoutPackage) {
    ScratchDir dir("bare");
    std::string exe = dir / "setup.exe";
    ASSERT_TRUE(CopyFileA(testenv::Program("setup.exe").c_str(), exe.c_str(), FALSE));
    gui::Program program;
    ASSERT_TRUE(program.Start(exe));
    HWND dialog = program.WaitWindow("Installation : Mon_Application");
    ASSERT_TRUE(dialog != nullptr);
    std::vector<HWND> c = gui::Children(gui::WaitControl(dialog, IDC_PAGE));
    ASSERT_EQ(5u, c.size());
    EXPECT_EQ("Bienvenue dans l'assistant d'installation de Mon_Application", gui::Text(c[2]));
}

}  // namespace

namespace {

TEST(WizardInProcess, WelcomeFontsAndButtons) {
    strcpy(theConfig.appName, "Demo");
    InProcessWizard w;
    std::vector<HWND> c = gui::Children(w.Page());
    ASSERT_EQ(5u, c.size());
    EXPECT_EQ(theConfig.welcomeFont, reinterpret_cast<HFONT>(SendMessageA(c[2], WM_GETFONT, 0, 0)));
    EXPECT_TRUE(gui::UsesGuiFont(c[3]));
    EXPECT_TRUE(gui::UsesGuiFont(c[4]));
    LOGFONTA font;
    ASSERT_TRUE(GetObjectA(theConfig.welcomeFont, sizeof(font), &font));
    EXPECT_EQ(-20, font.lfHeight);
    EXPECT_EQ(400, font.lfWeight);
    EXPECT_STREQ("MS Sans Serif", font.lfFaceName);
    ASSERT_TRUE(GetObjectA(theConfig.titleFont, sizeof(font), &font));
    EXPECT_EQ(-12, font.lfHeight);
    EXPECT_EQ(700, font.lfWeight);
    EXPECT_EQ(OUT_TT_ONLY_PRECIS, font.lfOutPrecision);

    w.Next();
    HWND title = w.Control(IDC_HEADER_TITLE);
    ASSERT_TRUE(title != nullptr);
    EXPECT_EQ(theConfig.titleFont, reinterpret_cast<HFONT>(SendMessageA(title, WM_GETFONT, 0, 0)));
    EXPECT_TRUE(gui::UsesGuiFont(w.Control(IDC_HEADER_SUBTITLE)));
    // The header title and subtitle are drawn black on white, the rest in the dialog colours.
    HDC dc = GetDC(title);
    EXPECT_EQ(GetStockObject(WHITE_BRUSH),
              reinterpret_cast<HGDIOBJ>(SendMessageA(w.Page(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                                     reinterpret_cast<LPARAM>(title))));
    ReleaseDC(title, dc);
}

}  // namespace
