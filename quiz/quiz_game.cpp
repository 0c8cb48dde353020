// The game: questions in random order, answers by click or skip, the clock and the mark.
#include "quiz_game.h"

#include <stdlib.h>
#include <string.h>

#include <new>

#include "quiz_ids.h"
#include "quiz_mark.h"
#include "quiz_rules.h"

namespace {

const char kCaption[] = "Urbiquiz";
const char kQuestionFormat[] = "Où se trouve : \"%s\"";
const char kClockFormat[] = "%i:%02i";
const char kClockReset[] = "0:00";

const COLORREF kFoundColour = RGB(127, 127, 255);
const COLORREF kMissedColour = RGB(255, 127, 127);

void Redraw(HWND view) { InvalidateRect(view, nullptr, FALSE); }

}  // namespace

CQuizGame::CQuizGame()
    : viewWindow(nullptr),
      mapBitmap(nullptr),
      foundBrush(CreateSolidBrush(kFoundColour)),
      missedBrush(CreateSolidBrush(kMissedColour)),
      cityCount(kCityCount),
      remaining(kCityCount),
      current(-1),
      foundCount(0),
      missedCount(0),
      elapsedSeconds(0),
      cities(new (std::nothrow) CityEntry[kCityCount]),
      handCursor(0),
      running(0) {
    if (cities) memcpy(cities, cityTable, sizeof cityTable);
}

CQuizGame::~CQuizGame() {
    delete[] cities;
    cities = nullptr;
    if (foundBrush) DeleteObject(foundBrush);
    if (missedBrush) DeleteObject(missedBrush);
    foundBrush = missedBrush = nullptr;
}

void CQuizGame::ShowCount(int id, int value) {
    SetDlgItemInt(GetParent(viewWindow), id, static_cast<UINT>(value), FALSE);
}

int CQuizGame::Start() {
    if (!viewWindow || !cities) return 0;
    memcpy(cities, cityTable, sizeof cityTable);
    if (running) KillTimer(viewWindow, ID_CLOCK_TIMER);
    remaining = cityCount;
    foundCount = missedCount = 0;
    elapsedSeconds = 0;
    Redraw(viewWindow);
    running = NextQuestion(viewWindow);
    ShowCount(ID_FOUND_COUNT, foundCount);
    ShowCount(ID_MISSED_COUNT, missedCount);
    SetDlgItemTextA(GetParent(viewWindow), ID_CLOCK, kClockReset);
    SetTimer(viewWindow, ID_CLOCK_TIMER, 1000, nullptr);
    return running;
}

int CQuizGame::NextQuestion(HWND view) {
    HWND panel = GetParent(view);
    int next = remaining > 0 ? DrawCity(cities, cityCount, remaining, static_cast<unsigned>(rand())) : -1;
    if (next < 0) {
        current = -1;
        SetDlgItemTextA(panel, ID_QUESTION, "");
        return 0;
    }
    current = next;
    --remaining;
    char question[64];
    wsprintfA(question, kQuestionFormat, cities[current].name);
    SetDlgItemTextA(panel, ID_QUESTION, question);
    return 1;
}

// The clock stops with the game: the timer goes before the result box opens.
void CQuizGame::EndGame(HWND view) {
    KillTimer(view, ID_CLOCK_TIMER);
    ShowResult(view);
}

int CQuizGame::Skip() {
    if (!viewWindow || !cities || !running) return 0;
    cities[current].flags |= CITY_MISSED;
    ++missedCount;
    ShowCount(ID_MISSED_COUNT, missedCount);
    Redraw(viewWindow);
    running = NextQuestion(viewWindow);
    if (!running) EndGame(viewWindow);
    return 1;
}

int CQuizGame::OnViewLButtonUp(HWND view, WPARAM, LPARAM point) {
    if (!running || !cities) return 0;
    int32_t x = static_cast<int32_t>(LOWORD(point));
    int32_t y = static_cast<int32_t>(HIWORD(point));
    int clicked = CityNotAskedAt(cities, cityCount, x, y);
    if (clicked < 0) return 0;  // not an answer
    if (clicked == current) {
        cities[current].flags |= CITY_FOUND;
        ++foundCount;
        ShowCount(ID_FOUND_COUNT, foundCount);
    } else if (current != -1) {
        // The city asked is missed; the one clicked stays in play.
        cities[current].flags |= CITY_MISSED;
        ++missedCount;
        ShowCount(ID_MISSED_COUNT, missedCount);
    }
    Redraw(view);
    running = NextQuestion(view);
    if (!running) EndGame(view);
    return 0;
}

int CQuizGame::OnViewTimer() {
    if (running != 1) return 0;
    ++elapsedSeconds;
    char clock[24];
    wsprintfA(clock, kClockFormat, static_cast<int>(elapsedSeconds / 60), static_cast<int>(elapsedSeconds % 60));
    SetDlgItemTextA(GetParent(viewWindow), ID_CLOCK, clock);
    return 0;
}

void CQuizGame::ShowResult(HWND view) {
    char verdict[128];
    FormatVerdict(GameMark(foundCount, missedCount), verdict, sizeof verdict);
    MessageBoxA(view, verdict, kCaption, MB_ICONINFORMATION | MB_OK);
    // A game started while the box was open keeps its "Je passe".
    if (!running) EnableWindow(GetDlgItem(GetParent(view), ID_SKIP), FALSE);
}
