// `pack inspect`: shows what a setup package or an installed uninstaller holds.
#pragma once

#include <string>

// Prints the configuration, files and texts of a setup package, or the install
// log embedded in an uninst.exe, and checks them against each other; for a
// package, also its signature (trustFile, when given, holds certificates to
// trust besides the system's). Returns the process exit code: 0 when the file
// is consistent, 1 otherwise.
int InspectProgram(const std::string& path, const std::string& trustFile);
