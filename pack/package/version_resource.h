// The version information of a program file (RT_VERSION 16, id 1): written
// for setup packages, and read back for `pack inspect`.
//
// Every block has the same head, and every block, value and child starts on a
// 4-byte boundary counted from the start of the resource:
//   length (2)        bytes of the block with its children, without the
//                     padding after its last child
//   value length (2)  bytes of a binary value, UTF-16 units of a text value
//                     (its terminator included)
//   type (2)          0 binary, 1 text
//   key               UTF-16, zero-terminated
//   value, children
//
//   VS_VERSION_INFO   value: VS_FIXEDFILEINFO, 13 x 4 bytes: signature
//                     0xFEEF04BD, structure version 0x00010000, file version
//                     (high, low), product version (high, low), flags mask,
//                     flags, OS, file type (1 = application), subtype, date
//     StringFileInfo
//       "040C04E4"    French, code page 1252: one text block per string
//     VarFileInfo
//       Translation   value: language 0x040C (2), code page 1252 (2)
#pragma once

#include <stdint.h>

#include <string>
#include <utility>
#include <vector>

// Language of the version information: French.
const uint16_t kVersionLanguage = 0x040C;

struct VersionInfo {
    uint16_t numbers[4] = {0, 0, 0, 0};  // major, minor, build, revision
    // Names and texts in code page 1252, in the order they are written; empty
    // texts are left out.
    std::vector<std::pair<std::string, std::string>> strings;
};

// The bytes of the RT_VERSION resource.
std::string BuildVersionResource(const VersionInfo& info);

// Reads an RT_VERSION resource: numbers are the file version, strings those of
// the first string table, turned into code page 1252 ('?' for characters it
// lacks). False with a reason when the bytes are damaged.
bool ReadVersionResource(const std::string& bytes, VersionInfo* info, std::string* table, std::string* error);
