// The 60 cities of the quiz: names (code page 1252) and their places on the map view.
#pragma once

#include <stdint.h>

// Bits of CityEntry::flags.
enum : uint32_t {
    CITY_LARGE = 1,   // marker 10 x 10 instead of 8 x 8; set in the table, never changed
    CITY_FOUND = 4,   // asked, and the player clicked its marker
    CITY_MISSED = 8,  // asked, and the player clicked another marker or skipped it
};

struct CityEntry {
    char name[24];   // zero-terminated, zero-padded
    int32_t x;       // marker centre, in client pixels of the map view
    int32_t y;
    int32_t labelX;  // top-left corner of the name, once the city has been asked
    int32_t labelY;
    uint32_t flags;
};

const int kCityCount = 60;
extern const CityEntry cityTable[kCityCount];

// A city is still to be asked in this game while only CITY_LARGE may be set.
inline bool CityNotAsked(const CityEntry& city) { return city.flags <= CITY_LARGE; }
