// The file-system questions of pack, answered by Win32 or by POSIX.
#include "host_files.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <errno.h>
#include <limits.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <stdio.h>

#include "cp1252.h"

namespace {

// Largest file pack reads whole: sizes are stored as signed 32-bit numbers.
const unsigned long long kMaxFileBytes = 0x7FFFFFFF;

#ifdef _WIN32
std::string SystemMessage(DWORD code) {
    char text[512] = "";
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                             sizeof(text), nullptr);
    std::string message = n ? std::string(text, n) : "error " + std::to_string(code);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == '.' ||
                                message.back() == ' ')) {
        message.pop_back();
    }
    return message;
}
#endif

}  // namespace

#ifdef _WIN32

PathKind KindOfPath(const std::string& path, std::string* why) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        DWORD code = GetLastError();
        if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) return kPathMissing;
        if (why) *why = SystemMessage(code);
        return kPathUnreadable;
    }
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? kPathFolder : kPathFile;
}

std::string FullPath(const std::string& path) {
    char full[MAX_PATH];
    DWORD n = GetFullPathNameA(path.c_str(), sizeof(full), full, nullptr);
    return n > 0 && n < sizeof(full) ? std::string(full) : path;
}

bool SamePath(const std::string& a, const std::string& b) {
    return lstrcmpiA(FullPath(a).c_str(), FullPath(b).c_str()) == 0;
}

std::string OwnProgramPath() {
    char self[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, self, sizeof(self));
    return n > 0 && n < sizeof(self) ? std::string(self, n) : "";
}

std::string LastSystemError() { return SystemMessage(GetLastError()); }

bool RenameReplacing(const std::string& from, const std::string& to, std::string* why) {
    if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
    *why = LastSystemError();
    return false;
}

bool IsAbsolutePath(const std::string& path) {
    return (path.size() >= 2 && path[1] == ':') || (!path.empty() && (path[0] == '\\' || path[0] == '/'));
}

#else

PathKind KindOfPath(const std::string& path, std::string* why) {
    struct stat info;
    if (stat(path.c_str(), &info) != 0) {
        if (errno == ENOENT || errno == ENOTDIR) return kPathMissing;
        if (why) *why = strerror(errno);
        return kPathUnreadable;
    }
    return S_ISDIR(info.st_mode) ? kPathFolder : kPathFile;
}

std::string FullPath(const std::string& path) {
    char full[PATH_MAX];
    if (realpath(path.c_str(), full)) return full;
    // A file not made yet: the full form of its folder, then its name.
    std::string folder = FolderOfPath(path);
    std::string name = path.substr(folder.empty() ? 0 : folder.size() + 1);
    if (realpath(folder.empty() ? "." : folder.c_str(), full)) return std::string(full) + "/" + name;
    return path;
}

bool SamePath(const std::string& a, const std::string& b) { return FullPath(a) == FullPath(b); }

std::string OwnProgramPath() {
    char self[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", self, sizeof(self) - 1);
    return n > 0 ? std::string(self, static_cast<size_t>(n)) : "";
}

std::string LastSystemError() { return strerror(errno); }

bool RenameReplacing(const std::string& from, const std::string& to, std::string* why) {
    if (rename(from.c_str(), to.c_str()) == 0) return true;
    *why = LastSystemError();
    return false;
}

bool IsAbsolutePath(const std::string& path) { return !path.empty() && path[0] == '/'; }

#endif

std::string FolderOfPath(const std::string& path) {
    size_t slash = path.find_last_of("/\\");
    if (slash == std::string::npos) return "";
    return path.substr(0, slash);
}

std::string HostPath(const std::string& folder, const std::string& source) {
#ifdef _WIN32
    const char separator = '\\';
#else
    const char separator = '/';
#endif
    std::string path = IsAbsolutePath(source) || folder.empty() ? source : folder + separator + source;
    for (char& c : path) {
        if (c == '/' || c == '\\') c = separator;
    }
    return path;
}

bool ReadWholeFile(const std::string& path, std::string* bytes, std::string* why) {
    bytes->clear();
    std::string reason;
    switch (KindOfPath(path, &reason)) {
    case kPathMissing:
        *why = "not found";
        return false;
    case kPathUnreadable:
        *why = "cannot be read: " + reason;
        return false;
    case kPathFolder:
        *why = "is a folder, not a file";
        return false;
    case kPathFile:
        break;
    }
    FILE* file = fopen(path.c_str(), "rb");
    if (!file) {
        *why = "cannot be opened: " + LastSystemError();
        return false;
    }
    // A size ftell cannot give (past 2 GB where long has 32 bits) is too large too.
    long size = fseek(file, 0, SEEK_END) == 0 ? ftell(file) : -1;
    if (size < 0 || static_cast<unsigned long long>(size) > kMaxFileBytes) {
        fclose(file);
        *why = "is too large for a package (at most 2 GB)";
        return false;
    }
    bytes->resize(static_cast<size_t>(size));
    bool read = fseek(file, 0, SEEK_SET) == 0 &&
                (bytes->empty() || fread(&(*bytes)[0], 1, bytes->size(), file) == bytes->size());
    fclose(file);
    if (!read) {
        bytes->clear();
        *why = "could not be read to its end";
        return false;
    }
    return true;
}

#ifdef _WIN32
std::string HostFileName(const std::string& cp1252) { return cp1252; }
std::string DisplayPath(const std::string& hostPath) { return hostPath; }
#else
std::string HostFileName(const std::string& cp1252) { return Cp1252ToUtf8(cp1252); }
std::string DisplayPath(const std::string& hostPath) {
    if (!HasNonAscii(hostPath) || !IsValidUtf8(hostPath)) return hostPath;
    int badLine = 0;
    uint32_t badCodePoint = 0;
    return Utf8ToCp1252(hostPath, &badLine, &badCodePoint);
}
#endif
