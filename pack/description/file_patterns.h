// Patterns of a description's [Files] and [Exclude] sections, on names and
// paths in code page 1252: '*' (any characters of one name), '?' (one
// character), "**" as a whole part (any number of folders, none included) and
// a trailing '/' or '\' (everything below that folder, as "/**"). Letter case
// is ignored, as Windows ignores it in file names, on every system.
#pragma once

#include <string>
#include <vector>

// True when a source of [Files] is a pattern rather than one file.
bool IsFilePattern(const std::string& source);

// True when name matches pattern ('*' and '?'; letter case ignored).
bool MatchName(const std::string& pattern, const std::string& name);

// The parts of a path split at '/' and '\', without empty parts.
std::vector<std::string> SplitPath(const std::string& path);

// A source path in one spelling for comparing: parts separated by '/', "."
// parts left out; letter case as it is.
std::string NormalSource(const std::string& source);

// True when the parts of path match the parts of pattern, where a part "**"
// matches any number of parts (none included).
bool MatchPathParts(const std::vector<std::string>& pattern, const std::vector<std::string>& path);

// A [Files] pattern taken apart: the fixed part, a folder as written (before
// the first part with a wildcard; "" for the description's folder), and the
// parts from there on.
struct FilePattern {
    std::string fixed;
    std::vector<std::string> parts;
};

// False with the problem in *problem when the pattern cannot be used
// ("**" inside a name, "." or ".." after a wildcard).
bool ParseFilePattern(const std::string& source, FilePattern* out, std::string* problem);

// The order of the files a pattern finds: by target path, folder by folder
// (a folder's name compared before what it holds), each name compared by its
// code page 1252 bytes with letter case folded; names equal but for case by
// their bytes. It depends on nothing but the paths, so every system and every
// file system gives the same order.
std::string TargetOrderKey(const std::string& target);
bool TargetBefore(const std::string& a, const std::string& b);
