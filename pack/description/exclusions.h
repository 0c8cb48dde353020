// The [Exclude] section: files and folders the patterns of [Files] leave out.
// - A pattern without '/' or '\' matches a name at any depth ("*.pdb",
//   "Thumbs.db", ".git").
// - One with a separator before its last part matches a path relative to the
//   description's folder ("data/brouillons", "docs/**/*.tmp", "/brouillons"
//   for the top folder only).
// - A separator at the end says that only folders match, and counts for
//   nothing else: "brouillons/" is the folder name "brouillons" at any depth,
//   "data/brouillons/" that one folder.
// What is in an excluded folder is excluded with it, whichever folder a
// pattern starts from. Letter case is ignored.
#pragma once

#include <string>
#include <vector>

class Exclusions {
public:
    // Adds a pattern; false with the problem when it is empty or would match
    // nothing ("..", "/" alone).
    bool Add(const std::string& pattern, std::string* problem);

    // True when the file or folder at path (relative to the description's
    // folder, parts separated by '/' or '\') is excluded by its own name or
    // path; the folders above it are not looked at (see ExcludesAnyFolderOf).
    bool Excludes(const std::string& path, bool folder) const;

    // True when the folder at path, or a folder above it, is excluded.
    bool ExcludesAnyFolderOf(const std::string& path) const;

    bool empty() const { return rules_.empty(); }

private:
    struct Rule {
        std::vector<std::string> parts;  // one part: a name at any depth
        bool byName;
        bool foldersOnly;
    };
    std::vector<Rule> rules_;
};
