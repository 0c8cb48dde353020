// Payload extraction, run by the installation worker.
#include "payload_extract.h"

#include <commctrl.h>
#include <string.h>

#include "folder_ops.h"
#include "log_entries.h"
#include "path_rules.h"
#include "payload_walk.h"
#include "resource_names.h"
#include "setup_config.h"
#include "setup_ids.h"
#include "text.h"
#include "timer_resolution.h"

namespace {

// Writes count bytes in one call; a write that transfers fewer bytes (disk full,
// quota) is a failure like any other.
bool WriteWhole(HANDLE file, const uint8_t* bytes, DWORD count) {
    if (count == 0) return true;
    DWORD written = 0;
    return WriteFile(file, bytes, count, &written, nullptr) && written == count;
}

// The folder of the entries being written: made or found once for a run of
// entries with the same sub-folder, not asked for again for each file.
struct TargetFolder {
    char subFolder[kPathSize];  // the sub-folder path holds, "" for installDir
    char path[kPathSize];       // "" until the first entry
};

// Sets folder to the entry's folder, making it (and logging it) when it is
// missing; a folder already made or found for the previous entry is taken as
// it is.
bool EntryFolder(CSetupConfig* config, const FileEntry& entry, TargetFolder* folder) {
    if (folder->path[0] && strcmp(folder->subFolder, entry.subFolder) == 0) return true;
    folder->path[0] = 0;
    if (entry.subFolder[0]) {
        if (!JoinPath(folder->path, sizeof(folder->path), config->installDir, entry.subFolder)) return false;
        // Only the deepest folder is logged; removing it empty is what the
        // uninstaller can do safely.
        if (CreateFolderPath(folder->path, 0)) AddLogEntry(config, folder->path, kLogFolder);
    } else if (!CopyText(folder->path, sizeof(folder->path), config->installDir)) {
        return false;
    }
    return CopyText(folder->subFolder, sizeof(folder->subFolder), entry.subFolder) != 0;
}

// Writes one entry at *offset of the payload and moves the offset past it.
bool ExtractEntry(CSetupConfig* config, const FileEntry& entry, const uint8_t* data, DWORD size, DWORD* offset,
                  TargetFolder* folder, HWND fileLabel) {
    char target[kPathSize];
    if (!EntryFolder(config, entry, folder)) {
        folder->path[0] = 0;
        return false;
    }
    if (!JoinPath(target, sizeof(target), folder->path, entry.name)) return false;
    if (fileLabel) SendMessageA(fileLabel, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(target));

    if (!PayloadEntryFits(size, *offset, entry.size)) return false;
    HANDLE file = CreateFileA(target, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool whole = WriteWhole(file, data + *offset, static_cast<DWORD>(entry.size));
    bool closed = CloseHandle(file) != 0;
    // The file exists now, whole or not, so the uninstaller must know it.
    AddLogEntry(config, target, kLogFile);
    if (!whole || !closed) return false;
    uint32_t next = *offset;
    if (!NextPayloadOffset(size, &next, entry.size)) return false;
    *offset = next;
    return true;
}

}  // namespace

int LockPayload(HMODULE module, const uint8_t** data, DWORD* size, int* missing) {
    *data = nullptr;
    *size = 0;
    *missing = 0;
    HRSRC found = FindResourceA(module, kPayloadResource, kDataResourceType);
    if (!found) {
        *missing = 1;
        return 0;
    }
    HGLOBAL loaded = LoadResource(module, found);
    const uint8_t* bytes = loaded ? static_cast<const uint8_t*>(LockResource(loaded)) : nullptr;
    if (!bytes) return 0;
    *data = bytes;
    *size = SizeofResource(module, found);
    return 1;
}

ExtractResult ExtractPayload(CSetupConfig* config, const uint8_t* data, DWORD size, std::atomic<int>* running,
                             HWND page) {
    if (CreateFolderPath(config->installDir, 0)) AddLogEntry(config, config->installDir, kLogFolder);
    // The pause after each file lasts 1 ms only with a 1 ms timer period; the
    // period is given back on every way out of this function.
    CMillisecondTimer fineTimer;
    // The page's controls, found once rather than for every file.
    HWND fileLabel = page ? GetDlgItem(page, IDC_INSTALL_FILE) : nullptr;
    HWND bar = page ? GetDlgItem(page, IDC_INSTALL_PROGRESS) : nullptr;
    *running = 1;
    DWORD offset = 0;
    int written = 0;
    TargetFolder folder = {};
    for (auto* node = config->files.First(); node; node = config->files.Next(node)) {
        if (*running == 0) return kExtractStopped;
        if (!ExtractEntry(config, node->payload, data, size, &offset, &folder, fileLabel)) {
            *running = 0;
            return kExtractFailed;
        }
        ++written;
        if (bar) SendMessageA(bar, PBM_SETPOS, written, 0);
        Sleep(1);
    }
    // A stop request that came after the last file still counts as a stop.
    if (*running == 0) return kExtractStopped;
    *running = 0;
    return kExtractDone;
}
