// The read-only rich text box of the licence and information pages: its
// appearance and its filling from a text resource of the program.
#pragma once

#include <windows.h>
#include <richedit.h>

// The text box: "RichEdit20A", read-only, multi-line, with a vertical scroll bar.
// Gets no WM_SETFONT: its character format is set by ApplyTextBoxLook.
HWND AddTextBox(HWND page, int x, int y, int w, int h);

// White background and 10-point "MS Sans Serif", black, without bold, italic
// or underline, for all text. Sent before any text goes in.
void ApplyTextBoxLook(HWND box);

// Hands the next piece of a locked text to the text box: at most requested
// bytes from offset *pos, never past size. Stores the count in *got and
// advances *pos. Returns 0 to go on, 1 once everything has been delivered.
DWORD StreamTextPiece(const void* text, int size, int* pos, LPBYTE buffer, LONG requested, LONG* got);

// Streams RT_DATA resource `name` of module into the box (RTF when format is 2,
// plain text otherwise) through callback with cookie. *data, *size and *pos are
// the page's streaming state; *pos starts at 0. A missing or unloadable
// resource leaves the box empty.
void StreamResourceText(HWND box, HMODULE module, const char* name, int format, HGLOBAL* data, int* size,
                        int* pos, EDITSTREAMCALLBACK callback, DWORD_PTR cookie);

// EM_STREAMIN read callback of a page that has textData, textSize and textPos;
// the cookie is the page object.
template <class Page>
DWORD CALLBACK TextStreamCallback(DWORD_PTR cookie, LPBYTE buffer, LONG requested, LONG* got) {
    Page* page = reinterpret_cast<Page*>(cookie);
    if (!page) return 1;
    return StreamTextPiece(LockResource(page->textData), page->textSize, &page->textPos, buffer, requested, got);
}

// Fills the page's text box from RT_DATA `name` of module.
template <class Page>
void FillTextBox(Page* page, HWND box, HMODULE module, const char* name, int format) {
    StreamResourceText(box, module, name, format, &page->textData, &page->textSize, &page->textPos,
                       TextStreamCallback<Page>, reinterpret_cast<DWORD_PTR>(page));
}
