// Timings run by tools/bench/install_bench.sh (not part of the test suite: the
// tests are disabled unless asked for). Each prints lines "BENCH <label> <value>"
// that the script collects.
//
// InstallAndUninstall: BENCH_RUNS times, installs the package BENCH_SETUP (made
// by pack) into BENCH_TARGET through the real wizard, timing "Installer" to the
// finish page (and taking the machine's busy processor time meanwhile), reads
// the program's peak memory there, closes the wizard, then
// starts the uninst.exe it wrote and times the confirmation's Yes to the
// success box.
//
// Commands: BENCH_RUNS times, runs BENCH_COMMAND and then BENCH_COMMAND2 (if
// given) to their end, timing each, then removes BENCH_CLEAN. Used for the peer
// installer's silent install and uninstall, started the same way inside Wine.
//
// PeerWizard: BENCH_RUNS times, starts the peer installer BENCH_SETUP (made
// with its modern interface in French) into BENCH_TARGET, accepts its licence,
// times its install button on the folder page to its finish page on screen,
// the way ours is timed, closes it, and removes the installation with its own
// uninstaller, silently.
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "compressed_payload.h"
#include "decode_ahead.h"
#include "install_checks.h"
#include "payload_extract.h"
#include "setup_config.h"
#include "setup_ids.h"
#include "timer_resolution.h"
#include "wizard_session.h"
#include "zstd_decoder.h"

