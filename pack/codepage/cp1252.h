// Conversions between UTF-8 and the programs' code page 1252. Package
// descriptions and texts are usually written in UTF-8 on Linux and in 1252 on
// Windows; the packages always carry 1252.
#pragma once

#include <stdint.h>

#include <string>

// True when bytes are well-formed UTF-8 (no overlong forms, no surrogates).
bool IsValidUtf8(const std::string& bytes);

// True when bytes contain a byte above 0x7F.
bool HasNonAscii(const std::string& bytes);

// The code page 1252 byte for a Unicode code point, or -1 when there is none.
int Cp1252FromCodePoint(uint32_t codePoint);

// Converts well-formed UTF-8 to code page 1252. A character that code page
// 1252 cannot hold becomes '?', and the 1-based line of the first such
// character goes to *badLine (0 when every character fitted) and its code point
// to *badCodePoint.
std::string Utf8ToCp1252(const std::string& utf8, int* badLine, uint32_t* badCodePoint);

// Converts code page 1252 text to UTF-8 (the five unassigned bytes become U+FFFD).
std::string Cp1252ToUtf8(const std::string& text);

// Converts code page 1252 text to UTF-16 (the five unassigned bytes become U+FFFD).
std::u16string Cp1252ToUtf16(const std::string& text);
