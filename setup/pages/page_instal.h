// The installing page: starts the installation worker and shows its progress.
#pragma once

#include <atomic>

#include "page_object.h"
#include "progress_pacer.h"

class CPageInstal : public CPageObject {
public:
    explicit CPageInstal(CSetupConfig* config);

    LRESULT OnCreate(HWND page) override;
    HBRUSH OnCtlColorStatic(HWND page, HDC dc, HWND control) override;
    LRESULT OnCommand(HWND page, WPARAM wParam, LPARAM lParam) override;
    LRESULT OnQueryCancel(HWND page) override;
    LRESULT OnWorkerDone(HWND page, int success) override;
    LRESULT OnLeave(HWND page, int forward) override;
    LRESULT OnTimer(HWND page, WPARAM timerId) override;

    // 1 while the worker extracts; the GUI thread clears it to ask for a stop.
    std::atomic<int> running;
    HANDLE workerThread;

private:
    // Draws the file name and the bar at most once a tick while the worker runs.
    CProgressPacer pacer;
};

// The installation worker; its parameter is the CPageInstal object.
DWORD WINAPI InstallThreadProc(LPVOID parameter);
