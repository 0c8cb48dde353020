// Starting another program and collecting what it prints, on Windows and on
// Linux alike (pack calls the signing tool this way).
#pragma once

#include <string>
#include <vector>

struct ProgramRun {
    bool started = false;  // false: the program could not be started (see why)
    int exitCode = -1;     // the program's exit code once it ended
    std::string output;    // its output and error output, as they came
    std::string why;       // why it could not be started
};

// Runs program (looked up on the PATH when it names no folder) with args,
// its input empty, and waits for it to end.
ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& args);
