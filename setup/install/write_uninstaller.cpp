// Writing the uninstaller program.
#include "write_uninstaller.h"

#include "held_folders.h"
#include "install_journal.h"
#include "link_check.h"
#include "log_entries.h"
#include "path_rules.h"
#include "setup_config.h"
#include "setup_ids.h"
#include "target_file.h"

int UninstallerPath(const CSetupConfig* config, char* path) {
    return JoinPath(path, 260, config->installDir, "uninst.exe");
}

UninstallerResult WriteUninstaller(CSetupConfig* config, HWND owner) {
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(IDR_UNINSTALLER), "RT_EXECUTABLE");
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const void* image = loaded ? LockResource(loaded) : nullptr;
    DWORD size = found ? SizeofResource(module, found) : 0;
    if (!image || size == 0) return kUninstallerNotCreated;

    if (!MakeLoggedFolder(config, config->installDir)) return kUninstallerNotCreated;
    char path[kPathSize];
    // An install folder of 249 characters or more leaves no room for the name.
    if (!UninstallerPath(config, path)) return kUninstallerNoRoom;
    // The install folder is held while the uninstaller is written into it,
    // and a link in its place would have it written elsewhere.
    CHeldFolders held;
    if (!held.Hold(config->installDir, config->installDir, nullptr) || IsReparsePoint(path)) {
        return kUninstallerNotCreated;
    }
    HANDLE file = CreateTargetFile(config, path, owner);
    if (file == INVALID_HANDLE_VALUE) return kUninstallerNotCreated;
    // Not in the log (the uninstaller removes itself), but a failed attempt
    // must not leave it.
    if (config->journal) config->journal->Created(path, kLogFile);
    DWORD written = 0;
    BOOL ok = WriteFile(file, image, size, &written, nullptr);
    BOOL closed = CloseHandle(file);
    if (!ok || written != size || !closed) {
        // A cut program must not be left for the system to start.
        DeleteFileA(path);
        return kUninstallerNoRoom;
    }
    return kUninstallerWritten;
}
