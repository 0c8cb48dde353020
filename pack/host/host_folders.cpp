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

// What FindFirstFile's data says of an entry. A folder's identity is its
// full path: Windows has no cheap number for it, and the full path of a
// folder reached again through a junction grows, so a loop ends at the
// longest path Windows takes (reported as a folder that cannot be read).
FolderEntry EntryOf(const WIN32_FIND_DATAA& data) {
    FolderEntry entry;
    entry.name = data.cFileName;
    entry.kind = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? FolderEntry::kFolder : FolderEntry::kFile;
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
        entries->push_back(EntryOf(data));
    } while (FindNextFileA(find, &data));
    DWORD code = GetLastError();
    FindClose(find);
    if (code != ERROR_NO_MORE_FILES) {
        *why = LastSystemError();
        return false;
    }
    return true;
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
