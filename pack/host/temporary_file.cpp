// Temporary files: in the user's temporary folder on Windows, tmpfile() on Linux.
#include "temporary_file.h"

#ifdef _WIN32
#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <stdint.h>
#endif

#include "host_files.h"

#ifdef _WIN32

FILE* OpenTemporaryFile(std::string* why) {
    wchar_t folder[MAX_PATH + 1];
    wchar_t name[MAX_PATH + 1];
    DWORD length = GetTempPathW(MAX_PATH + 1, folder);
    if (length == 0 || length > MAX_PATH) {
        *why = length == 0 ? LastSystemError() : "the temporary folder's path is too long";
        return nullptr;
    }
    // GetTempFileName makes an empty file of a new name; it is opened again to
    // be deleted when its handle closes, and shared with no one meanwhile.
    if (!GetTempFileNameW(folder, L"pak", 0, name)) {
        *why = LastSystemError() + "; the temporary folder is the one TMP or TEMP names";
        return nullptr;
    }
    HANDLE handle = CreateFileW(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                                FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        *why = LastSystemError();
        DeleteFileW(name);
        return nullptr;
    }
    int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDWR | _O_BINARY);
    if (descriptor == -1) {
        *why = "cannot use the temporary file";
        CloseHandle(handle);
        return nullptr;
    }
    FILE* file = _fdopen(descriptor, "w+b");
    if (!file) {
        *why = "cannot use the temporary file";
        _close(descriptor);
    }
    return file;
}

#else

FILE* OpenTemporaryFile(std::string* why) {
    FILE* file = tmpfile();
    if (!file) *why = LastSystemError();
    return file;
}

#endif
