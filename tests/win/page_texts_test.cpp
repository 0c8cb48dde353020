// The two pages that show a text, the licence (RT_DATA "5010", Next held
// until the licence is accepted) and the information (RT_DATA "5011"): one
// table of what they share (controls, plain text or RTF, a missing text,
// fonts), then what only one of them does, and the streaming of long texts
// into the box.
#include <windows.h>
#include <richedit.h>

#include <gtest/gtest.h>

#include <memory>

#include "install_checks.h"
#include "page_checks.h"
#include "page_info.h"
#include "page_license.h"
#include "text_box.h"
#include "wizard_session.h"

namespace {

using wintest::ControlRow;
using wintest::WizardSession;

const char kLicenseTitle[] = "Accord de licence";
const char kInfoTitle[] = "Informations";
const char kPlainLicense[] = "Contrat de licence\r\nArticle 1 : l'été, à Noël.\r\nArticle 2 : fin.";
const char kRtfLicense[] = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\f0 Texte {\\b gras} et {\\i penché}.\\par Fin}";
const char kRtfInfo[] = "{\\rtf1\\ansi Avant de {\\b continuer}, fermez les programmes.\\par Merci.}";

// One page that shows a text, and what the shared tests give and expect.
struct TextPage {
    const char* name;
    const char* title;
    const char* subtitle;
    const char* intro;
    int boxHeight;
    bool isLicense;  // the licence page: a tick box that holds Next
    const char* plain;
    const char* plainShown;
    const char* rtf;
    const char* rtfShown;
    std::vector<int> rawFormats;      // formats that show RTF as raw text
    std::vector<int> missingFormats;  // formats tried without the text resource
    const char* shot;
};

const TextPage kTextPages[] = {
    {"Licence", kLicenseTitle, "Informations concernant les termes du contrat de licence.",
     "Veuillez lire le contrat de licence suivant. Vous devez en accepter tous les termes avant de continuer "
     "l'installation.",
     170, true, kPlainLicense, "Contrat de licence\nArticle 1 : l'été, à Noël.\nArticle 2 : fin.", kRtfLicense,
     "Texte gras et penché.\nFin", {1, 3, -1}, {1, 2}, "page_license"},
    {"Information", kInfoTitle, "Informations nécessaires avant de continuer l'installation.",
     "Veuillez lire les informations suivantes et appuyez sur Suivant lorsque vous êtes prêt à continuer.", 183,
     false, "Lisez-moi : à jour.", "Lisez-moi : à jour.", kRtfInfo,
     "Avant de continuer, fermez les programmes.\nMerci.", {1}, {2}, "page_info"},
};
const TextPage& kLicensePage = kTextPages[0];
// The page's name in test listings and failures.
void PrintTo(const TextPage& page, std::ostream* out) { *out << page.name; }

std::vector<ControlRow> PageTable(const TextPage& page, int width, const std::string& text) {
    const LONG kChild = WS_CHILD | WS_VISIBLE;
    std::vector<ControlRow> own = {
        {"Static", 0, page.intro, 40, 75, 420, 32, kChild, 0, wintest::kGuiFont, true, true}};
    if (page.isLicense) {
        own.push_back({"Button", IDC_LICENSE_ACCEPT, "J'accepte les termes du contrat de licence", 40, 288, 420, 18,
                       kChild | BS_AUTOCHECKBOX, 0, wintest::kGuiFont, true, true});
    }
    own.push_back({"RichEdit20A", IDC_TEXT_BOX, text, 40, 112, 420, page.boxHeight, 0x50204844, 0, wintest::kAnyFont,
                   true, true});
    return wintest::WithHeader(width, page.title, page.subtitle, own);
}

PackageContents TextPackage(const TextPage& page, int format, const std::string& text, bool write = true) {
    PackageContents p = wintest::QuietPackage(page.isLicense ? "Licence" : "Infos");
    if (page.isLicense) {
        p.record.licenseFormat = static_cast<int16_t>(format);
        p.writeLicense = write;
        p.license = text;
    } else {
        p.record.infoFormat = static_cast<int16_t>(format);
        p.writeInfo = write;
        p.info = text;
    }
    return p;
}

