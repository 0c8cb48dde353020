// Folding letter case over code page 1252 bytes (see letter_case.h), with the
// one folding setup and uninst compare paths with.
#include "letter_case.h"

#include "path_rules.h"

std::string FoldCase(const std::string& cp1252) {
    std::string folded = cp1252;
    for (char& c : folded) c = static_cast<char>(FoldPathChar(static_cast<unsigned char>(c)));
    return folded;
}
