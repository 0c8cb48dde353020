// Console output of pack. Texts are code page 1252, like everything a package
// holds; they reach a console as Unicode and a file or pipe as UTF-8.
#pragma once

#include <string>

void PrintOut(const std::string& text);
void PrintErr(const std::string& text);

// One line of `pack inspect`: the key in a column of its own, then the value.
std::string Field(const char* key, const std::string& value);
