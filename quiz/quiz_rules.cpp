// Draw of the next city, marker squares and the hit test.
#include "quiz_rules.h"

MarkerSquare CityMarker(const CityEntry& city) {
    int32_t half = (city.flags & CITY_LARGE) ? 5 : 4;
    return MarkerSquare{city.x - half, city.y - half, city.x + half, city.y + half};
}

bool MarkerContains(const MarkerSquare& square, int32_t x, int32_t y) {
    return x >= square.left && x < square.right && y >= square.top && y < square.bottom;
}

int DrawCity(const CityEntry* cities, int count, int remaining, unsigned randomValue) {
    if (remaining <= 0) return -1;
    unsigned wanted = randomValue % static_cast<unsigned>(remaining);
    unsigned seen = 0;
    for (int i = 0; i < count; ++i) {
        if (!CityNotAsked(cities[i])) continue;
        if (seen == wanted) return i;
        ++seen;
    }
    return -1;
}

int CityNotAskedAt(const CityEntry* cities, int count, int32_t x, int32_t y) {
    for (int i = 0; i < count; ++i) {
        if (CityNotAsked(cities[i]) && MarkerContains(CityMarker(cities[i]), x, y)) return i;
    }
    return -1;
}
