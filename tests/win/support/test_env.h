// Where the Win32 tests find the built programs, and scratch folders for them.
#pragma once

#include <string>
#include <vector>

#include "package_writer.h"

namespace testenv {

// Folder of the built programs (TEST_BIN_DIR), with a trailing backslash removed.
std::string BinDir();
// Path of a built program, e.g. Program("setup.exe").
std::string Program(const std::string& name);
// Folder of the sources (TEST_SOURCE_DIR).
std::string SourceDir();

// Folder of the kept test artefacts (<build>/win/artefacts), made if missing.
std::string ArtefactDir();

// A fresh empty folder below the Windows temporary folder, removed with
// everything in it when the object goes.
class ScratchDir {
public:
    explicit ScratchDir(const std::string& tag);
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

private:
    std::string path_;
};

// Removes a folder tree (files first, read-only ones too). Returns true when gone.
bool RemoveTree(const std::string& path);
bool FileExists(const std::string& path);
bool FolderExists(const std::string& path);
// The files below a folder, as paths relative to it ('\' separated), sorted.
std::vector<std::string> FilesBelow(const std::string& folder);
// Whole content of a file ("" when unreadable); WriteFile replaces a file.
std::string ReadFileBytes(const std::string& path);
bool WriteFileBytes(const std::string& path, const std::string& bytes);

// Writes a package built on the real setup.exe into path; fails the test on error.
void MakePackage(const std::string& path, const PackageContents& contents);

// Sets an environment variable, which the programs started from now on
// inherit, and restores its former value when it goes.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const std::string& value);
    ~ScopedVariable();
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    const char* name_;
    bool had_ = false;
    std::string old_;
};

}  // namespace testenv
