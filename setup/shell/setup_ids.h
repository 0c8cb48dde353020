// Resource, control and message identifiers of the setup wizard.
#pragma once

// Resources.
#define IDD_WIZARD 100
#define IDI_SETUP 110
#define IDB_SIDE_IMAGE 200
#define IDB_HEADER_IMAGE 201
#define IDR_UNINSTALLER 210

// Wizard dialog: its buttons and the page window.
#define IDC_NEXT 1000
#define IDC_BACK 1001
#define IDC_PAGE 1002
// The Cancel button is IDCANCEL (2).

// Private page messages sent to the page window.
#define WM_PAGE_LEAVE (WM_USER + 1)         // wParam 1 forward, 0 back; nonzero result lets go
#define WM_PAGE_QUERY_CANCEL (WM_USER + 2)  // nonzero result: the page took care of it
#define WM_PAGE_WORKER_DONE (WM_USER + 3)   // posted by the worker, wParam 1 on success

// Header band shared by the inner pages.
#define IDC_HEADER_TITLE 4001
#define IDC_HEADER_SUBTITLE 4002

// Install folder page.
#define IDC_FOLDER_EDIT 4100
#define IDC_FOLDER_BROWSE 4101

// Start-menu page.
#define IDC_GROUP_EDIT 4200
#define IDC_START_MENU_ICON 4201
#define IDC_PROGRAMS_MENU_ICON 4202
#define IDC_UNINSTALL_ICON 4203

// Additional tasks page.
#define IDC_DESKTOP_ICON 4300

// Ready page.
#define IDC_SUMMARY 4500

// Installing page.
#define IDC_INSTALL_START 4600
#define IDC_INSTALL_FILE 4602
#define IDC_INSTALL_PROGRESS 4603

// Finish page.
#define IDC_RUN_CHECK 4700

// Licence and information pages.
#define IDC_TEXT_BOX 4800
#define IDC_LICENSE_ACCEPT 4801
