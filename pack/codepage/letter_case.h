// Letter case in code page 1252 names, folded the way Windows compares file
// names: one folding for matching patterns, ordering what they find and
// telling whether two targets are one file on the installing system.
#pragma once

#include <string>

// ASCII and the letters of code page 1252 (É and é, Œ and œ, Ÿ and ÿ) made
// lower case; every other byte as it is.
std::string FoldCase(const std::string& cp1252);
