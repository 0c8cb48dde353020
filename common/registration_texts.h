// The texts of the entry in the list of installed programs that the setup
// record cannot hold: the version (DisplayVersion) and the publisher
// (Publisher). pack writes them into a package as RT_DATA kRegistrationResource
// when the description gives AppVersion or Publisher; a package without the
// resource registers neither, as packages did before it existed.
//
// Bytes: the version, a zero byte, the publisher, a zero byte; each text in
// code page 1252, at most kPathSize - 1 bytes, "" when not given.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "records.h"

struct RegistrationTexts {
    char version[kPathSize];
    char publisher[kPathSize];
};

// Reads the resource's bytes (data null: no resource), never past size. On 0
// (bytes that do not hold two terminated texts of at most kPathSize - 1
// bytes, or more bytes after them) both texts are "": a damaged resource
// registers nothing rather than a text cut or run together.
int ParseRegistrationTexts(const uint8_t* data, size_t size, RegistrationTexts* out);

// Writes the bytes into out (cap bytes); their count, or 0 when a text is
// longer than kPathSize - 1 bytes or they do not fit.
size_t EncodeRegistrationTexts(const char* version, const char* publisher, uint8_t* out, size_t cap);
