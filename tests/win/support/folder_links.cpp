// Folder links made through the system, or through the host's ln under Wine.
#include "folder_links.h"

#include <windows.h>

#include <vector>

#include "gui_driver.h"

namespace wintest {

namespace {

bool IsLink(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

bool Gone(const std::string& path) { return GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES; }

// Wine's name of a path on the host's file system ("" elsewhere).
std::string HostPath(const std::string& path) {
    typedef char*(__cdecl * UnixName)(const wchar_t*);
    auto toUnix = reinterpret_cast<UnixName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (!toUnix) return "";
    std::vector<wchar_t> wide(path.size() + 1);
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide.data(), static_cast<int>(wide.size()));
    char* unix = toUnix(wide.data());
    if (!unix) return "";
    std::string result = unix;
    HeapFree(GetProcessHeap(), 0, unix);
    return result;
}

// Starts a program of the host. Wine starts them without a handle to wait
// on: the caller waits for what the program does.
bool RunHostProgram(std::string command) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        return false;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

bool HostLink(const std::string& link, const std::string& target) {
    std::string from = HostPath(target), to = HostPath(link);
    if (from.empty() || to.empty()) return false;
    return RunHostProgram("Z:\\bin\\ln -s \"" + from + "\" \"" + to + "\"") &&
           gui::WaitFor([&] { return IsLink(link); }, 10000);
}

}  // namespace

bool RemoveFolderLink(const std::string& link) {
    if (!IsLink(link)) return Gone(link);
    // Wine's RemoveDirectory would take the empty folder behind the link along
    // and leave the link: there the host's rm removes the link alone.
    std::string host = HostPath(link);
    if (host.empty()) return RemoveDirectoryA(link.c_str()) != 0;
    return RunHostProgram("Z:\\bin\\rm \"" + host + "\"") && gui::WaitFor([&] { return Gone(link); }, 10000);
}

FolderLink::FolderLink(const std::string& link, const std::string& target) : link_(link) {
    // SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE (2) lets Windows 10 in
    // developer mode make links without administrator rights.
    made_ = (CreateSymbolicLinkA(link.c_str(), target.c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY | 2) && IsLink(link)) ||
            HostLink(link, target);
}

FolderLink::~FolderLink() {
    if (made_) RemoveFolderLink(link_);
}

}  // namespace wintest
