// Payload extraction, run by the installation worker.
#include "payload_extract.h"

#include <commctrl.h>
#include <string.h>

#include "compressed_payload.h"
#include "decode_ahead.h"
#include "held_folders.h"
#include "link_check.h"
#include "log_entries.h"
#include "path_rules.h"
#include "payload_walk.h"
#include "resource_names.h"
#include "setup_config.h"
#include "setup_ids.h"
#include "target_file.h"
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

// Logs each folder level that holding a chain makes.
class CLoggedFolders : public CreatedFolders {
public:
    explicit CLoggedFolders(CSetupConfig* config) : config_(config) {}
    int FolderCreated(const char* folder) override { return AddLogEntry(config_, folder, kLogFolder); }

private:
    CSetupConfig* config_;
};

// Sets folder to the entry's folder, making it when it is missing (every
// level made is logged, so that the uninstaller removes each one it leaves
// empty, and none that was there before); a folder already made or found for
// the previous entry is taken as it is. Every folder from the install folder
// down to it is held open while its files are written: none of them can be
// renamed or replaced by a link meanwhile, and each was checked, on its open
// handle, to be a real folder.
bool EntryFolder(CSetupConfig* config, const FileEntry& entry, TargetFolder* folder, CHeldFolders* held) {
    if (folder->path[0] && strcmp(folder->subFolder, entry.subFolder) == 0) return true;
    folder->path[0] = 0;
    char path[kPathSize];
    if (entry.subFolder[0] ? !JoinPath(path, sizeof(path), config->installDir, entry.subFolder)
                           : !CopyText(path, sizeof(path), config->installDir)) {
        return false;
    }
    CLoggedFolders logged(config);
    if (!held->Hold(config->installDir, path, &logged)) return false;
    CopyText(folder->path, sizeof(folder->path), path);
    return CopyText(folder->subFolder, sizeof(folder->subFolder), entry.subFolder) != 0;
}

// Where the files' bytes come from: the payload as stored, walked with an
// offset, or the compressed payload decoded a piece at a time. A file of any
// size needs no memory besides the decoder's: its pieces are written from
// where the decoder put them.
struct PayloadCursor {
    const uint8_t* data;  // the stored payload (null when decoding)
    DWORD size;
    DWORD offset;
    DecodeAhead* reader;  // the decoder of the compressed payload (null otherwise)
};

bool EntryFits(const PayloadCursor& cursor, int32_t entrySize) {
    if (cursor.reader) return entrySize >= 0;
    return PayloadEntryFits(cursor.size, cursor.offset, entrySize) != 0;
}

// Writes the entry's bytes into file and moves the cursor past them. A
// damaged compressed stream is a failure: what was decoded before it stays
// in the file, and nothing is written as if it were right.
bool WriteEntryBytes(HANDLE file, PayloadCursor* cursor, int32_t entrySize) {
    if (!cursor->reader) {
        if (!WriteWhole(file, cursor->data + cursor->offset, static_cast<DWORD>(entrySize))) return false;
        uint32_t next = cursor->offset;
        if (!NextPayloadOffset(cursor->size, &next, entrySize)) return false;
        cursor->offset = next;
        return true;
    }
    for (DWORD left = static_cast<DWORD>(entrySize); left > 0;) {
        size_t got;
        const uint8_t* piece = cursor->reader->Take(left, &got);
        if (!piece || !WriteWhole(file, piece, static_cast<DWORD>(got))) return false;
        left -= static_cast<DWORD>(got);
    }
    return true;
}

