// Mapping a file for reading, through Win32 or POSIX.
#include "mapped_file.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <errno.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <new>

#include "host_files.h"

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
    if (data_) return true;
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
