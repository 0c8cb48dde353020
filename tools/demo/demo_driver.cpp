// Clicks through a packaged setup wizard as a user would, saves a picture of
// every page, then waits for the installed program that setup starts at the
// end and saves a picture of it too. Used by tools/demo/demo.sh on a headless
// display; every wait has a timeout, and everything it started is ended.
//
// Usage: demo_driver SETUP.exe OUTPUT_FOLDER PROGRAM_CAPTION
#include <windows.h>
#include <commctrl.h>

#include <stdio.h>

#include <string>

#include "gui_driver.h"
#include "setup_ids.h"

namespace {

// Time for a page to be drawn before it is captured.
const int kSettleMs = 600;

struct BoxSearch {
    DWORD pid;
    HWND found;
};

BOOL CALLBACK FindBoxOf(HWND window, LPARAM data) {
    BoxSearch* search = reinterpret_cast<BoxSearch*>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->pid && IsWindowVisible(window) && gui::IsMessageBox(window)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// A visible message box of the process pid, or null.
HWND MessageBoxOf(DWORD pid) {
    BoxSearch search = {pid, nullptr};
    EnumWindows(FindBoxOf, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

class Demo {
public:
    Demo(const std::string& outFolder) : out_(outFolder) {}

    bool Run(const std::string& setupExe, const std::string& programCaption);

private:
    HWND Page() const { return GetDlgItem(dialog_, IDC_PAGE); }
    HWND Control(int id) const { return gui::FindControl(Page(), id); }
    std::string Title() const { return gui::Text(Control(IDC_HEADER_TITLE)); }
    bool OnFinishPage() const { return gui::Text(GetDlgItem(dialog_, IDC_NEXT)) == "Fermer"; }
    void Shot(HWND window, const std::string& name);
    bool Next();

    std::string out_;
    HWND dialog_ = nullptr;
    int count_ = 0;
};

void Demo::Shot(HWND window, const std::string& name) {
    Sleep(kSettleMs);
    char file[64];
    snprintf(file, sizeof(file), "%02d-%s.bmp", ++count_, name.c_str());
    std::string path = out_ + "\\" + file;
    if (gui::Capture(window, path)) {
        printf("demo: %s\n", file);
    } else {
        printf("demo: could not capture %s\n", file);
    }
    fflush(stdout);
}

// Presses Suivant and waits for another page (or the dialog's end).
bool Demo::Next() {
    HWND before = Page();
    std::string title = Title();
    gui::Command(dialog_, IDC_NEXT);
    return gui::WaitFor([&] {
        if (!IsWindow(dialog_)) return true;
        HWND now = Page();
        return now && (now != before || Title() != title);
    }, 20000);
}

bool Demo::Run(const std::string& setupExe, const std::string& programCaption) {
    gui::Program setup;
    if (!setup.Start(setupExe)) {
        printf("demo: cannot start %s\n", setupExe.c_str());
        return false;
    }
    for (int i = 0; i < 200 && !dialog_; ++i) {
        for (HWND window : setup.Windows()) {
            if (gui::Text(window).compare(0, 15, "Installation : ") == 0) dialog_ = window;
        }
        if (!dialog_) Sleep(100);
    }
    if (!dialog_ || !gui::WaitControl(dialog_, IDC_PAGE)) {
        printf("demo: the wizard did not open\n");
        return false;
    }
    // Walk the pages; the title of the header names each inner page.
    for (int step = 0; step < 12; ++step) {
        if (OnFinishPage()) break;
        std::string title = Title();
        if (title.empty()) {
            Shot(dialog_, "bienvenue");
        } else if (title == "Accord de licence") {
            gui::Click(Control(IDC_LICENSE_ACCEPT));
            gui::WaitFor([&] { return gui::Enabled(GetDlgItem(dialog_, IDC_NEXT)); }, 5000);
            Shot(dialog_, "licence");
        } else if (title == "Informations") {
            Shot(dialog_, "informations");
        } else if (Control(IDC_FOLDER_EDIT)) {
            Shot(dialog_, "dossier");
        } else if (Control(IDC_GROUP_EDIT)) {
            Shot(dialog_, "menu-demarrer");
        } else if (Control(IDC_DESKTOP_ICON)) {
            Shot(dialog_, "taches");
        } else if (Control(IDC_SUMMARY)) {
            Shot(dialog_, "pret");
            // The installing page may come and go within a moment: catch it if it stays.
            gui::Command(dialog_, IDC_NEXT);
            // The picture is taken once the bar has moved (a file is written),
            // not while the page still shows an empty bar.
            auto barMoved = [&] {
                HWND bar = Control(IDC_INSTALL_PROGRESS);
                return bar != nullptr && SendMessageA(bar, PBM_GETPOS, 0, 0) > 0;
            };
            // The page draws its bar and file name on a timer, about 30 times a
            // second: the picture waits for two of its ticks.
            if (gui::WaitFor([&] { return barMoved() || OnFinishPage(); }, 20000) && (Sleep(80), !OnFinishPage())) {
                char file[64];
                snprintf(file, sizeof(file), "%02d-installation.bmp", ++count_);
                if (gui::Capture(dialog_, out_ + "\\" + file)) printf("demo: %s\n", file);
            }
            HWND box = nullptr;
            for (;;) {
                gui::WaitFor([&] { return OnFinishPage() || (box = setup.FindMessageBox()) != nullptr; }, 60000);
                // A shortcut left by an earlier installation: replace it, as a user would.
                if (!box || gui::ReadMessageBox(box).text.find("Voulez-vous le remplacer") == std::string::npos) break;
                gui::AnswerMessageBox(box, IDYES);
                box = nullptr;
            }
            if (!OnFinishPage()) {
                if (box) printf("demo: setup says: %s\n", gui::ReadMessageBox(box).text.c_str());
                printf("demo: the installation did not reach the finish page\n");
                gui::Capture(GetDesktopWindow(), out_ + "\\erreur.bmp");
                return false;
            }
            break;
        } else if (Control(IDC_INSTALL_PROGRESS)) {
            gui::WaitFor([&] { return OnFinishPage(); }, 60000);
            break;
        }
        if (HWND box = setup.FindMessageBox()) {
            printf("demo: setup says: %s\n", gui::ReadMessageBox(box).text.c_str());
            return false;
        }
        if (!Next()) {
            printf("demo: Suivant did not leave the page \"%s\"\n", title.c_str());
            return false;
        }
    }
    if (!OnFinishPage()) {
        printf("demo: the wizard did not reach its end\n");
        return false;
    }
    // "Executer" is ticked by default (an owner-drawn box: its state cannot be
    // read from outside), so Fermer starts the game.
    Shot(dialog_, "fin");
    gui::Command(dialog_, IDC_NEXT);
    if (!setup.WaitExit(15000)) {
        printf("demo: setup did not end\n");
        return false;
    }
    if (programCaption.empty()) return true;

    // The program setup started: find its window, let it draw, capture it, end it.
    HWND program = nullptr;
    gui::WaitFor([&] { return (program = FindWindowA(nullptr, programCaption.c_str())) != nullptr &&
                              IsWindowVisible(program); }, 20000);
    if (!program) {
        printf("demo: no window \"%s\" appeared after the installation\n", programCaption.c_str());
        return false;
    }
    SetForegroundWindow(program);
    Shot(program, "cartopia");
    DWORD pid = 0;
    GetWindowThreadProcessId(program, &pid);
    // One round started, to show a question on the map: Commencer, then OK
    // to the game's "ready?" box.
    if (HWND start = gui::FindControl(program, 1000)) {
        gui::Click(start);
        HWND box = nullptr;
        gui::WaitFor([&] { return (box = MessageBoxOf(pid)) != nullptr; }, 5000);
        if (box) gui::AnswerMessageBox(box, IDOK);
        Sleep(2000);
        Shot(program, "cartopia-partie");
    }
    if (HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid)) {
        TerminateProcess(process, 0);
        WaitForSingleObject(process, 5000);
        CloseHandle(process);
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: demo_driver SETUP.exe OUTPUT_FOLDER [PROGRAM_CAPTION]\n");
        return 2;
    }
    Demo demo(argv[2]);
    return demo.Run(argv[1], argc > 3 ? argv[3] : "") ? 0 : 1;
}
