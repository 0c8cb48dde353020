// The page base class, the page window class and its message dispatch.
#include "page_object.h"

#include "setup_globals.h"
#include "setup_ids.h"

const char kPageClassName[] = "PageObjectExClass";

namespace {

LRESULT CALLBACK PageWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CREATE) {
        const CREATESTRUCTA* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    CPageObject* page = reinterpret_cast<CPageObject*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!page) return DefWindowProcA(window, message, wParam, lParam);

    switch (message) {
    case WM_CREATE:
        return page->OnCreate(window);
    case WM_CTLCOLORSTATIC:
        return reinterpret_cast<LRESULT>(
            page->OnCtlColorStatic(window, reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam)));
    case WM_COMMAND:
        return page->OnCommand(window, wParam, lParam);
    case WM_DRAWITEM:
        return page->OnDrawItem(window, wParam, lParam);
    case WM_DESTROY:
        return page->OnDestroy(window, wParam, lParam);
    case WM_PAGE_LEAVE:
        return page->OnLeave(window, static_cast<int>(wParam));
    case WM_PAGE_QUERY_CANCEL:
        return page->OnQueryCancel(window);
    case WM_PAGE_WORKER_DONE:
        return page->OnWorkerDone(window, static_cast<int>(wParam));
    case WM_TIMER:
        return page->OnTimer(window, wParam);
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

}  // namespace

ATOM RegisterPageClass(HINSTANCE instance) {
    WNDCLASSA windowClass = {};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = PageWndProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszClassName = kPageClassName;
    return RegisterClassA(&windowClass);
}

HWND CPageObject::Create(HWND parent, int childId) {
    RECT client;
    GetClientRect(parent, &client);
    return CreateWindowExA(0, kPageClassName, "", WS_CHILD | WS_VISIBLE, 0, 0, client.right,
                           client.bottom - 46, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(childId)),
                           appInstance, this);
}

LRESULT CPageObject::OnCommand(HWND, WPARAM, LPARAM) { return 0; }
LRESULT CPageObject::OnDrawItem(HWND, WPARAM, LPARAM) { return 0; }
LRESULT CPageObject::OnQueryCancel(HWND) { return 0; }
LRESULT CPageObject::OnWorkerDone(HWND, int) { return 0; }
LRESULT CPageObject::OnTimer(HWND, WPARAM) { return 0; }

LRESULT CPageObject::OnDestroy(HWND page, WPARAM wParam, LPARAM lParam) {
    if (pageBitmap) DeleteObject(pageBitmap);
    pageBitmap = nullptr;
    return DefWindowProcA(page, WM_DESTROY, wParam, lParam);
}
