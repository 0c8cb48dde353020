// Payload extraction in process, over payload bytes the test controls: what is
// written and logged, and every way the extraction stops short of success.
#include <windows.h>

#include <gtest/gtest.h>
#include <string.h>

#include <atomic>
#include <string>
#include <vector>

#include "payload_extract.h"
#include "setup_config.h"
#include "setup_ids.h"
#include "stored_payload.h"
#include "test_env.h"

namespace {

using testenv::FileExists;
using testenv::FolderExists;
using testenv::ReadFileBytes;
using testenv::ScratchDir;

struct Logged {
    std::string path;
    int kind;
    bool operator==(const Logged& o) const { return path == o.path && kind == o.kind; }
};
std::ostream& operator<<(std::ostream& out, const Logged& l) { return out << "{" << l.path << ", " << l.kind << "}"; }

// A configuration with its files and the payload bytes they come from.
struct Extraction {
    CSetupConfig config;
    std::string payload;
    std::atomic<int> running{0};

    explicit Extraction(const std::string& installDir) { strcpy(config.installDir, installDir.c_str()); }
    void Add(const std::string& name, const std::string& sub, const std::string& bytes) {
        FileEntry entry = {};
        strcpy(entry.name, name.c_str());
        strcpy(entry.subFolder, sub.c_str());
        entry.size = static_cast<int32_t>(bytes.size());
        config.files.Append(&entry);
        payload += bytes;
    }
    ExtractResult Run(HWND page = nullptr) {
        return ExtractPayload(&config, reinterpret_cast<const uint8_t*>(payload.data()),
                              static_cast<DWORD>(payload.size()), &running, page);
    }
    // The same files from the payload compressed (stored blocks), with extra
    // bytes after them in the stream, and the stream changed by damage.
    ExtractResult RunCompressed(const std::string& extra = "",
                                void (*damage)(std::string* stream) = nullptr) {
        std::string stream = testenv::StoredPayload(payload + extra);
        if (damage) damage(&stream);
        return ExtractCompressedPayload(&config, reinterpret_cast<const uint8_t*>(stream.data()),
                                        static_cast<DWORD>(stream.size()), &running, nullptr);
    }
    std::vector<Logged> Log() const {
        std::vector<Logged> out;
        for (auto* n = config.installLog.First(); n; n = config.installLog.Next(n)) {
            out.push_back({n->payload.path, n->payload.kind});
        }
        return out;
    }
};

TEST(Extract, WritesEveryFileAndLogsWhatItCreated) {
    ScratchDir dir("extract");
    std::string install = dir / "new";
    Extraction x(install);
    x.Add("one.exe", "", "first");
    x.Add("two.dat", "a\\b", "second");
    x.Add("empty.txt", "", "");  // the last entry holds no byte at all
    EXPECT_EQ(kExtractDone, x.Run());
    EXPECT_EQ(0, x.running);
    EXPECT_EQ("first", ReadFileBytes(install + "\\one.exe"));
    EXPECT_EQ("second", ReadFileBytes(install + "\\a\\b\\two.dat"));
    EXPECT_TRUE(FileExists(install + "\\empty.txt"));
    std::vector<Logged> expected = {
        {install, 1},
        {install + "\\one.exe", 0},
        {install + "\\a", 1},  // every level made is logged
        {install + "\\a\\b", 1},
        {install + "\\a\\b\\two.dat", 0},
        {install + "\\empty.txt", 0},
    };
    EXPECT_EQ(expected, x.Log());

    // Again over the same folder: everything is there, so only files are logged,
    // and existing files are replaced.
    Extraction again(install);
    again.Add("one.exe", "", "1");
    again.Add("two.dat", "a\\b", "2");
    EXPECT_EQ(kExtractDone, again.Run());
    EXPECT_EQ("1", ReadFileBytes(install + "\\one.exe"));
    EXPECT_EQ((std::vector<Logged>{{install + "\\one.exe", 0}, {install + "\\a\\b\\two.dat", 0}}), again.Log());
}

// Files of one sub-folder in a row, sub-folders coming back after others, a
// sub-folder below another, one named in other letter case and one that was
// there before: each folder the extraction makes is logged once, where it was
// made, and every file lands in its own folder.
TEST(Extract, EachFolderIsMadeAndLoggedOnceWhateverTheOrderOfTheFiles) {
    ScratchDir dir("extract");
    std::string install = dir / "new";
    ASSERT_TRUE(CreateDirectoryA(install.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((install + "\\pre").c_str(), nullptr));
    Extraction x(install);
    const struct {
        const char* name;
        const char* sub;
    } files[] = {
        {"a1", "x"}, {"a2", "x"}, {"b1", "y"}, {"a3", "x"}, {"c1", ""}, {"d1", "x\\deep"},
        {"a4", "X"}, {"p1", "pre"}, {"p2", "pre"}, {"c2", ""},
    };
    for (const auto& f : files) x.Add(f.name, f.sub, std::string(f.sub) + "/" + f.name);
    EXPECT_EQ(kExtractDone, x.Run());
    for (const auto& f : files) {
        std::string folder = f.sub[0] ? install + "\\" + f.sub : install;
        EXPECT_EQ(std::string(f.sub) + "/" + f.name, ReadFileBytes(folder + "\\" + f.name)) << f.name;
    }
    std::vector<Logged> expected = {
        {install + "\\x", 1},         {install + "\\x\\a1", 0}, {install + "\\x\\a2", 0},
        {install + "\\y", 1},         {install + "\\y\\b1", 0}, {install + "\\x\\a3", 0},
        {install + "\\c1", 0},        {install + "\\x\\deep", 1}, {install + "\\x\\deep\\d1", 0},
        {install + "\\X\\a4", 0},    {install + "\\pre\\p1", 0}, {install + "\\pre\\p2", 0},
        {install + "\\c2", 0},
    };
    EXPECT_EQ(expected, x.Log());
}

// The payload ends before or inside an entry: nothing is read past its end,
// no file is made for that entry, and the extraction fails.
TEST(Extract, EntryPastThePayloadEndFails) {
    for (size_t cut : {size_t(10), size_t(14)}) {
        SCOPED_TRACE(cut);
        ScratchDir dir("extract");
        Extraction x(dir.path());
        x.Add("one.bin", "", "0123456789");
        x.Add("two.bin", "", "abcdefghij");
        x.payload.resize(cut);
        EXPECT_EQ(kExtractFailed, x.Run());
        EXPECT_EQ(0, x.running);
        EXPECT_EQ("0123456789", ReadFileBytes(dir / "one.bin"));
        EXPECT_FALSE(FileExists(dir / "two.bin"));
        EXPECT_EQ((std::vector<Logged>{{dir / "one.bin", 0}}), x.Log());
    }
    // A negative size is no size at all.
    ScratchDir dir("extract");
    Extraction x(dir.path());
    x.Add("bad.bin", "", "xyz");
    x.config.files.First()->payload.size = -1;
    EXPECT_EQ(kExtractFailed, x.Run());
    EXPECT_FALSE(FileExists(dir / "bad.bin"));
}

// A target that cannot be created (here a folder of the same name stands in
// its way) stops the extraction; the files before it stay.
TEST(Extract, TargetThatCannotBeCreatedStopsTheExtraction) {
    ScratchDir dir("extract");
    ASSERT_TRUE(CreateDirectoryA((dir / "two.bin").c_str(), nullptr));
    Extraction x(dir.path());
    x.Add("one.bin", "", "1");
    x.Add("two.bin", "", "2");
    x.Add("three.bin", "", "3");
    EXPECT_EQ(kExtractFailed, x.Run());
    EXPECT_EQ("1", ReadFileBytes(dir / "one.bin"));
    EXPECT_TRUE(FolderExists(dir / "two.bin"));
    EXPECT_FALSE(FileExists(dir / "three.bin"));
    EXPECT_EQ((std::vector<Logged>{{dir / "one.bin", 0}}), x.Log());
}

// A target path longer than 259 characters is refused, never cut to another path.
TEST(Extract, TooLongTargetPathFails) {
    ScratchDir dir("extract");
    std::string sub(120, 's');
    std::string name(258 - dir.path().size() - sub.size(), 'n');  // 260 characters in all: one too many
    Extraction x(dir.path());
    x.Add("ok.bin", "", "fine");
    x.Add(name, sub, "never");
    EXPECT_EQ(kExtractFailed, x.Run());
    EXPECT_EQ("fine", ReadFileBytes(dir / "ok.bin"));
    std::vector<Logged> log = x.Log();
    ASSERT_EQ(2u, log.size());  // the file before, and the sub-folder made for the long one
    for (const Logged& entry : log) EXPECT_EQ(0u, entry.path.find(dir.path()));
    // One character less fits.
    Extraction fits(dir.path());
    fits.Add(name.substr(1), sub, "fits");
    EXPECT_EQ(kExtractDone, fits.Run());
    EXPECT_EQ("fits", ReadFileBytes(dir / sub + "\\" + name.substr(1)));
}

// A write that transfers fewer bytes than the entry holds is a failure: a full
// disk is simulated by the system's always-full device, reached through the
// drive that maps the Unix root under Wine.
TEST(Extract, ShortWriteFails) {
    HANDLE device = CreateFileA("Z:\\dev\\full", GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (device == INVALID_HANDLE_VALUE) GTEST_SKIP() << "no always-full device";
    CloseHandle(device);
    Extraction x("Z:\\dev");
    x.Add("full", "", std::string(4096, 'x'));
    x.Add("never.bin", "", "n");
    EXPECT_EQ(kExtractFailed, x.Run());
    // The file was created, so it is logged for removal, unless the device
    // folder could not be held open as a folder (as under Wine): then nothing
    // was written at all. Either way nothing comes after it.
    std::vector<Logged> log = x.Log();
    EXPECT_TRUE(log.empty() || log == (std::vector<Logged>{{"Z:\\dev\\full", 0}}));
}

// Plays the Cancel button: clears the flag a little after the worker raised it.
DWORD WINAPI StopSoon(LPVOID parameter) {
    auto* flag = static_cast<std::atomic<int>*>(parameter);
    for (int i = 0; i < 5000 && *flag == 0; ++i) Sleep(1);
    Sleep(20);
    *flag = 0;
    return 0;
}

TEST(Extract, StopRequestEndsBeforeTheNextFile) {
    ScratchDir dir("extract");
    Extraction x(dir.path());
    for (int i = 0; i < 400; ++i) x.Add("f" + std::to_string(i), "", "x");
    HANDLE stopper = CreateThread(nullptr, 0, StopSoon, &x.running, 0, nullptr);
    EXPECT_EQ(kExtractStopped, x.Run());
    WaitForSingleObject(stopper, 5000);
    CloseHandle(stopper);
    size_t written = x.Log().size();
    EXPECT_GT(written, 0u);
    EXPECT_LT(written, 400u);
    EXPECT_FALSE(FileExists(dir / "f399"));
}

// The compressed payload is decoded ahead on a second thread: a stop request
// ends the extraction before the next file all the same, and a new extraction
// (a retry) starts again from the first byte of the stream.
TEST(ExtractCompressed, StopRequestEndsItAndARetryWritesEveryFile) {
    ScratchDir dir("extract");
    Extraction x(dir.path());
    std::string all;
    for (int i = 0; i < 200; ++i) {
        std::string bytes(40000 + i, static_cast<char>('a' + i % 26));
        bytes[i] = '!';
        x.Add("f" + std::to_string(i), i % 2 ? "sous" : "", bytes);
    }
    HANDLE stopper = CreateThread(nullptr, 0, StopSoon, &x.running, 0, nullptr);
    EXPECT_EQ(kExtractStopped, x.RunCompressed());
    WaitForSingleObject(stopper, 5000);
    CloseHandle(stopper);
    EXPECT_EQ(0, x.running.load());
    EXPECT_FALSE(FileExists(dir / "sous\\f199"));

    EXPECT_EQ(kExtractDone, x.RunCompressed());
    EXPECT_EQ(0, x.running.load());
    size_t at = 0;
    for (auto* n = x.config.files.First(); n; n = x.config.files.Next(n)) {
        const FileEntry& e = n->payload;
        std::string path = dir / (e.subFolder[0] ? std::string(e.subFolder) + "\\" + e.name : std::string(e.name));
        ASSERT_EQ(x.payload.substr(at, static_cast<size_t>(e.size)), ReadFileBytes(path)) << path;
        at += static_cast<size_t>(e.size);
    }
}

// What the decoding thread finds wrong is the worker's failure: a checksum
// that does not match, bytes left after the last file, a stream cut short.
TEST(ExtractCompressed, ADamagedOrLongerStreamFails) {
    ScratchDir dir("extract");
    Extraction x(dir.path());
    for (int i = 0; i < 30; ++i) x.Add("f" + std::to_string(i), "", std::string(100000, static_cast<char>('0' + i % 10)));
    EXPECT_EQ(kExtractFailed, x.RunCompressed("", [](std::string* s) { (*s)[s->size() - 1] ^= 1; }));
    EXPECT_EQ(0, x.running.load());
    EXPECT_EQ(kExtractFailed, x.RunCompressed("rest"));
    EXPECT_EQ(kExtractFailed, x.RunCompressed("", [](std::string* s) { s->resize(s->size() / 2); }));
    EXPECT_EQ(kExtractDone, x.RunCompressed());
}

// The multimedia timer library as the extraction sees it: a stand-in for the
// page's file name control records, at every file, where winmm.dll was loaded
// from, and plays the Cancel button at the file named "stop".
struct TimerWatch {
    static TimerWatch* current;
    std::vector<std::string> loadedFrom;
    std::atomic<int>* running = nullptr;

    static LRESULT CALLBACK LabelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_SETTEXT && current) {
            char path[MAX_PATH] = "";
            HMODULE winmm = GetModuleHandleA("winmm.dll");
            if (winmm) GetModuleFileNameA(winmm, path, sizeof(path));
            current->loadedFrom.push_back(path);
            std::string name = reinterpret_cast<const char*>(lParam);
            if (name.size() >= 5 && name.compare(name.size() - 5, 5, "\\stop") == 0) *current->running = 0;
        }
        return DefWindowProcA(window, message, wParam, lParam);
    }
};
TimerWatch* TimerWatch::current = nullptr;

// The 1 ms timer period is held while files are written, through winmm.dll of
// the system folder, and given back (the library with it) on every way out:
// all files written, a file that cannot be made, a stop request.
TEST(Extract, MillisecondTimerIsHeldOnlyWhileFilesAreWritten) {
    if (GetModuleHandleA("winmm.dll")) GTEST_SKIP() << "winmm.dll is loaded by something else in this process";
    char system[MAX_PATH];
    GetSystemDirectoryA(system, sizeof(system));
    std::string expectedPath = std::string(system) + "\\winmm.dll";

    WNDCLASSA labelClass = {};
    labelClass.lpfnWndProc = TimerWatch::LabelProc;
    labelClass.hInstance = GetModuleHandleA(nullptr);
    labelClass.lpszClassName = "ExtractTimerWatch";
    RegisterClassA(&labelClass);
    HWND page = CreateWindowA("static", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(page != nullptr);
    CreateWindowA("ExtractTimerWatch", "", WS_CHILD, 0, 0, 10, 10, page,
                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_INSTALL_FILE)), nullptr, nullptr);

    ScratchDir dir("extract");
    ASSERT_TRUE(CreateDirectoryA((dir / "blocked").c_str(), nullptr));
    struct Case {
        const char* name;
        std::vector<std::string> files;
        ExtractResult result;
        size_t filesShown;
    };
    for (const Case& test : {Case{"done", {"a", "b", "c"}, kExtractDone, 3},
                             Case{"failed", {"a", "blocked", "c"}, kExtractFailed, 2},
                             Case{"stopped", {"a", "stop", "c"}, kExtractStopped, 2}}) {
        SCOPED_TRACE(test.name);
        Extraction x(dir.path());
        for (const std::string& f : test.files) x.Add(f, "", "x");
        TimerWatch watch;
        watch.running = &x.running;
        TimerWatch::current = &watch;
        EXPECT_EQ(test.result, x.Run(page));
        TimerWatch::current = nullptr;
        ASSERT_EQ(test.filesShown, watch.loadedFrom.size());
        for (const std::string& loaded : watch.loadedFrom) EXPECT_EQ(0, lstrcmpiA(expectedPath.c_str(), loaded.c_str()));
        EXPECT_EQ(nullptr, GetModuleHandleA("winmm.dll"));
    }
    DestroyWindow(page);
}

}  // namespace
