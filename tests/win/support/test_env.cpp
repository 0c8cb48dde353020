// Paths and scratch folders of the Win32 tests.
#include "test_env.h"

#include "folder_links.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

namespace testenv {

namespace {

std::string FromEnv(const char* name) {
    char value[MAX_PATH] = "";
    DWORD n = GetEnvironmentVariableA(name, value, sizeof(value));
    std::string text = n > 0 && n < sizeof(value) ? value : "";
    for (char& c : text) {
        if (c == '/') c = '\\';
    }
    while (!text.empty() && text.back() == '\\') text.pop_back();
    return text;
}

}  // namespace

std::string BinDir() { return FromEnv("TEST_BIN_DIR"); }
std::string Program(const std::string& name) { return BinDir() + "\\" + name; }
std::string SourceDir() { return FromEnv("TEST_SOURCE_DIR"); }

std::string ArtefactDir() {
    std::string dir = BinDir() + "\\..\\artefacts";
    CreateDirectoryA(dir.c_str(), nullptr);
    return dir;
}

ScratchDir::ScratchDir(const std::string& tag) {
    char temp[MAX_PATH];
    GetTempPathA(sizeof(temp), temp);
    static int counter = 0;
    path_ = std::string(temp) + "ct_" + tag + "_" + std::to_string(GetCurrentProcessId()) + "_" +
            std::to_string(++counter);
    RemoveTree(path_);
    CreateDirectoryA(path_.c_str(), nullptr);
}

ScratchDir::~ScratchDir() { RemoveTree(path_); }

bool RemoveTree(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return true;
    // A link goes itself; what it leads to is not the test's to remove.
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        return wintest::RemoveFolderLink(path);
    }
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        return DeleteFileA(path.c_str()) != 0;
    }
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name != "." && name != "..") RemoveTree(path + "\\" + name);
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    return RemoveDirectoryA(path.c_str()) != 0;
}

namespace {

void CollectFiles(const std::string& folder, const std::string& relative, std::vector<std::string>* files) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + (relative.empty() ? "" : "\\" + relative) + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        std::string name = found.cFileName;
        if (name == "." || name == "..") continue;
        std::string path = relative.empty() ? name : relative + "\\" + name;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            CollectFiles(folder, path, files);
        } else {
            files->push_back(path);
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

}  // namespace

std::vector<std::string> FilesBelow(const std::string& folder) {
    std::vector<std::string> files;
    CollectFiles(folder, "", &files);
    std::sort(files.begin(), files.end());
    return files;
}

bool FileExists(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string ReadFileBytes(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "";
    std::string bytes;
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &got, nullptr) && got > 0) bytes.append(buffer, got);
    CloseHandle(file);
    return bytes;
}

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size();
}

void MakePackage(const std::string& path, const PackageContents& contents) {
    std::string error;
    ASSERT_TRUE(WritePackage(Program("setup.exe"), path, contents, &error)) << error;
}

ScopedVariable::ScopedVariable(const char* name, const std::string& value) : name_(name) {
    std::vector<char> old(32768);
    DWORD n = GetEnvironmentVariableA(name, old.data(), static_cast<DWORD>(old.size()));
    had_ = n > 0 && n < old.size();
    if (had_) old_.assign(old.data(), n);
    SetEnvironmentVariableA(name, value.c_str());
}

ScopedVariable::~ScopedVariable() { SetEnvironmentVariableA(name_, had_ ? old_.c_str() : nullptr); }

}  // namespace testenv
