// What the pack tests share: running the built pack.exe with its output
// captured, and scratch package folders with a description and its files.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "test_env.h"

namespace wintest {

struct PackRun {
    DWORD exitCode = 0xFFFFFFFF;
    std::string out;  // standard output (UTF-8)
    std::string err;  // error output (UTF-8)
};

inline HANDLE InheritableFile(const std::string& path) {
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    return CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
}

// Runs pack.exe (the build's, or the copy exe) with this command line in
// folder (its output goes to files there, read back after the end). Fails the
// test if it does not end in 30 s.
inline PackRun RunPack(const std::string& folder, const std::string& args,
                       const std::string& exe = testenv::Program("pack.exe")) {
    PackRun run;
    static int counter = 0;
    std::string tag = std::to_string(++counter);
    std::string outPath = folder + "\\pack" + tag + ".out", errPath = folder + "\\pack" + tag + ".err";
    HANDLE out = InheritableFile(outPath), err = InheritableFile(errPath);
    EXPECT_TRUE(out != INVALID_HANDLE_VALUE && err != INVALID_HANDLE_VALUE) << outPath;
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = out;
    startup.hStdError = err;
    std::string line = "\"" + exe + "\" " + args;
    PROCESS_INFORMATION info = {};
    BOOL started = CreateProcessA(exe.c_str(), &line[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                                  folder.c_str(), &startup, &info);
    CloseHandle(out);
    CloseHandle(err);
    EXPECT_TRUE(started) << exe;
    if (!started) return run;
    CloseHandle(info.hThread);
    if (WaitForSingleObject(info.hProcess, 30000) != WAIT_OBJECT_0) {
        TerminateProcess(info.hProcess, 1);
        ADD_FAILURE() << "pack did not end: " << args;
    }
    GetExitCodeProcess(info.hProcess, &run.exitCode);
    CloseHandle(info.hProcess);
    run.out = testenv::ReadFileBytes(outPath);
    run.err = testenv::ReadFileBytes(errPath);
    DeleteFileA(outPath.c_str());
    DeleteFileA(errPath.c_str());
    return run;
}

inline bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

}  // namespace wintest
