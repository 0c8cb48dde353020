// Creating the files of an installation, over earlier copies.
#include "target_file.h"

#include "install_journal.h"
#include "records.h"
#include "setup_config.h"
#include "setup_globals.h"
#include "text.h"

namespace {

const char kFileInUse[] =
    "Le fichier suivant est utilisé par un autre programme :\n%s\n\n"
    "Fermez ce programme, puis cliquez sur Recommencer. Cliquez sur Annuler pour abandonner l'installation.";

// Asks whether to try the file again; never without an owner to ask with.
bool AskRetry(HWND owner, const char* path) {
    if (!owner) return false;
    char text[kPathSize + sizeof(kFileInUse)];
    FormatText(text, sizeof(text), kFileInUse, path);
    return MessageBoxA(owner, text, wizardCaption, MB_RETRYCANCEL | MB_ICONWARNING) == IDRETRY;
}

}  // namespace

int FileHeldByAnotherProgram(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

HANDLE CreateTargetFile(CSetupConfig* config, const char* path, HWND owner) {
    for (;;) {
        DWORD attributes = GetFileAttributesA(path);
        // A read-only file is one the user protected: it is not replaced
        // (renaming it aside would get past its attribute).
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
            SetLastError(ERROR_ACCESS_DENIED);
            return INVALID_HANDLE_VALUE;
        }
        bool moved = true;
        if (config->journal && attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            moved = config->journal->MoveAside(path) != 0;
        }
        if (moved) {
            // A link made in its place meanwhile is replaced, never followed.
            HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
            if (file != INVALID_HANDLE_VALUE) return file;
        }
        DWORD error = GetLastError();
        if (!FileHeldByAnotherProgram(error) || !AskRetry(owner, path)) {
            SetLastError(error);
            return INVALID_HANDLE_VALUE;
        }
    }
}
