// The licence page: its controls, the Next button held until the licence is
// accepted, the text box filled from RT_DATA "5010" as plain text or RTF, and
// the streaming of long texts into the box.
#include <windows.h>
#include <richedit.h>

#include <gtest/gtest.h>

#include "page_license.h"
#include "page_checks.h"
#include "wizard_session.h"
#include "text_box.h"

namespace {

using wintest::ControlRow;
using wintest::WizardSession;

const char kTitle[] = "Accord de licence";
const char kPlainLicense[] = "Contrat de licence\r\nArticle 1 : l'été, à Noël.\r\nArticle 2 : fin.";
const char kRtfLicense[] = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\f0 Texte {\\b gras} et {\\i penché}.\\par Fin}";

std::vector<ControlRow> LicenseTable(int width) {
    const LONG kChild = WS_CHILD | WS_VISIBLE;
    return wintest::WithHeader(
        width, kTitle, "Informations concernant les termes du contrat de licence.",
        {
            {"Static", 0,
             "Veuillez lire le contrat de licence suivant. Vous devez en accepter tous les termes avant de continuer "
             "l'installation.",
             40, 75, 420, 32, kChild, 0, wintest::kGuiFont, true, true},
            {"Button", IDC_LICENSE_ACCEPT, "J'accepte les termes du contrat de licence", 40, 288, 420, 18,
             kChild | BS_AUTOCHECKBOX, 0, wintest::kGuiFont, true, true},
            {"RichEdit20A", IDC_TEXT_BOX, "", 40, 112, 420, 170, 0x50204844, 0, wintest::kAnyFont, true, true},
        });
}

PackageContents LicensePackage(int format, const std::string& text, bool write = true) {
    PackageContents p = wintest::QuietPackage("Licence");
    p.record.licenseFormat = static_cast<int16_t>(format);
    p.writeLicense = write;
    p.license = text;
    return p;
}

std::string BoxText(const WizardSession& w) { return wintest::Lines(gui::Text(w.Control(IDC_TEXT_BOX))); }

TEST(LicensePage, ControlsAndPlainText) {
    WizardSession w;
    w.Start(LicensePackage(1, kPlainLicense));
    ASSERT_TRUE(w.Next());
    ASSERT_EQ(kTitle, w.Title());
    std::vector<ControlRow> table = LicenseTable(wintest::PageWidth(w.Page()));
    table.back().text = gui::Text(w.Control(IDC_TEXT_BOX));  // compared below, line ends aside
    wintest::ExpectPage(w.Page(), table);
    EXPECT_EQ("Contrat de licence\nArticle 1 : l'été, à Noël.\nArticle 2 : fin.", BoxText(w));
    EXPECT_EQ(BST_UNCHECKED, gui::CheckState(w.Control(IDC_LICENSE_ACCEPT)));
    EXPECT_FALSE(gui::Enabled(w.Button(IDC_NEXT)));
    EXPECT_TRUE(gui::Enabled(w.Button(IDCANCEL)));
    wintest::SaveShot(w.dialog, "page_license");
}

TEST(LicensePage, RtfIsShownFormattedOnlyWithFormatTwo) {
    {
        WizardSession w;
        w.Start(LicensePackage(2, kRtfLicense));
        ASSERT_TRUE(w.Next());
        ASSERT_EQ(kTitle, w.Title());
        EXPECT_EQ("Texte gras et penché.\nFin", BoxText(w));
        wintest::SaveShot(w.dialog, "page_license_rtf");
    }
    for (int format : {1, 3, -1}) {
        SCOPED_TRACE(format);
        WizardSession w;
        w.Start(LicensePackage(format, kRtfLicense));
        ASSERT_TRUE(w.Next());
        ASSERT_EQ(kTitle, w.Title());
        EXPECT_EQ(kRtfLicense, BoxText(w));
    }
}

// An empty resource cannot be written with the resource-update functions (size
// 0 deletes); the callback test below covers an empty text.
TEST(LicensePage, MissingTextLeavesTheBoxEmptyAndThePageWorking) {
    for (int format : {1, 2}) {
        SCOPED_TRACE(format);
        WizardSession w;
        w.Start(LicensePackage(format, "", false));
        ASSERT_TRUE(w.Next());
        ASSERT_EQ(kTitle, w.Title());
        EXPECT_EQ("", BoxText(w));
        EXPECT_FALSE(gui::Enabled(w.Button(IDC_NEXT)));
        ASSERT_TRUE(w.Toggle(IDC_LICENSE_ACCEPT));
        EXPECT_TRUE(gui::WaitFor([&] { return gui::Enabled(w.Button(IDC_NEXT)); }, 3000));
        ASSERT_TRUE(w.Next());
        EXPECT_EQ("Dossier d'installation", w.Title());
    }
}

TEST(LicensePage, NextFollowsTheBoxAndEveryVisitStartsAgain) {
    WizardSession w;
    w.Start(LicensePackage(1, kPlainLicense));
    HWND next = w.Button(IDC_NEXT);
    ASSERT_TRUE(w.Next());
    ASSERT_EQ(kTitle, w.Title());
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
    ASSERT_EQ(kTitle, w.Title());
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

// --- In process: the text box and its streaming -------------------------------

// A packaged setup.exe opened as a data file, so its resources can be streamed
// in this process.
class PackageModule {
public:
    explicit PackageModule(const PackageContents& contents) : dir_("stream") {
        std::string exe = dir_ / "setup.exe";
        testenv::MakePackage(exe, contents);
        module_ = LoadLibraryExA(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    }
    ~PackageModule() {
        if (module_) FreeLibrary(module_);
    }
    HMODULE get() const { return module_; }

private:
    testenv::ScratchDir dir_;
    HMODULE module_ = nullptr;
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

TEST(LicensePage, FontsOfEveryControl) {
    wintest::RichEditLibrary library;
    wintest::InProcessPage host;
    CPageLicense license(&host.config);
    HWND page = host.Show(&license);
    ASSERT_TRUE(page != nullptr);
    wintest::ExpectFonts(page, host.config, LicenseTable(wintest::PageWidth(page)));
    // The page holds Next until the box is ticked, and gives it back when left.
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(host.dialog(), IDC_NEXT)));
    EXPECT_EQ(1, host.Leave(0));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(host.dialog(), IDC_NEXT)));
}

}  // namespace