PackageContents LicensePackage(int format, const std::string& text, bool write = true) {
    return TextPackage(kLicensePage, format, text, write);
}

std::string BoxText(const WizardSession& w) { return wintest::Lines(gui::Text(w.Control(IDC_TEXT_BOX))); }

class TextPageTest : public testing::TestWithParam<TextPage> {};

TEST_P(TextPageTest, ControlsAndPlainText) {
    const TextPage& page = GetParam();
    WizardSession w;
    w.Start(TextPackage(page, 1, page.plain));
    ASSERT_TRUE(w.Next());
    ASSERT_EQ(page.title, w.Title());
    // The box's text is compared below, line ends aside.
    wintest::ExpectPage(w.Page(), PageTable(page, wintest::PageWidth(w.Page()), gui::Text(w.Control(IDC_TEXT_BOX))));
    EXPECT_EQ(page.plainShown, BoxText(w));
    // The licence page holds Next until its box is ticked; the information page
    // leaves the buttons as it finds them and asks for nothing.
    EXPECT_EQ(!page.isLicense, gui::Enabled(w.Button(IDC_NEXT)));
    EXPECT_TRUE(gui::Enabled(w.Button(IDCANCEL)));
    EXPECT_TRUE(gui::Visible(w.Button(IDC_BACK)));
    wintest::SaveShot(w.dialog, page.shot);
    if (page.isLicense) {
        EXPECT_EQ(BST_UNCHECKED, gui::CheckState(w.Control(IDC_LICENSE_ACCEPT)));
    } else {
        ASSERT_TRUE(w.Next());
        EXPECT_EQ("Dossier d'installation", w.Title());
    }
}

TEST_P(TextPageTest, RtfIsShownFormattedOnlyWithFormatTwo) {
    const TextPage& page = GetParam();
    {
        WizardSession w;
        w.Start(TextPackage(page, 2, page.rtf));
        ASSERT_TRUE(w.Next());
        ASSERT_EQ(page.title, w.Title());
        EXPECT_EQ(page.rtfShown, BoxText(w));
        wintest::SaveShot(w.dialog, std::string(page.shot) + "_rtf");
    }
    for (int format : page.rawFormats) {
        SCOPED_TRACE(format);
        WizardSession w;
        w.Start(TextPackage(page, format, page.rtf));
        ASSERT_TRUE(w.Next());
        ASSERT_EQ(page.title, w.Title());
        EXPECT_EQ(page.rtf, BoxText(w));
    }
}

// An empty resource cannot be written with the resource-update functions (size
// 0 deletes); the callback test below covers an empty text.
TEST_P(TextPageTest, MissingTextLeavesTheBoxEmptyAndThePageWorking) {
    const TextPage& page = GetParam();
    for (int format : page.missingFormats) {
        SCOPED_TRACE(format);
        WizardSession w;
        w.Start(TextPackage(page, format, "", false));
        ASSERT_TRUE(w.Next());
        ASSERT_EQ(page.title, w.Title());
        EXPECT_EQ("", BoxText(w));
        if (page.isLicense) {
            EXPECT_FALSE(gui::Enabled(w.Button(IDC_NEXT)));
            ASSERT_TRUE(w.Toggle(IDC_LICENSE_ACCEPT));
            EXPECT_TRUE(gui::WaitFor([&] { return gui::Enabled(w.Button(IDC_NEXT)); }, 3000));
        }
        ASSERT_TRUE(w.Next());
        EXPECT_EQ("Dossier d'installation", w.Title());
    }
}

