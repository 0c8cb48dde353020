// Installation timing, run by tools/bench/install_bench.sh (not part of the
// test suite: the test is disabled unless asked for). It packs the folder
// BENCH_SOURCE into a setup program, then BENCH_RUNS times installs it into
// BENCH_TARGET through the real wizard and prints the time from "Installer"
// to the finish page as a line "BENCH <label> <milliseconds>".
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "install_support.h"

namespace {

using namespace installtest;

std::string Env(const char* name, const char* fallback = "") {
    char value[MAX_PATH] = "";
    DWORD n = GetEnvironmentVariableA(name, value, sizeof(value));
    std::string text = n > 0 && n < sizeof(value) ? value : fallback;
    std::replace(text.begin(), text.end(), '/', '\\');
    return text;
}

// Every file below root, with its folder relative to root ("" at the top).
void Collect(const std::string& root, const std::string& relative, std::vector<std::pair<std::string, std::string>>* out) {
    std::string folder = relative.empty() ? root : root + "\\" + relative;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    std::vector<std::string> names, folders;
    do {
        std::string name = found.cFileName;
        if (name == "." || name == "..") continue;
        (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY ? folders : names).push_back(name);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    std::sort(folders.begin(), folders.end());
    for (const std::string& name : names) out->push_back({relative, name});
    for (const std::string& sub : folders) Collect(root, relative.empty() ? sub : relative + "\\" + sub, out);
}

TEST(InstallBench, DISABLED_InstallerToFinishPage) {
    std::string source = Env("BENCH_SOURCE");
    std::string target = Env("BENCH_TARGET");
    std::string label = Env("BENCH_LABEL", "install");
    int runs = std::max(1, atoi(Env("BENCH_RUNS", "3").c_str()));
    ASSERT_FALSE(source.empty());
    ASSERT_FALSE(target.empty());

    std::string app = UniqueName("Bench");
    SystemCleanup cleanup(app, app);
    PackageContents p = Package(app, target);
    p.record.noIcons = 1;  // files, uninst.exe and the key only
    p.record.uninstallIconOffered = 0;
    p.record.allowGroupChange = 0;
    p.record.offerMenuIcons = 0;
    std::vector<std::pair<std::string, std::string>> files;
    Collect(source, "", &files);
    ASSERT_FALSE(files.empty());
    for (const auto& file : files) {
        std::string path = source + "\\" + (file.first.empty() ? "" : file.first + "\\") + file.second;
        p.AddFile(file.second, file.first, testenv::ReadFileBytes(path));
    }
    testenv::ScratchDir dir("bench");
    std::string exe = dir / "setup.exe";
    testenv::MakePackage(exe, p);
    p = PackageContents();  // the payload is in the program now

    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    for (int i = 0; i < runs; ++i) {
        testenv::RemoveTree(target);
        gui::Program program;
        ASSERT_TRUE(program.Start(exe));
        Installer run;
        run.dialog = program.WaitWindow("Installation : " + app);
        ASSERT_TRUE(run.dialog != nullptr);
        ASSERT_TRUE(gui::WaitControl(run.dialog, IDC_PAGE) != nullptr);
        run.Settle();
        ASSERT_TRUE(run.ToReadyPage());
        LARGE_INTEGER start, end;
        QueryPerformanceCounter(&start);
        run.Install();
        ASSERT_TRUE(gui::WaitFor([&] { return run.OnFinishPage(); }, 600000));
        QueryPerformanceCounter(&end);
        double ms = 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart;
        printf("BENCH %s %.0f\n", label.c_str(), ms);
        fflush(stdout);
        gui::Command(run.dialog, IDC_NEXT);
        ASSERT_TRUE(program.WaitExit(30000));
    }
    testenv::RemoveTree(target);
}

}  // namespace
