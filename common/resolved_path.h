// Paths compared as the places they name, not as they are spelled (Win32).
#pragma once

#include "records.h"

// The full path of path with every existing part in its long form, runs of
// backslashes made one and no closing backslash (a drive root keeps it): a
// short (8.3) name, a doubled backslash, "." and ".." parts and a relative
// path all give the same text as the plain long path. Parts that do not
// exist are kept as written. 0 when the result does not fit kPathSize.
int ResolvePath(const char* path, char out[kPathSize]);

// 1 when both paths resolve and name the same place (letter case ignored, as
// the file system does). Paths resolved already compare with SamePath of
// path_rules.h, a comparison of the texts alone.
int SamePlace(const char* a, const char* b);

// 1 when path resolves to folder itself or to a place below it. Paths resolved
// already compare with PathWithin of path_rules.h.
int PlaceWithin(const char* folder, const char* path);
