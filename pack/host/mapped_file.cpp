// Mapping a file for reading, through Win32 or POSIX.
#include "mapped_file.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <new>

#include "console.h"
#include "host_files.h"

namespace {

// The mappings open now, each with what pack says when its bytes cannot be
// read. A fault handler may only look at plain memory: a fixed table.
struct GuardedRange {
    const uint8_t* begin;
    uint64_t size;
    const std::string* message;
};
const int kGuardedRanges = 16;
GuardedRange g_guarded[kGuardedRanges];

// The message of the mapping that holds address; null when none does.
const std::string* LostMessageAt(const void* address) {
    const uint8_t* at = static_cast<const uint8_t*>(address);
    for (const GuardedRange& range : g_guarded) {
        if (range.begin && at >= range.begin && static_cast<uint64_t>(at - range.begin) < range.size) {
            return range.message;
        }
    }
    return nullptr;
}

#ifdef _WIN32

// A page of a mapped file that cannot be read in (the file was cut short,
// its drive went away) raises an in-page error at the access. A read of a
// read-only view has no other way to fault, so an access violation there
// (what some systems raise for a page cut off) is the same failure.
LONG CALLBACK OnUnreadablePage(EXCEPTION_POINTERS* pointers) {
    const EXCEPTION_RECORD* record = pointers->ExceptionRecord;
    const DWORD code = record->ExceptionCode;
    if ((code != EXCEPTION_IN_PAGE_ERROR && code != EXCEPTION_ACCESS_VIOLATION) || record->NumberParameters < 2) {
        return EXCEPTION_CONTINUE_SEARCH;
    }
    const std::string* message = LostMessageAt(reinterpret_cast<const void*>(record->ExceptionInformation[1]));
    if (!message) return EXCEPTION_CONTINUE_SEARCH;
    PrintErr(*message);
    ExitProcess(2);
    return EXCEPTION_CONTINUE_SEARCH;
}

void WatchLostPages() {
    static bool watching = false;
    if (!watching) watching = AddVectoredExceptionHandler(1, OnUnreadablePage) != nullptr;
}

#else

// Touching a page of a mapping past the end of its file raises SIGBUS. Only
// what may run in a signal handler: write and _exit.
void OnBusError(int signal, siginfo_t* info, void*) {
    if (const std::string* message = LostMessageAt(info->si_addr)) {
        const ssize_t written = write(STDERR_FILENO, message->data(), message->size());
        (void)written;
        _exit(2);
    }
    // Not a mapped file's: back to the usual end, which the access that
    // faulted meets again when the handler returns.
    struct sigaction usual = {};
    usual.sa_handler = SIG_DFL;
    sigaction(signal, &usual, nullptr);
}

void WatchLostPages() {
    struct sigaction action = {};
    action.sa_sigaction = OnBusError;
    action.sa_flags = SA_SIGINFO;
    sigemptyset(&action.sa_mask);
    sigaction(SIGBUS, &action, nullptr);
}

#endif

}  // namespace

void MappedFile::Guard(const std::string& path) {
    // In the words of the other failures to read a file; Linux paths and
    // messages are UTF-8 already, the Windows console takes code page 1252.
    lostMessage_ = "pack: " + path + ": cannot be read: it was cut short or became unreadable while pack read it\n";
    WatchLostPages();
    for (GuardedRange& range : g_guarded) {
        if (!range.begin) {
            range = {data_, size_, &lostMessage_};
            return;
        }
    }
}

void MappedFile::Unguard() {
    if (!data_) return;
    for (GuardedRange& range : g_guarded) {
        if (range.begin == data_) range = {};
    }
}

namespace {

// What is at path, in the words pack uses for any file it reads.
bool IsReadableFile(const std::string& path, std::string* why) {
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
    return true;
}

}  // namespace

#ifdef _WIN32

MappedFile::~MappedFile() {
    Unguard();
    if (data_) UnmapViewOfFile(data_);
    if (mapping_) CloseHandle(mapping_);
}

bool MappedFile::Open(const std::string& path, std::string* why) {
    if (!IsReadableFile(path, why)) return false;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        *why = "cannot be opened: " + LastSystemError();
        return false;
    }
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file, &size)) {
        *why = "cannot be read: " + LastSystemError();
        CloseHandle(file);
        return false;
    }
    size_ = static_cast<uint64_t>(size.QuadPart);
    if (size_ == 0) {
        CloseHandle(file);
        return true;
    }
    if (size_ > static_cast<SIZE_T>(-1)) {
        CloseHandle(file);
        throw std::bad_alloc();
    }
    mapping_ = CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
    if (mapping_) data_ = static_cast<const uint8_t*>(MapViewOfFile(mapping_, FILE_MAP_READ, 0, 0, 0));
    DWORD code = data_ ? 0 : GetLastError();
    CloseHandle(file);
    if (data_) {
        Guard(path);
        return true;
    }
    if (code == ERROR_NOT_ENOUGH_MEMORY || code == ERROR_COMMITMENT_LIMIT) throw std::bad_alloc();
    SetLastError(code);
    *why = "cannot be read: " + LastSystemError();
    return false;
}

void MappedFile::Release(uint64_t offset, uint64_t count) const {
    // Unlocking pages that are not locked takes them out of the working set.
    if (data_ && offset < size_) VirtualUnlock(const_cast<uint8_t*>(data_ + offset), static_cast<SIZE_T>(count));
}

#else

MappedFile::~MappedFile() {
    Unguard();
    if (data_) munmap(const_cast<uint8_t*>(data_), static_cast<size_t>(size_));
}

bool MappedFile::Open(const std::string& path, std::string* why) {
    if (!IsReadableFile(path, why)) return false;
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        *why = "cannot be opened: " + LastSystemError();
        return false;
    }
    struct stat info;
    if (fstat(fd, &info) != 0) {
        *why = "cannot be read: " + LastSystemError();
        close(fd);
        return false;
    }
    size_ = static_cast<uint64_t>(info.st_size);
    if (size_ == 0) {
        close(fd);
        return true;
    }
    if (size_ > static_cast<size_t>(-1)) {
        close(fd);
        throw std::bad_alloc();
    }
    void* mapped = mmap(nullptr, static_cast<size_t>(size_), PROT_READ, MAP_SHARED, fd, 0);
    int code = errno;
    close(fd);
    if (mapped == MAP_FAILED) {
        if (code == ENOMEM) throw std::bad_alloc();
        errno = code;
        *why = "cannot be read: " + LastSystemError();
        return false;
    }
    data_ = static_cast<const uint8_t*>(mapped);
    Guard(path);
    return true;
}

void MappedFile::Release(uint64_t offset, uint64_t count) const {
    if (!data_ || offset >= size_) return;
    // Whole pages inside the range only: the neighbours may still be in use.
    const uint64_t page = static_cast<uint64_t>(sysconf(_SC_PAGESIZE));
    uint64_t first = (offset + page - 1) / page * page;
    uint64_t end = std::min<uint64_t>(offset + count, size_) / page * page;
    if (end > first) madvise(const_cast<uint8_t*>(data_ + first), static_cast<size_t>(end - first), MADV_DONTNEED);
}

#endif
