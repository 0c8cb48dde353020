// The target a shortcut file names, read through the shell-link object.
#pragma once

#include "records.h"

// 1 when path ends in ".lnk" (letter case ignored).
int IsShortcutName(const char* path);

// Loads the shortcut file at path and writes the path it starts into target.
// 0 when it cannot be loaded (not a shortcut, damaged, no shell-link object)
// or names no file. COM is initialised here and uninitialised on every path.
int ShortcutTarget(const char* path, char target[kPathSize]);
