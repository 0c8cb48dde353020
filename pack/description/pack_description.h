// The package description read by `pack build`: an INI-style text with a
// [Setup] section (names, install folder, flags, licence and information
// texts) and a [Files] section (the files in payload order, the first being the
// main program, then files and patterns: see file_patterns.h), with optional
// [Exclude] (exclusions.h) and [Defines] (definitions.h) sections. This parser works on bytes only; the caller reads the files.
//
//   [Setup]
//   AppName = Cartopia
//   Folder = {pf}
//   License = licence.rtf
//   SetupIcon = cartopia.ico
//   AppVersion = 1.2
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
#include <utility>
#include <vector>

#include "setup_record.h"

class FolderSource;

// Definitions given on the command line (-D Name=Value), in their order.
typedef std::vector<std::pair<std::string, std::string>> DefinitionList;

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
    bool pattern = false;   // source is a pattern not expanded (read without a FolderSource)
};

// A file of the branding: the installer's icon or a picture of the wizard.
struct PackSource {
    std::string path;  // as written, relative to the description's folder; "" when not given
    int line = 0;
};

// What the package shows of itself: icon, pictures, version information.
struct PackBranding {
    PackSource icon;           // SetupIcon: an .ico file
    PackSource sidePicture;    // SidePicture: a BMP, 144 x 324
    PackSource headerPicture;  // HeaderPicture: a BMP, 64 x 64
    std::string version;       // AppVersion, or the version part of AppVerName ("" when none)
    std::string givenVersion;  // AppVersion alone ("" when not given): the registered DisplayVersion
    uint16_t versionNumbers[4] = {0, 0, 0, 0};
    std::string publisher;     // Publisher ("" when not given)
    std::string copyright;     // Copyright ("" when not given)
    std::string description;   // Description, by default "Installation de <AppName>"
    std::string originalFileName;  // OriginalFileName, by default "<AppName without blanks>Setup.exe"
};

// How the payload is stored: as it is, or compressed (quickly, or as small as
// can be at the cost of time).
enum PackCompression { kPackCompressionNone = 0, kPackCompressionFast = 1, kPackCompressionBest = 2 };

struct PackDescription {
    SetupRecord record;  // names, folder token and flags; file entries are in files
    std::vector<PackFile> files;
    PackText license;
    PackText info;
    PackBranding branding;
    PackCompression compression = kPackCompressionNone;
    int compressionLine = 0;  // line of the Compression key (0 when not given)
    bool perUser = false;     // Privileges = user: installed for the user who runs setup, without rights
    int privilegesLine = 0;   // line of the Privileges key (0 when not given)
};

struct PackError {
    int line;  // 1-based line of the description the error is about
    std::string message;
};

// What a description is read with besides its text.
struct PackReadOptions {
    // Definitions of the command line (-D Name=Value), in code page 1252;
    // they win over the description's [Defines].
    DefinitionList definitions;
    // The folders the patterns of [Files] are expanded in (the description's
    // folder); without it, a pattern stays one entry marked pattern.
    const FolderSource* folders = nullptr;
};

// Parses size bytes of a description into *out. Returns true when there was no
// error; otherwise every error found goes to *errors, in line order, and *out
// holds what could be read (files with an error are marked not valid).
bool ParsePackDescription(const char* data, size_t size, PackDescription* out, std::vector<PackError>* errors);
bool ParsePackDescription(const char* data, size_t size, const PackReadOptions& options, PackDescription* out,
                          std::vector<PackError>* errors);

// The problem of one part of a path (a file or folder name) for Windows, or ""
// when it is fine: the checks of the names a [Files] line gives.
std::string PackNameProblem(const std::string& name);

// Reads "1.2", "2.0.1 bêta", "3.4.5.6" into numbers (missing parts 0). False
// with a reason ("does not start with ...") when the text does not start with
// a number or a part is above 65535.
bool ParseVersionNumbers(const std::string& text, uint16_t numbers[4], std::string* error);

// True when bytes start with the RTF signature "{\rtf".
bool LooksLikeRtf(const std::string& bytes);

// What setup is given as a plain text: UTF-8 turned into code page 1252, bare
// line feeds made CR LF. Returns false (and the 1-based line in *badLine) when
// the UTF-8 text holds a character code page 1252 cannot hold.
bool PreparePlainText(const std::string& bytes, std::string* out, int* badLine);

// Longest path setup can write: 259 characters.
enum { kMaxPathLength = kPathSize - 1 };
