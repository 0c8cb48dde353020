// The file-system questions of pack, answered by Win32 or by POSIX.
#include "host_files.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <errno.h>
#include <limits.h>
#include <stdlib.h>
#include <string.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <stdio.h>

#include <algorithm>

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

namespace {

// The size of an open file, -1 when the system cannot tell.
long long SizeOfOpenFile(FILE* file) {
#ifdef _WIN32
    long long size = _fseeki64(file, 0, SEEK_END) == 0 ? _ftelli64(file) : -1;
    if (_fseeki64(file, 0, SEEK_SET) != 0) return -1;
#else
    long long size = fseeko(file, 0, SEEK_END) == 0 ? static_cast<long long>(ftello(file)) : -1;
    if (fseeko(file, 0, SEEK_SET) != 0) return -1;
#endif
    return size;
}

// Opens a file to read it whole; its size goes to *size. Null with a reason
// in *why when it is missing, a folder, unreadable or too large.
FILE* OpenWhole(const std::string& path, unsigned long long* size, std::string* why) {
    std::string reason;
    switch (KindOfPath(path, &reason)) {
    case kPathMissing:
        *why = "not found";
        return nullptr;
    case kPathUnreadable:
        *why = "cannot be read: " + reason;
        return nullptr;
    case kPathFolder:
        *why = "is a folder, not a file";
        return nullptr;
    case kPathFile:
        break;
    }
    FILE* file = fopen(path.c_str(), "rb");
    if (!file) {
        *why = "cannot be opened: " + LastSystemError();
        return nullptr;
    }
    long long length = SizeOfOpenFile(file);
    if (length < 0) {
        fclose(file);
        *why = "cannot be read: its size is unknown";
        return nullptr;
    }
    if (static_cast<unsigned long long>(length) > kMaxFileBytes) {
        fclose(file);
        *why = "is " + std::to_string(length) + " bytes, too large for a package (at most 2 GB, " +
               std::to_string(kMaxFileBytes) + " bytes, a file)";
        return nullptr;
    }
    *size = static_cast<unsigned long long>(length);
    return file;
}

}  // namespace

bool ReadWholeFile(const std::string& path, std::string* bytes, std::string* why) {
    bytes->clear();
    unsigned long long size = 0;
    FILE* file = OpenWhole(path, &size, why);
    if (!file) return false;
    bytes->resize(static_cast<size_t>(size));
    bool read = bytes->empty() || fread(&(*bytes)[0], 1, bytes->size(), file) == bytes->size();
    fclose(file);
    if (!read) {
        bytes->clear();
        *why = "could not be read to its end";
        return false;
    }
    return true;
}

bool SizeOfReadableFile(const std::string& path, unsigned long long* size, std::string* why) {
    FILE* file = OpenWhole(path, size, why);
    if (!file) return false;
    // The first byte is read, so that a file that opens but cannot be read is found now.
    bool readable = *size == 0 || fgetc(file) != EOF;
    fclose(file);
    if (!readable) *why = "could not be read";
    return readable;
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

namespace {

const char kChanged[] = " is not the size it had when it was listed: did it change meanwhile?";

}  // namespace

#ifdef _WIN32
bool ReadFileInPieces(const std::string& path, unsigned long long size,
                      const std::function<bool(const uint8_t* bytes, size_t count)>& piece, std::string* why) {
    FILE* in = fopen(path.c_str(), "rb");
    if (!in) {
        *why = "cannot open " + path + " (" + LastSystemError() + ")";
        return false;
    }
    std::string buffer(1 << 20, '\0');
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(buffer.data());
    unsigned long long left = size;
    bool ok = true;
    while (ok && left > 0) {
        size_t want = static_cast<size_t>(std::min<unsigned long long>(left, buffer.size()));
        if (fread(&buffer[0], 1, want, in) != want) {
            *why = path + kChanged;
            ok = false;
        } else {
            ok = piece(bytes, want);
            left -= want;
        }
    }
    if (ok && fgetc(in) != EOF) {
        *why = path + kChanged;
        ok = false;
    }
    fclose(in);
    return ok;
}
#else
// Mapped 16 MB at a time: the page cache's pages, not a copy of them.
bool ReadFileInPieces(const std::string& path, unsigned long long size,
                      const std::function<bool(const uint8_t* bytes, size_t count)>& piece, std::string* why) {
    const unsigned long long kWindow = 16ull << 20;
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        *why = "cannot open " + DisplayPath(path) + " (" + LastSystemError() + ")";
        return false;
    }
    struct stat info;
    bool ok = fstat(fd, &info) == 0 && static_cast<unsigned long long>(info.st_size) == size;
    if (!ok) *why = DisplayPath(path) + kChanged;
    for (unsigned long long at = 0; ok && at < size; at += kWindow) {
        size_t count = static_cast<size_t>(std::min(kWindow, size - at));
        void* mapped = mmap(nullptr, count, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, static_cast<off_t>(at));
        if (mapped == MAP_FAILED) {
            *why = "cannot read " + DisplayPath(path) + " (" + LastSystemError() + ")";
            ok = false;
            break;
        }
        madvise(mapped, count, MADV_SEQUENTIAL);
        ok = piece(static_cast<const uint8_t*>(mapped), count);
        munmap(mapped, count);
    }
    close(fd);
    return ok;
}
#endif
