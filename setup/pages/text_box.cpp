// The rich text box shared by the licence and information pages.
#include "text_box.h"

#include <string.h>

#include "page_layout.h"
#include "resource_names.h"
#include "setup_ids.h"

namespace {

const char kTextBoxClass[] = "RichEdit20A";
const char kTextBoxFace[] = "MS Sans Serif";

}  // namespace

HWND AddTextBox(HWND page, int x, int y, int w, int h) {
    return AddControl(page, kTextBoxClass, "", IDC_TEXT_BOX, x, y, w, h,
                      WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY | ES_SUNKEN,
                      0, PAGE_NO_FONT);
}

void ApplyTextBoxLook(HWND box) {
    SendMessageA(box, EM_SETBKGNDCOLOR, 0, RGB(255, 255, 255));
    CHARFORMAT2A format;
    memset(&format, 0, sizeof(format));
    format.cbSize = sizeof(format);
    format.dwMask = CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_COLOR | CFM_FACE | CFM_SIZE;
    format.dwEffects = 0;
    format.yHeight = 200;
    format.crTextColor = RGB(0, 0, 0);
    memcpy(format.szFaceName, kTextBoxFace, sizeof(kTextBoxFace));
    // The same format as the control's default too: text that replaces the whole
    // content (EM_STREAMIN) is not bound to take the format of the text it replaces.
    SendMessageA(box, EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
    SendMessageA(box, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&format));
}

DWORD StreamTextPiece(const void* text, int size, int* pos, LPBYTE buffer, LONG requested, LONG* got) {
    if (got) *got = 0;
    if (!pos || *pos >= size) return 1;
    if (!text || !buffer || !got || requested < 0) return 1;
    LONG n = requested;
    // Compared through the remainder, so that a huge request cannot overflow.
    if (n > size - *pos) n = size - *pos;
    memcpy(buffer, static_cast<const char*>(text) + *pos, static_cast<size_t>(n));
    *got = n;
    *pos += n;
    return 0;
}

void StreamResourceText(HWND box, HMODULE module, const char* name, int format, HGLOBAL* data, int* size,
                        int* pos, EDITSTREAMCALLBACK callback, DWORD_PTR cookie) {
    *pos = 0;
    HRSRC found = FindResourceA(module, name, kDataResourceType);
    if (!found) return;
    *size = static_cast<int>(SizeofResource(module, found));
    *data = LoadResource(module, found);
    if (!*data) return;
    // A rich edit box takes at most 32,767 characters unless told otherwise, and
    // cuts what streams in beyond that: room for the whole resource, so a long
    // licence is shown to its end (its characters never outnumber its bytes).
    if (*size > 32767) SendMessageA(box, EM_EXLIMITTEXT, 0, *size);
    EDITSTREAM stream;
    memset(&stream, 0, sizeof(stream));
    stream.dwCookie = cookie;
    stream.dwError = 0;
    stream.pfnCallback = callback;
    SendMessageA(box, EM_STREAMIN, format == 2 ? SF_RTF : SF_TEXT, reinterpret_cast<LPARAM>(&stream));
    FreeResource(*data);
    *data = nullptr;
}
