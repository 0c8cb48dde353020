// The self-deletion batch: its text, its file and its start.
#include "self_delete.h"

#include <windows.h>
#include <sddl.h>
#include <shellapi.h>
#include <shlwapi.h>
#include <string.h>

#include "path_rules.h"
#include "records.h"
#include "resolved_path.h"
#include "text.h"

namespace {

const char kBatchName[] = "temp_001.bat";
const char kEchoOffLine[] = "echo off\r\n";
const char kDeleteLine[] = "del %s\r\n";
const char kRemoveFolderLine[] = "rmdir %s\r\n";

// Characters after which cmd would see a second argument or a second command.
const char kBatchSeparators[] = " \t,;=&|<>^()";

int AppendLine(char* out, size_t cap, size_t* used, const char* format, const char* path) {
    if (*used >= cap) return 0;
    char* at = out + *used;
    size_t room = cap - *used;
    int fits = path ? FormatText(at, room, format, path) : CopyText(at, room, format);
    if (!fits) return 0;
    *used += strlen(at);
    return 1;
}

// Copies path into out (cap bytes) with every '%' doubled, as cmd reads a
// batch line: a lone '%' would start a variable. 0 when it does not fit.
int EscapePercent(const char* path, char* out, size_t cap) {
    size_t used = 0;
    for (const char* c = path; *c; ++c) {
        size_t need = *c == '%' ? 2 : 1;
        if (used + need >= cap) {
            out[0] = 0;
            return 0;
        }
        out[used++] = *c;
        if (*c == '%') out[used++] = '%';
    }
    out[used] = 0;
    return 1;
}

// Only the Administrators group (elevated) and the system may write there.
const char kAdminsOnly[] = "D:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)";

}  // namespace

bool RunsElevated() {
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    PSID administrators = nullptr;
    if (!AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                                  &administrators)) {
        return false;
    }
    BOOL member = FALSE;
    if (!CheckTokenMembership(nullptr, administrators, &member)) member = FALSE;
    FreeSid(administrators);
    return member != FALSE;
}

int ProtectedBatchParent(char parent[kPathSize]) {
    UINT n = GetWindowsDirectoryA(parent, kPathSize);
    if (n > 0 && n < kPathSize && PathAppendA(parent, "Temp") && PathIsDirectoryA(parent)) return 1;
    DWORD t = GetTempPathA(kPathSize, parent);
    return t > 0 && t < kPathSize ? 1 : 0;
}

int MakeProtectedBatchFolder(const char* parent, char folder[kPathSize]) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(kAdminsOnly, SDDL_REVISION_1, &descriptor, nullptr)) {
        return 0;
    }
    SECURITY_ATTRIBUTES attributes = {sizeof(attributes), descriptor, FALSE};
    // A new folder for this run: one that exists already may belong to
    // anyone, so another name is taken.
    int made = 0;
    for (unsigned attempt = 0; attempt < 100 && !made; ++attempt) {
        char name[32];
        FormatText(name, sizeof(name), "%s%08lX-%u", kProtectedFolderPrefix, GetCurrentProcessId(), attempt);
        made = CopyText(folder, kPathSize, parent) && PathAppendA(folder, name) &&
               CreateDirectoryA(folder, &attributes);
        if (!made && GetLastError() != ERROR_ALREADY_EXISTS) break;
    }
    LocalFree(descriptor);
    if (!made) folder[0] = 0;
    return made;
}

namespace {

// The batch's path for this run. When the program runs elevated, the batch
// runs elevated too: it then lies in a folder of its own that only
// administrators and the system can write, so that no process of the user can
// replace it, or change it while cmd reads it line by line. Otherwise it lies
// in the user's temporary folder.
int BatchPathForThisRun(char path[kPathSize]) {
    if (!RunsElevated()) return SelfDeleteBatchPath(path);
    char parent[kPathSize];
    char folder[kPathSize];
    return ProtectedBatchParent(parent) && MakeProtectedBatchFolder(parent, folder) &&
           CopyText(path, kPathSize, folder) && PathAppendA(path, kBatchName);
}

}  // namespace

