// Cartopia driven out of process: the running program, its panel and map view,
// answers by posted mouse messages, and the pixels it shows on screen.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gui_driver.h"
#include "test_env.h"

namespace quiz {

const char kCaption[] = "Urbiquiz";
const char kStartQuestion[] = "Cliquez sur OK si vous êtes prêts!";
const char kQuitQuestion[] = "Voulez-vous quitter vraiment.";
const char kQuestionPrefix[] = "Où se trouve : \"";

enum Ids { kStart = 1000, kQuit = 1001, kAbout = 1020, kSkip = 4000, kQuestion = 4010, kMissed = 4011,
           kFound = 4012, kClock = 4013 };

// The cities as the player must find them: name and marker centre in view pixels.
// Kept apart from the program's table so that a wrong row there fails here.
struct City {
    const char* name;
    int x;
    int y;
    bool large;
};

const City kCities[60] = {
    {"Amiens", 289, 75, false},       {"Angers", 172, 198, false},       {"Annecy", 437, 277, false},
    {"Arras", 292, 52, false},        {"Avignon", 389, 380, false},      {"Bayonne", 135, 398, false},
    {"Besançon", 429, 206, false},    {"Béziers", 319, 413, false},      {"Biarritz", 130, 408, false},
    {"Bordeaux", 167, 341, true},     {"Bourges", 288, 223, false},      {"Brest", 26, 141, false},
    {"Caen", 186, 118, false},        {"Calais", 266, 21, false},        {"Chambéry", 426, 296, false},
    {"Cherbourg", 142, 85, false},    {"Clermont-Ferrant", 319, 280, false}, {"Colmar", 471, 168, false},
    {"Créteil", 289, 130, false},     {"Dijon", 390, 194, false},        {"Dunkerque", 286, 16, false},
    {"Evry", 284, 144, false},        {"Grenoble", 422, 322, false},     {"La Rochelle", 151, 267, false},
    {"Le Havre", 204, 93, false},     {"Le Mans", 194, 167, false},      {"Limoges", 230, 267, false},
    {"Lille", 309, 37, true},         {"Lorient", 69, 180, false},       {"Lyon", 381, 289, true},
    {"Marseille", 403, 414, true},    {"Metz", 426, 114, false},         {"Monaco", 485, 389, false},
    {"Montauban", 246, 373, false},   {"Montpellier", 348, 401, false},  {"Mulhouse", 469, 187, false},
    {"Nancy", 427, 144, false},       {"Nantes", 136, 209, true},        {"Narbonne", 307, 432, false},
    {"Nice", 476, 393, true},         {"Nîmes", 360, 386, false},        {"Orléans", 266, 177, false},
    {"Paris", 280, 128, true},        {"Pau", 168, 417, false},          {"Perpignan", 307, 455, false},
    {"Poitiers", 202, 243, false},    {"Quimper", 43, 167, false},       {"Reims", 347, 107, false},
    {"Rennes", 133, 168, false},      {"Rouen", 237, 97, false},         {"Strasbourg", 481, 146, true},
    {"St-Denis", 279, 119, false},    {"St-Etienne", 364, 309, false},   {"Tarbes", 194, 424, false},
    {"Toulon", 429, 424, false},      {"Toulouse", 251, 400, true},      {"Tours", 221, 205, false},
    {"Valence", 389, 336, false},     {"Valenciennes", 329, 51, false},  {"Versailles", 269, 135, false},
};

// A point of the map with no marker within reach (the Atlantic, far from Brest).
const int kBareX = 20;
const int kBareY = 300;

inline int CityIndex(const std::string& name) {
    for (int i = 0; i < 60; ++i) {
        if (name == kCities[i].name) return i;
    }
    return -1;
}

inline int Half(const City& city) { return city.large ? 5 : 4; }

const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kLightBlue = RGB(127, 127, 255);
const COLORREF kLightRed = RGB(255, 127, 127);

// What the screen shows in a window's client rectangle, pixel by pixel.
class ClientPixels {
public:
    explicit ClientPixels(HWND window) {
        RECT client;
        GetClientRect(window, &client);
        POINT origin = {0, 0};
        ClientToScreen(window, &origin);
        width_ = client.right;
        height_ = client.bottom;
        RECT area = {origin.x, origin.y, origin.x + width_, origin.y + height_};
        gui::ScreenPixels(area, &pixels_);
    }
    // The colour at client (x, y); 0xFFFFFFFF outside.
    COLORREF At(int x, int y) const {
        if (x < 0 || y < 0 || x >= width_ || y >= height_ || pixels_.empty()) return 0xFFFFFFFF;
        return pixels_[static_cast<size_t>(y) * width_ + x];
    }
    // How many pixels of the rectangle have exactly this colour.
    int Count(const RECT& r, COLORREF colour) const {
        int n = 0;
        for (int y = r.top; y < r.bottom; ++y) {
            for (int x = r.left; x < r.right; ++x) n += At(x, y) == colour;
        }
        return n;
    }

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<COLORREF> pixels_;
};

// Cartopia, started fresh for one test and killed at its end if still running.
class RunningQuiz {
public:
    gui::Program program;
    HWND main = nullptr;
    HWND view = nullptr;

