// The quiz rules without windows: the city table, the draw of the next city,
// the marker squares and hit test, the mark and its verdict.
#include <gtest/gtest.h>

#include <locale.h>
#include <stdlib.h>
#include <string.h>

#include <set>
#include <string>

#include "city_table.h"
#include "quiz_mark.h"
#include "quiz_rules.h"

namespace {

// The view's client area inside the fixed 730 x 540 main window.
const int kViewWidth = 540;
const int kViewHeight = 492;

int IndexOf(const char* name) {
    for (int i = 0; i < kCityCount; ++i) {
        if (strcmp(cityTable[i].name, name) == 0) return i;
    }
    return -1;
}

TEST(CityTable, NamesAreCodePage1252AndKeepTheirSpelling) {
    // Accented letters are single bytes of code page 1252, not UTF-8 pairs.
    EXPECT_EQ(6, IndexOf("Besan\xE7on"));
    EXPECT_EQ(7, IndexOf("B\xE9ziers"));
    EXPECT_EQ(14, IndexOf("Chamb\xE9ry"));
    EXPECT_EQ(18, IndexOf("Cr\xE9teil"));
    EXPECT_EQ(40, IndexOf("N\xEEmes"));
    EXPECT_EQ(41, IndexOf("Orl\xE9" "ans"));
    EXPECT_EQ(16, IndexOf("Clermont-Ferrant"));
    EXPECT_EQ(0, IndexOf("Amiens"));
    EXPECT_EQ(59, IndexOf("Versailles"));
    std::set<std::string> names;
    for (const CityEntry& city : cityTable) {
        ASSERT_LT(strnlen(city.name, sizeof city.name), sizeof city.name);
        // Zero-padded: nothing after the terminator.
        for (size_t i = strlen(city.name); i < sizeof city.name; ++i) EXPECT_EQ(0, city.name[i]) << city.name;
        names.insert(city.name);
    }
    EXPECT_EQ(60u, names.size());
}

TEST(CityTable, NineLargeCitiesAndEveryoneUnasked) {
    std::set<std::string> large;
    for (const CityEntry& city : cityTable) {
        EXPECT_TRUE(city.flags == 0 || city.flags == CITY_LARGE) << city.name;
        EXPECT_TRUE(CityNotAsked(city));
        if (city.flags & CITY_LARGE) large.insert(city.name);
    }
    EXPECT_EQ((std::set<std::string>{"Bordeaux", "Lille", "Lyon", "Marseille", "Nantes", "Nice", "Paris",
                                     "Strasbourg", "Toulouse"}),
              large);
}

TEST(CityTable, MarkersFitTheViewAndNeverOverlap) {
    for (int i = 0; i < kCityCount; ++i) {
        MarkerSquare a = CityMarker(cityTable[i]);
        EXPECT_GE(a.left, 0) << cityTable[i].name;
        EXPECT_GE(a.top, 0) << cityTable[i].name;
        EXPECT_LE(a.right, kViewWidth) << cityTable[i].name;
        EXPECT_LE(a.bottom, kViewHeight) << cityTable[i].name;
        for (int j = i + 1; j < kCityCount; ++j) {
            MarkerSquare b = CityMarker(cityTable[j]);
            bool apart = a.right <= b.left || b.right <= a.left || a.bottom <= b.top || b.bottom <= a.top;
            EXPECT_TRUE(apart) << cityTable[i].name << " / " << cityTable[j].name;
        }
    }
}

TEST(HitTest, SquaresExcludeTheirRightAndBottomEdges) {
    CityEntry cities[kCityCount];
    memcpy(cities, cityTable, sizeof cities);
    const int paris = IndexOf("Paris");
    const int amiens = IndexOf("Amiens");
    struct Span {
        int city, x0, x1, y0, y1;
    } spans[] = {{paris, 275, 284, 123, 132}, {amiens, 285, 292, 71, 78}};
    for (const Span& s : spans) {
        const CityEntry& city = cities[s.city];
        for (int y = s.y0 - 1; y <= s.y1 + 1; ++y) {
            for (int x = s.x0 - 1; x <= s.x1 + 1; ++x) {
                bool inside = x >= s.x0 && x <= s.x1 && y >= s.y0 && y <= s.y1;
                EXPECT_EQ(inside, MarkerContains(CityMarker(city), x, y)) << city.name << " " << x << "," << y;
                // St-Denis's square touches the row above Paris's.
                EXPECT_EQ(inside, CityNotAskedAt(cities, kCityCount, x, y) == s.city)
                    << city.name << " " << x << "," << y;
            }
        }
    }
}

TEST(HitTest, CitiesAlreadyAskedAndBareMapAreNoAnswer) {
    CityEntry cities[kCityCount];
    memcpy(cities, cityTable, sizeof cities);
    const int paris = IndexOf("Paris");
    const int amiens = IndexOf("Amiens");
    EXPECT_EQ(-1, CityNotAskedAt(cities, kCityCount, 0, 300));
    EXPECT_EQ(IndexOf("St-Denis"), CityNotAskedAt(cities, kCityCount, 276, 122));
    cities[paris].flags |= CITY_FOUND;
    cities[amiens].flags |= CITY_MISSED;
    EXPECT_EQ(-1, CityNotAskedAt(cities, kCityCount, 280, 128));
    EXPECT_EQ(-1, CityNotAskedAt(cities, kCityCount, 289, 75));
    // A found large city keeps its large square for drawing.
    EXPECT_EQ(275, CityMarker(cities[paris]).left);
    EXPECT_EQ(IndexOf("Cr\xE9teil"), CityNotAskedAt(cities, kCityCount, 289, 130));
}

TEST(DrawCity, CountsOnlyCitiesNotYetAskedInTableOrder) {
    CityEntry cities[kCityCount];
    memcpy(cities, cityTable, sizeof cities);
    EXPECT_EQ(0, DrawCity(cities, kCityCount, 60, 0));
    EXPECT_EQ(59, DrawCity(cities, kCityCount, 60, 59));
    EXPECT_EQ(1, DrawCity(cities, kCityCount, 60, 61));  // modulo remaining
    cities[0].flags |= CITY_FOUND;
    cities[1].flags |= CITY_MISSED;
    cities[9].flags |= CITY_MISSED;  // Bordeaux, large: 9 asked
    EXPECT_EQ(2, DrawCity(cities, kCityCount, 57, 0));
    EXPECT_EQ(10, DrawCity(cities, kCityCount, 57, 7));  // skips 0, 1 and 9
    EXPECT_EQ(59, DrawCity(cities, kCityCount, 57, 56));
    EXPECT_EQ(2, DrawCity(cities, kCityCount, 57, 57));
    // Large cities not yet asked (flags 1) are counted like the others.
    EXPECT_EQ(27, DrawCity(cities, kCityCount, 57, 24));  // Lille
}

TEST(DrawCity, NothingLeftOrAStaleCountGivesNone) {
    CityEntry cities[kCityCount];
    memcpy(cities, cityTable, sizeof cities);
    EXPECT_EQ(-1, DrawCity(cities, kCityCount, 0, 5));
    EXPECT_EQ(-1, DrawCity(cities, kCityCount, -1, 5));
    for (int i = 0; i < 58; ++i) cities[i].flags |= CITY_FOUND;
    // Two cities are left but the caller believes in three: the walk runs off the end.
    EXPECT_EQ(-1, DrawCity(cities, kCityCount, 3, 2));
    EXPECT_EQ(59, DrawCity(cities, kCityCount, 3, 1));
}

TEST(DrawCity, AGameAsksEveryCityExactlyOnce) {
    for (unsigned seed = 1; seed <= 300; ++seed) {
        srand(seed);
        CityEntry cities[kCityCount];
        memcpy(cities, cityTable, sizeof cities);
        int asked[kCityCount] = {};
        int remaining = kCityCount;
        int questions = 0;
        for (;;) {
            int city = DrawCity(cities, kCityCount, remaining, static_cast<unsigned>(rand()));
            if (city < 0) break;
            ASSERT_TRUE(CityNotAsked(cities[city])) << "seed " << seed;
            --remaining;
            ++asked[city];
            ++questions;
            cities[city].flags |= (questions % 3) ? CITY_FOUND : CITY_MISSED;
        }
        ASSERT_EQ(60, questions) << "seed " << seed;
        for (int i = 0; i < kCityCount; ++i) ASSERT_EQ(1, asked[i]) << "seed " << seed << " city " << i;
    }
}

TEST(Verdict, MarksAndBandsAtTheBoundaries) {
    struct Case {
        int found;
        const char* text;
    } cases[] = {
        {0, "Vous avez 0.0/20, vous \xEAtes vraiment nuls."},
        {13, "Vous avez 4.3/20, vous \xEAtes vraiment nuls."},
        {14, "Vous avez 4.7/20, vous \xEAtes vraiment nuls."},
        {15, "Vous avez 5.0/20, vous n'avez pas la moyenne."},
        {29, "Vous avez 9.7/20, vous n'avez pas la moyenne."},
        {30, "Vous avez 10.0/20, bravo, vous avez au moins la moyenne."},
        {44, "Vous avez 14.7/20, bravo, vous avez au moins la moyenne."},
        {45, "Vous avez 15.0/20, tr\xE8s bien!"},
        {59, "Vous avez 19.7/20, tr\xE8s bien!"},
        {60, "Vous avez 20.0/20, tr\xE8s bien!"},
    };
    for (const Case& c : cases) {
        char text[128];
        EXPECT_EQ(1, FormatVerdict(GameMark(c.found, 60 - c.found), text, sizeof text));
        EXPECT_STREQ(c.text, text) << c.found << " found";
    }
}

TEST(Verdict, DecimalPointIgnoresTheLocale) {
    const char* french = setlocale(LC_NUMERIC, "fr_FR.UTF-8");
    if (!french) french = setlocale(LC_NUMERIC, "fr_FR");
    char text[128];
    FormatVerdict(GameMark(13, 47), text, sizeof text);
    setlocale(LC_NUMERIC, "C");
    EXPECT_STREQ("Vous avez 4.3/20, vous \xEAtes vraiment nuls.", text);
    if (!french) GTEST_SKIP() << "no French locale installed; checked under C only";
}

TEST(Verdict, NoAnswerAndShortBuffers) {
    EXPECT_EQ(0.0f, GameMark(0, 0));
    EXPECT_FLOAT_EQ(10.0f, GameMark(1, 1));
    char text[12];
    memset(text, 'x', sizeof text);
    EXPECT_EQ(0, FormatVerdict(20.0f, text, sizeof text));
    EXPECT_STREQ("Vous avez 2", text);
    EXPECT_EQ(0, FormatVerdict(20.0f, nullptr, 0));
}

}  // namespace