namespace {

using namespace wintest;

std::string Env(const char* name, const char* fallback = "", bool path = true) {
    char value[4096] = "";
    DWORD n = GetEnvironmentVariableA(name, value, sizeof(value));
    std::string text = n > 0 && n < sizeof(value) ? value : fallback;
    if (path) std::replace(text.begin(), text.end(), '/', '\\');
    return text;
}

// Milliseconds on the performance counter.
double Now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// WaitFor with a short poll, so that the end of a short run is seen within a
// few milliseconds rather than the driver's 20.
bool WaitClosely(const std::function<bool()>& cond, int timeoutMs) {
    static int poll = std::max(1, atoi(Env("BENCH_POLL_MS", "2").c_str()));
    double end = Now() + timeoutMs;
    while (!cond()) {
        if (Now() > end) return false;
        Sleep(poll);
    }
    return true;
}

// The finish page is on screen: the Next button reads "Fermer" and the page has
// no header. Read from the window manager's own copy of the caption, so that
// the poll sends nothing to the wizard's thread and takes no time from it.
bool FinishShown(const WizardSession& run) {
    WCHAR text[32] = L"";
    InternalGetWindowText(run.Button(IDC_NEXT), text, 32);
    return lstrcmpW(text, L"Fermer") == 0 && !run.Control(IDC_HEADER_TITLE);
}

// The uninstaller's success box is on screen: a visible dialog with the
// uninstall caption (the removal dialog has the same caption but is never
// shown). Found by class and caption in one question to the window manager,
// so that polling every 2 ms takes next to nothing from the removal it waits
// for; the caller checks that it is a message box once it is there.
HWND SuccessBoxShown(const std::string& caption) {
    for (HWND window = FindWindowExA(nullptr, nullptr, "#32770", caption.c_str()); window;
         window = FindWindowExA(nullptr, window, "#32770", caption.c_str())) {
        if (IsWindowVisible(window)) return window;
    }
    return nullptr;
}

// The processor time the whole machine spent busy so far, all its processors
// together, in ms (the kernel time GetSystemTimes gives includes the idle time).
// Under Wine it is read from the host: the display server and Wine's own
// server are in it too.
double MachineBusy() {
    FILETIME idle, kernel, user;
    if (!GetSystemTimes(&idle, &kernel, &user)) return 0;
    auto ms = [](const FILETIME& t) {
        return static_cast<double>(static_cast<uint64_t>(t.dwHighDateTime) << 32 | t.dwLowDateTime) / 10000.0;
    };
    return ms(kernel) - ms(idle) + ms(user);
}

void Report(const std::string& label, double value) {
    printf("BENCH %s %.0f\n", label.c_str(), value);
    fflush(stdout);
}

// With BENCH_CAPTURE set to a folder, a picture of the window as the timing
// ended (label.bmp), to check that it ends on the finish page.
void CaptureEnd(HWND window, const std::string& label) {
    std::string folder = Env("BENCH_CAPTURE");
    if (!folder.empty()) gui::Capture(window, folder + "\\" + label + ".bmp");
}

// The process's peak working set and peak committed private memory, in KB.
bool PeakMemory(DWORD pid, double* peakWorkingSet, double* peakPrivate) {
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    if (!process) return false;
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof(counters);
    bool ok = GetProcessMemoryInfo(process, &counters, sizeof(counters)) != 0;
    CloseHandle(process);
    *peakWorkingSet = counters.PeakWorkingSetSize / 1024.0;
    *peakPrivate = counters.PeakPagefileUsage / 1024.0;
    return ok;
}

// Starts the package's wizard and answers every page with its default up to
// the ready page.
bool WizardToReadyPage(WizardSession& run, const std::string& exe, const std::string& app) {
    if (!run.program.Start(exe)) return false;
    run.dialog = run.program.WaitWindow("Installation : " + app, 30000);
    if (!run.dialog || !gui::WaitControl(run.dialog, IDC_PAGE)) return false;
    run.Settle();
    return run.ToReadyPage();
}

TEST(InstallBench, DISABLED_InstallAndUninstall) {
    std::string exe = Env("BENCH_SETUP");
    std::string target = Env("BENCH_TARGET");
    std::string app = Env("BENCH_APP", "", false);
    std::string label = Env("BENCH_LABEL", "run", false);
    int runs = std::max(1, atoi(Env("BENCH_RUNS", "3").c_str()));
    ASSERT_TRUE(testenv::FileExists(exe)) << exe;
    ASSERT_FALSE(target.empty());
    ASSERT_FALSE(app.empty());
    SystemCleanup cleanup(app, app);
    std::string caption = "Désinstallation de " + app + " 1.0";

    for (int i = 0; i < runs; ++i) {
        testenv::RemoveTree(target);
        {
            WizardSession run;
            ASSERT_TRUE(WizardToReadyPage(run, exe, app));
            double start = Now(), busy = MachineBusy();
            run.Install();
            ASSERT_TRUE(WaitClosely([&] { return FinishShown(run); }, 600000));
            Report(label + "_install", Now() - start);
            Report(label + "_install_busy", MachineBusy() - busy);
            CaptureEnd(run.dialog, label);
            double peakWorkingSet = 0, peakPrivate = 0;
            if (PeakMemory(run.program.pid(), &peakWorkingSet, &peakPrivate)) {
                Report(label + "_peak_ws_kb", peakWorkingSet);
                Report(label + "_peak_private_kb", peakPrivate);
            }
            gui::Command(run.dialog, IDC_NEXT);
            ASSERT_TRUE(run.program.WaitExit(30000));
        }

        std::string uninstaller = target + "\\uninst.exe";
        ASSERT_TRUE(testenv::FileExists(uninstaller));
        gui::Program remover;
        ASSERT_TRUE(remover.Start(uninstaller));
        HWND question = remover.WaitMessageBox(caption, 30000);
        ASSERT_TRUE(question != nullptr);
        double start = Now();
        ASSERT_TRUE(gui::AnswerMessageBox(question, IDYES));
        ASSERT_TRUE(WaitClosely([&] { return SuccessBoxShown(caption) != nullptr; }, 600000));
        Report(label + "_uninstall", Now() - start);
        // The success box is on screen (seen from the window list) a moment
        // before the driver can find it as the program's message box.
        HWND done = remover.WaitMessageBox(caption, 30000);
        ASSERT_TRUE(done != nullptr);
        ASSERT_TRUE(gui::AnswerMessageBox(done, IDOK));
        ASSERT_TRUE(remover.WaitExit(30000));
        // The batch deletes uninst.exe a moment after the program ends.
        gui::WaitFor([&] { return !testenv::FileExists(uninstaller); }, 10000);
        testenv::RemoveTree(target);
    }
}

// Runs a command line to its end; the milliseconds it took, or -1.
double TimeCommand(const std::string& commandLine) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    std::string line = commandLine;
    double start = Now();
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
        return -1;
    }
    DWORD waited = WaitForSingleObject(info.hProcess, 600000);
    double end = Now();
    if (waited != WAIT_OBJECT_0) TerminateProcess(info.hProcess, 1);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return waited == WAIT_OBJECT_0 ? end - start : -1;
}

