// Placeholder entry point of uninst: shows the removal dialog.
#include <windows.h>
#include <commctrl.h>

#include "uninst_ids.h"

namespace {

INT_PTR CALLBACK RemovalDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) return TRUE;
    if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_CLOSE) {
        EndDialog(dialog, 0);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    InitCommonControls();
    DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_REMOVAL), nullptr, RemovalDialogProc, 0);
    return 0;
}
