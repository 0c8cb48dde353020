// Listing folders for the patterns of a description (see host_folders.h).
#include "host_folders.h"

#include <string.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <dirent.h>
#include <errno.h>
#include <sys/stat.h>
#endif

#include "cp1252.h"
#include "host_files.h"

std::string HostFolders::HostPathOf(const std::string& source) const {
    return HostPath(folder_, HostFileName(source));
}

std::string HostFolders::Join(const std::string& hostFolder, const std::string& name) const {
    return HostPath(hostFolder, name);
}

#ifdef _WIN32

namespace {

// What tells a file or folder apart from every other: the volume's serial
// number and the file index of a handle opened on it (FILE_FLAG_BACKUP_SEMANTICS
// opens a folder; a junction or link is followed to what it leads to). ""
// when it cannot be opened.
std::string IdentityOf(const std::string& path) {
    HANDLE handle = CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return "";
    BY_HANDLE_FILE_INFORMATION info;
    const bool known = GetFileInformationByHandle(handle, &info) != 0;
    CloseHandle(handle);
    if (!known) return "";
    const unsigned long long index = (static_cast<unsigned long long>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    return std::to_string(info.dwVolumeSerialNumber) + ":" + std::to_string(index);
}

// What FindFirstFile's data says of the entry at path; a folder gets its
// identity, so that a junction back to a folder above is found as a loop.
FolderEntry EntryOf(const WIN32_FIND_DATAA& data, const std::string& path) {
    FolderEntry entry;
    entry.name = data.cFileName;
    entry.kind = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? FolderEntry::kFolder : FolderEntry::kFile;
    if (entry.kind == FolderEntry::kFolder) entry.identity = IdentityOf(path);
    return entry;
}

}  // namespace

bool HostFolders::Describe(const std::string& hostPath, FolderEntry* entry) const {
    std::string why;
    PathKind kind = KindOfPath(hostPath, &why);
    if (kind == kPathMissing) return false;
    entry->kind = kind == kPathFolder ? FolderEntry::kFolder : kind == kPathFile ? FolderEntry::kFile
                                                                               : FolderEntry::kUnreadable;
    entry->why = why;
    entry->identity = kind == kPathFolder ? IdentityOf(hostPath) : "";
    return true;
}

bool HostFolders::List(const std::string& hostFolder, std::vector<FolderEntry>* entries, std::string* why) const {
    entries->clear();
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((hostFolder + "\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) {
        if (GetLastError() == ERROR_FILE_NOT_FOUND) return true;
        *why = LastSystemError();
        return false;
    }
    do {
        if (strcmp(data.cFileName, ".") == 0 || strcmp(data.cFileName, "..") == 0) continue;
        entries->push_back(EntryOf(data, Join(hostFolder, data.cFileName)));
    } while (FindNextFileA(find, &data));
    DWORD code = GetLastError();
    FindClose(find);
    if (code != ERROR_NO_MORE_FILES) {
        *why = LastSystemError();
        return false;
    }
    return true;
}

bool HostFolders::SameFile(const std::string& sourceA, const std::string& sourceB) const {
    const std::string a = IdentityOf(HostPathOf(sourceA));
    return !a.empty() && a == IdentityOf(HostPathOf(sourceB));
}

bool HostFolders::NameToCp1252(const std::string& hostName, std::string* cp1252) const {
    // The ANSI functions give names in the system's code page, 1252 where
    // the programs are used; a character that code page lacks comes back as '?'.
    *cp1252 = hostName;
    return hostName.find('?') == std::string::npos;
}

#else

namespace {

// An entry at path, links followed.
FolderEntry EntryAt(const std::string& path) {
    FolderEntry entry;
    struct stat info;
    if (stat(path.c_str(), &info) != 0) {
        const int code = errno;
        struct stat link;
        if (code == ELOOP) {
            entry.kind = FolderEntry::kLinkLoop;
        } else if ((code == ENOENT || code == ENOTDIR) && lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
            entry.kind = FolderEntry::kBrokenLink;
        } else {
            entry.kind = FolderEntry::kUnreadable;
            entry.why = strerror(code);
        }
        return entry;
    }
    if (S_ISDIR(info.st_mode)) {
        entry.kind = FolderEntry::kFolder;
        entry.identity = std::to_string(static_cast<unsigned long long>(info.st_dev)) + ":" +
                         std::to_string(static_cast<unsigned long long>(info.st_ino));
    } else if (S_ISREG(info.st_mode)) {
        entry.kind = FolderEntry::kFile;
    } else {
        entry.kind = FolderEntry::kUnreadable;
        entry.why = "neither a file nor a folder (a device, a pipe or a socket)";
    }
    return entry;
}

}  // namespace

bool HostFolders::Describe(const std::string& hostPath, FolderEntry* entry) const {
    struct stat link;
    if (lstat(hostPath.c_str(), &link) != 0) return false;
    *entry = EntryAt(hostPath);
    return true;
}

bool HostFolders::List(const std::string& hostFolder, std::vector<FolderEntry>* entries, std::string* why) const {
    entries->clear();
    DIR* folder = opendir(hostFolder.c_str());
    if (!folder) {
        *why = strerror(errno);
        return false;
    }
    errno = 0;
    while (struct dirent* item = readdir(folder)) {
        if (strcmp(item->d_name, ".") == 0 || strcmp(item->d_name, "..") == 0) continue;
        FolderEntry entry;
        // Plain files and folders as the listing tells, without asking again;
        // links and what the listing does not know are looked at.
        const std::string path = Join(hostFolder, item->d_name);
        if (item->d_type == DT_REG) {
            entry.kind = FolderEntry::kFile;
        } else {
            entry = EntryAt(path);
        }
        entry.name = item->d_name;
        entries->push_back(entry);
        errno = 0;
    }
    const int code = errno;
    closedir(folder);
    if (code != 0) {
        *why = strerror(code);
        return false;
    }
    return true;
}

bool HostFolders::SameFile(const std::string& sourceA, const std::string& sourceB) const {
    struct stat a;
    struct stat b;
    return stat(HostPathOf(sourceA).c_str(), &a) == 0 && stat(HostPathOf(sourceB).c_str(), &b) == 0 &&
           a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

bool HostFolders::NameToCp1252(const std::string& hostName, std::string* cp1252) const {
    if (!HasNonAscii(hostName)) {
        *cp1252 = hostName;
        return true;
    }
    // A name that is not UTF-8 was written in code page 1252 (unpacked from an
    // old archive): the description's reader finds such names too.
    if (!IsValidUtf8(hostName)) {
        *cp1252 = hostName;
        return true;
    }
    int badLine = 0;
    uint32_t codePoint = 0;
    *cp1252 = Utf8ToCp1252(hostName, &badLine, &codePoint);
    return badLine == 0;
}

#endif
