// `pack files`: what a description would put into a package, without writing it.
#pragma once

#include <string>

#include "pack_description.h"

// Prints each file of the payload in its order (target, size, source) and
// the totals. Returns the process exit code: 0, or 1 when the description
// or a file it names has an error (reported as `pack build` reports it).
int ListPackageFiles(const std::string& descriptionPath, const DefinitionList& definitions);