// The peer's wizard: its dialog buttons, and the captions of its Next button
// on the pages the bench goes through.
const int kPeerNext = IDOK;
const char kPeerAgree[] = "J'a&ccepte";
const char kPeerInstall[] = "&Installer";
const WCHAR kPeerFinish[] = L"&Fermer";
// The title of the finish page, in the page's dialog over the whole window.
const int kPeerFinishTitle = 1201;

// The peer's wizard window: the visible top-level window of the program with
// a Next button.
HWND PeerWizardWindow(const gui::Program& peer) {
    for (HWND window : peer.Windows()) {
        if (GetDlgItem(window, kPeerNext)) return window;
    }
    return nullptr;
}

// The peer's finish page is on screen: its Next button reads "&Fermer", which
// no page before it shows (the files page goes on to it by itself), and the
// page's dialog with its title is visible. The caption is read, like ours,
// from the window manager's copy, and the page looked for only once it reads
// so, so that the poll asks next to nothing of the peer's thread.
bool PeerFinishShown(HWND wizard) {
    WCHAR text[32] = L"";
    InternalGetWindowText(GetDlgItem(wizard, kPeerNext), text, 32);
    if (lstrcmpW(text, kPeerFinish) != 0) return false;
    for (HWND page = FindWindowExA(wizard, nullptr, "#32770", nullptr); page;
         page = FindWindowExA(wizard, page, "#32770", nullptr)) {
        if (IsWindowVisible(page) && GetDlgItem(page, kPeerFinishTitle)) return true;
    }
    return false;
}

TEST(InstallBench, DISABLED_PeerWizard) {
    std::string exe = Env("BENCH_SETUP");
    std::string target = Env("BENCH_TARGET");
    std::string label = Env("BENCH_LABEL", "peer_wizard", false);
    int runs = std::max(1, atoi(Env("BENCH_RUNS", "3").c_str()));
    ASSERT_TRUE(testenv::FileExists(exe)) << exe;
    ASSERT_FALSE(target.empty());
    for (int i = 0; i < runs; ++i) {
        testenv::RemoveTree(target);
        {
            gui::Program peer;
            // The folder goes last and unquoted, as the peer reads it.
            ASSERT_TRUE(peer.Start(exe, "/D=" + target));
            HWND wizard = nullptr;
            ASSERT_TRUE(gui::WaitFor([&] { return (wizard = PeerWizardWindow(peer)) != nullptr; }, 30000));
            HWND next = GetDlgItem(wizard, kPeerNext);
            ASSERT_TRUE(gui::WaitText(next, kPeerAgree, 30000)) << gui::Text(next);
            gui::Sync(wizard);
            gui::Click(next);
            ASSERT_TRUE(gui::WaitText(next, kPeerInstall, 30000)) << gui::Text(next);
            gui::Sync(wizard);
            double start = Now();
            gui::Click(next);
            ASSERT_TRUE(WaitClosely([&] { return PeerFinishShown(wizard); }, 600000));
            Report(label + "_install", Now() - start);
            CaptureEnd(wizard, label);
            gui::Sync(wizard);
            gui::Click(next);
            ASSERT_TRUE(peer.WaitExit(30000));
        }
        std::string uninstaller = target + "\\uninstall.exe";
        ASSERT_TRUE(testenv::FileExists(uninstaller)) << uninstaller;
        ASSERT_GE(TimeCommand("\"" + uninstaller + "\" /S _?=" + target), 0);
        testenv::RemoveTree(target);
    }
}

TEST(InstallBench, DISABLED_Commands) {
    std::string first = Env("BENCH_COMMAND", "", false);
    std::string second = Env("BENCH_COMMAND2", "", false);
    std::string clean = Env("BENCH_CLEAN");
    std::string label = Env("BENCH_LABEL", "command", false);
    int runs = std::max(1, atoi(Env("BENCH_RUNS", "3").c_str()));
    ASSERT_FALSE(first.empty());
    for (int i = 0; i < runs; ++i) {
        if (!clean.empty()) testenv::RemoveTree(clean);
        double ms = TimeCommand(first);
        ASSERT_GE(ms, 0) << first;
        Report(label + "_1", ms);
        if (!second.empty()) {
            ms = TimeCommand(second);
            ASSERT_GE(ms, 0) << second;
            Report(label + "_2", ms);
        }
    }
    if (!clean.empty()) testenv::RemoveTree(clean);
}

