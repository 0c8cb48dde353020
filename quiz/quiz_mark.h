// The mark out of 20 at the end of a game and its verdict text.
#pragma once

#include <stddef.h>

// found * 20 / (found + missed), in floating point; 0 when nothing was answered.
float GameMark(int found, int missed);

// Writes the verdict for mark into out (capacity cap, cut and always terminated
// when cap > 0): one of four texts by the mark's band (< 5, < 10, < 15, the rest),
// with the mark to one decimal and a '.' decimal point whatever the C locale.
// Returns 1 if the whole text fitted.
int FormatVerdict(float mark, char* out, size_t cap);
