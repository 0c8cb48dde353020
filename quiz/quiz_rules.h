// Game rules that need no window: the draw of the next city, the marker square
// and the hit test. Shared by the game object and the map view.
#pragma once

#include "city_table.h"

// A marker square in view pixels; right and bottom are excluded, as for a RECT
// given to Rectangle and PtInRect.
struct MarkerSquare {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

// The square of a city's marker: 10 x 10 for a large city, 8 x 8 otherwise,
// around its (x, y).
MarkerSquare CityMarker(const CityEntry& city);

// True when (x, y) lies in the square (right column and bottom row excluded).
bool MarkerContains(const MarkerSquare& square, int32_t x, int32_t y);

// The index of the r-th city not yet asked (counted from 0 in table order) with
// r = randomValue modulo remaining. Returns -1 when remaining is not positive or
// fewer cities than that are left to ask.
int DrawCity(const CityEntry* cities, int count, int remaining, unsigned randomValue);

// The first city in table order that is not yet asked and whose marker holds
// (x, y), or -1 (bare map, a city already asked, between markers).
int CityNotAskedAt(const CityEntry* cities, int count, int32_t x, int32_t y);