    void Launch() {
        ASSERT_TRUE(program.Start(testenv::Program("Cartopia.exe")));
        main = program.WaitWindow(kCaption);
        ASSERT_TRUE(main != nullptr) << "no main window";
        view = FindWindowExA(main, nullptr, "WndViewClass", nullptr);
        ASSERT_TRUE(view != nullptr) << "no map view";
        Sync();
    }

    HWND Control(int id) const { return GetDlgItem(main, id); }
    std::string Text(int id) const { return gui::Text(Control(id)); }
    int Count(int id) const { return atoi(Text(id).c_str()); }

    // Returns once the program is back in its message loop: a sent message is
    // only received when the thread next looks for messages (e.g. after a box closed).
    void Sync() const { Send(main, WM_NULL, 0, 0); }

    static LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        DWORD_PTR result = 0;
        SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, 5000, &result);
        return static_cast<LRESULT>(result);
    }

    // The name in the question, or "" when no city is asked.
    std::string Asked() const {
        std::string q = Text(kQuestion);
        size_t prefix = sizeof(kQuestionPrefix) - 1;
        if (q.size() < prefix + 1 || q.compare(0, prefix, kQuestionPrefix) != 0 || q.back() != '"') return "";
        return q.substr(prefix, q.size() - prefix - 1);
    }

    // The start confirmation, by the button or the menu, answered with OK or Cancel.
    void StartGame(bool ok, bool fromMenu = false) {
        if (fromMenu) {
            gui::Command(main, kStart);
        } else {
            gui::Click(Control(kStart));
        }
        HWND box = program.WaitMessageBox(kCaption);
        ASSERT_TRUE(box != nullptr) << "no start confirmation";
        gui::MessageBoxInfo info = gui::ReadMessageBox(box);
        EXPECT_EQ(kStartQuestion, info.text);
        EXPECT_EQ((std::vector<int>{IDOK, IDCANCEL}), info.buttons);
        EXPECT_TRUE(info.hasIcon);
        ASSERT_TRUE(gui::AnswerMessageBox(box, ok ? IDOK : IDCANCEL));
        Sync();
    }

    // A click at view pixel (x, y), sent: it has been judged when this returns.
    void ClickAt(int x, int y) const {
        Send(view, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
        Send(view, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        Send(view, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    }
    // A click that may end the game, posted: nothing waits for its result box.
    void PostClickAt(int x, int y) const {
        PostMessageA(view, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
        PostMessageA(view, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        PostMessageA(view, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    }
    // "Je passe", sent; or posted when it may end the game.
    void SkipNow() const { Send(Control(kSkip), BM_CLICK, 0, 0); }
    void PostSkip() const { gui::Click(Control(kSkip)); }
    void ClickCity(int index) const { ClickAt(kCities[index].x, kCities[index].y); }

    // Waits until the view shows colour at the centre of a city's marker.
    bool WaitMarker(int index, COLORREF colour, int timeoutMs = 3000) const {
        return gui::WaitFor([&] {
            return ClientPixels(view).At(kCities[index].x, kCities[index].y) == colour;
        }, timeoutMs);
    }
};

// Folder of the kept test artefacts: <build>/win/artefacts.
using testenv::ArtefactDir;

}  // namespace quiz
