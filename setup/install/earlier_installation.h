// An earlier installation of the same application, in the same scope (every
// user, or this user): the one registered under the uninstall key named after
// appName whose uninstaller is there and carries this system's whole log of
// that application. There is at most one per application and scope.
#pragma once

class CSetupConfig;

// Looks for it and, when found, sets earlierFound, earlierDir (the folder of
// its uninst.exe), earlierName (the name it is listed under) and earlierLog,
// and proposes earlierDir as installDir. A key whose uninstaller is missing,
// or whose log is missing, damaged or of another application, is no earlier
// installation. Returns 1 when found.
int FindEarlierInstallation(CSetupConfig* config);
