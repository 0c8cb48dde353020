// The install folder page: its controls, the folder kept across Back and Next,
// and the folder browser behind "Parcourir".
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include "page_directory.h"
#include "page_checks.h"
#include "wizard_session.h"

namespace {

using wintest::ControlRow;
using wintest::WizardSession;

const char kTitle[] = "Dossier d'installation";
const char kSubtitle[] = "Sélectionnez un répértoire où les fichiers doivent être installés.";

std::vector<ControlRow> DirectoryTable(int width, const std::string& sentence, const std::string& folder,
                                        bool enabled) {
    const LONG kChild = WS_CHILD | WS_VISIBLE;
    return wintest::WithHeader(
        width, kTitle, kSubtitle,
        {
            {"Static", 0, sentence, 40, 80, 400, 16, kChild, 0, wintest::kGuiFont, true, true},
            {"Edit", IDC_FOLDER_EDIT, folder, 40, 100, 340, 20, kChild, WS_EX_CLIENTEDGE, wintest::kGuiFont, true,
             enabled},
            {"Button", IDC_FOLDER_BROWSE, "Parcourir", 390, 100, 70, 21, kChild, 0, wintest::kGuiFont, true,
             enabled},
        });
}

TEST(DirectoryPage, ControlsWhenTheFolderMayChange) {
    WizardSession w;
    w.Start(wintest::QuietPackage("Démo", "C:\\ct_dir\\Démo"));
    ASSERT_TRUE(w.NextUntil(kTitle));
    wintest::ExpectPage(w.Page(), DirectoryTable(wintest::PageWidth(w.Page()),
                                                  "L'assistant va installer Démo dans le dossier suivant :",
                                                  "C:\\ct_dir\\Démo", true));
    // The page leaves the dialog's buttons alone.
    EXPECT_TRUE(gui::Enabled(w.Button(IDC_NEXT)));
    EXPECT_TRUE(gui::Visible(w.Button(IDC_BACK)));
    EXPECT_EQ("Suivant  >", gui::Text(w.Button(IDC_NEXT)));
    wintest::SaveShot(w.dialog, "page_directory");
}

TEST(DirectoryPage, FontsOfEveryControl) {
    wintest::InProcessPage host;
    CPageDirectory directory(&host.config);
    HWND page = host.Show(&directory);
    ASSERT_TRUE(page != nullptr);
    wintest::ExpectFonts(page, host.config, DirectoryTable(wintest::PageWidth(page), "", "", true));
}

TEST(DirectoryPage, FixedFolderIsShownDisabledAndWrittenBackUnchanged) {
    PackageContents p = wintest::QuietPackage("Fixe", "C:\\ct_fixed");
    p.record.allowDirChange = 0;
    WizardSession w;
    w.Start(p);
    ASSERT_TRUE(w.NextUntil(kTitle));
    wintest::ExpectPage(w.Page(), DirectoryTable(wintest::PageWidth(w.Page()),
                                                  "L'assistant va installer Fixe dans le dossier suivant :",
                                                  "C:\\ct_fixed", false));
    wintest::SaveShot(w.dialog, "page_directory_fixed");
    ASSERT_TRUE(w.Next());
    ASSERT_TRUE(w.Back());
    EXPECT_EQ("C:\\ct_fixed", gui::Text(w.Control(IDC_FOLDER_EDIT)));
}

TEST(DirectoryPage, LongNameIsCutAndTheSentenceKeepsItsEnd) {
    // 76 characters of name fit in the sentence's 128-character buffer.
    std::string name(120, 'n');
    WizardSession w;
    w.Start(wintest::QuietPackage(name.c_str()));
    ASSERT_TRUE(w.NextUntil(kTitle));
    std::vector<HWND> c = gui::Children(w.Page());
    ASSERT_EQ(8u, c.size());
    std::string sentence = gui::Text(c[5]);
    EXPECT_EQ("L'assistant va installer " + name.substr(0, 76) + " dans le dossier suivant :", sentence);
    EXPECT_EQ(127u, sentence.size());
}

TEST(DirectoryPage, TypedFolderSurvivesBackAndNext) {
    WizardSession w;
    w.Start(wintest::QuietPackage("Demo"));
    ASSERT_TRUE(w.NextUntil(kTitle));

    // Leaving backwards stores the text, and the page is rebuilt from it.
    gui::SetText(w.Control(IDC_FOLDER_EDIT), "D:\\Ailleurs\\Démo");
    ASSERT_TRUE(w.Back());
    ASSERT_TRUE(w.Next());
    EXPECT_EQ(kTitle, w.Title());
    EXPECT_EQ("D:\\Ailleurs\\Démo", gui::Text(w.Control(IDC_FOLDER_EDIT)));

    // Leaving forwards stores it too.
    gui::SetText(w.Control(IDC_FOLDER_EDIT), "E:\\Autre");
    ASSERT_TRUE(w.Next());
    EXPECT_NE(kTitle, w.Title());
    ASSERT_TRUE(w.Back());
    EXPECT_EQ("E:\\Autre", gui::Text(w.Control(IDC_FOLDER_EDIT)));

    // An empty field is not refused here and comes back empty.
    gui::SetText(w.Control(IDC_FOLDER_EDIT), "");
    ASSERT_TRUE(w.Next());
    EXPECT_NE(kTitle, w.Title());
    ASSERT_TRUE(w.Back());
    EXPECT_EQ(kTitle, w.Title());
    EXPECT_EQ("", gui::Text(w.Control(IDC_FOLDER_EDIT)));
}

TEST(DirectoryPage, LongestFolderIsKeptWhole) {
    std::string folder = "C:\\" + std::string(256, 'f');  // 259 characters, the most a path holds
    WizardSession w;
    w.Start(wintest::QuietPackage("Demo"));
    ASSERT_TRUE(w.NextUntil(kTitle));
    gui::SetText(w.Control(IDC_FOLDER_EDIT), folder);
    ASSERT_TRUE(w.Back());
    ASSERT_TRUE(w.Next());
    EXPECT_EQ(folder, gui::Text(w.Control(IDC_FOLDER_EDIT)));
}

BOOL CALLBACK CollectDescendant(HWND window, LPARAM param) {
    reinterpret_cast<std::vector<HWND>*>(param)->push_back(window);
    return TRUE;
}

std::vector<HWND> Descendants(HWND root) {
    std::vector<HWND> all;
    EnumChildWindows(root, CollectDescendant, reinterpret_cast<LPARAM>(&all));
    return all;
}

// The folder browser opened by "Parcourir": another window of the program that
// shows the title text "Choisir un dossier :".
HWND WaitFolderBrowser(const WizardSession& w) {
    HWND found = nullptr;
    gui::WaitFor(
        [&] {
            for (HWND top : w.program.Windows()) {
                if (top == w.dialog) continue;
                for (HWND c : Descendants(top)) {
                    if (gui::Text(c) == "Choisir un dossier :") found = top;
                }
            }
            return found != nullptr;
        },
        10000);
    return found;
}

HWND FolderTree(HWND browser) {
    for (HWND c : Descendants(browser)) {
        if (gui::ClassName(c) == "SysTreeView32") return c;
    }
    return nullptr;
}

// Starts a wizard whose folder field holds folder, goes to this page and opens
// the browser from it; fails the test (null) when one of them does not come.
HWND OpenBrowser(WizardSession& w, const char* folder) {
    w.Start(wintest::QuietPackage("Demo", folder));
    if (::testing::Test::HasFatalFailure()) return nullptr;
    if (!w.NextUntil(kTitle)) {
        ADD_FAILURE() << "the folder page never came";
        return nullptr;
    }
    gui::Click(w.Control(IDC_FOLDER_BROWSE));
    HWND browser = WaitFolderBrowser(w);
    EXPECT_TRUE(browser != nullptr) << "no folder browser with the title text";
    return browser;
}

TEST(DirectoryPage, BrowseCancelKeepsTheField) {
    WizardSession w;
    HWND browser = OpenBrowser(w, "C:\\ct_keep");
    ASSERT_TRUE(browser != nullptr);
    EXPECT_EQ(w.dialog, GetWindow(browser, GW_OWNER));
    EXPECT_FALSE(gui::Enabled(w.dialog));  // modal to the wizard
    wintest::SaveShot(browser, "folder_browser");
    gui::Command(browser, IDCANCEL);
    ASSERT_TRUE(gui::WaitFor([&] { return !IsWindow(browser); }, 5000));
    Sleep(200);
    EXPECT_EQ("C:\\ct_keep", gui::Text(w.Control(IDC_FOLDER_EDIT)));
}

TEST(DirectoryPage, BrowseChoiceReplacesTheWholeField) {
    WizardSession w;
    HWND browser = OpenBrowser(w, "C:\\ct_replace\\Demo");
    ASSERT_TRUE(browser != nullptr);
    HWND tree = FolderTree(browser);
    ASSERT_TRUE(tree != nullptr);
    // The root of the tree is the desktop, whose file-system folder is the
    // user's desktop folder. These tree messages carry no pointers, so they
    // work from another process.
    HTREEITEM root = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
    ASSERT_TRUE(root != nullptr);
    SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(root));
    gui::Command(browser, IDOK);
    ASSERT_TRUE(gui::WaitFor([&] { return !IsWindow(browser); }, 5000));

    char desktop[MAX_PATH];
    ASSERT_EQ(S_OK, SHGetFolderPathA(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, SHGFP_TYPE_CURRENT, desktop));
    HWND field = w.Control(IDC_FOLDER_EDIT);
    EXPECT_TRUE(gui::WaitText(field, desktop, 3000)) << gui::Text(field);

    // The chosen folder reaches installDir through the field: it is shown again.
    ASSERT_TRUE(w.Back());
    ASSERT_TRUE(w.Next());
    EXPECT_EQ(desktop, gui::Text(w.Control(IDC_FOLDER_EDIT)));
}

}  // namespace
