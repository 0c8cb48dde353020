// The [Exclude] section: files and folders the patterns of [Files] pass over.
// A pattern without '/' (or '\') matches a name at any depth ("*.pdb",
// "Thumbs.db", ".git"); one with a separator matches a path relative to the
// description's folder ("data/brouillons", "docs/**/*.tmp"). A trailing
// separator is allowed and means the same folder. Letter case is ignored.
#pragma once

#include <string>
#include <vector>

class Exclusions {
public:
    // Adds a pattern; false with the problem when it is empty or would match
    // nothing ("..", "/" alone).
    bool Add(const std::string& pattern, std::string* problem);

    // True when the file or folder at path (relative to the description's
    // folder, parts separated by '/' or '\') is excluded.
    bool Excludes(const std::string& path) const;

    bool empty() const { return byName_.empty() && byPath_.empty(); }

private:
    std::vector<std::string> byName_;
    std::vector<std::vector<std::string>> byPath_;
};
