// The self-deletion batch: its text, its file and its start.
#include "self_delete.h"

#include <windows.h>
#include <shellapi.h>
#include <shlwapi.h>
#include <string.h>

#include "records.h"
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

}  // namespace

void BatchPathForm(const char* path, char* out) {
    char form[kPathSize];
    DWORD n = GetShortPathNameA(path, form, sizeof(form));
    if (n == 0 || n >= sizeof(form)) CopyText(form, sizeof(form), path);
    if (strpbrk(form, kBatchSeparators)) {
        FormatText(out, kPathSize + 2, "\"%s\"", form);
    } else {
        CopyText(out, kPathSize + 2, form);
    }
}

int ComposeSelfDeleteBatch(char* out, size_t cap, const char* program, const char* folder, const char* batch) {
    if (!out || cap == 0 || !program || !batch) return -1;
    out[0] = 0;
    size_t used = 0;
    if (!AppendLine(out, cap, &used, kEchoOffLine, nullptr) ||
        !AppendLine(out, cap, &used, kDeleteLine, program) ||
        (folder && !AppendLine(out, cap, &used, kRemoveFolderLine, folder)) ||
        !AppendLine(out, cap, &used, kDeleteLine, batch)) {
        return -1;
    }
    return static_cast<int>(used);
}

int WriteSelfDeleteBatch(const char* batchPath, const char* programPath, int removeFolder) {
    HANDLE file = CreateFileA(batchPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 0;
    // The short forms are taken once the batch exists, so that it has one too.
    char program[kPathSize + 2];
    char folder[kPathSize + 2];
    char batch[kPathSize + 2];
    BatchPathForm(programPath, program);
    if (removeFolder) {
        char programFolder[kPathSize];
        CopyText(programFolder, sizeof(programFolder), programPath);
        PathRemoveFileSpecA(programFolder);
        BatchPathForm(programFolder, folder);
    }
    BatchPathForm(batchPath, batch);
    char text[kBatchTextSize];
    int length = ComposeSelfDeleteBatch(text, sizeof(text), program, removeFolder ? folder : nullptr, batch);
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

void ScheduleSelfDelete(int removeFolder) {
    char batchPath[kPathSize];
    char programPath[kPathSize];
    if (!SelfDeleteBatchPath(batchPath)) return;
    DWORD n = GetModuleFileNameA(nullptr, programPath, sizeof(programPath));
    if (n == 0 || n >= sizeof(programPath)) return;
    if (!WriteSelfDeleteBatch(batchPath, programPath, removeFolder)) return;
    // The batch works from the temporary folder: a folder that is the current
    // folder of a process cannot be removed, and the install folder often is ours.
    char tempFolder[kPathSize];
    CopyText(tempFolder, sizeof(tempFolder), batchPath);
    PathRemoveFileSpecA(tempFolder);
    ShellExecuteA(nullptr, "open", batchPath, nullptr, tempFolder, SW_HIDE);
}
