// Who an installation is for: every user of the machine (the default, with
// administrator rights, registered under HKEY_LOCAL_MACHINE) or the user who
// runs setup (no rights asked, registered under HKEY_CURRENT_USER).
//
// pack marks a per-user package with the resource kInstallScopeResource
// holding the bytes "user"; setup puts the same resource into the uninst.exe
// it writes, beside the install log. A package or uninstaller without the
// resource is one for every user, as every package was before the choice
// existed: the setup record and the install log do not change.
#pragma once

#include <stddef.h>
#include <stdint.h>

enum InstallScope {
    kScopeMachine = 0,  // no scope resource
    kScopeUser = 1,     // the resource holds exactly kUserScopeBytes
    kScopeUnknown = 2,  // a resource with other bytes: damaged or from elsewhere
};

// The bytes of the scope resource of a per-user package (no terminator).
const char kUserScopeBytes[] = "user";
enum { kUserScopeSize = sizeof(kUserScopeBytes) - 1 };

// The scope that a resource says; data null means there is no resource.
InstallScope ParseInstallScope(const uint8_t* data, size_t size);
