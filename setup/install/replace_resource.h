// Putting the bytes of a file into another program file as one resource.
#pragma once

#include <windows.h>

// Replaces (or adds) resource type/name, language neutral, of target with the
// whole content of dataFile, keeping target's other resources. Returns 1 when
// the update was written. A missing or unmappable dataFile is reported in a
// message box (owner window, caption "Erreur"); a refused update is silent.
int ReplaceResourceFromFile(HWND owner, const char* target, const char* dataFile, const char* type,
                            const char* name);
