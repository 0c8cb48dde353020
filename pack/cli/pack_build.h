// `pack build`: a package description and its files to a setup package.
#pragma once

#include <string>

#include "code_signing.h"
#include "pack_description.h"
#include "package_writer.h"

// Reads the description, checks it and every file it names, and writes outExe
// as a copy of setupExe carrying the package. Errors go to the error output,
// each with the description's name and line; on any error nothing is written.
// When signing is wanted, the package is signed before it takes its name.
// Returns the process exit code (0 on success).
int BuildPackage(const std::string& descriptionPath, const DefinitionList& definitions, const std::string& outExe,
                 const std::string& setupExe, const SigningOptions& signing);

// Reads the description and the files it names into *contents, as
// BuildPackage does, and checks that setupExe exists (unless it is ""). False after reporting
// every error on the error output.
bool LoadDescribedPackage(const std::string& descriptionPath, const DefinitionList& definitions,
                          const std::string& setupExe, PackageContents* contents);
