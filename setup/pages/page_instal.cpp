// The installing page: starts the installation worker, shows the file being
// written and the progress, and reports the end.
#include "page_instal.h"

#include <commctrl.h>

#include "finish_installation.h"
#include "install_journal.h"
#include "page_layout.h"
#include "payload_extract.h"
#include "setup_config.h"
#include "setup_globals.h"
#include "setup_ids.h"
#include "text.h"
#include "wizard.h"

namespace {

const char kTitle[] = "Installation en cours";
const char kPleaseWait[] = "Veuillez patienter pendant que l'assistant installe";
const char kOnComputer[] = "sur votre ordinateur.";
const char kExtracting[] = "Extraction des fichiers...";
const char kNothingToExtract[] = "Pas de fichiers à extraire.";

void PostDone(HWND page, int success) {
    PostMessageA(page, WM_PAGE_WORKER_DONE, success ? 1 : 0, 0);
}

}  // namespace

// The worker: extraction, then the post-install sequence; its end is posted
// to the page, never sent, so the page handles it on the GUI thread.
DWORD WINAPI InstallThreadProc(LPVOID parameter) {
    CPageInstal* pageObject = static_cast<CPageInstal*>(parameter);
    HWND page = pageObject->GetWindow();
    CSetupConfig* config = pageObject->GetConfig();

    const uint8_t* payload = nullptr;
    DWORD size = 0;
    int missing = 0;
    int compressed = 0;
    if (!LockPayload(GetModuleHandleA(nullptr), &payload, &size, &missing)) {
        compressed = missing && LockCompressedPayload(GetModuleHandleA(nullptr), &payload, &size);
    }
    if (!payload) {
        if (missing) MessageBoxA(page, kNothingToExtract, wizardCaption, MB_ICONINFORMATION);
        PostDone(page, 0);
        return 0;
    }
    if (!config->files.First()) {
        MessageBoxA(page, kNothingToExtract, wizardCaption, MB_ICONINFORMATION);
        PostDone(page, 0);
        return 0;
    }
    // Everything this attempt changes is journaled: a failed or cancelled
    // attempt leaves the machine as it was, earlier installation included.
    CInstallJournal journal(config);
    config->journal = &journal;
    ExtractResult result = compressed ? ExtractCompressedPayload(config, payload, size, &pageObject->running, page)
                                      : ExtractPayload(config, payload, size, &pageObject->running, page);
    int done = result == kExtractDone && FinishInstallation(config, page);
    if (!done) journal.Undo();
    config->journal = nullptr;
    PostDone(page, done);
    return 0;
}

CPageInstal::CPageInstal(CSetupConfig* config) : running(0), workerThread(nullptr) {
    this->config = config;
}

LRESULT CPageInstal::OnCreate(HWND page) {
    window = page;
    ShowWindow(DialogButton(page, IDC_BACK), SW_HIDE);
    ShowWindow(DialogButton(page, IDC_NEXT), SW_HIDE);
    pageBitmap = LoadPageBitmap(IDB_HEADER_IMAGE);
    int width, height;
    PageSize(page, &width, &height);
    // Cut to its buffer for a very long appVerName.
    char subtitle[260];
    FormatText(subtitle, sizeof(subtitle), "%s %s %s", kPleaseWait, config->appVerName, kOnComputer);
    BuildHeader(page, pageBitmap, config, kTitle, subtitle, width);

    AddControl(page, "static", kExtracting, 0, 40, 80, 400, 16, WS_CHILD | WS_VISIBLE);
    // A file name may hold an "&": shown as it is, not as a prefix.
    AddControl(page, "static", "", IDC_INSTALL_FILE, 40, 100, 400, 16,
               WS_CHILD | WS_VISIBLE | SS_PATHELLIPSIS | SS_NOPREFIX);
    AddControl(page, PROGRESS_CLASSA, "", IDC_INSTALL_PROGRESS, 40, 150, 400, 25,
               WS_CHILD | WS_VISIBLE | PBS_SMOOTH);
    PostMessageA(page, WM_COMMAND, IDC_INSTALL_START, 0);
    return 0;
}

HBRUSH CPageInstal::OnCtlColorStatic(HWND page, HDC dc, HWND control) {
    return HeaderColors(page, dc, control);
}

LRESULT CPageInstal::OnCommand(HWND page, WPARAM wParam, LPARAM) {
    if (LOWORD(wParam) != IDC_INSTALL_START) return 0;
    int count = config->files.Count();
    SendDlgItemMessageA(page, IDC_INSTALL_PROGRESS, PBM_SETRANGE32, 0, count);
    SendDlgItemMessageA(page, IDC_INSTALL_PROGRESS, PBM_SETBKCOLOR, 0, RGB(255, 255, 255));
    SendDlgItemMessageA(page, IDC_INSTALL_PROGRESS, PBM_SETPOS, 0, 0);
    pacer.Start(page, GetDlgItem(page, IDC_INSTALL_FILE), GetDlgItem(page, IDC_INSTALL_PROGRESS));
    workerThread = CreateThread(nullptr, 0, InstallThreadProc, this, 0, nullptr);
    // Without a worker nothing would ever end the page: report a failed
    // extraction so that the quit question follows.
    if (!workerThread) PostDone(page, 0);
    return 0;
}

LRESULT CPageInstal::OnQueryCancel(HWND) {
    if (running) running = 0;
    return 1;
}

LRESULT CPageInstal::OnTimer(HWND, WPARAM timerId) {
    if (timerId == CProgressPacer::kTimerId) pacer.Tick();
    return 0;
}

LRESULT CPageInstal::OnWorkerDone(HWND page, int success) {
    // The last file name and the bar as the worker left them stay on screen
    // behind the quit question.
    pacer.Stop(page);
    if (workerThread) {
        CloseHandle(workerThread);
        workerThread = nullptr;
    }
    HWND dialog = GetParent(page);
    if (success == 1) {
        SendMessageA(dialog, WM_COMMAND, IDC_NEXT, 0);
    } else if (AskQuitInstallation(dialog)) {
        EndDialog(dialog, 0);
    } else {
        SendMessageA(dialog, WM_COMMAND, IDC_BACK, 0);
    }
    return 0;
}

LRESULT CPageInstal::OnLeave(HWND page, int) {
    ShowWindow(DialogButton(page, IDC_BACK), SW_SHOW);
    ShowWindow(DialogButton(page, IDC_NEXT), SW_SHOW);
    return 1;
}
