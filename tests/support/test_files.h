// Files and commands for the native tests: whole-file reads and writes, and
// the output of a shell command. Portable C (stdio, popen).
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

namespace testfiles {

// Reads the whole file into *bytes; false when it cannot be opened.
bool ReadFileBytes(const std::string& path, std::string* bytes);
bool ReadFileBytes(const std::string& path, std::vector<uint8_t>* bytes);
// Replaces the file with bytes; false when it cannot be written whole.
bool WriteFileBytes(const std::string& path, const std::string& bytes);
bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);
// Whether a file (or folder) exists.
bool FileExists(const std::string& path);
// Standard output and error of a shell command, together; *status (when
// given) is 0 when the command exited with 0.
std::string RunCommand(const std::string& command, int* status = nullptr);

}  // namespace testfiles
