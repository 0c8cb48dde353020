// What pack asks of the file system, on Windows and on Linux alike: the kind
// of a path, full paths, the system's reason for a failure, pack's own path.
#pragma once

#include <stdint.h>

#include <functional>
#include <string>

enum PathKind { kPathMissing, kPathFile, kPathFolder, kPathUnreadable };

// What is at path; for kPathUnreadable, *why says what the system answered.
PathKind KindOfPath(const std::string& path, std::string* why);

// The full form of a path (made absolute); the path itself when that fails.
std::string FullPath(const std::string& path);

// True when two paths name the same file (letter case ignored on Windows).
bool SamePath(const std::string& a, const std::string& b);

// A path that may be written with '/' or '\', relative to folder unless
// absolute, in the form of this system.
std::string HostPath(const std::string& folder, const std::string& source);

// True for C:..., \..., /... (and, on Linux, only /...).
bool IsAbsolutePath(const std::string& path);

// The folder part of a path ("" when it has none).
std::string FolderOfPath(const std::string& path);

// The full path of the running program, "" when unknown.
std::string OwnProgramPath();

// The system's text for the last failed file operation.
std::string LastSystemError();

// Renames from to to, replacing to; false with the system's reason in *why.
bool RenameReplacing(const std::string& from, const std::string& to, std::string* why);

// Whole content of a file (at most 2 GB) into *bytes; false with a reason in *why otherwise.
bool ReadWholeFile(const std::string& path, std::string* bytes, std::string* why);

// The size of a file that ReadWholeFile could read, without reading it.
bool SizeOfReadableFile(const std::string& path, unsigned long long* size, std::string* why);

// A file or folder name as a description gives it (code page 1252) in the
// spelling of this system's file names: UTF-8 on Linux ("Résumé.txt" on disk
// is the UTF-8 name); on Windows the same bytes, which the ANSI file functions
// take in the system's code page, 1252 where the programs are used.
std::string HostFileName(const std::string& cp1252);

// A path of this system turned into code page 1252 for pack's messages.
std::string DisplayPath(const std::string& hostPath);

// Reads the first size bytes of a file piece by piece into piece() (which
// returns false to stop), without ever holding more than a few MB: mapped a
// window at a time where the system allows it, read into a buffer otherwise.
// False with a reason in *why when the file cannot be read or is shorter or
// longer than size (it changed since it was measured).
bool ReadFileInPieces(const std::string& path, unsigned long long size,
                      const std::function<bool(const uint8_t* bytes, size_t count)>& piece, std::string* why);
