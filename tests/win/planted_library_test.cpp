// Libraries planted beside setup.exe (a downloads folder) and beside the
// installed uninst.exe, under the names of libraries that the system's own
// libraries load by name, are never loaded: a whole installation through the
// wizard and a whole removal run with copies of a marker library planted there,
// and no copy may report a load.
//
// Wine takes its built-in copy of a system library before any file of that
// name, which would hide a load from the program's folder. For the planted
// names, setup.exe and uninst.exe are given files first ("native,builtin") in
// Wine's per-program settings, the DllOverrides key under
// HKCU\Software\Wine\AppDefaults\<program>; Windows ignores it, and the test
// removes it again. (WINEDLLOVERRIDES says the same, but Wine's loader reads
// it from the environment Wine was started with, not from the one a Windows
// program hands to the programs it starts.)
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dll_search.h"
#include "install_checks.h"
#include "wizard_session.h"

namespace {

using testenv::FileExists;
using testenv::ScopedVariable;
using testenv::ScratchDir;

// Under Wine, the run loads usp10 and oleaut32 by name (imports of the rich
// edit library) and msimg32 (which the theme library loads on its first themed
// drawing); comctl32 is an import of both programs, which their manifest sends
// to the version 6 assembly; the rich edit library itself is loaded by full
// path. The others are helpers that Windows's own libraries load by name:
// other rich edit versions, window composition, property store, cryptography,
// sound, access control, user profile, text services, accessibility, and the
// shell's link, COM catalogue and imaging helpers.
const char* const kPlantedNames[] = {
    "usp10",  "oleaut32", "msimg32", "comctl32", "riched20", "riched32", "msftedit",
    "dwmapi", "propsys",  "cryptbase", "winmm",  "ntmarta",  "profapi",  "userenv",
    "msctf",  "oleacc",   "linkinfo", "clbcatq", "windowscodecs",
};

// Not planted, though system libraries load them by name too: version.dll,
// imm32.dll and uxtheme.dll. Under Wine they are loaded by Wine's own
// libraries while the process starts, before WinMain runs, so nothing a program
// does can keep them from being taken beside it there: version.dll and
// imm32.dll are imports of Wine's system libraries (a copy that refuses to load
// aborts the start), uxtheme.dll is loaded with Wine's display driver. Planted
// without "n,b" they would never be looked at, so they would test nothing.

// Asks Wine to load the planted names from files first in one program (by its
// file name), and takes back what it added when it goes.
class FilesFirst {
public:
    explicit FilesFirst(const std::string& program) : appKey_("Software\\Wine\\AppDefaults\\" + program) {
        DWORD created = 0;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, appKey_.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &app_, &created) !=
            ERROR_SUCCESS) {
            ADD_FAILURE() << "cannot write " << appKey_;
            return;
        }
        createdApp_ = created == REG_CREATED_NEW_KEY;
        if (RegCreateKeyExA(app_, "DllOverrides", 0, nullptr, 0, KEY_WRITE, nullptr, &overrides_, &created) !=
            ERROR_SUCCESS) {
            ADD_FAILURE() << "cannot write " << appKey_ << "\\DllOverrides";
            return;
        }
        createdOverrides_ = created == REG_CREATED_NEW_KEY;
        static const char kOrder[] = "native,builtin";
        for (const char* name : kPlantedNames) {
            EXPECT_EQ(ERROR_SUCCESS, RegSetValueExA(overrides_, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(kOrder),
                                                    sizeof(kOrder)));
        }
    }
    ~FilesFirst() {
        if (overrides_) {
            for (const char* name : kPlantedNames) RegDeleteValueA(overrides_, name);
            RegCloseKey(overrides_);
        }
        if (createdOverrides_) RegDeleteKeyA(app_, "DllOverrides");
        if (app_) RegCloseKey(app_);
        if (createdApp_) RegDeleteKeyA(HKEY_CURRENT_USER, appKey_.c_str());
    }
    FilesFirst(const FilesFirst&) = delete;
    FilesFirst& operator=(const FilesFirst&) = delete;

private:
    std::string appKey_;
    HKEY app_ = nullptr, overrides_ = nullptr;
    bool createdApp_ = false, createdOverrides_ = false;
};

std::string Marker() { return testenv::Program("planted_marker.dll"); }

// Puts a copy of the marker under every planted name into folder.
void PlantAll(const std::string& folder) {
    for (const char* name : kPlantedNames) {
        std::string copy = folder + "\\" + name + ".dll";
        ASSERT_TRUE(CopyFileA(Marker().c_str(), copy.c_str(), FALSE)) << copy;
    }
}

// The names of the copies that reported a load into reportDir.
std::vector<std::string> Reports(const std::string& reportDir) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((reportDir + "\\*.loaded").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        names.push_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

std::string Joined(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) text += " " + name;
    return text;
}

// Fails the test with the names of the copies that reported a load into reportDir.
void ExpectNoLoad(const std::string& reportDir, const std::string& where) {
    std::vector<std::string> loaded = Reports(reportDir);
    EXPECT_TRUE(loaded.empty()) << "loaded beside " << where << ":" << Joined(loaded);
}