// Writes one entry at the cursor and moves the cursor past it.
bool ExtractEntry(CSetupConfig* config, const FileEntry& entry, PayloadCursor* cursor, TargetFolder* folder,
                  CHeldFolders* held, HWND fileLabel, HWND owner) {
    char target[kPathSize];
    if (!EntryFolder(config, entry, folder, held)) {
        folder->path[0] = 0;
        return false;
    }
    if (!JoinPath(target, sizeof(target), folder->path, entry.name)) return false;
    if (fileLabel) SendMessageA(fileLabel, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(target));

    if (!EntryFits(*cursor, entry.size)) return false;
    // A link in the place of the file would have it written elsewhere.
    if (IsReparsePoint(target)) return false;
    HANDLE file = CreateTargetFile(config, target, owner);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool whole = WriteEntryBytes(file, cursor, entry.size);
    bool closed = CloseHandle(file) != 0;
    // The file exists now, whole or not, so the uninstaller must know it.
    AddLogEntry(config, target, kLogFile);
    return whole && closed;
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
    // A package holding the payload both as stored and compressed was put
    // together by something else than pack (or on top of an older package):
    // which of the two holds the files described is not known, so neither is
    // installed.
    if (FindResourceA(module, kCompressedPayloadResource, kDataResourceType)) return 0;
    HGLOBAL loaded = LoadResource(module, found);
    const uint8_t* bytes = loaded ? static_cast<const uint8_t*>(LockResource(loaded)) : nullptr;
    if (!bytes) return 0;
    *data = bytes;
    *size = SizeofResource(module, found);
    return 1;
}

int LockCompressedPayload(HMODULE module, const uint8_t** data, DWORD* size) {
    *data = nullptr;
    *size = 0;
    HRSRC found = FindResourceA(module, kCompressedPayloadResource, kDataResourceType);
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const uint8_t* bytes = loaded ? static_cast<const uint8_t*>(LockResource(loaded)) : nullptr;
    if (!bytes) return 0;
    *data = bytes;
    *size = SizeofResource(module, found);
    return 1;
}

namespace {

ExtractResult ExtractFrom(CSetupConfig* config, PayloadCursor* cursor, std::atomic<int>* running, HWND page) {
    // Every level of the install folder that is made is logged ("Editeur" of
    // "Editeur\Jeu" too); a folder that cannot be made stops here.
    if (!MakeLoggedFolder(config, config->installDir)) return kExtractFailed;
    // The pause after each file lasts 1 ms only with a 1 ms timer period; the
    // period is given back on every way out of this function.
    CMillisecondTimer fineTimer;
    // The page's controls, found once rather than for every file.
    HWND fileLabel = page ? GetDlgItem(page, IDC_INSTALL_FILE) : nullptr;
    HWND bar = page ? GetDlgItem(page, IDC_INSTALL_PROGRESS) : nullptr;
    *running = 1;
    int written = 0;
    TargetFolder folder = {};
    CHeldFolders held;
    for (auto* node = config->files.First(); node; node = config->files.Next(node)) {
        if (*running == 0) return kExtractStopped;
        if (!ExtractEntry(config, node->payload, cursor, &folder, &held, fileLabel, page)) {
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
    // The whole stream, to its checksum and its end, must have been the
    // files' bytes: anything else means the files written may be wrong.
    if (cursor->reader && !cursor->reader->AtEnd()) return kExtractFailed;
    return kExtractDone;
}

}  // namespace

ExtractResult ExtractPayload(CSetupConfig* config, const uint8_t* data, DWORD size, std::atomic<int>* running,
                             HWND page) {
    PayloadCursor cursor = {data, size, 0, nullptr};
    return ExtractFrom(config, &cursor, running, page);
}

ExtractResult ExtractCompressedPayload(CSetupConfig* config, const uint8_t* data, DWORD size,
                                       std::atomic<int>* running, HWND page) {
    CompressedPayloadHeader header;
    if (!DecodeCompressedHeader(data, size, &header)) return kExtractFailed;
    DecodeAhead reader;
    ExtractResult result = kExtractFailed;
    if (reader.Open(data + kCompressedHeaderSize, size - kCompressedHeaderSize,
                    static_cast<size_t>(1) << header.windowLog, header.decodedSize)) {
        PayloadCursor cursor = {nullptr, 0, 0, &reader};
        result = ExtractFrom(config, &cursor, running, page);
    }
    *running = 0;
    reader.Close();
    return result;
}
