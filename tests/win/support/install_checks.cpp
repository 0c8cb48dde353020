// What an installation leaves behind, read back; what an uninstaller finds, made.
#include "install_checks.h"

#include <objbase.h>
#include <shlobj.h>

#include <gtest/gtest.h>
#include <string.h>

#include "pack_run.h"
#include "package_writer.h"
#include "self_delete.h"
#include "test_env.h"

namespace wintest {

const char kUninstallRoot[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

std::string UniqueName(const std::string& tag) { return "Ct" + tag + std::to_string(GetCurrentProcessId()); }

std::string ShellFolder(int csidl) {
    char path[MAX_PATH] = "";
    SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}
std::string DesktopLink(const std::string& name) { return ShellFolder(CSIDL_DESKTOP) + "\\" + name + ".lnk"; }
std::string ProgramsGroup(const std::string& group) { return ShellFolder(CSIDL_PROGRAMS) + "\\" + group; }
std::string StartMenuGroup(const std::string& group) { return ShellFolder(CSIDL_STARTMENU) + "\\" + group; }

void SystemCleanup::Clean() const {
    std::string desktop = DesktopLink(app_);
    SetFileAttributesA(desktop.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(desktop.c_str());
    testenv::RemoveTree(ProgramsGroup(group_));
    testenv::RemoveTree(StartMenuGroup(group_));
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, UninstallKey(app_).c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, UninstallKey(app_).c_str());
}

std::string DataModule::Resource(const char* type, const char* name, bool* found) const {
    if (found) *found = false;
    HRSRC resource = module_ ? FindResourceA(module_, name, type) : nullptr;
    if (!resource) return "";
    HGLOBAL loaded = LoadResource(module_, resource);
    const char* data = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
    if (found) *found = data != nullptr;
    return data ? std::string(data, SizeofResource(module_, resource)) : "";
}

HWND ExpectMessageBox(const gui::Program& program, const std::string& caption, const std::string& text,
                      const std::vector<int>& buttons, int timeoutMs, gui::MessageBoxInfo* shown) {
    HWND box = program.WaitMessageBox(caption, timeoutMs);
    EXPECT_TRUE(box != nullptr) << "no message box titled " << caption;
    if (!box) return nullptr;
    gui::MessageBoxInfo info = gui::ReadMessageBox(box);
    EXPECT_EQ(text, info.text);
    EXPECT_EQ(buttons, info.buttons);
    if (shown) *shown = info;
    return box;
}

std::string ProgramResource(const std::string& exe, const char* type, const char* name, bool* found) {
    return DataModule(exe).Resource(type, name, found);
}

std::ostream& operator<<(std::ostream& out, const LogLine& line) {
    return out << "{" << line.path << ", " << line.kind << "}";
}

LogEntry Entry(const std::string& path, int kind) {
    LogEntry e = {};
    strncpy(e.path, path.c_str(), sizeof(e.path) - 1);
    e.kind = kind;
    return e;
}

std::string LogBytes(const std::string& appName, const std::string& appVerName, const std::vector<LogEntry>& entries,
                     const std::string& reserved, const int32_t* count) {
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

std::string EncodeLog(const std::string& app, const std::string& verName, const std::vector<LogLine>& lines,
                      const std::string& reserved) {
    std::vector<LogEntry> entries;
    for (const LogLine& line : lines) entries.push_back(Entry(line.path, line.kind));
    return LogBytes(app, verName, entries, reserved);
}

EmbeddedLog::EmbeddedLog(const std::string& uninstaller) {
    bytes = ProgramResource(uninstaller, "RT_DATA", "5000");
    status = ParseInstallLog(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &view);
    for (int32_t i = 0; i < view.entryCount; ++i) {
        LogEntry e;
        if (GetInstallLogEntry(view, i, &e)) entries.push_back({e.path, e.kind});
    }
}

void MakeUninstaller(const std::string& path, const std::string* log) {
    ASSERT_TRUE(CopyFileA(testenv::Program("uninst.exe").c_str(), path.c_str(), FALSE)) << path;
    if (!log) return;
    std::string error;
    ASSERT_TRUE(UpdateProgramResource(path, "RT_DATA", "5000", *log, &error)) << error;
}

void Touch(const std::string& path, const std::string& bytes) {
    ASSERT_TRUE(testenv::WriteFileBytes(path, bytes)) << path;
}

void MakeShortcut(const std::string& path, const std::string& target) {
    CoInitialize(nullptr);
    IShellLinkA* link = nullptr;
    bool saved = false;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&link)))) {
        IPersistFile* file = nullptr;
        link->SetPath(target.c_str());
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
            WCHAR wide[MAX_PATH];
            MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
            saved = SUCCEEDED(file->Save(wide, TRUE));
            file->Release();
        }
        link->Release();
    }
    CoUninitialize();
    ASSERT_TRUE(saved) << path;
}

