// Starting a program with CreateProcess or fork/exec, its output read through a pipe.
#include "host_process.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

#ifdef _WIN32

// One argument as the C runtime of the started program will split it back:
// quoted when it holds a blank or a quote, backslashes doubled before a quote.
std::string QuotedArgument(const std::string& arg) {
    if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos) return arg;
    std::string out = "\"";
    size_t backslashes = 0;
    for (char c : arg) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        out.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, '\\');
    return out + "\"";
}

#endif

}  // namespace

#ifdef _WIN32

ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& args) {
    ProgramRun run;
    std::string commandLine = QuotedArgument(program);
    for (const std::string& arg : args) commandLine += " " + QuotedArgument(arg);

    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) {
        run.why = "no pipe for its output";
        return run;
    }
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    HANDLE nothing = CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0,
                                 nullptr);
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nothing;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    PROCESS_INFORMATION process = {};
    std::vector<char> mutableLine(commandLine.begin(), commandLine.end());
    mutableLine.push_back('\0');
    BOOL created = CreateProcessA(nullptr, mutableLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                                  nullptr, &startup, &process);
    DWORD startError = GetLastError();
    // Only the child holds the write end now: reading ends when it ends.
    CloseHandle(writeEnd);
    if (nothing != INVALID_HANDLE_VALUE) CloseHandle(nothing);
    if (!created) {
        CloseHandle(readEnd);
        run.why = startError == ERROR_FILE_NOT_FOUND || startError == ERROR_PATH_NOT_FOUND
                      ? "not found"
                      : "could not be started (error " + std::to_string(startError) + ")";
        return run;
    }
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(readEnd, buffer, sizeof(buffer), &got, nullptr) && got > 0) run.output.append(buffer, got);
    CloseHandle(readEnd);
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    run.started = true;
    run.exitCode = static_cast<int>(code);
    return run;
}

#else

ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& args) {
    ProgramRun run;
    int output[2];
    int status[2];  // the child writes exec's errno here; closed on a successful exec
    if (pipe(output) != 0) {
        run.why = std::string("no pipe for its output: ") + strerror(errno);
        return run;
    }
    if (pipe2(status, O_CLOEXEC) != 0) {
        run.why = std::string("no pipe: ") + strerror(errno);
        close(output[0]);
        close(output[1]);
        return run;
    }
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);

    pid_t child = fork();
    if (child == 0) {
        int nothing = open("/dev/null", O_RDONLY);
        if (nothing >= 0) dup2(nothing, 0);
        dup2(output[1], 1);
        dup2(output[1], 2);
        close(output[0]);
        close(output[1]);
        close(status[0]);
        execvp(program.c_str(), argv.data());
        int error = errno;
        ssize_t ignored = write(status[1], &error, sizeof(error));
        (void)ignored;
        _exit(127);
    }
    close(output[1]);
    close(status[1]);
    if (child < 0) {
        run.why = std::string("could not be started: ") + strerror(errno);
        close(output[0]);
        close(status[0]);
        return run;
    }
    int execError = 0;
    ssize_t got;
    do {
        got = read(status[0], &execError, sizeof(execError));
    } while (got < 0 && errno == EINTR);
    close(status[0]);
    bool execFailed = got == static_cast<ssize_t>(sizeof(execError));
    char buffer[4096];
    ssize_t n;
    while ((n = read(output[0], buffer, sizeof(buffer))) != 0) {
        if (n < 0) {
            if (errno == EINTR) continue;
            break;
        }
        run.output.append(buffer, static_cast<size_t>(n));
    }
    close(output[0]);
    int waitStatus = 0;
    while (waitpid(child, &waitStatus, 0) < 0 && errno == EINTR) {
    }
    if (execFailed) {
        run.why = execError == ENOENT ? "not found" : std::string("could not be started: ") + strerror(execError);
        return run;
    }
    run.started = true;
    run.exitCode = WIFEXITED(waitStatus) ? WEXITSTATUS(waitStatus) : 128 + WTERMSIG(waitStatus);
    return run;
}

#endif
