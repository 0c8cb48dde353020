// Matching of the [Exclude] patterns (see exclusions.h).
#include "exclusions.h"

#include "file_patterns.h"

bool Exclusions::Add(const std::string& pattern, std::string* problem) {
    std::vector<std::string> parts;
    for (const std::string& part : SplitPath(pattern)) {
        // "**/**" is "**", which keeps matching linear in the number of "**".
        if (part != "." && !(part == "**" && !parts.empty() && parts.back() == "**")) parts.push_back(part);
    }
    if (parts.empty()) {
        *problem = "an exclusion needs a name or a path";
        return false;
    }
    for (const std::string& part : parts) {
        if (part == "..") {
            *problem = "an exclusion cannot leave the description's folder ('..')";
            return false;
        }
        if (part.find("**") != std::string::npos && part != "**") {
            *problem = "'**' stands only as a whole part of a path, not in '" + part + "'";
            return false;
        }
    }
    if (pattern.find_first_of("/\\") == std::string::npos) {
        byName_.push_back(parts[0]);
    } else {
        byPath_.push_back(parts);
    }
    return true;
}

bool Exclusions::Excludes(const std::string& path) const {
    std::vector<std::string> parts;
    for (const std::string& part : SplitPath(path)) {
        if (part != ".") parts.push_back(part);
    }
    if (parts.empty()) return false;
    for (const std::string& name : byName_) {
        if (MatchName(name, parts.back())) return true;
    }
    for (const std::vector<std::string>& pattern : byPath_) {
        if (MatchPathParts(pattern, parts)) return true;
    }
    return false;
}
