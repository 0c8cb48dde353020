// The finish page: its texts and buttons, the run check button as it is drawn
// and toggled, and what happens after "Fermer" or the close box: the installed
// program is started exactly when the check button says so.
#include <windows.h>

#include <gtest/gtest.h>

#include "image_files.h"
#include "install_checks.h"
#include "wizard_session.h"
#include "page_success.h"
#include "page_checks.h"

namespace {

using wintest::WizardSession;
using wintest::SystemCleanup;
using wintest::UniqueName;
using wintest::ControlRow;

std::vector<ControlRow> FinishTable(int width, int height, const std::string& verName, bool withCheck) {
    const LONG kChild = WS_CHILD | WS_VISIBLE;
    std::vector<ControlRow> table = {
        {"Static", 0, "", 0, 0, width, height, kChild, 0, wintest::kNoFont, true, true},
        {"Static", 0, "", 0, 0, 144, height, kChild | SS_BITMAP, 0, wintest::kNoFont, true, true},
        {"Static", 0, "Félicitation !\n" + verName + " est installé avec succès dans votre ordinateur.", 180, 30,
         width - 200, 45, kChild, 0, wintest::kGuiFont, true, true},
    };
    if (withCheck) {
        table.push_back({"Button", IDC_RUN_CHECK, "", 180, 100, 200, 16, kChild | BS_OWNERDRAW, 0, wintest::kGuiFont,
                         true, true});
    }
    table.push_back({"Static", 0, "Pour fermer l'assistant, cliquez sur Fermer. ", 180, 220, width - 200, 40, kChild,
                     0, wintest::kGuiFont, true, true});
    return table;
}

// The check button is there only when a run is offered and icons are allowed.
TEST(FinishPage, ControlsForTheRunOffer) {
    struct Case {
        int noIcons, runOffered;
        bool check;
    } cases[] = {{0, 1, true}, {0, 0, false}, {1, 1, false}};
    wintest::InProcessPage host;
    strcpy(host.config.appVerName, "Démo 2.0");
    CPageSuccess finish(&host.config);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.noIcons * 10 + c.runOffered);
        host.config.noIcons = c.noIcons;
        host.config.runOffered = c.runOffered;
        ShowWindow(GetDlgItem(host.dialog(), IDC_BACK), SW_SHOW);
        HWND page = host.Show(&finish);
        ASSERT_TRUE(page != nullptr);
        RECT client;
        GetClientRect(page, &client);
        std::vector<ControlRow> table = FinishTable(client.right, client.bottom, "Démo 2.0", c.check);
        // An image static takes the size of its image: its height is the system's.
        std::vector<HWND> children = gui::Children(page);
        ASSERT_GE(children.size(), 2u);
        table[1].h = gui::RectIn(children[1]).bottom;
        wintest::ExpectPage(page, table);
        wintest::ExpectFonts(page, host.config, table);
        EXPECT_EQ("Fermer", gui::Text(GetDlgItem(host.dialog(), IDC_NEXT)));
        EXPECT_FALSE(gui::Visible(GetDlgItem(host.dialog(), IDC_BACK)));
        EXPECT_EQ(1, host.Leave(1));
    }
}

TEST(FinishPage, EachClickFlipsTheChoiceAndLongNamesAreCut) {
    wintest::InProcessPage host;
    std::string longName(259, 'v');
    strcpy(host.config.appVerName, longName.c_str());
    host.config.noIcons = 0;
    host.config.runOffered = 1;
    host.config.runAfterInstall = 1;
    CPageSuccess finish(&host.config);
    HWND page = host.Show(&finish);
    ASSERT_TRUE(page != nullptr);
    std::vector<HWND> children = gui::Children(page);
    ASSERT_EQ(5u, children.size());
    EXPECT_EQ(("Félicitation !\n" + longName).substr(0, 255), gui::Text(children[2]));
    for (int expected : {0, 1, 0}) {
        SendMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_RUN_CHECK, BN_CLICKED), 0);
        EXPECT_EQ(expected, host.config.runAfterInstall);
    }
    // Other commands change nothing.
    SendMessageA(page, WM_COMMAND, IDC_RUN_CHECK + 1, 0);
    EXPECT_EQ(0, host.config.runAfterInstall);
    host.Leave(1);
}

