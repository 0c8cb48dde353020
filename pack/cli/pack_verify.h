// `pack verify`: is a package what its description builds?
#pragma once

#include <string>

#include "pack_description.h"

// Rebuilds the package that descriptionPath describes (with setupExe) and
// compares it with the package at packagePath, which may be signed: a
// signature's certificate table, its directory entry and the header checksum
// are left out of the comparison. On a difference, names the first resource
// that differs and, in the payload, the first file. Returns the process exit
// code: 0 the same, 1 different, 2 when nothing could be compared (an
// unreadable package, a description with errors).
int VerifyPackage(const std::string& packagePath, const std::string& descriptionPath, const DefinitionList& definitions,
                  const std::string& setupExe);
