// What the uninstaller tests share: install logs built with the portable
// writer, copies of uninst.exe that carry them, scratch installations and the
// uninstall registry key.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>
#include <string.h>

#include <string>
#include <vector>

#include "install_log.h"
#include "package_writer.h"
#include "test_env.h"

namespace uninsttest {

inline LogEntry Entry(const std::string& path, int kind) {
    LogEntry e = {};
    strncpy(e.path, path.c_str(), sizeof(e.path) - 1);
    e.kind = kind;
    return e;
}

// The bytes of an install log; count overrides N when given (the entries
// written stay the given ones).
inline std::string LogBytes(const std::string& appName, const std::string& appVerName,
                            const std::vector<LogEntry>& entries, const std::string& reserved = "",
                            const int32_t* count = nullptr) {
    std::string bytes(kLogHeadSize, '\0');
    EncodeLogHead(reinterpret_cast<uint8_t*>(&bytes[0]), appName.c_str(), appVerName.c_str(),
                  count ? *count : static_cast<int32_t>(entries.size()));
    for (const LogEntry& e : entries) {
        std::string one(kLogEntrySize, '\0');
        EncodeLogEntry(reinterpret_cast<uint8_t*>(&one[0]), e);
        bytes += one;
    }
    std::string tail(kLogTailSize, '\0');
    EncodeLogTail(reinterpret_cast<uint8_t*>(&tail[0]), reserved.c_str());
    return bytes + tail;
}

// Copies the built uninst.exe to path and, unless log is null, embeds the log
// as RT_DATA "5000" the way setup does.
inline void MakeUninstaller(const std::string& path, const std::string* log) {
    ASSERT_TRUE(CopyFileA(testenv::Program("uninst.exe").c_str(), path.c_str(), FALSE)) << path;
    if (!log) return;
    std::string error;
    ASSERT_TRUE(UpdateProgramResource(path, "RT_DATA", "5000", *log, &error)) << error;
}

inline void Touch(const std::string& path, const std::string& bytes = "x") {
    ASSERT_TRUE(testenv::WriteFileBytes(path, bytes)) << path;
}

inline std::string UninstallKey(const std::string& appName) {
    return "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + appName;
}

// Writes the registration as setup does (default view, KEY_WRITE).
inline void Register(const std::string& appName, REGSAM view = 0) {
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, UninstallKey(appName).c_str(), 0, nullptr,
                                             REG_OPTION_NON_VOLATILE, KEY_WRITE | view, nullptr, &key, nullptr));
    const char name[] = "test";
    RegSetValueExA(key, "DisplayName", 0, REG_SZ, reinterpret_cast<const BYTE*>(name), sizeof(name));
    RegCloseKey(key);
}

inline bool Registered(const std::string& appName, REGSAM view = 0) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, UninstallKey(appName).c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

// Removes a key a test made, whatever the test's outcome.
class KeyGuard {
public:
    explicit KeyGuard(const std::string& appName, REGSAM view = 0) : appName_(appName), view_(view) {}
    ~KeyGuard() {
        RegDeleteKeyExA(HKEY_LOCAL_MACHINE, UninstallKey(appName_).c_str(), view_, 0);
    }

private:
    std::string appName_;
    REGSAM view_;
};

// A name no other test or program uses.
inline std::string UniqueName(const std::string& tag) {
    return "CtUninst" + tag + std::to_string(GetCurrentProcessId());
}

}  // namespace uninsttest
