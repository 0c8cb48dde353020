// Reading the scope resource (see install_scope.h).
#include "install_scope.h"

#include <string.h>

InstallScope ParseInstallScope(const uint8_t* data, size_t size) {
    if (!data) return kScopeMachine;
    if (size == kUserScopeSize && memcmp(data, kUserScopeBytes, kUserScopeSize) == 0) return kScopeUser;
    return kScopeUnknown;
}
