// Whole games of Cartopia played by reading the question and clicking the map:
// right and wrong answers, clicks that are no answer, "Je passe", the counters,
// the clock, the marker colours and the verdict at the end.
#include <windows.h>

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "install_checks.h"
#include "quiz_harness.h"

namespace {

using namespace quiz;

// Any city still to be asked other than the one asked now, or -1.
int OtherCityNotAsked(const std::set<int>& asked, int current) {
    for (int i = 0; i < 60; ++i) {
        if (i != current && !asked.count(i)) return i;
    }
    return -1;
}

TEST(QuizGame, NothingHappensBeforeTheFirstGame) {
    RunningQuiz q;
    q.Launch();
    EXPECT_EQ("", q.Text(kQuestion));
    EXPECT_FALSE(gui::Enabled(q.Control(kSkip)));
    q.ClickCity(CityIndex("Paris"));
    gui::Command(q.main, kSkip);  // even a stray command finds no game
    q.Sync();
    EXPECT_EQ("", q.Text(kQuestion));
    EXPECT_EQ("0", q.Text(kFound));
    EXPECT_EQ("0", q.Text(kMissed));
    EXPECT_EQ("0:00", q.Text(kClock));
    EXPECT_TRUE(q.WaitMarker(CityIndex("Paris"), kWhite));
}

// 44 right, 16 missed (wrong clicks and skips), with clicks on bare map and on
// cities already asked along the way; the last city is skipped.
TEST(QuizGame, WholeGameWithEveryKindOfAnswer) {
    RunningQuiz q;
    q.Launch();
    q.StartGame(true);
    ASSERT_NE("", q.Asked()) << q.Text(kQuestion);
    EXPECT_EQ("Recommencer", q.Text(kStart));
    EXPECT_TRUE(gui::Enabled(q.Control(kSkip)));
    EXPECT_EQ("0:00", q.Text(kClock));
    EXPECT_TRUE(gui::WaitText(q.Control(kClock), "0:01", 3000)) << q.Text(kClock);

    std::set<int> asked;
    int found = 0, missed = 0, firstMissed = -1, firstFound = -1;
    for (int question = 0; question < 60; ++question) {
        SCOPED_TRACE("question " + std::to_string(question + 1));
        std::string name = q.Asked();
        int city = CityIndex(name);
        ASSERT_GE(city, 0) << "unknown city \"" << name << "\"";
        ASSERT_EQ(0u, asked.count(city)) << name << " asked twice";
        asked.insert(city);
        const City& c = kCities[city];

        if (question == 0 || question == 2) {
            // Clicks that are no answer: bare map, and (third question) the
            // city missed and the city found before.
            q.ClickAt(kBareX, kBareY);
            if (question == 2) {
                q.ClickCity(firstMissed);
                q.ClickCity(firstFound);
            }
            EXPECT_EQ(name, q.Asked());
            EXPECT_EQ(std::to_string(found), q.Text(kFound));
            EXPECT_EQ(std::to_string(missed), q.Text(kMissed));
        }

        bool last = question == 59;
        bool miss = question == 0 || question % 4 == 3;
        if (last) {
            ++missed;
            q.PostSkip();
            break;
        }
        if (!miss) {
            // Right answers, some on the corners of the square.
            int h = Half(c);
            int x = c.x, y = c.y;
            if (question % 4 == 1) x = c.x + h - 1, y = c.y + h - 1;
            if (question % 4 == 2) x = c.x - h, y = c.y - h;
            q.ClickAt(x, y);
            ++found;
            if (firstFound < 0) firstFound = city;
        } else if (question % 8 == 7) {
            q.SkipNow();
            ++missed;
        } else {
            int other = OtherCityNotAsked(asked, city);
            ASSERT_GE(other, 0);
            q.ClickCity(other);  // counts against the city asked; the other stays in play
            ++missed;
            if (firstMissed < 0) firstMissed = city;
        }
        EXPECT_EQ(std::to_string(found), q.Text(kFound));
        EXPECT_EQ(std::to_string(missed), q.Text(kMissed));
        ASSERT_NE(name, q.Asked()) << "the question did not move on";

        if (question == 30) {
            EXPECT_TRUE(q.WaitMarker(firstFound, kLightBlue));
            EXPECT_TRUE(q.WaitMarker(firstMissed, kLightRed));
            EXPECT_TRUE(gui::Capture(q.main, ArtefactDir() + "\\quiz_game.bmp"));
        }
    }
    EXPECT_EQ(44, found);
    EXPECT_EQ(16, missed);
    EXPECT_EQ(60u, asked.size());

    gui::MessageBoxInfo info;
    HWND box = wintest::ExpectMessageBox(q.program, kCaption, "Vous avez 14.7/20, bravo, vous avez au moins la moyenne.",
                                         {IDOK}, 10000, &info);
    ASSERT_TRUE(box != nullptr) << "no result box";
    EXPECT_TRUE(info.hasIcon);
    EXPECT_TRUE(gui::Enabled(q.Control(kSkip)));  // disabled only once the box is closed
    ASSERT_TRUE(gui::AnswerMessageBox(box, IDOK));
    q.Sync();
    EXPECT_FALSE(gui::Enabled(q.Control(kSkip)));
    EXPECT_EQ("", q.Text(kQuestion));
    EXPECT_EQ("44", q.Text(kFound));
    EXPECT_EQ("16", q.Text(kMissed));

    // The clock has stopped, and the game takes no more answers.
    std::string clock = q.Text(kClock);
    Sleep(1300);
    EXPECT_EQ(clock, q.Text(kClock));
    q.ClickCity(firstFound);
    gui::Command(q.main, kSkip);
    q.Sync();
    EXPECT_EQ("44", q.Text(kFound));
    EXPECT_EQ("16", q.Text(kMissed));
    EXPECT_TRUE(q.program.FindMessageBox() == nullptr);
    // The markers keep their colours after the game.
    EXPECT_TRUE(q.WaitMarker(firstFound, kLightBlue));
    EXPECT_TRUE(q.WaitMarker(firstMissed, kLightRed));
}

TEST(QuizGame, APerfectGameEndsOnTheLastClick) {
    RunningQuiz q;
    q.Launch();
    q.StartGame(true, /*fromMenu=*/true);
    for (int question = 0; question < 59; ++question) {
        int city = CityIndex(q.Asked());
        ASSERT_GE(city, 0) << q.Text(kQuestion);
        q.ClickCity(city);
    }
    int last = CityIndex(q.Asked());
    ASSERT_GE(last, 0);
    q.PostClickAt(kCities[last].x, kCities[last].y);
    HWND box = q.program.WaitMessageBox(kCaption);
    ASSERT_TRUE(box != nullptr) << "no result box";
    EXPECT_EQ("Vous avez 20.0/20, très bien!", gui::ReadMessageBox(box).text);
    // The clock stops as the box opens.
    std::string clock = q.Text(kClock);
    Sleep(1300);
    EXPECT_EQ(clock, q.Text(kClock));
    ASSERT_TRUE(gui::AnswerMessageBox(box, IDOK));
    q.Sync();
    EXPECT_EQ("60", q.Text(kFound));
    EXPECT_EQ("0", q.Text(kMissed));
    EXPECT_FALSE(gui::Enabled(q.Control(kSkip)));
}

TEST(QuizGame, RestartDuringAGame) {
    RunningQuiz q;
    q.Launch();
    q.StartGame(true);
    int right = CityIndex(q.Asked());
    ASSERT_GE(right, 0);
    q.ClickCity(right);
    ASSERT_TRUE(q.WaitMarker(right, kLightBlue));
    q.SkipNow();
    ASSERT_TRUE(gui::WaitText(q.Control(kClock), "0:01", 3000));
    std::string question = q.Text(kQuestion);

    // Cancel: the game goes on, and its clock kept counting behind the box.
    q.StartGame(false);
    EXPECT_EQ(question, q.Text(kQuestion));
    EXPECT_EQ("1", q.Text(kFound));
    EXPECT_EQ("1", q.Text(kMissed));
    EXPECT_TRUE(gui::WaitText(q.Control(kClock), "0:03", 4000)) << q.Text(kClock);

    // OK: a fresh game.
    q.StartGame(true, /*fromMenu=*/true);
    EXPECT_EQ("0", q.Text(kFound));
    EXPECT_EQ("0", q.Text(kMissed));
    EXPECT_EQ("0:00", q.Text(kClock));
    EXPECT_NE("", q.Asked());
    EXPECT_TRUE(gui::Enabled(q.Control(kSkip)));
    EXPECT_TRUE(q.WaitMarker(right, kWhite));
    // The city found in the last game can be asked and found again.
    for (int question = 0; question < 60 && CityIndex(q.Asked()) != right; ++question) q.SkipNow();
    ASSERT_EQ(right, CityIndex(q.Asked()));
    q.ClickCity(right);
    EXPECT_EQ("1", q.Text(kFound));
}

// The pointer really moved over the map. Cursor handles belong to the program,
// so the hand is told from the arrow by comparing what the program shows.
HCURSOR CursorOver(const RunningQuiz& q, int x, int y) {
    POINT p = {x, y};
    ClientToScreen(q.view, &p);
    SetCursorPos(p.x, p.y);
    Sleep(150);
    q.Sync();
    CURSORINFO info = {};
    info.cbSize = sizeof info;
    GetCursorInfo(&info);
    return info.hCursor;
}

TEST(QuizGame, HandOnlyOverMarkersStillInPlay) {
    RunningQuiz q;
    q.Launch();
    SetForegroundWindow(q.main);
    const int paris = CityIndex("Paris");
    HCURSOR arrow = CursorOver(q, kBareX, kBareY);
    EXPECT_EQ(arrow, CursorOver(q, 280, 128));  // no game yet
    q.StartGame(true);
    HCURSOR hand = CursorOver(q, 284, 132);  // Paris's last pixel
    EXPECT_NE(arrow, hand);
    EXPECT_EQ(arrow, CursorOver(q, 284, 133));
    EXPECT_EQ(arrow, CursorOver(q, 274, 123));
    EXPECT_EQ(hand, CursorOver(q, 275, 123));
    EXPECT_EQ(arrow, CursorOver(q, kBareX, kBareY));
    // Once Paris has been asked, its marker no longer takes the hand.
    for (int question = 0; question < 60 && CityIndex(q.Asked()) != paris; ++question) q.SkipNow();
    ASSERT_EQ(paris, CityIndex(q.Asked()));
    q.ClickCity(paris);
    EXPECT_EQ(arrow, CursorOver(q, 280, 128));
}

}  // namespace