TEST_P(TextPageTest, FontsOfEveryControl) {
    const TextPage& page = GetParam();
    wintest::RichEditLibrary library;
    wintest::InProcessPage host;
    std::unique_ptr<CPageObject> object;
    if (page.isLicense) {
        object.reset(new CPageLicense(&host.config));
    } else {
        auto info = new CPageInfo(&host.config);
        EXPECT_EQ(0, info->textSize);
        EXPECT_EQ(0, info->textPos);
        object.reset(info);
    }
    HWND window = host.Show(object.get());
    ASSERT_TRUE(window != nullptr);
    wintest::ExpectFonts(window, host.config, PageTable(page, wintest::PageWidth(window), ""));
    // The licence page holds Next until the box is ticked, and gives it back when left.
    EXPECT_EQ(!page.isLicense, IsWindowEnabled(GetDlgItem(host.dialog(), IDC_NEXT)) != FALSE);
    EXPECT_EQ(1, host.Leave(page.isLicense ? 0 : 1));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(host.dialog(), IDC_NEXT)));
}

INSTANTIATE_TEST_SUITE_P(TextPages, TextPageTest, testing::ValuesIn(kTextPages),
                         [](const testing::TestParamInfo<TextPage>& info) { return std::string(info.param.name); });

// --- The licence page alone -----------------------------------------------------

TEST(LicensePage, NextFollowsTheBoxAndEveryVisitStartsAgain) {
    WizardSession w;
    w.Start(LicensePackage(1, kPlainLicense));
    HWND next = w.Button(IDC_NEXT);
    ASSERT_TRUE(w.Next());
    ASSERT_EQ(kLicenseTitle, w.Title());
    EXPECT_FALSE(gui::Enabled(next));

    ASSERT_TRUE(w.Toggle(IDC_LICENSE_ACCEPT));
    EXPECT_TRUE(gui::WaitFor([&] { return gui::Enabled(next); }, 3000));
    ASSERT_TRUE(w.Toggle(IDC_LICENSE_ACCEPT));
    EXPECT_TRUE(gui::WaitFor([&] { return !gui::Enabled(next); }, 3000));

    // Ticked and left forwards: Next works on the next page.
    ASSERT_TRUE(w.Toggle(IDC_LICENSE_ACCEPT));
    ASSERT_TRUE(gui::WaitFor([&] { return gui::Enabled(next); }, 3000));
    ASSERT_TRUE(w.Next());
    EXPECT_EQ("Dossier d'installation", w.Title());
    EXPECT_TRUE(gui::Enabled(next));

    // Coming back: unticked and Next disabled again.
    ASSERT_TRUE(w.Back());
    ASSERT_EQ(kLicenseTitle, w.Title());
    EXPECT_EQ(BST_UNCHECKED, gui::CheckState(w.Control(IDC_LICENSE_ACCEPT)));
    EXPECT_FALSE(gui::Enabled(next));

    // Left backwards unticked: the welcome page has Next enabled.
    ASSERT_TRUE(w.Back());
    EXPECT_EQ("", w.Title());
    EXPECT_TRUE(gui::Enabled(next));
    ASSERT_TRUE(w.Next());
    EXPECT_EQ(BST_UNCHECKED, gui::CheckState(w.Control(IDC_LICENSE_ACCEPT)));
    EXPECT_FALSE(gui::Enabled(next));
}

// --- The information page alone ------------------------------------------------

TEST(InfoPage, AfterTheLicenceNextIsEnabledAndBackStartsTheLicenceAgain) {
    PackageContents p = TextPackage(kTextPages[1], 1, "Infos.");
    p.record.licenseFormat = 1;
    p.writeLicense = true;
    p.license = "Licence.";
    WizardSession w;
    w.Start(p);
    ASSERT_TRUE(w.NextUntil(kInfoTitle));
    EXPECT_TRUE(gui::Enabled(w.Button(IDC_NEXT)));
    EXPECT_EQ("Infos.", BoxText(w));
    ASSERT_TRUE(w.Back());
    EXPECT_EQ("Accord de licence", w.Title());
    EXPECT_EQ("Licence.", BoxText(w));
    EXPECT_EQ(BST_UNCHECKED, gui::CheckState(w.Control(IDC_LICENSE_ACCEPT)));
    EXPECT_FALSE(gui::Enabled(w.Button(IDC_NEXT)));
    // Rebuilt on every visit, text included.
    ASSERT_TRUE(w.NextUntil(kInfoTitle));
    EXPECT_EQ("Infos.", BoxText(w));
}

// --- In process: the text box and its streaming -------------------------------

