// The map view: draws the stretched map, the markers and the names of the cities
// asked, shows the hand over markers that can be clicked, and hands clicks and
// clock ticks to its game object.
#include "map_view.h"

#include "quiz_game.h"
#include "quiz_ids.h"
#include "quiz_rules.h"

namespace {

const char kViewClass[] = "WndViewClass";
const int kPanelWidth = 180;  // the view sits right of the main window's panel

// The bold label font, built for one paint and deleted after it.
class LabelFont {
public:
    LabelFont() : font_(nullptr) {
        LOGFONTA description;
        if (GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof description, &description)) {
            description.lfWeight = FW_BOLD;
            font_ = CreateFontIndirectA(&description);
        }
    }
    ~LabelFont() {
        if (font_) DeleteObject(font_);
    }
    LabelFont(const LabelFont&) = delete;
    LabelFont& operator=(const LabelFont&) = delete;
    HFONT handle() const { return font_; }

private:
    HFONT font_;
};

}  // namespace

ATOM RegisterViewClass() {
    WNDCLASSEXA viewClass = {};
    viewClass.cbSize = sizeof viewClass;
    viewClass.style = CS_HREDRAW | CS_VREDRAW;
    viewClass.lpfnWndProc = ViewWndProc;
    viewClass.hInstance = GetModuleHandleA(nullptr);
    viewClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    viewClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    viewClass.lpszClassName = kViewClass;
    return RegisterClassExA(&viewClass);
}

LRESULT CALLBACK ViewWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CREATE) {
        auto* creation = reinterpret_cast<CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
    }
    auto* game = reinterpret_cast<CQuizGame*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!game) return DefWindowProcA(window, message, wParam, lParam);
    switch (message) {
    case WM_CREATE:
        return game->OnViewCreate(window);
    case WM_DESTROY:
        return game->OnViewDestroy(window);
    case WM_PAINT:
        return game->OnViewPaint(window);
    case WM_TIMER:
        return game->OnViewTimer();
    case WM_MOUSEMOVE:
        return game->OnViewMouseMove(window, wParam, lParam);
    case WM_LBUTTONDOWN:
        return game->OnViewLButtonDown();
    case WM_LBUTTONUP:
        return game->OnViewLButtonUp(window, wParam, lParam);
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

int CQuizGame::CreateView(HWND parent) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    mapBitmap = LoadBitmapA(instance, MAKEINTRESOURCEA(IDB_MAP));
    RECT client;
    GetClientRect(parent, &client);
    HWND view = CreateWindowExA(WS_EX_CLIENTEDGE, kViewClass, "", WS_CHILD | WS_VISIBLE, kPanelWidth, 0,
                                client.right - kPanelWidth, client.bottom, parent, nullptr, instance, this);
    if (!view && mapBitmap) {
        DeleteObject(mapBitmap);
        mapBitmap = nullptr;
    }
    return view != nullptr;
}

int CQuizGame::OnViewCreate(HWND view) {
    viewWindow = view;
    handCursor = 0;
    return 0;
}

int CQuizGame::OnViewDestroy(HWND view) {
    if (mapBitmap) {
        DeleteObject(mapBitmap);
        mapBitmap = nullptr;
    }
    KillTimer(view, ID_CLOCK_TIMER);
    return 0;
}

int CQuizGame::OnViewPaint(HWND view) {
    LabelFont labelFont;
    RECT client;
    GetClientRect(view, &client);
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(view, &paint);
    HDC source = CreateCompatibleDC(dc);
    SetBkMode(dc, TRANSPARENT);
    SetStretchBltMode(dc, HALFTONE);
    if (mapBitmap && cities && source) {
        BITMAP map;
        GetObjectA(mapBitmap, sizeof map, &map);
        HGDIOBJ previousBitmap = SelectObject(source, mapBitmap);
        StretchBlt(dc, 0, 0, client.right, client.bottom, source, 0, 0, map.bmWidth, map.bmHeight, SRCCOPY);
        SelectObject(source, previousBitmap);
        HGDIOBJ previousFont = labelFont.handle() ? SelectObject(dc, labelFont.handle()) : nullptr;
        HGDIOBJ previousBrush = SelectObject(dc, GetStockObject(BLACK_BRUSH));
        for (int i = 0; i < cityCount; ++i) {
            const CityEntry& city = cities[i];
            HGDIOBJ brush = GetStockObject(WHITE_BRUSH);
            if (city.flags & CITY_MISSED) {
                brush = missedBrush;
            } else if (city.flags & CITY_FOUND) {
                brush = foundBrush;
            }
            SelectObject(dc, brush);
            MarkerSquare square = CityMarker(city);
            Rectangle(dc, square.left, square.top, square.right, square.bottom);
            if (!CityNotAsked(city)) TextOutA(dc, city.labelX, city.labelY, city.name, lstrlenA(city.name));
        }
        if (previousFont) SelectObject(dc, previousFont);
        SelectObject(dc, previousBrush);
    }
    if (source) DeleteDC(source);
    EndPaint(view, &paint);
    return 0;
}

int CQuizGame::OnViewMouseMove(HWND, WPARAM, LPARAM point) {
    if (running == 1 && cities) {
        int32_t x = static_cast<int32_t>(LOWORD(point));
        int32_t y = static_cast<int32_t>(HIWORD(point));
        if (CityNotAskedAt(cities, cityCount, x, y) >= 0) {
            SetCursor(LoadCursorA(nullptr, IDC_HAND));
            handCursor = 1;
            return 0;
        }
    }
    if (handCursor == 1) {
        SetCursor(LoadCursorA(nullptr, IDC_ARROW));
        handCursor = 0;
    }
    return 0;
}

int CQuizGame::OnViewLButtonDown() {
    if (handCursor == 1 && running == 1) SetCursor(LoadCursorA(nullptr, IDC_HAND));
    return 0;
}
