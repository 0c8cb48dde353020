// The mark and the verdict. The number is composed here rather than by printf's
// %f so that the decimal point is always '.', whatever locale the process uses.
#include "quiz_mark.h"

#include <stdio.h>

namespace {

const char kVerdictHopeless[] = "Vous avez %s/20, vous êtes vraiment nuls.";
const char kVerdictBelowAverage[] = "Vous avez %s/20, vous n'avez pas la moyenne.";
const char kVerdictAverage[] = "Vous avez %s/20, bravo, vous avez au moins la moyenne.";
const char kVerdictVeryGood[] = "Vous avez %s/20, très bien!";

// The mark rounded to one decimal (half away from zero), as "14.7".
void FormatOneDecimal(double value, char* out, size_t cap) {
    bool negative = value < 0;
    if (negative) value = -value;
    if (value > 1e9) value = 1e9;
    unsigned long tenths = static_cast<unsigned long>(value * 10.0 + 0.5);
    snprintf(out, cap, "%s%lu.%lu", negative && tenths ? "-" : "", tenths / 10, tenths % 10);
}

}  // namespace

float GameMark(int found, int missed) {
    int answered = found + missed;
    if (answered <= 0) return 0.0f;
    return static_cast<float>(found) * 20.0f / static_cast<float>(answered);
}

int FormatVerdict(float mark, char* out, size_t cap) {
    if (!out || cap == 0) return 0;
    const char* verdict = kVerdictVeryGood;
    if (mark < 5.0f) {
        verdict = kVerdictHopeless;
    } else if (mark < 10.0f) {
        verdict = kVerdictBelowAverage;
    } else if (mark < 15.0f) {
        verdict = kVerdictAverage;
    }
    char number[24];
    FormatOneDecimal(static_cast<double>(mark), number, sizeof number);
    int written = snprintf(out, cap, verdict, number);
    return written >= 0 && static_cast<size_t>(written) < cap;
}