void BatchPathForm(const char* path, char* out) {
    char shortForm[kPathSize];
    DWORD n = GetShortPathNameA(path, shortForm, sizeof(shortForm));
    if (n == 0 || n >= sizeof(shortForm)) CopyText(shortForm, sizeof(shortForm), path);
    char form[kPathSize * 2];
    EscapePercent(shortForm, form, sizeof(form));
    if (strpbrk(form, kBatchSeparators)) {
        FormatText(out, kBatchPathFormSize, "\"%s\"", form);
    } else {
        CopyText(out, kBatchPathFormSize, form);
    }
}

int ComposeSelfDeleteBatch(char* out, size_t cap, const char* program, const char* folder, const char* batch,
                           const char* const* parents, int parentCount) {
    if (!out || cap == 0 || !program || !batch) return -1;
    out[0] = 0;
    size_t used = 0;
    if (!AppendLine(out, cap, &used, kEchoOffLine, nullptr) ||
        !AppendLine(out, cap, &used, kDeleteLine, program) ||
        (folder && !AppendLine(out, cap, &used, kRemoveFolderLine, folder))) {
        return -1;
    }
    for (int i = 0; folder && i < parentCount; ++i) {
        if (!AppendLine(out, cap, &used, kRemoveFolderLine, parents[i])) return -1;
    }
    if (!AppendLine(out, cap, &used, kDeleteLine, batch)) return -1;
    return static_cast<int>(used);
}

int LoggedParentFolders(const CList<LogEntry>& log, const char* folder, char (*parents)[kPathSize], int max) {
    int count = 0;
    for (auto* node = log.First(); node; node = log.Next(node)) {
        const LogEntry& entry = node->payload;
        if (entry.kind == kLogFile || SamePlace(entry.path, folder) || !PlaceWithin(entry.path, folder)) continue;
        bool listed = false;
        for (int i = 0; i < count && !listed; ++i) listed = SamePath(parents[i], entry.path) != 0;
        if (listed || count == max || !CopyText(parents[count], kPathSize, entry.path)) continue;
        ++count;
    }
    // Deepest first: a longer path that holds the folder lies below a shorter one.
    for (int i = 1; i < count; ++i) {
        for (int j = i; j > 0 && strlen(parents[j]) > strlen(parents[j - 1]); --j) {
            char swap[kPathSize];
            memcpy(swap, parents[j], kPathSize);
            memcpy(parents[j], parents[j - 1], kPathSize);
            memcpy(parents[j - 1], swap, kPathSize);
        }
    }
    return count;
}