LinkInfo ReadLink(const std::string& path) {
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

std::string UninstallKey(const std::string& appName) { return kUninstallRoot + appName; }

std::string UninstallValue(const std::string& appName, const char* value, bool* found, HKEY root) {
    if (found) *found = false;
    HKEY key;
    if (RegOpenKeyExA(root, UninstallKey(appName).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
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

std::map<std::string, RegValue> RegListUninstallKey(const std::string& appName, HKEY root) {
    char system[MAX_PATH] = "";
    GetSystemDirectoryA(system, sizeof(system));
    testenv::ScratchDir dir("regq");
    std::string key = std::string(root == HKEY_CURRENT_USER ? "HKCU\\" : "HKLM\\") + UninstallKey(appName);
    std::string args = "query \"" + key + "\"" + (RunsOn64BitWindowsAs32Bit() ? " /reg:32" : "");
    PackRun run = RunPack(dir.path(), args, std::string(system) + "\\reg.exe");
    // "    Name    REG_TYPE    data" below the key's own line.
    std::map<std::string, RegValue> values;
    const std::string gap = "    ";
    size_t start = 0;
    while (start < run.out.size()) {
        size_t end = run.out.find('\n', start);
        if (end == std::string::npos) end = run.out.size();
        std::string line = run.out.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.compare(0, gap.size(), gap) != 0) continue;
        size_t typeAt = line.find(gap, gap.size());
        if (typeAt == std::string::npos) continue;
        size_t dataAt = line.find(gap, typeAt + gap.size());
        RegValue value;
        value.type = line.substr(typeAt + gap.size(), dataAt == std::string::npos ? std::string::npos
                                                                                 : dataAt - typeAt - gap.size());
        if (dataAt != std::string::npos) value.data = line.substr(dataAt + gap.size());
        values[line.substr(gap.size(), typeAt - gap.size())] = value;
    }
    return values;
}

bool UninstallKeyExists(const std::string& appName, REGSAM view, HKEY root) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, UninstallKey(appName).c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

void Register(const std::string& appName, REGSAM view, HKEY root, const std::string& uninstaller) {
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(root, UninstallKey(appName).c_str(), 0, nullptr,
                                             REG_OPTION_NON_VOLATILE, KEY_WRITE | view, nullptr, &key, nullptr));
    const char name[] = "test";
    RegSetValueExA(key, "DisplayName", 0, REG_SZ, reinterpret_cast<const BYTE*>(name), sizeof(name));
    if (!uninstaller.empty()) {
        std::string command = uninstaller.find(' ') == std::string::npos ? uninstaller : "\"" + uninstaller + "\"";
        RegSetValueExA(key, "UninstallString", 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                       static_cast<DWORD>(command.size() + 1));
    }
    RegCloseKey(key);
}

REGSAM BuildView() { return sizeof(void*) == 8 ? KEY_WOW64_64KEY : KEY_WOW64_32KEY; }

REGSAM OtherView() { return sizeof(void*) == 8 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY; }

bool RunsOn64BitWindowsAs32Bit() {
    BOOL wow64 = FALSE;
    return sizeof(void*) == 4 && IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

KeyGuard::~KeyGuard() { RegDeleteKeyExA(root_, UninstallKey(appName_).c_str(), view_, 0); }

namespace {

std::string PlainBatchPath() {
    char path[MAX_PATH] = "";
    SelfDeleteBatchPath(path);
    return path;
}

std::string BatchParent() {
    char parent[MAX_PATH] = "";
    ProtectedBatchParent(parent);
    return parent;
}

}  // namespace

std::vector<std::string> ProtectedBatchFolders() {
    std::vector<std::string> folders;
    std::string parent = BatchParent();
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((parent + "\\" kProtectedFolderPrefix "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return folders;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) folders.push_back(parent + "\\" + found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return folders;
}

bool BatchLeft() {
    if (testenv::FileExists(PlainBatchPath())) return true;
    for (const std::string& folder : ProtectedBatchFolders()) {
        if (testenv::FileExists(folder + "\\temp_001.bat")) return true;
    }
    return false;
}

void ClearBatches() {
    DeleteFileA(PlainBatchPath().c_str());
    for (const std::string& folder : ProtectedBatchFolders()) testenv::RemoveTree(folder);
}

void RunUninstaller(const std::string& uninstaller, const std::string& caption,
                    std::vector<gui::MessageBoxInfo>* shown) {
    gui::Program remover;
    ASSERT_TRUE(remover.Start(uninstaller)) << uninstaller;
    for (int answer : {IDYES, IDOK}) {
        HWND box = remover.WaitMessageBox(caption);
        ASSERT_TRUE(box != nullptr) << (answer == IDYES ? "no confirmation" : "no notice after the removal");
        shown->push_back(gui::ReadMessageBox(box));
        ASSERT_TRUE(gui::AnswerMessageBox(box, answer));
    }
    DWORD code = 1;
    ASSERT_TRUE(remover.WaitExit(10000, &code));
    EXPECT_EQ(0u, code);
}

}  // namespace wintest
