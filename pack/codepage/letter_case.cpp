// Folding letter case over code page 1252 bytes (see letter_case.h).
#include "letter_case.h"

std::string FoldCase(const std::string& cp1252) {
    std::string folded = cp1252;
    for (char& c : folded) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if ((byte >= 'A' && byte <= 'Z') || (byte >= 0xC0 && byte <= 0xDE && byte != 0xD7)) {
            c = static_cast<char>(byte + 0x20);
        } else if (byte == 0x8A || byte == 0x8C || byte == 0x8E) {  // Š Œ Ž
            c = static_cast<char>(byte + 0x10);
        } else if (byte == 0x9F) {  // Ÿ
            c = static_cast<char>(0xFF);
        }
    }
    return folded;
}
