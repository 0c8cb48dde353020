// Names that setup, uninst and pack agree on: the data resources of a package
// and of an installed uninstaller, and the registry key under which installed
// programs are listed. A package written by pack is read by setup, and the
// uninstaller setup writes is read by uninst, through these names only.
#pragma once

// The type of every data resource below (a string type, not a number).
const char kDataResourceType[] = "RT_DATA";

// In a setup package.
const char kPayloadResource[] = "5000";       // the payload files back to back
const char kSetupRecordResource[] = "5001";   // the setup record
const char kLicenseResource[] = "5010";       // the licence text
const char kInfoResource[] = "5011";          // the information text
const char kCompressedPayloadResource[] = "5002";  // the payload compressed, instead of "5000"
// In a per-user package, and in the uninst.exe it installs: "user" (see install_scope.h).
const char kInstallScopeResource[] = "5003";
// In a package whose description gives AppVersion or Publisher: the texts of
// the entry in the list of installed programs (see registration_texts.h).
const char kRegistrationResource[] = "5004";

// In an installed uninst.exe: the install log.
const char kInstallLogResource[] = "5000";

// Below HKEY_LOCAL_MACHINE (below HKEY_CURRENT_USER for a per-user
// installation): one sub-key per installed program, named after it.
const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