// A packaged setup.exe opened as a data file, so its resources can be streamed
// in this process.
class PackageModule {
public:
    explicit PackageModule(const PackageContents& contents) : dir_("stream"), module_(Made(dir_, contents)) {}
    HMODULE get() const { return module_.get(); }

private:
    static std::string Made(const testenv::ScratchDir& dir, const PackageContents& contents) {
        testenv::MakePackage(dir / "setup.exe", contents);
        return dir / "setup.exe";
    }
    testenv::ScratchDir dir_;
    wintest::DataModule module_;
};

// The license text of 200 KB in lines of 50 characters.
std::string LongText() {
    std::string text;
    for (int line = 0; text.size() < 200 * 1024; ++line) {
        char row[64];
        snprintf(row, sizeof(row), "Ligne %06d du contrat, à lire en entier svp.\r\n", line);
        text += row;
    }
    return text;
}

TEST(LicenseTextBox, CallbackHandsOutPiecesOfTheRequestedSizeAndCutsTheLast) {
    std::string text = LongText();
    PackageModule package(LicensePackage(1, text));
    ASSERT_TRUE(package.get() != nullptr);
    HRSRC found = FindResourceA(package.get(), "5010", "RT_DATA");
    ASSERT_TRUE(found != nullptr);

    CSetupConfig config;
    CPageLicense page(&config);
    EXPECT_EQ(0, page.textSize);
    EXPECT_EQ(0, page.textPos);
    page.textSize = static_cast<int>(SizeofResource(package.get(), found));
    page.textData = LoadResource(package.get(), found);
    ASSERT_EQ(static_cast<int>(text.size()), page.textSize);

    DWORD_PTR cookie = reinterpret_cast<DWORD_PTR>(&page);
    std::string received;
    std::vector<char> buffer(5000);
    LONG got = -1;
    const LONG kPiece = 4093;  // does not divide the size
    while (TextStreamCallback<CPageLicense>(cookie, reinterpret_cast<LPBYTE>(buffer.data()), kPiece, &got) == 0) {
        ASSERT_GT(got, 0);
        if (received.size() + kPiece <= text.size()) {
            EXPECT_EQ(kPiece, got);
        } else {
            EXPECT_EQ(static_cast<LONG>(text.size() - received.size()), got);  // the last piece, cut
        }
        received.append(buffer.data(), static_cast<size_t>(got));
        ASSERT_LE(received.size(), text.size());
    }
    EXPECT_EQ(0, got);
    EXPECT_TRUE(received == text);
    EXPECT_EQ(page.textSize, page.textPos);
    // Once everything is out, every further call ends the streaming.
    EXPECT_EQ(1u, TextStreamCallback<CPageLicense>(cookie, reinterpret_cast<LPBYTE>(buffer.data()), kPiece, &got));
    EXPECT_EQ(1u, TextStreamCallback<CPageLicense>(0, reinterpret_cast<LPBYTE>(buffer.data()), kPiece, &got));

    // An empty text ends at the first call, with nothing delivered.
    page.textSize = 0;
    page.textPos = 0;
    EXPECT_EQ(1u, TextStreamCallback<CPageLicense>(cookie, reinterpret_cast<LPBYTE>(buffer.data()), kPiece, &got));
    EXPECT_EQ(0, got);
}

// Records what the rich edit asks for while the real callback answers.
struct StreamLog {
    CPageLicense* page;
    std::vector<LONG> requested;
    std::vector<LONG> delivered;
    std::vector<DWORD> results;
};

DWORD CALLBACK RecordingCallback(DWORD_PTR cookie, LPBYTE buffer, LONG requested, LONG* got) {
    StreamLog* log = reinterpret_cast<StreamLog*>(cookie);
    DWORD result = TextStreamCallback<CPageLicense>(reinterpret_cast<DWORD_PTR>(log->page), buffer, requested, got);
    log->requested.push_back(requested);
    log->delivered.push_back(*got);
    log->results.push_back(result);
    return result;
}

