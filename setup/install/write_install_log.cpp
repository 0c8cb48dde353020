// Composing the install log and writing it beside setup.
#include "write_install_log.h"

#include <new>

#include "install_log.h"
#include "path_rules.h"
#include "setup_config.h"

namespace {

const char kCannotWriteLog[] = "On ne peut pas créer un fichier log.";

}  // namespace

int InstallLogPath(const CSetupConfig* config, char* path) {
    return JoinPath(path, 260, config->sourceDir, "Temp_002.log");
}

int CInstallLogBytes::Compose(const CSetupConfig* config, const CList<LogEntry>& entries) {
    delete[] bytes;
    size = 0;
    int32_t count = entries.Count();
    size_t total = InstallLogSize(count);
    bytes = new (std::nothrow) uint8_t[total];
    if (!bytes) return 0;
    EncodeLogHead(bytes, config->appName, config->appVerName, count);
    uint8_t* at = bytes + kLogHeadSize;
    for (auto* node = entries.First(); node; node = entries.Next(node)) {
        EncodeLogEntry(at, node->payload);
        at += kLogEntrySize;
    }
    EncodeLogTail(at, config->reservedText);
    size = static_cast<DWORD>(total);
    return 1;
}

InstallLogFileResult WriteInstallLog(const CSetupConfig* config, HWND owner, const CInstallLogBytes& log) {
    char path[260];
    HANDLE file = INVALID_HANDLE_VALUE;
    if (InstallLogPath(config, path)) {
        file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    if (file == INVALID_HANDLE_VALUE) {
        MessageBoxA(owner, kCannotWriteLog, "Erreur", MB_OK);
        return kLogFileNotCreated;
    }
    DWORD written = 0;
    bool whole = WriteFile(file, log.Bytes(), log.Size(), &written, nullptr) && written == log.Size();
    bool closed = CloseHandle(file) != 0;
    if (!whole || !closed) {
        // The uninstaller gets its log from memory, not from this file: a cut
        // copy is simply not left behind.
        DeleteFileA(path);
        return kLogFileCut;
    }
    return kLogFileWritten;
}