// A window on a thread of its own with a file name label and a progress bar
// whose drawing is off, with the ids of the installing page's controls: what
// the page's controls cost to update when nothing is painted.
class UpdateTarget {
public:
    UpdateTarget() {
        ready_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        thread_ = CreateThread(nullptr, 0, Run, this, 0, nullptr);
        WaitForSingleObject(ready_, 10000);
    }
    ~UpdateTarget() {
        if (window_) PostMessageA(window_, WM_CLOSE, 0, 0);
        WaitForSingleObject(thread_, 10000);
        CloseHandle(thread_);
        CloseHandle(ready_);
    }
    HWND window() const { return window_; }
    HWND label() const { return label_; }
    HWND bar() const { return bar_; }

private:
    static DWORD WINAPI Run(LPVOID self) {
        auto* target = static_cast<UpdateTarget*>(self);
        INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_PROGRESS_CLASS};
        InitCommonControlsEx(&controls);
        target->window_ = CreateWindowA("static", "", WS_POPUP, 0, 0, 500, 200, nullptr, nullptr, nullptr, nullptr);
        target->label_ = CreateWindowA("static", "", WS_CHILD | WS_VISIBLE | SS_PATHELLIPSIS, 40, 100, 400, 16,
                                       target->window_, reinterpret_cast<HMENU>(IDC_INSTALL_FILE), nullptr,
                                       nullptr);
        target->bar_ = CreateWindowA(PROGRESS_CLASSA, "", WS_CHILD | WS_VISIBLE | PBS_SMOOTH, 40, 150, 400, 25,
                                     target->window_, reinterpret_cast<HMENU>(IDC_INSTALL_PROGRESS), nullptr,
                                     nullptr);
        SendMessageA(target->bar_, PBM_SETRANGE32, 0, 1000000);
        SendMessageA(target->label_, WM_SETREDRAW, FALSE, 0);
        SendMessageA(target->bar_, WM_SETREDRAW, FALSE, 0);
        SetEvent(target->ready_);
        MSG message;
        while (GetMessageA(&message, nullptr, 0, 0) > 0) {
            if (message.message == WM_CLOSE) break;
            DispatchMessageA(&message);
        }
        DestroyWindow(target->window_);
        return 0;
    }
    HANDLE ready_ = nullptr, thread_ = nullptr;
    HWND window_ = nullptr, label_ = nullptr, bar_ = nullptr;
};

