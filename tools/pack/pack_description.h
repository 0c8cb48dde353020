// The package description read by `pack build`: an INI-style text with a
// [Setup] section (names, install folder, flags, licence and information
// texts) and a [Files] section (the files in payload order, the first being the
// main program). This parser works on bytes only; the caller reads the files.
//
//   [Setup]
//   AppName = Cartopia
//   Folder = {pf}
//   License = licence.rtf
//   [Files]
//   Cartopia.exe
//   docs/Lisez-moi.txt = Documentation
//
// Lines starting with ';' or '#' are comments. Keys are not case-sensitive.
// A value may be put in double quotes to keep blanks at its ends or an '='.
// The text may be UTF-8 (with or without BOM) or code page 1252; every string
// handed back is code page 1252, as setup stores it.
#pragma once

#include <stddef.h>

#include <string>
#include <vector>

#include "setup_record.h"

// Text format of the licence or information text.
enum PackTextFormat {
    kTextNone = 0,   // no text given
    kTextPlain = 1,  // stored with format 1
    kTextRtf = 2,    // stored with format 2
    kTextAuto = -1,  // file given without format: decided from its content
};

struct PackText {
    std::string source;  // path as written, relative to the description's folder
    PackTextFormat format = kTextNone;
    int line = 0;        // line of the file key
    int formatLine = 0;  // line of the format key (0 when not given)
};

struct PackFile {
    std::string source;     // path as written, relative to the description's folder
    std::string name;       // file name in the install folder (last part of source)
    std::string subFolder;  // sub-folder below the install folder, '\' separated, "" for none
    int line = 0;
    bool valid = true;      // false when its line had an error
};

struct PackDescription {
    SetupRecord record;  // names, folder token and flags; file entries are in files
    std::vector<PackFile> files;
    PackText license;
    PackText info;
};

struct PackError {
    int line;  // 1-based line of the description the error is about
    std::string message;
};

// Parses size bytes of a description into *out. Returns true when there was no
// error; otherwise every error found goes to *errors, in line order, and *out
// holds what could be read (files with an error are marked not valid).
bool ParsePackDescription(const char* data, size_t size, PackDescription* out, std::vector<PackError>* errors);

// True when bytes start with the RTF signature "{\rtf".
bool LooksLikeRtf(const std::string& bytes);

// What setup is given as a plain text: UTF-8 turned into code page 1252, bare
// line feeds made CR LF. Returns false (and the 1-based line in *badLine) when
// the UTF-8 text holds a character code page 1252 cannot hold.
bool PreparePlainText(const std::string& bytes, std::string* out, int* badLine);

// Longest path setup can write: 259 characters.
enum { kMaxPathLength = kPathSize - 1 };