// Dark pixels inside the 12-pixel box of the run check button, as it shows
// on screen: the check mark.
int CheckMarkPixels(HWND button, const std::string& bmp) {
    if (!gui::Capture(button, bmp)) return -1;
    testimg::BmpPixels image;
    if (!image.Load(testenv::ReadFileBytes(bmp))) return -1;
    int dark = 0;
    for (int y = 2; y < image.height() - 2; ++y) {
        for (int x = 2; x < 10 && x < image.width(); ++x) {
            uint32_t p = image.At(x, y);
            if ((p >> 16 & 0xFF) < 80 && (p >> 8 & 0xFF) < 80 && (p & 0xFF) < 80) ++dark;
        }
    }
    return dark;
}

// Waits until the run check box shows its mark, or shows none: a page just
// on screen or a click just made is drawn a moment later.
bool ShowsMark(HWND check, const std::string& bmp, bool mark) {
    return gui::WaitFor([&] {
        int dark = CheckMarkPixels(check, bmp);
        return mark ? dark > 0 : dark == 0;
    }, 3000);
}

// A package whose program is a batch file leaving a marker when it runs.
struct RunPackage {
    std::string app = UniqueName("Run");
    SystemCleanup cleanup{app, app};
    testenv::ScratchDir target{"target"};
    std::string marker = target / "ran.txt";
    PackageContents p;
    RunPackage() {
        p = wintest::Package(app, target / "app");
        p.record.runOffered = 1;
        p.record.uninstallIconOffered = 0;
        p.AddFile("start.bat", "", "@echo ran> \"" + marker + "\"\r\n");
    }
    // Waits a while for the marker; true once the program has run. The batch
    // is given a moment to end so that its folders can be removed.
    bool Ran(int ms) const {
        bool ran = gui::WaitFor([&] { return testenv::FileExists(marker); }, ms);
        if (ran) Sleep(1000);
        return ran;
    }
};

// Installs the package to the finish page; its run check button, or null.
HWND OnFinishPage(WizardSession& run, const RunPackage& r) {
    run.InstallToEnd(r.p);
    return run.Control(IDC_RUN_CHECK);
}

TEST(FinishPage, ProgramRunsAfterFermerWhenLeftChecked) {
    RunPackage r;
    WizardSession run;
    HWND check = OnFinishPage(run, r);
    ASSERT_TRUE(check != nullptr);
    EXPECT_EQ("Fermer", gui::Text(run.Button(IDC_NEXT)));
    EXPECT_FALSE(gui::Visible(run.Button(IDC_BACK)));
    EXPECT_FALSE(gui::Visible(run.Button(IDCANCEL)));
    EXPECT_TRUE(ShowsMark(check, run.dir / "checked.bmp", true)) << "no check mark drawn";
    EXPECT_FALSE(testenv::FileExists(r.marker));
    run.Close();
    EXPECT_TRUE(r.Ran(10000));
}

// Unticked, the box shows it at once, and nothing is started.
TEST(FinishPage, ToggledOffShowsAtOnceAndNothingRuns) {
    RunPackage r;
    WizardSession run;
    HWND check = OnFinishPage(run, r);
    ASSERT_TRUE(check != nullptr);
    for (bool mark : {false, true}) {
        gui::Click(check);
        run.Settle();
        ASSERT_TRUE(ShowsMark(check, run.dir / (mark ? "checked.bmp" : "unchecked.bmp"), mark));
    }
    gui::Click(check);
    run.Settle();
    run.Close();
    EXPECT_FALSE(r.Ran(2000));
}

// The close box on the finish page ends the wizard like "Fermer": no
// question, and the program is started.
TEST(FinishPage, CloseBoxEndsLikeFermer) {
    RunPackage r;
    WizardSession run;
    run.InstallToEnd(r.p);
    gui::CloseBox(run.dialog);
    DWORD code = 1;
    ASSERT_TRUE(run.program.WaitExit(10000, &code));
    EXPECT_EQ(0u, code);
    EXPECT_TRUE(r.Ran(10000));
}

}  // namespace
