// What the installation tests share: packages installing into scratch folders,
// a packaged setup.exe driven to the end of its wizard, and readers for what
// an installation leaves behind (the log inside uninst.exe, shortcuts, the
// uninstall key), with the cleanup of everything outside the scratch folder.
#pragma once

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <gtest/gtest.h>
#include <string.h>

#include <string>
#include <vector>

#include "gui_driver.h"
#include "install_log.h"
#include "setup_ids.h"
#include "test_env.h"

namespace installtest {

const char kQuitText[] =
    "L'installation n'est pas terminée. Si vous abandonnez maintenant, le programme ne sera pas "
    "installé.\nVoulez-vous vraiment quitter l'assistant d'installation ?\n";
const char kUninstallRoot[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

// A name no other test run uses, for shortcuts and the uninstall key.
inline std::string UniqueName(const std::string& tag) {
    return "Ct" + tag + std::to_string(GetCurrentProcessId());
}

inline std::string ShellFolder(int csidl) {
    char path[MAX_PATH] = "";
    SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}
inline std::string DesktopLink(const std::string& name) { return ShellFolder(CSIDL_DESKTOP) + "\\" + name + ".lnk"; }
inline std::string ProgramsGroup(const std::string& group) { return ShellFolder(CSIDL_PROGRAMS) + "\\" + group; }
inline std::string StartMenuGroup(const std::string& group) { return ShellFolder(CSIDL_STARTMENU) + "\\" + group; }

// Removes the shortcuts and the uninstall key of an application, now and when
// the object goes, so that no test leaves anything outside its scratch folder.
class SystemCleanup {
public:
    SystemCleanup(const std::string& appName, const std::string& group) : app_(appName), group_(group) { Clean(); }
    ~SystemCleanup() { Clean(); }
    void Clean() const {
        std::string desktop = DesktopLink(app_);
        SetFileAttributesA(desktop.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(desktop.c_str());
        testenv::RemoveTree(ProgramsGroup(group_));
        testenv::RemoveTree(StartMenuGroup(group_));
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, (kUninstallRoot + app_).c_str());
    }

private:
    std::string app_, group_;
};

// A package with shortcuts allowed, installing into folder.
inline PackageContents Package(const std::string& appName, const std::string& folder) {
    PackageContents p;
    strcpy(p.record.appName, appName.c_str());
    strcpy(p.record.appVerName, (appName + " 2.5").c_str());
    strcpy(p.record.folderToken, folder.c_str());
    strcpy(p.record.subFolder, "");
    strcpy(p.record.groupName, appName.c_str());
    p.record.noIcons = 0;
    p.record.allowGroupChange = 1;
    p.record.offerMenuIcons = 1;
    p.record.uninstallIconOffered = 1;
    p.record.runOffered = 0;
    return p;
}

// A packaged setup.exe under the driver, walked through its wizard.
struct Installer {
    testenv::ScratchDir dir{"inst"};
    gui::Program program;
    HWND dialog = nullptr;
    std::string exe;

    // The program must be gone before its scratch folder can be removed.
    ~Installer() {
        if (program.Running()) program.Kill();
        program.WaitExit(10000);
    }

    void Start(const PackageContents& contents) {
        exe = dir / "setup.exe";
        testenv::MakePackage(exe, contents);
        ASSERT_TRUE(program.Start(exe));
        dialog = program.WaitWindow(std::string("Installation : ") + contents.record.appName);
        ASSERT_TRUE(dialog != nullptr);
        ASSERT_TRUE(gui::WaitControl(dialog, IDC_PAGE) != nullptr);
        Settle();
    }
    HWND Page() const { return GetDlgItem(dialog, IDC_PAGE); }
    HWND Button(int id) const { return GetDlgItem(dialog, id); }
    HWND Control(int id) const { return gui::FindControl(Page(), id); }
    std::string Title() const { return gui::Text(Control(IDC_HEADER_TITLE)); }
    // Presses a dialog button; true once another page is on screen (another
    // window, or another title should the system hand out the same handle).
    bool Press(int id) {
        HWND before = Page();
        std::string title = Title();
        gui::Command(dialog, id);
        bool changed = gui::WaitFor([&] {
            HWND now = Page();
            return now && (now != before || Title() != title);
        }, 15000);
        Settle();
        return changed;
    }
    // Waits until the wizard's thread is back in its message loop, so that a
    // page that has just appeared has all its controls.
    void Settle() const {
        DWORD_PTR ignored;
        SendMessageTimeoutA(dialog, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &ignored);
    }
    // Suivant until the ready page (its summary box) is on screen.
    bool ToReadyPage() {
        for (int i = 0; i < 9; ++i) {
            if (Control(IDC_SUMMARY)) return true;
            if (!Press(IDC_NEXT)) {
                std::string windows;
                for (HWND w : program.Windows()) windows += " [" + gui::ClassName(w) + ": " + gui::Text(w) + "]";
                DWORD code = 0;
                bool ended = program.WaitExit(100, &code);
                ADD_FAILURE() << "Suivant did not leave the page titled \"" << Title() << "\"; next="
                              << gui::Text(Button(IDC_NEXT)) << " windows:" << windows << " ended " << ended
                              << " code " << std::hex << code;
                return false;
            }
        }
        return Control(IDC_SUMMARY) != nullptr;
    }
    // "Installer": the installing page comes (and may already be gone again).
    void Install() { gui::Command(dialog, IDC_NEXT); }
    bool OnFinishPage() const { return gui::Text(Button(IDC_NEXT)) == "Fermer" && !Control(IDC_HEADER_TITLE); }
    bool WaitFinishPage(int ms = 30000) const { return gui::WaitFor([&] { return OnFinishPage(); }, ms); }
    // Presses "Fermer" and waits for the program to end with exit code 0.
    void Close() {
        gui::Command(dialog, IDC_NEXT);
        DWORD code = 1;
        ASSERT_TRUE(program.WaitExit(10000, &code));
        EXPECT_EQ(0u, code);
    }
    // Clicks through the whole installation with the defaults of every page.
    void InstallToEnd(const PackageContents& contents) {
        Start(contents);
        ASSERT_TRUE(ToReadyPage());
        Install();
        ASSERT_TRUE(WaitFinishPage()) << "the finish page never came";
    }
};

// A resource of a program file, read as data ("" when absent).
inline std::string ProgramResource(const std::string& exe, const char* type, const char* name,
                                   bool* found = nullptr) {
    if (found) *found = false;
    HMODULE module = LoadLibraryExA(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module) return "";
    std::string bytes;
    HRSRC resource = FindResourceA(module, name, type);
    if (resource) {
        HGLOBAL loaded = LoadResource(module, resource);
        const char* data = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
        if (data) bytes.assign(data, SizeofResource(module, resource));
        if (found) *found = data != nullptr;
    }
    FreeLibrary(module);
    return bytes;
}

struct LogLine {
    std::string path;
    int kind;
    bool operator==(const LogLine& o) const { return path == o.path && kind == o.kind; }
};
inline std::ostream& operator<<(std::ostream& out, const LogLine& line) {
    return out << "{" << line.path << ", " << line.kind << "}";
}

// The log an installation embedded into uninst.exe, entry by entry.
struct EmbeddedLog {
    std::string bytes;
    InstallLogView view = {};
    InstallLogStatus status = kLogUnreadable;
    std::vector<LogLine> entries;
    explicit EmbeddedLog(const std::string& uninstaller) {
        bytes = ProgramResource(uninstaller, "RT_DATA", "5000");
        status = ParseInstallLog(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &view);
        for (int32_t i = 0; i < view.entryCount; ++i) {
            LogEntry e;
            if (GetInstallLogEntry(view, i, &e)) entries.push_back({e.path, e.kind});
        }
    }
};

// The bytes a log with these names and entries must have, from the shared encoder.
inline std::string EncodeLog(const std::string& app, const std::string& verName, const std::vector<LogLine>& lines,
                             const std::string& reserved = "") {
    std::string out(InstallLogSize(static_cast<int32_t>(lines.size())), '\0');
    uint8_t* at = reinterpret_cast<uint8_t*>(&out[0]);
    EncodeLogHead(at, app.c_str(), verName.c_str(), static_cast<int32_t>(lines.size()));
    at += kLogHeadSize;
    for (const LogLine& line : lines) {
        LogEntry e = {};
        strncpy(e.path, line.path.c_str(), sizeof(e.path) - 1);
        e.kind = line.kind;
        EncodeLogEntry(at, e);
        at += kLogEntrySize;
    }
    EncodeLogTail(at, reserved.c_str());
    return out;
}

// What a shortcut file says, read back through the shell-link object.
struct LinkInfo {
    bool loaded = false;
    std::string target, workDir, description;
};
inline LinkInfo ReadLink(const std::string& path) {
    LinkInfo info;
    CoInitialize(nullptr);
    IShellLinkA* link = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&link)))) {
        IPersistFile* file = nullptr;
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
            WCHAR wide[MAX_PATH];
            MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
            if (SUCCEEDED(file->Load(wide, STGM_READ))) {
                char text[MAX_PATH] = "";
                info.loaded = true;
                if (SUCCEEDED(link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH))) info.target = text;
                text[0] = 0;
                if (SUCCEEDED(link->GetWorkingDirectory(text, MAX_PATH))) info.workDir = text;
                text[0] = 0;
                if (SUCCEEDED(link->GetDescription(text, MAX_PATH))) info.description = text;
            }
            file->Release();
        }
        link->Release();
    }
    CoUninitialize();
    return info;
}

// A REG_SZ value of the uninstall key of appName ("" when absent; *found tells).
inline std::string UninstallValue(const std::string& appName, const char* value, bool* found = nullptr) {
    if (found) *found = false;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, (kUninstallRoot + appName).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return "";
    }
    char data[1024] = "";
    DWORD size = sizeof(data) - 1, type = 0;
    std::string text;
    if (RegQueryValueExA(key, value, nullptr, &type, reinterpret_cast<BYTE*>(data), &size) == ERROR_SUCCESS &&
        type == REG_SZ) {
        text = data;
        if (found) *found = true;
    }
    RegCloseKey(key);
    return text;
}

inline bool UninstallKeyExists(const std::string& appName) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, (kUninstallRoot + appName).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

}  // namespace installtest
