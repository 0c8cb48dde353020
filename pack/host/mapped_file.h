// A file mapped whole into memory, read-only: its bytes are read from the file
// as they are touched, so a package of any size is looked at without a copy.
// A file cut short or unreadable while it is mapped (another program truncates
// it, a network drive goes away) cannot crash pack: touching the bytes that
// are gone ends pack with the "cannot be read" message and exit code 2.
#pragma once

#include <stdint.h>

#include <string>

class MappedFile {
public:
    MappedFile() = default;
    ~MappedFile();
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    // Maps path. False with the reason in *why when it cannot be opened or
    // read; throws std::bad_alloc when the address space has no room for it.
    // An empty file maps to no bytes (data() is null).
    bool Open(const std::string& path, std::string* why);

    const uint8_t* data() const { return data_; }
    uint64_t size() const { return size_; }

    // Gives back the memory of the pages of [offset, offset + count) that were
    // read: touched again, they are read from the file again. Keeps the
    // memory of a pass over a large file to a few pages.
    void Release(uint64_t offset, uint64_t count) const;

private:
    void Guard(const std::string& path);
    void Unguard();

    const uint8_t* data_ = nullptr;
    uint64_t size_ = 0;
    void* mapping_ = nullptr;  // Windows: the file mapping object
    std::string lostMessage_;  // what pack says when the bytes cannot be read any more
};
