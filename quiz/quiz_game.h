// The game object: one quiz over the city table, and the map view's drawing state.
#pragma once

#include <windows.h>
#include <stdint.h>

#include "city_table.h"

class CQuizGame {
public:
    CQuizGame();
    ~CQuizGame();
    CQuizGame(const CQuizGame&) = delete;
    CQuizGame& operator=(const CQuizGame&) = delete;

    // Starts or restarts a game; returns running. 0 without any effect when the
    // view or the city copy is missing.
    int Start();
    // "Je passe": the current city counts as missed. 1 when it acted, 0 when no
    // game runs (or the view or the city copy is missing).
    int Skip();
    // Asks the next city; 1 if a city is now asked, 0 if none is left.
    int NextQuestion(HWND view);
    // The end-of-game box, then "Je passe" is disabled.
    void ShowResult(HWND view);

    // Map view (map_view.cpp). Each returns 0.
    int CreateView(HWND parent);  // 1 if the view was created
    int OnViewCreate(HWND view);
    int OnViewDestroy(HWND view);
    int OnViewPaint(HWND view);
    int OnViewMouseMove(HWND view, WPARAM keys, LPARAM point);
    int OnViewLButtonDown();
    int OnViewTimer();
    int OnViewLButtonUp(HWND view, WPARAM keys, LPARAM point);

    HWND viewWindow;      // the map view, not owned (a child of the main window)
    HBITMAP mapBitmap;    // owned by the map view: loaded at its creation, freed at its end
    HBRUSH foundBrush;    // owned: light blue
    HBRUSH missedBrush;   // owned: light red
    int32_t cityCount;
    int32_t remaining;    // cities not yet asked, the current one excluded
    int32_t current;      // index of the city asked, or -1
    int32_t foundCount;
    int32_t missedCount;  // wrong answers and skips
    uint32_t elapsedSeconds;
    CityEntry* cities;    // owned copy of cityTable; its flags record the game
    int32_t handCursor;   // 1 while the view has set the hand cursor
    int32_t running;      // 1 while a game is in progress

private:
    void ShowCount(int id, int value);
    void EndGame(HWND view);
};

extern CQuizGame theGame;
