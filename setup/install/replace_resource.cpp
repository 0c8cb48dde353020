// Embedding bytes into a program's resources with the resource-update functions.
#include "replace_resource.h"

int ReplaceResourcesWithBytes(const char* target, const char* type, const ResourceBytes* resources, int count) {
    HANDLE update = BeginUpdateResourceA(target, FALSE);
    if (!update) return 0;
    for (int i = 0; i < count; ++i) {
        // UpdateResource takes a writable pointer but only reads the bytes.
        if (!UpdateResourceA(update, type, resources[i].name, MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL),
                             const_cast<void*>(resources[i].bytes), resources[i].size)) {
            EndUpdateResourceA(update, TRUE);
            return 0;
        }
    }
    return EndUpdateResourceA(update, FALSE) ? 1 : 0;
}
