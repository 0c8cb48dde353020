// The round trip: a package installed by the real setup.exe, clicked through
// as a user would, then removed by the uninst.exe it wrote. Afterwards the
// file tree of drive C: and the registry are what they were before.
#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "install_checks.h"
#include "self_delete.h"
#include "wizard_session.h"

namespace {

using namespace testenv;
using namespace wintest;

typedef std::map<std::string, std::string> Snapshot;  // path -> what is there

// Folders that a test prefix may share with the host and with other programs
// running at the same time (the desktop and the user's documents can be links
// to the host's home folder): only the entries named after the application
// are taken, without going down into them.
struct TreeRules {
    std::string skip;                 // the folder that holds the package
    std::vector<std::string> shared;  // listed shallow, by the application's name only
    std::string app;
};

bool IsShared(const TreeRules& rules, const std::string& path) {
    for (const std::string& s : rules.shared) {
        if (_stricmp(s.c_str(), path.c_str()) == 0) return true;
    }
    return false;
}

void ListTree(const std::string& folder, const TreeRules& rules, Snapshot* out) {
    bool shared = IsShared(rules, folder);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        std::string name = found.cFileName;
        if (name == "." || name == "..") continue;
        if (shared && _strnicmp(name.c_str(), rules.app.c_str(), rules.app.size()) != 0) continue;
        std::string path = folder + "\\" + name;
        if (_stricmp(path.c_str(), rules.skip.c_str()) == 0) continue;
        bool isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        (*out)[path] = isFolder ? "<folder>"
                                : std::to_string(found.nFileSizeLow) + " bytes, written " +
                                      std::to_string(found.ftLastWriteTime.dwLowDateTime);
        if (isFolder && !shared && !(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
            ListTree(path, rules, out);
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

// The other view is listed on its own; a view's Wow6432Node leads back into
// it. The depth bound is a safety net against other key links.
void ListKey(HKEY root, const std::string& name, REGSAM view, Snapshot* out, int depth = 0) {
    if (depth > 24) return;
    HKEY key;
    if (RegOpenKeyExA(root, name.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS) return;
    (*out)[name] = "<key>";
    char valueName[16384];
    std::string data(1 << 16, '\0');
    for (DWORD i = 0;; ++i) {
        DWORD nameSize = sizeof(valueName), dataSize = static_cast<DWORD>(data.size()), type = 0;
        LONG r = RegEnumValueA(key, i, valueName, &nameSize, nullptr, &type, reinterpret_cast<BYTE*>(&data[0]),
                               &dataSize);
        if (r == ERROR_MORE_DATA) continue;
        if (r != ERROR_SUCCESS) break;  // the end, or a special key that cannot be listed
        (*out)[name + " : " + valueName] = std::to_string(type) + " " + data.substr(0, dataSize);
    }
    std::vector<std::string> subKeys;
    for (DWORD i = 0;; ++i) {
        char subName[256];
        DWORD size = sizeof(subName);
        LONG r = RegEnumKeyExA(key, i, subName, &size, nullptr, nullptr, nullptr, nullptr);
        if (r != ERROR_SUCCESS && r != ERROR_MORE_DATA) break;
        if (r == ERROR_SUCCESS && _stricmp(subName, "Wow6432Node") != 0) subKeys.push_back(subName);
    }
    RegCloseKey(key);
    for (const std::string& sub : subKeys) ListKey(root, name + "\\" + sub, view, out, depth + 1);
}

// Everything an installation could leave behind: the files of drive C: (but
// the folder that holds the package itself) and the software registry of the
// machine, in both views, and of the user.
Snapshot TakeSnapshot(const std::string& packageFolder, const std::string& app) {
    TreeRules rules;
    rules.skip = packageFolder;
    rules.app = app;
    for (int csidl : {CSIDL_DESKTOPDIRECTORY, CSIDL_PERSONAL, CSIDL_MYMUSIC, CSIDL_MYPICTURES, CSIDL_MYVIDEO,
                      CSIDL_TEMPLATES}) {
        rules.shared.push_back(ShellFolder(csidl));
    }
    rules.shared.push_back(ShellFolder(CSIDL_PROFILE) + "\\Downloads");
    Snapshot s;
    ListTree("C:", rules, &s);
    Snapshot machine32, machine64, user;
    ListKey(HKEY_LOCAL_MACHINE, "Software", KEY_WOW64_32KEY, &machine32);
    ListKey(HKEY_LOCAL_MACHINE, "Software", KEY_WOW64_64KEY, &machine64);
    ListKey(HKEY_CURRENT_USER, "Software", 0, &user);
    for (auto& e : machine32) s["HKLM32\\" + e.first] = e.second;
    for (auto& e : machine64) s["HKLM64\\" + e.first] = e.second;
    for (auto& e : user) {
        // Wine's own bookkeeping of its host desktop integration (menu files
        // made for shortcuts, session settings); no such key exists on Windows.
        if (e.first.compare(0, 14, "Software\\Wine\\") == 0 || e.first == "Software\\Wine") continue;
        s["HKCU\\" + e.first] = e.second;
    }
    return s;
}

// The differences, one line each, for a readable failure.
std::string Differences(const Snapshot& before, const Snapshot& after) {
    std::string out;
    for (const auto& e : before) {
        auto other = after.find(e.first);
        if (other == after.end()) {
            out += "gone:    " + e.first + "\n";
        } else if (other->second != e.second) {
            out += "changed: " + e.first + "\n";
        }
    }
    for (const auto& e : after) {
        if (!before.count(e.first)) out += "new:     " + e.first + "\n";
    }
    return out;
}

// A folder at the top of drive C: (outside the temporary folder, which the
// snapshot sees), gone again at the end whatever the outcome.
struct TopFolder {
    std::string path = "C:\\ct_round_" + std::to_string(GetCurrentProcessId());
    TopFolder() { testenv::RemoveTree(path); }  // a run that was stopped may have left it
    ~TopFolder() { testenv::RemoveTree(path); }
};

// The install folder's name holds '%' signs, which cmd would read as variables
// in the batch that removes uninst.exe and the folder.
TEST(RoundTrip, InstallThenUninstallLeavesTheMachineAsItWas) {
    std::string app = UniqueName("Round");
    SystemCleanup cleanup(app, app);
    TopFolder top;
    std::string installDir = top.path + "\\%x%Mon Appli 100%y%";
    ASSERT_TRUE(CreateDirectoryA(top.path.c_str(), nullptr));
    PackageContents p = Package(app, installDir);
    p.AddFile("demo.exe", "", "MZ-program-bytes");
    p.AddFile("readme.txt", "", "lisez-moi");
    p.AddFile("carte.dat", "donnees\\cartes", "map bytes");
    ClearBatches();

    WizardSession run;
    Snapshot before = TakeSnapshot(run.dir.path(), app);
    run.InstallToEnd(p);
    run.Close();
    std::string uninstaller = installDir + "\\uninst.exe";
    ASSERT_TRUE(FileExists(uninstaller));
    ASSERT_TRUE(FileExists(installDir + "\\donnees\\cartes\\carte.dat"));
    ASSERT_TRUE(FileExists(DesktopLink(app)));
    ASSERT_TRUE(FileExists(ProgramsGroup(app) + "\\Désinstallation.lnk"));
    ASSERT_TRUE(UninstallKeyExists(app));

    // The uninstaller, started as the shell would start it.
    std::vector<gui::MessageBoxInfo> shown;
    ASSERT_NO_FATAL_FAILURE(RunUninstaller(uninstaller, "Désinstallation de " + app + " 2.5", &shown));
    EXPECT_EQ(app + " 2.5 a été désinstallé avec succès de votre ordinateur.", shown[1].text);

    EXPECT_TRUE(gui::WaitFor([&] { return !FolderExists(installDir); }, 15000)) << "install folder stayed";
    EXPECT_TRUE(gui::WaitFor([&] { return !BatchLeft(); }, 15000)) << "batch stayed";
    // Run elevated, as the uninstaller is, its batch lay in a folder of its
    // own, which the batch removed at its end.
    if (RunsElevated()) {
        EXPECT_TRUE(gui::WaitFor([] { return ProtectedBatchFolders().empty(); }, 15000)) << "batch folder stayed";
    }
    ClearBatches();
    EXPECT_FALSE(FolderExists(ProgramsGroup(app)));
    EXPECT_FALSE(FileExists(DesktopLink(app)));
    EXPECT_FALSE(UninstallKeyExists(app));

    Snapshot after = TakeSnapshot(run.dir.path(), app);
    EXPECT_EQ("", Differences(before, after));
}

}  // namespace
