// Embedding bytes into a program's resources with the resource-update functions.
#include "replace_resource.h"

int ReplaceResourceWithBytes(const char* target, const char* type, const char* name, const void* bytes,
                             DWORD size) {
    HANDLE update = BeginUpdateResourceA(target, FALSE);
    if (!update) return 0;
    // UpdateResource takes a writable pointer but only reads the bytes.
    if (!UpdateResourceA(update, type, name, MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL), const_cast<void*>(bytes),
                         size)) {
        EndUpdateResourceA(update, TRUE);
        return 0;
    }
    return EndUpdateResourceA(update, FALSE) ? 1 : 0;
}
