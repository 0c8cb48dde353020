// The rights a package's programs ask for when they start: the execution level
// of their manifests. A per-user package asks for none, so setup.exe and the
// uninst.exe it carries (RT_EXECUTABLE 210) both get the level "asInvoker";
// everything else in the manifests stays as it is.
#pragma once

#include <string>

namespace pe {
class ResourceFile;
}

// The manifest text with the level attribute of its requestedExecutionLevel
// element set to "asInvoker" (other attributes, blanks and quotes kept).
// False with a reason when the manifest has no such element or attribute.
bool ManifestAsInvoker(const std::string& manifest, std::string* out, std::string* error);

// The level a manifest asks for ("requireAdministrator", "asInvoker", ...),
// "" when it names none.
std::string ManifestLevel(const std::string& manifest);

// Rewrites every manifest of setup, and of the uninstaller it carries, to
// asInvoker. False with a reason naming the program when one of them has no
// manifest to rewrite or the uninstaller cannot be read.
bool MakeProgramsAsInvoker(pe::ResourceFile* setup, std::string* error);

// Where setup.exe carries the uninstaller.
extern const char kUninstallerResourceType[];
enum { kUninstallerResourceId = 210 };