int WriteSelfDeleteBatch(const char* batchPath, const char* programPath, int removeFolder,
                         const char* const* parents, int parentCount) {
    HANDLE file = CreateFileA(batchPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 0;
    // The short forms are taken once the batch exists, so that it has one too.
    char program[kBatchPathFormSize];
    char folder[kBatchPathFormSize];
    char batch[kBatchPathFormSize];
    BatchPathForm(programPath, program);
    if (removeFolder) {
        char programFolder[kPathSize];
        CopyText(programFolder, sizeof(programFolder), programPath);
        PathRemoveFileSpecA(programFolder);
        BatchPathForm(programFolder, folder);
    }
    BatchPathForm(batchPath, batch);
    char parentForms[kMaxBatchParents][kBatchPathFormSize];
    const char* parentLines[kMaxBatchParents];
    if (parentCount > kMaxBatchParents) parentCount = kMaxBatchParents;
    for (int i = 0; i < parentCount; ++i) {
        BatchPathForm(parents[i], parentForms[i]);
        parentLines[i] = parentForms[i];
    }
    char text[kBatchTextSize];
    int length = ComposeSelfDeleteBatch(text, sizeof(text), program, removeFolder ? folder : nullptr, batch,
                                        parentLines, parentCount);
    DWORD written = 0;
    BOOL ok = length > 0 && WriteFile(file, text, static_cast<DWORD>(length), &written, nullptr) &&
              written == static_cast<DWORD>(length);
    CloseHandle(file);
    if (!ok) DeleteFileA(batchPath);
    return ok ? 1 : 0;
}

int SelfDeleteBatchPath(char path[kPathSize]) {
    DWORD n = GetTempPathA(kPathSize, path);
    if (n == 0 || n >= kPathSize) return 0;
    return PathAppendA(path, kBatchName) ? 1 : 0;
}

int ComposeBatchCommand(char* out, size_t cap, const char* batch, const char* folder) {
    if (!out || cap == 0) return 0;
    out[0] = 0;
    if (!batch || !folder || strchr(batch, '%') || strchr(folder, '%')) return 0;
    char batchForm[kBatchPathFormSize];
    char folderForm[kBatchPathFormSize];
    BatchPathForm(batch, batchForm);
    BatchPathForm(folder, folderForm);
    if (FormatText(out, cap, "/c call %s & rmdir %s", batchForm, folderForm)) return 1;
    out[0] = 0;
    return 0;
}

namespace {

// Starts cmd from the system folder (never one found by a search) with the
// command line of ComposeBatchCommand, hidden.
void StartBatchThenRemoveFolder(const char* batchPath, const char* batchFolder, const char* workFolder) {
    char cmd[kPathSize];
    char parameters[2 * kBatchPathFormSize + 32];
    UINT n = GetSystemDirectoryA(cmd, sizeof(cmd));
    if (n == 0 || n >= sizeof(cmd) || !PathAppendA(cmd, "cmd.exe") ||
        !ComposeBatchCommand(parameters, sizeof(parameters), batchPath, batchFolder)) {
        // The batch alone still deletes the program; its empty folder stays.
        ShellExecuteA(nullptr, "open", batchPath, nullptr, workFolder, SW_HIDE);
        return;
    }
    ShellExecuteA(nullptr, "open", cmd, parameters, workFolder, SW_HIDE);
}

}  // namespace

void ScheduleSelfDelete(int removeFolder, const CList<LogEntry>& log) {
    char batchPath[kPathSize];
    char programPath[kPathSize];
    bool ownFolder = RunsElevated();
    if (!BatchPathForThisRun(batchPath)) return;
    DWORD n = GetModuleFileNameA(nullptr, programPath, sizeof(programPath));
    if (n == 0 || n >= sizeof(programPath)) return;
    char programFolder[kPathSize];
    CopyText(programFolder, sizeof(programFolder), programPath);
    PathRemoveFileSpecA(programFolder);
    char parents[kMaxBatchParents][kPathSize];
    const char* parentPaths[kMaxBatchParents];
    int parentCount = removeFolder ? LoggedParentFolders(log, programFolder, parents, kMaxBatchParents) : 0;
    for (int i = 0; i < parentCount; ++i) parentPaths[i] = parents[i];
    if (!WriteSelfDeleteBatch(batchPath, programPath, removeFolder, parentPaths, parentCount)) return;
    // The batch works from the temporary folder: a folder that is the current
    // folder of a process cannot be removed, and the install folder often is
    // ours. A folder made for the batch goes after it: cmd then works from the
    // folder above.
    char tempFolder[kPathSize];
    CopyText(tempFolder, sizeof(tempFolder), batchPath);
    PathRemoveFileSpecA(tempFolder);
    if (!ownFolder) {
        ShellExecuteA(nullptr, "open", batchPath, nullptr, tempFolder, SW_HIDE);
        return;
    }
    char parent[kPathSize];
    CopyText(parent, sizeof(parent), tempFolder);
    PathRemoveFileSpecA(parent);
    StartBatchThenRemoveFolder(batchPath, tempFolder, parent);
}
