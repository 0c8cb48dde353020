// A packaged setup.exe walked through its wizard under the GUI driver.
#include "wizard_session.h"

#include <gtest/gtest.h>
#include <string.h>

#include <vector>

#include "install_checks.h"

namespace wintest {

const char kQuitText[] =
    "L'installation n'est pas terminée. Si vous abandonnez maintenant, le programme ne sera pas "
    "installé.\nVoulez-vous vraiment quitter l'assistant d'installation ?\n";

std::string FileInUseText(const std::string& path) {
    return "Le fichier suivant est utilisé par un autre programme :\n" + path +
           "\n\nFermez ce programme, puis cliquez sur Recommencer. Cliquez sur Annuler pour abandonner "
           "l'installation.";
}

std::string Caption(const std::string& appName) { return ("Installation : " + appName).substr(0, 259); }

PackageContents QuietPackage(const std::string& name, const std::string& folder) {
    PackageContents p;
    strcpy(p.record.appName, name.c_str());
    strcpy(p.record.appVerName, (name + " 1.0").c_str());
    strcpy(p.record.folderToken, folder.c_str());
    strcpy(p.record.groupName, name.c_str());
    p.record.allowGroupChange = 0;
    p.record.offerMenuIcons = 0;
    p.record.uninstallIconOffered = 0;
    p.record.noIcons = 1;
    p.AddFile("demo.exe", "", "MZ");
    return p;
}

PackageContents Package(const std::string& appName, const std::string& folder) {
    PackageContents p;
    strcpy(p.record.appName, appName.c_str());
    strcpy(p.record.appVerName, (appName + " 2.5").c_str());
    strcpy(p.record.folderToken, folder.c_str());
    strcpy(p.record.subFolder, "");
    strcpy(p.record.groupName, appName.c_str());
    p.record.noIcons = 0;
    p.record.allowGroupChange = 1;
    p.record.offerMenuIcons = 1;
    p.record.uninstallIconOffered = 1;
    p.record.runOffered = 0;
    return p;
}

PackageContents PlainPackage(const std::string& appName, const std::string& folder) {
    PackageContents p = Package(appName, folder);
    p.record.noIcons = 1;
    p.record.uninstallIconOffered = 0;
    return p;
}

WizardSession::~WizardSession() {
    if (program.Running()) program.Kill();
    program.WaitExit(10000);
}

void WizardSession::Start(const PackageContents& contents) {
    exe = dir / "setup.exe";
    testenv::MakePackage(exe, contents);
    ASSERT_TRUE(program.Start(exe));
    std::string caption = Caption(contents.record.appName);
    HWND found = program.WaitWindow(caption);
    ASSERT_TRUE(found != nullptr) << "no wizard titled " << caption;
    Attach(found);
}

void WizardSession::Attach(HWND wizardDialog) {
    dialog = wizardDialog;
    ASSERT_TRUE(gui::WaitFor([&] { return Page() && gui::Visible(Page()); })) << "no page on screen";
    Settle();
}

HWND WizardSession::Page() const { return GetDlgItem(dialog, IDC_PAGE); }
HWND WizardSession::Button(int id) const { return GetDlgItem(dialog, id); }
HWND WizardSession::Control(int id) const { return gui::FindControl(Page(), id); }
std::string WizardSession::Title() const { return gui::Text(Control(IDC_HEADER_TITLE)); }
void WizardSession::Settle() const {
    DWORD_PTR ignored;
    SendMessageTimeoutA(dialog, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &ignored);
}

bool WizardSession::Press(int id) {
    HWND before = Page();
    std::string title = Title();
    gui::Command(dialog, id);
    bool changed = gui::WaitFor([&] {
        HWND now = Page();
        return now && gui::Visible(now) && (now != before || Title() != title);
    }, 15000);
    Settle();
    return changed;
}

void WizardSession::AcceptLicence() {
    HWND accept = Control(IDC_LICENSE_ACCEPT);
    if (accept && gui::CheckState(accept) == BST_UNCHECKED) {
        gui::Click(accept);
        gui::WaitFor([&] { return gui::Enabled(Button(IDC_NEXT)); }, 3000);
    }
}

bool WizardSession::NextUntil(const std::string& title) {
    for (int i = 0; i < 9; ++i) {
        if (Title() == title) return true;
        AcceptLicence();
        if (!Next()) return false;
    }
    return Title() == title;
}

bool WizardSession::ToReadyPage() {
    for (int i = 0; i < 9; ++i) {
        if (Control(IDC_SUMMARY)) return true;
        if (!Press(IDC_NEXT)) {
            std::string windows;
            for (HWND w : program.Windows()) windows += " [" + gui::ClassName(w) + ": " + gui::Text(w) + "]";
            DWORD code = 0;
            bool ended = program.WaitExit(100, &code);
            ADD_FAILURE() << "Suivant did not leave the page titled \"" << Title() << "\"; next="
                          << gui::Text(Button(IDC_NEXT)) << " windows:" << windows << " ended " << ended
                          << " code " << std::hex << code;
            return false;
        }
    }
    return Control(IDC_SUMMARY) != nullptr;
}

bool WizardSession::Toggle(int id) {
    HWND box = Control(id);
    int before = gui::CheckState(box);
    gui::Click(box);
    return gui::WaitFor([&] { return gui::CheckState(box) != before; }, 3000);
}

void WizardSession::Install() { gui::Command(dialog, IDC_NEXT); }

void WizardSession::StartInstalling(const PackageContents& contents) {
    Start(contents);
    ASSERT_TRUE(ToReadyPage());
    Install();
}

bool WizardSession::OnFinishPage() const {
    return gui::Text(Button(IDC_NEXT)) == "Fermer" && !Control(IDC_HEADER_TITLE);
}

bool WizardSession::WaitFinishPage(int ms) const {
    // The finish page is complete once it is visible; then its first paint
    // has been asked for, and the round trip lets the wizard's thread do it.
    bool there = gui::WaitFor([&] { return OnFinishPage() && gui::Visible(Page()); }, ms);
    Settle();
    return there;
}

void WizardSession::InstallToEnd(const PackageContents& contents) {
    StartInstalling(contents);
    ASSERT_TRUE(WaitFinishPage()) << "the finish page never came";
}

void WizardSession::Close() {
    gui::Command(dialog, IDC_NEXT);
    DWORD code = 1;
    ASSERT_TRUE(program.WaitExit(10000, &code));
    EXPECT_EQ(0u, code);
}

bool SaveShot(HWND window, const std::string& name) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Sleep(300);
    return gui::Capture(window, testenv::ArtefactDir() + "\\" + name + ".bmp");
}

HWND WaitFinishPageOrBox(const gui::Program& program, const WizardSession& run, bool* ended) {
    HWND box = nullptr;
    *ended = gui::WaitFor([&] { return (box = program.FindMessageBox()) != nullptr || run.OnFinishPage(); }, 30000);
    return box;
}

HWND WaitQuitQuestion(WizardSession& run, const std::string& app) {
    HWND box = ExpectMessageBox(run.program, Caption(app), kQuitText, {IDYES, IDNO}, 30000);
    if (box) {
        EXPECT_FALSE(run.OnFinishPage());
    }
    return box;
}

}  // namespace wintest
