// Putting bytes into another program file as one resource.
#pragma once

#include <windows.h>

// Replaces (or adds) resource type/name, language neutral, of target with the
// given bytes, keeping target's other resources. Returns 1 when the update was
// written, 0 when target could not be opened for the update (not a program
// file, locked, gone) or the update could not be written.
int ReplaceResourceWithBytes(const char* target, const char* type, const char* name, const void* bytes, DWORD size);