class TextBoxHost {
public:
    TextBoxHost() {
        window_ = CreateWindowExA(0, "static", "host", WS_POPUP, 0, 0, 500, 400, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
        box = AddTextBox(window_, 40, 112, 420, 170);
    }
    ~TextBoxHost() { DestroyWindow(window_); }
    std::string Text() const {
        int length = GetWindowTextLengthA(box);
        std::string text(static_cast<size_t>(length) + 1, '\0');
        GetWindowTextA(box, &text[0], length + 1);
        text.resize(strlen(text.c_str()));
        return wintest::Lines(text);
    }
    HWND box = nullptr;

private:
    HWND window_ = nullptr;
};

TEST(LicenseTextBox, LongTextStreamsInWholeInThePiecesTheBoxAsksFor) {
    wintest::RichEditLibrary library;
    ASSERT_TRUE(library.loaded());
    std::string text = LongText();
    PackageModule package(LicensePackage(1, text));
    ASSERT_TRUE(package.get() != nullptr);
    TextBoxHost host;
    ASSERT_TRUE(host.box != nullptr);
    ApplyTextBoxLook(host.box);

    CSetupConfig config;
    CPageLicense page(&config);
    page.textPos = 12345;  // left over from an earlier visit: the filling starts again at 0
    StreamLog log{&page, {}, {}, {}};
    StreamResourceText(host.box, package.get(), "5010", 1, &page.textData, &page.textSize, &page.textPos,
                       RecordingCallback, reinterpret_cast<DWORD_PTR>(&log));
    ASSERT_FALSE(log.requested.empty());
    long total = 0;
    for (size_t i = 0; i < log.delivered.size(); ++i) {
        total += log.delivered[i];
        bool last = log.results[i] != 0 || log.delivered[i] < log.requested[i];
        if (!last) {
            EXPECT_EQ(log.requested[i], log.delivered[i]) << "piece " << i;
        }
    }
    EXPECT_EQ(static_cast<long>(text.size()), total);
    EXPECT_EQ(static_cast<int>(text.size()), page.textPos);
    EXPECT_TRUE(host.Text() == wintest::Lines(text)) << host.Text().size() << " characters";
    // The long text overflows the box, which shows its vertical scroll bar.
    EXPECT_EQ(0x50204844, GetWindowLongA(host.box, GWL_STYLE));
}

TEST(LicenseTextBox, LooksWhiteWithTenPointMsSansSerif) {
    wintest::RichEditLibrary library;
    ASSERT_TRUE(library.loaded());
    PackageModule package(LicensePackage(1, "Un texte simple."));
    TextBoxHost host;
    // Without overflowing text the box hides its scroll bar.
    EXPECT_EQ(0x50204844 & ~WS_VSCROLL, GetWindowLongA(host.box, GWL_STYLE) & ~WS_VSCROLL);
    ApplyTextBoxLook(host.box);
    CSetupConfig config;
    CPageLicense page(&config);
    FillTextBox(&page, host.box, package.get(), "5010", 1);
    EXPECT_EQ("Un texte simple.", host.Text());

    // EM_SETBKGNDCOLOR answers with the colour it replaces.
    EXPECT_EQ(RGB(255, 255, 255), static_cast<COLORREF>(SendMessageA(host.box, EM_SETBKGNDCOLOR, 0, RGB(1, 2, 3))));
    SendMessageA(host.box, EM_SETSEL, 0, -1);
    CHARFORMAT2A format = {};
    format.cbSize = sizeof(format);
    SendMessageA(host.box, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    EXPECT_EQ(84u, sizeof(format));
    EXPECT_TRUE(format.dwMask & CFM_SIZE);
    EXPECT_EQ(200, format.yHeight);
    EXPECT_TRUE(format.dwMask & CFM_FACE);
    EXPECT_STREQ("MS Sans Serif", format.szFaceName);
    EXPECT_TRUE(format.dwMask & CFM_COLOR);
    EXPECT_EQ(0u, format.dwEffects & CFE_AUTOCOLOR);
    EXPECT_EQ(RGB(0, 0, 0), format.crTextColor);
    EXPECT_EQ(0u, format.dwEffects & (CFE_BOLD | CFE_ITALIC | CFE_UNDERLINE));
}

}  // namespace
