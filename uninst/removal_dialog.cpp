// The removal dialog's procedure.
#include "removal_dialog.h"

#include "removal.h"
#include "uninst_globals.h"
#include "uninst_ids.h"

namespace {

INT_PTR OnInitDialog(HWND dialog, LPARAM config) {
    SetWindowLongPtrA(dialog, DWLP_USER, config);
    SetWindowTextA(dialog, uninstCaption);
    HINSTANCE module = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(dialog, GWLP_HINSTANCE));
    SetClassLongPtrA(dialog, GCLP_HICON, reinterpret_cast<LONG_PTR>(LoadIconA(module, MAKEINTRESOURCEA(IDI_UNINST))));
    // A long list must not be cut at the edit control's default limit.
    SendDlgItemMessageA(dialog, IDC_DELETED_LIST, EM_SETLIMITTEXT, 0, 0);
    SendMessageA(dialog, WM_REMOVE_NOW, 0, 0);
    return TRUE;
}

INT_PTR OnRemoveNow(HWND dialog) {
    CUninstConfig* config = reinterpret_cast<CUninstConfig*>(GetWindowLongPtrA(dialog, DWLP_USER));
    EndDialog(dialog, config ? RemoveInstallation(*config, dialog) : kRemovedNothing);
    return FALSE;
}

INT_PTR OnSysCommand(HWND dialog, WPARAM wParam) {
    // The low four bits of the command are used by the system.
    if ((LOWORD(wParam) & 0xFFF0) != SC_CLOSE) return FALSE;
    EndDialog(dialog, kRemovedNothing);
    return TRUE;
}

}  // namespace

INT_PTR CALLBACK RemovalDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog(dialog, lParam);
    case WM_REMOVE_NOW:
        return OnRemoveNow(dialog);
    case WM_SYSCOMMAND:
        return OnSysCommand(dialog, wParam);
    default:
        return FALSE;
    }
}

INT_PTR RunRemovalDialog(HINSTANCE module, CUninstConfig* config) {
    return DialogBoxParamA(module, MAKEINTRESOURCEA(IDD_REMOVAL), nullptr, RemovalDialogProc,
                           reinterpret_cast<LPARAM>(config));
}
