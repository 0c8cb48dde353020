// Writing the install log file.
#include "write_install_log.h"

#include "install_log.h"
#include "path_rules.h"
#include "setup_config.h"
#include "text.h"

namespace {

const char kCannotWriteLog[] = "On ne peut pas créer un fichier log.";
const char kLogCut[] =
    "Le fichier log %s n'a pas pu être écrit en entier (disque plein ?).\n"
    "Sans lui, le programme ne pourrait pas être désinstallé : l'installation n'est pas terminée.";

bool WriteWhole(HANDLE file, const uint8_t* bytes, DWORD count) {
    DWORD written = 0;
    return WriteFile(file, bytes, count, &written, nullptr) && written == count;
}

bool WriteParts(HANDLE file, const CSetupConfig* config) {
    uint8_t head[kLogHeadSize];
    EncodeLogHead(head, config->appName, config->appVerName, config->installLog.Count());
    if (!WriteWhole(file, head, sizeof(head))) return false;
    for (auto* node = config->installLog.First(); node; node = config->installLog.Next(node)) {
        uint8_t entry[kLogEntrySize];
        EncodeLogEntry(entry, node->payload);
        if (!WriteWhole(file, entry, sizeof(entry))) return false;
    }
    uint8_t tail[kLogTailSize];
    EncodeLogTail(tail, config->reservedText);
    return WriteWhole(file, tail, sizeof(tail));
}

}  // namespace

int InstallLogPath(const CSetupConfig* config, char* path) {
    return JoinPath(path, 260, config->sourceDir, "Temp_002.log");
}

InstallLogFileResult WriteInstallLog(CSetupConfig* config, HWND owner) {
    char path[260];
    HANDLE file = INVALID_HANDLE_VALUE;
    if (InstallLogPath(config, path)) {
        file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    if (file == INVALID_HANDLE_VALUE) {
        MessageBoxA(owner, kCannotWriteLog, "Erreur", MB_OK);
        return kLogFileNotCreated;
    }
    bool whole = WriteParts(file, config);
    bool closed = CloseHandle(file) != 0;
    if (!whole || !closed) {
        // uninst.exe refuses a log that is shorter than its count says and
        // removes nothing, so a cut log could never remove this installation.
        char text[sizeof(path) + sizeof(kLogCut)];
        FormatText(text, sizeof(text), kLogCut, path);
        MessageBoxA(owner, text, "Erreur", MB_OK | MB_ICONERROR);
        return kLogFileCut;
    }
    return kLogFileWritten;
}
