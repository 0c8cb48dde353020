// The removal list: deleted paths added to the edit control in blocks of lines.
#include "removal_list.h"

#include <string.h>

#include "folder_ops.h"
#include "records.h"
#include "text.h"

CRemovalList::CRemovalList(HWND edit) : edit(edit), used(0) { block[0] = 0; }

CRemovalList::~CRemovalList() { Flush(); }

void CRemovalList::Add(const char* path) {
    if (!edit) return;
    char line[kPathSize + 2];
    FormatText(line, sizeof(line), "%s\r\n", path);
    size_t length = strlen(line);
    if (used + length >= sizeof(block)) Flush();
    memcpy(block + used, line, length + 1);
    used += length;
}

void CRemovalList::Flush() {
    if (!edit || used == 0) return;
    AppendEditText(edit, block);
    used = 0;
    block[0] = 0;
}