TEST(PlantedLibrary, InstallationAndRemovalLoadNoPlantedLibrary) {
    std::string app = wintest::UniqueName("Plant");
    wintest::SystemCleanup cleanup(app, app);
    ScratchDir target("plantdst");
    std::string installDir = target / "Atlas";
    PackageContents contents = wintest::Package(app, installDir);
    contents.AddFile("atlas.exe", "", "MZ not really a program");
    contents.AddFile("nord.dat", "cartes", "carte du nord");
    // A licence in rich text: the rich edit control lays it out and draws it.
    contents.record.licenseFormat = 2;
    contents.writeLicense = true;
    contents.license = "{\\rtf1\\ansi Licence d'\\'e9valuation, {\\b lisez-la}.\\par}";
    FilesFirst setupFilesFirst("setup.exe");
    FilesFirst uninstFilesFirst("uninst.exe");

    {
        ScratchDir reports("plantrep");
        ScopedVariable reportTo("PLANTED_MARKER_DIR", reports.path());
        wintest::WizardSession setup("plantsrc");
        ASSERT_NO_FATAL_FAILURE(PlantAll(setup.dir.path()));
        ASSERT_NO_FATAL_FAILURE(setup.Start(contents));
        ASSERT_TRUE(setup.NextUntil("Accord de licence"));
        HWND box = setup.Control(IDC_TEXT_BOX);
        EXPECT_TRUE(gui::WaitFor([&] { return gui::Text(box).find("Licence d'évaluation") != std::string::npos; }))
            << gui::Text(box);
        setup.AcceptLicence();
        ASSERT_TRUE(setup.ToReadyPage());
        setup.Install();
        ASSERT_TRUE(setup.WaitFinishPage()) << "the finish page never came";
        ASSERT_NO_FATAL_FAILURE(setup.Close());
        ExpectNoLoad(reports.path(), "setup.exe");
    }
    std::string uninstaller = installDir + "\\uninst.exe";
    ASSERT_TRUE(FileExists(uninstaller));
    ASSERT_TRUE(FileExists(installDir + "\\cartes\\nord.dat"));

    {
        ScratchDir reports("plantrep");
        ScopedVariable reportTo("PLANTED_MARKER_DIR", reports.path());
        ASSERT_NO_FATAL_FAILURE(PlantAll(installDir));
        std::vector<gui::MessageBoxInfo> shown;
        ASSERT_NO_FATAL_FAILURE(wintest::RunUninstaller(uninstaller, "Désinstallation de " + app + " 2.5", &shown));
        // The removal ran through: the files and the registration are gone, and
        // so is the program once its batch has run (the planted copies keep the folder).
        EXPECT_FALSE(FileExists(installDir + "\\atlas.exe"));
        EXPECT_FALSE(wintest::UninstallKeyExists(app));
        EXPECT_TRUE(gui::WaitFor([&] { return !FileExists(uninstaller); }, wintest::kBatchWaitMs))
            << "uninst.exe stayed";
        ExpectNoLoad(reports.path(), "uninst.exe");
    }
}

// In this process: a library in the current folder is found by its name until
// the search is restricted, and not after. Changes this process's search for
// good, so it runs last.
TEST(PlantedLibrary, RestrictedSearchSkipsTheCurrentFolder) {
    ScratchDir folder("plantcwd");
    ScratchDir reports("plantrep");
    ScopedVariable reportTo("PLANTED_MARKER_DIR", reports.path());
    // A name no system library has, so that only the planted file can answer.
    ASSERT_TRUE(CopyFileA(Marker().c_str(), (folder / "ctplanted.dll").c_str(), FALSE));
    char previous[MAX_PATH];
    ASSERT_NE(0u, GetCurrentDirectoryA(sizeof(previous), previous));
    ASSERT_TRUE(SetCurrentDirectoryA(folder.path().c_str()));

    EXPECT_EQ(nullptr, LoadLibraryA("ctplanted.dll"));
    EXPECT_EQ(std::vector<std::string>{"ctplanted.dll.loaded"}, Reports(reports.path()));
    EXPECT_TRUE(DeleteFileA((reports / "ctplanted.dll.loaded").c_str()));

    // Only the current folder is left out where the system lacks default directories.
    bool defaultDirectories = GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories") != nullptr;
    EXPECT_EQ(defaultDirectories ? kDllSearchSystemFolderOnly : kDllSearchCurrentFolderRemoved,
              RestrictDllSearchToSystemFolder());
    EXPECT_EQ(nullptr, LoadLibraryA("ctplanted.dll"));
    EXPECT_EQ(std::vector<std::string>(), Reports(reports.path()));
    SetCurrentDirectoryA(previous);
    // A system library is still found by its name.
    HMODULE system = LoadLibraryA("winmm.dll");
    EXPECT_NE(nullptr, system);
    if (system) FreeLibrary(system);
    // The helper that system libraries load through a delayed import is
    // already there, from the system folder.
    char systemFolder[MAX_PATH], helper[MAX_PATH] = "";
    GetSystemDirectoryA(systemFolder, sizeof(systemFolder));
    HMODULE preloaded = GetModuleHandleA("msimg32.dll");
    ASSERT_NE(nullptr, preloaded);
    GetModuleFileNameA(preloaded, helper, sizeof(helper));
    EXPECT_EQ(0, lstrcmpiA((std::string(systemFolder) + "\\msimg32.dll").c_str(), helper)) << helper;
}

}  // namespace
