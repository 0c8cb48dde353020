// Readers for what an installation leaves behind and makers of what an
// uninstaller finds: install logs (built with the shared encoder, or read back
// from uninst.exe), program resources, shortcuts, the uninstall key, and the
// cleanup of everything a test makes outside its scratch folders; and the check
// of a message box a program shows.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "gui_driver.h"
#include "install_log.h"
#include "records.h"
#include "test_env.h"

namespace wintest {

extern const char kUninstallRoot[];

// A name no other test run uses, for shortcuts and the uninstall key.
std::string UniqueName(const std::string& tag);

std::string ShellFolder(int csidl);
std::string DesktopLink(const std::string& name);
std::string ProgramsGroup(const std::string& group);
std::string StartMenuGroup(const std::string& group);

// Removes the shortcuts and the uninstall keys (for every user and for this
// user) of an application, now and when
// the object goes, so that no test leaves anything outside its scratch folder.
class SystemCleanup {
public:
    SystemCleanup(const std::string& appName, const std::string& group) : app_(appName), group_(group) { Clean(); }
    ~SystemCleanup() { Clean(); }
    void Clean() const;

private:
    std::string app_, group_;
};

// A program file opened for its resources alone (LOAD_LIBRARY_AS_DATAFILE),
// freed when the object goes.
class DataModule {
public:
    explicit DataModule(const std::string& path)
        : module_(LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE)) {}
    ~DataModule() {
        if (module_) FreeLibrary(module_);
    }
    DataModule(const DataModule&) = delete;
    DataModule& operator=(const DataModule&) = delete;
    HMODULE get() const { return module_; }
    // The bytes of a resource ("" when missing); *found says whether it is there.
    std::string Resource(const char* type, const char* name, bool* found = nullptr) const;

private:
    HMODULE module_;
};

// Waits for a message box of program titled caption and checks that it shows
// text with these buttons. Returns the box (what it shows in *shown, if given),
// or null with the failure given.
HWND ExpectMessageBox(const gui::Program& program, const std::string& caption, const std::string& text,
                      const std::vector<int>& buttons, int timeoutMs = 10000, gui::MessageBoxInfo* shown = nullptr);

// A resource of a program file, read as data ("" when absent; *found tells).
std::string ProgramResource(const std::string& exe, const char* type, const char* name, bool* found = nullptr);

// One log entry, as tests write and compare them.
struct LogLine {
    std::string path;
    int kind;
    bool operator==(const LogLine& o) const { return path == o.path && kind == o.kind; }
};
std::ostream& operator<<(std::ostream& out, const LogLine& line);

LogEntry Entry(const std::string& path, int kind);
// The bytes of an install log from the shared encoder; count overrides N when
// given (the entries written stay the given ones).
std::string LogBytes(const std::string& appName, const std::string& appVerName, const std::vector<LogEntry>& entries,
                     const std::string& reserved = "", const int32_t* count = nullptr);
std::string EncodeLog(const std::string& app, const std::string& verName, const std::vector<LogLine>& lines,
                      const std::string& reserved = "");

// The log an installation embedded into uninst.exe, entry by entry.
struct EmbeddedLog {
    std::string bytes;
    InstallLogView view = {};
    InstallLogStatus status = kLogUnreadable;
    std::vector<LogLine> entries;
    explicit EmbeddedLog(const std::string& uninstaller);
};

// Copies the built uninst.exe to path and, unless log is null, embeds the log
// as RT_DATA "5000" the way setup does.
void MakeUninstaller(const std::string& path, const std::string* log);
// Writes a file; fails the test if it cannot.
void Touch(const std::string& path, const std::string& bytes = "x");

// What a shortcut file says, read back through the shell-link object.
struct LinkInfo {
    bool loaded = false;
    std::string target, workDir, description;
};
LinkInfo ReadLink(const std::string& path);
// Saves a shortcut to target at path; fails the test if it cannot.
void MakeShortcut(const std::string& path, const std::string& target);

std::string UninstallKey(const std::string& appName);
// A REG_SZ value of the uninstall key of appName ("" when absent; *found tells),
// under HKEY_LOCAL_MACHINE or, for a per-user installation, HKEY_CURRENT_USER.
std::string UninstallValue(const std::string& appName, const char* value, bool* found = nullptr,
                           HKEY root = HKEY_LOCAL_MACHINE);
// The values of the uninstall key of appName as the system's reg.exe lists
// them (a reader independent of the programs'), in the registry view of this
// build: name -> type and data as printed ("REG_DWORD", "0x4"). Empty when
// the key is missing.
struct RegValue {
    std::string type, data;
};
std::map<std::string, RegValue> RegListUninstallKey(const std::string& appName, HKEY root = HKEY_LOCAL_MACHINE);
// Whether the uninstall key of appName is there (in this registry view).
bool UninstallKeyExists(const std::string& appName, REGSAM view = 0, HKEY root = HKEY_LOCAL_MACHINE);
// Writes a registration as setup does (default view, KEY_WRITE); with
// uninstaller, its UninstallString too, quoted when it holds a blank.
void Register(const std::string& appName, REGSAM view = 0, HKEY root = HKEY_LOCAL_MACHINE,
              const std::string& uninstaller = "");

// The registry view that a program of this build writes HKLM\Software keys to
// on 64-bit Windows (a 32-bit program's keys are redirected to the 32-bit view),
// and the other view.
REGSAM BuildView();
REGSAM OtherView();
// Whether this is a 32-bit program on 64-bit Windows, and so sees the folders
// and the registry of 32-bit programs.
bool RunsOn64BitWindowsAs32Bit();

// Removes an uninstall key a test made, whatever the test's outcome.
class KeyGuard {
public:
    explicit KeyGuard(const std::string& appName, REGSAM view = 0, HKEY root = HKEY_LOCAL_MACHINE)
        : appName_(appName), view_(view), root_(root) {}
    ~KeyGuard();

private:
    std::string appName_;
    REGSAM view_;
    HKEY root_;
};

// The batches uninst.exe writes to delete itself: in the user's temporary
// folder, or, run elevated, in folders of its own in the system's temporary
// folder. BatchLeft: whether one of them is there; ClearBatches removes them
// and those folders. kBatchWaitMs: how long a batch may take to run after
// the program ends.
bool BatchLeft();
void ClearBatches();
// The folders an elevated uninst.exe made for its batches.
std::vector<std::string> ProtectedBatchFolders();
const int kBatchWaitMs = 15000;

// Runs uninst.exe, answers Yes to its question and OK to the notice that
// follows (boxes with this caption; any caption when empty), and waits for it
// to end with exit code 0. What the two boxes showed goes to *shown.
void RunUninstaller(const std::string& uninstaller, const std::string& caption,
                    std::vector<gui::MessageBoxInfo>* shown);

}  // namespace wintest
