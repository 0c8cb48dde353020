// The list of deleted files in the removal dialog's edit control.
#pragma once

#include <windows.h>
#include <stddef.h>

// Gathers the lines and adds them to the end of the edit control a block at a
// time. Each addition costs the edit control work that grows with the text it
// already holds (finding its length, putting the caret at its end, replacing
// the selection), so adding each line by itself made listing n files cost in
// n squared; a block of lines costs about what laying out its own lines costs.
// The lines reach the control in the order they were added; Flush (also run
// when the list goes) adds what is still gathered.
class CRemovalList {
public:
    // edit may be null: nothing is listed then.
    explicit CRemovalList(HWND edit);
    ~CRemovalList();
    CRemovalList(const CRemovalList&) = delete;
    CRemovalList& operator=(const CRemovalList&) = delete;

    // Adds path followed by CR LF.
    void Add(const char* path);
    void Flush();

private:
    enum { kBlockSize = 16384 };
    HWND edit;
    size_t used;
    char block[kBlockSize];
};
