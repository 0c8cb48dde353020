// Writing code page 1252 text to the standard handles.
#include "console.h"

#ifdef _WIN32
#include <windows.h>
#endif

#include <stdio.h>

#include "cp1252.h"

namespace {

#ifdef _WIN32

void Write(DWORD which, const std::string& text) {
    HANDLE handle = GetStdHandle(which);
    if (handle == INVALID_HANDLE_VALUE || handle == nullptr) return;
    DWORD mode = 0;
    if (GetConsoleMode(handle, &mode)) {
        int length = MultiByteToWideChar(1252, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
        if (length > 0) {
            std::wstring wide(static_cast<size_t>(length), L'\0');
            MultiByteToWideChar(1252, 0, text.data(), static_cast<int>(text.size()), &wide[0], length);
            DWORD written = 0;
            WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
        }
        return;
    }
    std::string utf8 = Cp1252ToUtf8(text);
    size_t done = 0;
    while (done < utf8.size()) {
        DWORD written = 0;
        if (!WriteFile(handle, utf8.data() + done, static_cast<DWORD>(utf8.size() - done), &written, nullptr) ||
            written == 0) {
            return;
        }
        done += written;
    }
}

#endif

}  // namespace

#ifdef _WIN32
void PrintOut(const std::string& text) { Write(STD_OUTPUT_HANDLE, text); }
void PrintErr(const std::string& text) { Write(STD_ERROR_HANDLE, text); }
#else
// Elsewhere the terminal and pipes take UTF-8.
void PrintOut(const std::string& text) {
    std::string utf8 = Cp1252ToUtf8(text);
    fwrite(utf8.data(), 1, utf8.size(), stdout);
    fflush(stdout);
}
void PrintErr(const std::string& text) {
    std::string utf8 = Cp1252ToUtf8(text);
    fwrite(utf8.data(), 1, utf8.size(), stderr);
}
#endif

std::string Field(const char* key, const std::string& value) {
    char line[64];
    snprintf(line, sizeof(line), "  %-17s ", key);
    return line + value + "\n";
}
