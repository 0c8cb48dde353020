// Matching of names and paths against the patterns of a description.
#include "file_patterns.h"
#include "letter_case.h"

#include <string.h>

namespace {

bool HasWildcard(const std::string& part) { return part.find_first_of("*?") != std::string::npos; }

}  // namespace

bool IsFilePattern(const std::string& source) {
    return HasWildcard(source) || (!source.empty() && (source.back() == '/' || source.back() == '\\'));
}

bool MatchName(const std::string& pattern, const std::string& name) {
    const std::string p = FoldCase(pattern);
    const std::string n = FoldCase(name);
    // The usual walk with one point to come back to: the last '*' seen and
    // where in the name it started matching.
    size_t i = 0;
    size_t j = 0;
    size_t star = std::string::npos;
    size_t resume = 0;
    while (j < n.size()) {
        if (i < p.size() && (p[i] == '?' || p[i] == n[j])) {
            ++i;
            ++j;
        } else if (i < p.size() && p[i] == '*') {
            star = i++;
            resume = j;
        } else if (star != std::string::npos) {
            i = star + 1;
            j = ++resume;
        } else {
            return false;
        }
    }
    while (i < p.size() && p[i] == '*') ++i;
    return i == p.size();
}

std::vector<std::string> SplitPath(const std::string& path) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find_first_of("/\\", start);
        if (end == std::string::npos) end = path.size();
        if (end > start) parts.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

std::string NormalSource(const std::string& source) {
    std::string normal;
    for (const std::string& part : SplitPath(source)) {
        if (part == ".") continue;
        if (!normal.empty()) normal += '/';
        normal += part;
    }
    if (!source.empty() && (source[0] == '/' || source[0] == '\\')) normal.insert(0, "/");
    return normal;
}

namespace {

bool MatchFrom(const std::vector<std::string>& pattern, size_t p, const std::vector<std::string>& path, size_t q) {
    while (p < pattern.size() && pattern[p] != "**") {
        if (q >= path.size() || !MatchName(pattern[p], path[q])) return false;
        ++p;
        ++q;
    }
    if (p == pattern.size()) return q == path.size();
    // "**": none, one or more parts of the path.
    for (size_t skip = q; skip <= path.size(); ++skip) {
        if (MatchFrom(pattern, p + 1, path, skip)) return true;
    }
    return false;
}

}  // namespace

bool MatchPathParts(const std::vector<std::string>& pattern, const std::vector<std::string>& path) {
    return MatchFrom(pattern, 0, path, 0);
}

bool ParseFilePattern(const std::string& source, FilePattern* out, std::string* problem) {
    *out = FilePattern();
    std::vector<std::string> parts = SplitPath(source);
    if (!source.empty() && (source.back() == '/' || source.back() == '\\')) parts.push_back("**");
    size_t first = 0;
    while (first < parts.size() && !HasWildcard(parts[first])) ++first;
    // The fixed part as written, separators and all, up to the separator
    // before the first wildcard part.
    size_t at = 0;
    for (size_t i = 0; i < first && i < parts.size(); ++i) {
        at = source.find(parts[i], at) + parts[i].size();
    }
    out->fixed = source.substr(0, at);
    for (size_t i = first; i < parts.size(); ++i) {
        const std::string& part = parts[i];
        if (part.find("**") != std::string::npos && part != "**") {
            *problem = "'**' stands only as a whole part of a path (data/**/*.wav), not in " + std::string("'") + part + "'";
            return false;
        }
        if (part == "." || part == "..") {
            *problem = "'" + part + "' cannot follow a wildcard";
            return false;
        }
        // "**/**" is "**": one part, so that the walk does not go over a tree twice.
        if (part == "**" && !out->parts.empty() && out->parts.back() == "**") continue;
        out->parts.push_back(part);
    }
    return true;
}

std::string TargetOrderKey(const std::string& target) {
    std::string key = FoldCase(target);
    // The separator below every character a name may hold, so that a folder
    // and what it holds come before a name that merely starts like it.
    for (char& c : key) {
        if (c == '\\' || c == '/') c = '\x01';
    }
    return key;
}

bool TargetBefore(const std::string& a, const std::string& b) {
    const std::string ka = TargetOrderKey(a);
    const std::string kb = TargetOrderKey(b);
    if (ka != kb) return ka < kb;
    return a < b;
}
