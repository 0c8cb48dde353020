// Putting bytes into another program file as resources.
#pragma once

#include <windows.h>

// One resource to put: its name (of the type given to ReplaceResourcesWithBytes)
// and its bytes.
struct ResourceBytes {
    const char* name;
    const void* bytes;
    DWORD size;
};

// Replaces (or adds) the count resources of that type, language neutral, of
// target with the given bytes, in one update, keeping target's other
// resources: either all of them are written or none. Returns 1 when the
// update was written, 0 when target could not be opened for the update (not
// a program file, locked, gone) or the update could not be written.
int ReplaceResourcesWithBytes(const char* target, const char* type, const ResourceBytes* resources, int count);