// What the extraction loop costs without the wizard around it: BENCH_FOLDERS
// sub-folders of BENCH_FILES files of BENCH_BYTES bytes, each file created,
// written in one call and closed from one buffer in memory, as the worker
// does, then deleted one by one with their folders; then as many Sleep(1)
// calls as there are files; then the same writes with a Sleep(1) after each
// file; then the same pauses, each after the page's two
// updates (file name and position) sent to controls of another thread that
// do not paint; then the engine's extraction loop itself, without a page and
// then with such a window as its page: the whole loop, with its two updates a
// file and the waits for them, when the page costs nothing more.
TEST(InstallBench, DISABLED_Floor) {
    std::string target = Env("BENCH_TARGET");
    std::string label = Env("BENCH_LABEL", "floor", false);
    int folders = atoi(Env("BENCH_FOLDERS", "1").c_str());
    int files = atoi(Env("BENCH_FILES", "1").c_str());
    int bytes = atoi(Env("BENCH_BYTES", "1").c_str());
    int runs = std::max(1, atoi(Env("BENCH_RUNS", "3").c_str()));
    ASSERT_FALSE(target.empty());
    std::string data(static_cast<size_t>(bytes), '\x5a');
    // The files created, written and closed from memory, each followed by a
    // 1 ms pause when paced.
    auto writeFiles = [&](bool paced) {
        CreateDirectoryA(target.c_str(), nullptr);
        for (int d = 0; d < folders; ++d) {
            std::string folder = target + "\\dir" + std::to_string(d);
            CreateDirectoryA(folder.c_str(), nullptr);
            for (int f = 0; f < files; ++f) {
                std::string path = folder + "\\file" + std::to_string(f);
                HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                          FILE_ATTRIBUTE_NORMAL, nullptr);
                ASSERT_NE(INVALID_HANDLE_VALUE, file) << path;
                DWORD written = 0;
                WriteFile(file, data.data(), static_cast<DWORD>(data.size()), &written, nullptr);
                CloseHandle(file);
                if (paced) Sleep(1);
            }
        }
    };
    for (int run = 0; run < runs; ++run) {
        testenv::RemoveTree(target);
        double start = Now();
        writeFiles(false);
        if (HasFatalFailure()) return;
        Report(label + "_writes", Now() - start);
        start = Now();
        for (int d = 0; d < folders; ++d) {
            std::string folder = target + "\\dir" + std::to_string(d);
            for (int f = 0; f < files; ++f) DeleteFileA((folder + "\\file" + std::to_string(f)).c_str());
            RemoveDirectoryA(folder.c_str());
        }
        RemoveDirectoryA(target.c_str());
        Report(label + "_deletes", Now() - start);
        {
            // The pauses with the 1 ms timer period the extraction asks for.
            CMillisecondTimer fineTimer;
            start = Now();
            for (int i = 0; i < folders * files; ++i) Sleep(1);
            Report(label + "_sleeps", Now() - start);
            // The same writes, each file followed by its pause, as the engine
            // takes them: what a pause costs the file after it shows here.
            start = Now();
            writeFiles(true);
            if (HasFatalFailure()) return;
            Report(label + "_paced_writes", Now() - start);
            testenv::RemoveTree(target);
            UpdateTarget page;
            ASSERT_TRUE(page.label() != nullptr && page.bar() != nullptr);
            std::string path = target + "\\dir00\\file0000";
            start = Now();
            for (int i = 0; i < folders * files; ++i) {
                SendMessageA(page.label(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
                SendMessageA(page.bar(), PBM_SETPOS, i + 1, 0);
                Sleep(1);
            }
            Report(label + "_sends", Now() - start);
        }

        // The engine's own loop on the same files, without a page to show them:
        // the writes, the pauses, the folder checks and the log.
        testenv::RemoveTree(target);
        CSetupConfig config;
        strcpy(config.installDir, target.c_str());
        std::string payload;
        for (int d = 0; d < folders; ++d) {
            for (int f = 0; f < files; ++f) {
                FileEntry entry = {};
                strcpy(entry.name, ("file" + std::to_string(f)).c_str());
                strcpy(entry.subFolder, ("dir" + std::to_string(d)).c_str());
                entry.size = bytes;
                config.files.Append(&entry);
                payload += data;
            }
        }
        std::atomic<int> running(0);
        start = Now();
        ExtractResult result = ExtractPayload(&config, reinterpret_cast<const uint8_t*>(payload.data()),
                                              static_cast<DWORD>(payload.size()), &running, nullptr);
        Report(label + "_engine", Now() - start);
        ASSERT_EQ(kExtractDone, result);

        testenv::RemoveTree(target);
        config.installLog.Clear();
        UpdateTarget page;
        ASSERT_TRUE(page.window() != nullptr);
        start = Now();
        result = ExtractPayload(&config, reinterpret_cast<const uint8_t*>(payload.data()),
                                static_cast<DWORD>(payload.size()), &running, page.window());
        Report(label + "_engine_updates", Now() - start);
        ASSERT_EQ(kExtractDone, result);
        ASSERT_EQ(folders * files, static_cast<int>(SendMessageA(page.bar(), PBM_GETPOS, 0, 0)));
    }
    testenv::RemoveTree(target);
}

}  // namespace

namespace {

// Through the wizard, "Installer" to the finish page, then "Fermer".
double TimedWizardInstall(const std::string& exe, const std::string& app) {
    WizardSession run;
    if (!WizardToReadyPage(run, exe, app)) return -1;
    double start = Now();
    run.Install();
    if (!WaitClosely([&] { return FinishShown(run); }, 600000)) return -1;
    double ms = Now() - start;
    gui::Command(run.dialog, IDC_NEXT);
    EXPECT_TRUE(run.program.WaitExit(30000));
    return ms;
}

}  // namespace

