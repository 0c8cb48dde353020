// Resource and control identifiers of uninst.
#pragma once

#define IDD_REMOVAL 100
#define IDI_UNINST 101
#define IDC_DELETED_LIST 1000
// Sent by the removal dialog to itself to run the removal.
#define WM_REMOVE_NOW (WM_USER + 1)
