// Matching of the [Exclude] patterns (see exclusions.h).
#include "exclusions.h"

#include "file_patterns.h"

namespace {

std::vector<std::string> PartsOf(const std::string& path) {
    std::vector<std::string> parts;
    for (const std::string& part : SplitPath(path)) {
        if (part != ".") parts.push_back(part);
    }
    return parts;
}

}  // namespace

bool Exclusions::Add(const std::string& pattern, std::string* problem) {
    std::string body = pattern;
    bool foldersOnly = false;
    while (!body.empty() && (body.back() == '/' || body.back() == '\\')) {
        body.pop_back();
        foldersOnly = true;
    }
    std::vector<std::string> parts;
    for (const std::string& part : PartsOf(body)) {
        // "**/**" is "**", which keeps matching linear in the number of "**".
        if (!(part == "**" && !parts.empty() && parts.back() == "**")) parts.push_back(part);
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
    const bool byName = body.find_first_of("/\\") == std::string::npos;
    rules_.push_back({parts, byName, foldersOnly});
    return true;
}

bool Exclusions::Excludes(const std::string& path, bool folder) const {
    const std::vector<std::string> parts = PartsOf(path);
    if (parts.empty()) return false;
    for (const Rule& rule : rules_) {
        if (rule.foldersOnly && !folder) continue;
        if (rule.byName ? MatchName(rule.parts[0], parts.back()) : MatchPathParts(rule.parts, parts)) return true;
    }
    return false;
}

bool Exclusions::ExcludesAnyFolderOf(const std::string& path) const {
    if (rules_.empty()) return false;
    std::string above = !path.empty() && (path[0] == '/' || path[0] == '\\') ? "/" : "";
    for (const std::string& part : SplitPath(path)) {
        above += (above.empty() || above.back() == '/' ? "" : "/") + part;
        if (part != "." && part != ".." && Excludes(above, true)) return true;
    }
    return false;
}