// The compressed install's floor: the package BENCH_SETUP's compressed
// payload decoded, BENCH_RUNS times, without a file written: on the worker's
// thread alone (label_decode_alone), and through the decoding thread as the
// worker takes it, in place, a megabyte at most at a time (label_decode_ahead).
// Also reports the machine's processor count (cores).
TEST(InstallBench, DISABLED_DecodeOnly) {
    std::string exe = Env("BENCH_SETUP");
    std::string label = Env("BENCH_LABEL", "decode", false);
    int runs = std::max(1, atoi(Env("BENCH_RUNS", "3").c_str()));
    HMODULE package = LoadLibraryExA(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(nullptr, package) << exe;
    const uint8_t* data = nullptr;
    DWORD size = 0;
    CompressedPayloadHeader header;
    ASSERT_EQ(1, LockCompressedPayload(package, &data, &size));
    ASSERT_EQ(1, DecodeCompressedHeader(data, size, &header));
    const uint8_t* stream = data + kCompressedHeaderSize;
    size_t streamSize = size - kCompressedHeaderSize, window = static_cast<size_t>(1) << header.windowLog;
    std::string piece(1 << 20, '\0');
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    Report("cores", system.dwNumberOfProcessors);
    for (int run = 0; run < runs; ++run) {
        double start = Now();
        {
            ZstdReader reader;
            ASSERT_TRUE(reader.Open(stream, streamSize, window));
            for (uint64_t left = header.decodedSize; left > 0;) {
                size_t n = static_cast<size_t>(std::min<uint64_t>(left, piece.size()));
                ASSERT_TRUE(reader.Read(&piece[0], n)) << reader.Error();
                left -= n;
            }
            ASSERT_TRUE(reader.AtEnd());
        }
        Report(label + "_decode_alone", Now() - start);
        start = Now();
        {
            DecodeAhead ahead;
            ASSERT_TRUE(ahead.Open(stream, streamSize, window, header.decodedSize));
            for (uint64_t left = header.decodedSize; left > 0;) {
                size_t got;
                ASSERT_NE(nullptr, ahead.Take(static_cast<size_t>(std::min<uint64_t>(left, piece.size())), &got));
                left -= got;
            }
            ASSERT_TRUE(ahead.AtEnd());
        }
        Report(label + "_decode_ahead", Now() - start);
    }
    FreeLibrary(package);
}

// Installing again over an installation, and taking back a cancelled one:
// BENCH_RUNS times, the package BENCH_SETUP is installed into an empty
// BENCH_TARGET (label_first), installed again over itself, every file
// replaced (label_upgrade), and removed with its uninst.exe; then installed
// once more and cancelled when half of its files are written: the time from
// the cancel to the quit question is what taking back the half takes
// (label_cancel_restore), after which nothing of it may be left.
TEST(InstallBench, DISABLED_UpgradeAndCancel) {
    std::string exe = Env("BENCH_SETUP");
    std::string target = Env("BENCH_TARGET");
    std::string app = Env("BENCH_APP", "", false);
    std::string label = Env("BENCH_LABEL", "again", false);
    int runs = std::max(1, atoi(Env("BENCH_RUNS", "3").c_str()));
    ASSERT_TRUE(testenv::FileExists(exe)) << exe;
    SystemCleanup cleanup(app, app);
    std::string caption = "Désinstallation de " + app + " 1.0";
    for (int i = 0; i < runs; ++i) {
        testenv::RemoveTree(target);
        cleanup.Clean();
        double first = TimedWizardInstall(exe, app);
        ASSERT_GE(first, 0);
        Report(label + "_first", first);
        double again = TimedWizardInstall(exe, app);
        ASSERT_GE(again, 0);
        Report(label + "_upgrade", again);
        std::vector<gui::MessageBoxInfo> shown;
        ASSERT_NO_FATAL_FAILURE(RunUninstaller(target + "\\uninst.exe", caption, &shown));
        gui::WaitFor([&] { return !testenv::FileExists(target + "\\uninst.exe"); }, 10000);
        testenv::RemoveTree(target);

        WizardSession run;
        ASSERT_TRUE(WizardToReadyPage(run, exe, app));
        run.Install();
        HWND bar = nullptr;
        ASSERT_TRUE(WaitClosely([&] { return (bar = run.Control(IDC_INSTALL_PROGRESS)) != nullptr; }, 30000));
        int total = static_cast<int>(SendMessageA(bar, PBM_GETRANGE, FALSE, 0));
        ASSERT_TRUE(WaitClosely([&] { return SendMessageA(bar, PBM_GETPOS, 0, 0) >= total / 2; }, 600000));
        double start = Now();
        gui::Command(run.dialog, IDCANCEL);
        HWND question = nullptr;
        ASSERT_TRUE(WaitClosely([&] { return (question = run.program.FindMessageBox()) != nullptr; }, 600000));
        Report(label + "_cancel_restore", Now() - start);
        EXPECT_FALSE(testenv::FolderExists(target)) << "the cancelled installation left its folder";
        ASSERT_TRUE(gui::AnswerMessageBox(question, IDYES));
        ASSERT_TRUE(run.program.WaitExit(30000));
    }
    testenv::RemoveTree(target);
}
