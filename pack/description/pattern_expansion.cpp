// The walk that finds a pattern's files (see pattern_expansion.h).
#include "pattern_expansion.h"

#include <algorithm>
#include <set>

#include "file_patterns.h"
#include "letter_case.h"

namespace {

std::string Quoted(const std::string& text) { return "'" + text + "'"; }

class Walk {
public:
    Walk(const FilePattern& pattern, const Exclusions& exclusions, const FolderSource& folders,
         std::vector<FoundFile>* found, std::vector<std::string>* problems)
        : pattern_(pattern), exclusions_(exclusions), folders_(folders), found_(found), problems_(problems) {}

    // Walks the folder at host (source: its path as a description writes it;
    // relative: below the fixed part) for the parts from part on.
    void Folder(const std::string& host, const std::string& source, const std::string& relative, size_t part,
                const std::string& identity);

private:
    void Consider(const FolderEntry& entry, const std::string& host, const std::string& source,
                  const std::string& relative, size_t part);
    bool Matches(const std::string& name, size_t part) const {
        return pattern_.parts[part] == "**" || MatchName(pattern_.parts[part], name);
    }
    // Each file once: "**" followed by more parts can reach one file twice.
    // Names are compared as they are: two files whose names differ only by
    // letter case are both found, and their clash is reported by the reader.
    void Take(const std::string& source, const std::string& relative) {
        if (taken_.insert(relative).second) found_->push_back({source, relative});
    }

    const FilePattern& pattern_;
    const Exclusions& exclusions_;
    const FolderSource& folders_;
    std::vector<FoundFile>* found_;
    std::vector<std::string>* problems_;
    std::vector<std::string> above_;  // identities of the folders walked into, to find link loops
    std::set<std::string> taken_;     // relative paths found
    std::set<std::string> reported_;  // problems already said once
};

void Walk::Folder(const std::string& host, const std::string& source, const std::string& relative, size_t part,
                  const std::string& identity) {
    if (!identity.empty() && std::find(above_.begin(), above_.end(), identity) != above_.end()) {
        std::string problem = "link loop: " + Quoted(source) + " leads back to a folder above it";
        if (reported_.insert(problem).second) problems_->push_back(problem);
        return;
    }
    std::vector<FolderEntry> entries;
    std::string why;
    if (!folders_.List(host, &entries, &why)) {
        std::string problem = "folder " + Quoted(source) + " cannot be read: " + why;
        if (reported_.insert(problem).second) problems_->push_back(problem);
        return;
    }
    above_.push_back(identity);
    // Entries in a fixed order, so that problems come out the same everywhere.
    std::sort(entries.begin(), entries.end(),
              [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
    for (const FolderEntry& entry : entries) Consider(entry, host, source, relative, part);
    above_.pop_back();
}

void Walk::Consider(const FolderEntry& entry, const std::string& host, const std::string& source,
                    const std::string& relative, size_t part) {
    std::string name;
    const bool fits = folders_.NameToCp1252(entry.name, &name);
    const std::string entrySource = source.empty() ? name : source + "/" + name;
    const std::string entryRelative = relative.empty() ? name : relative + "\\" + name;
    if (!Matches(name, part) || exclusions_.Excludes(entrySource, entry.kind == FolderEntry::kFolder)) return;
    const bool last = part + 1 == pattern_.parts.size();
    const bool anyDepth = pattern_.parts[part] == "**";
    std::string problem;
    if (entry.kind == FolderEntry::kBrokenLink) {
        problem = "broken link: " + Quoted(entrySource) + " leads to nothing";
    } else if (entry.kind == FolderEntry::kLinkLoop) {
        problem = "link loop: " + Quoted(entrySource) + " leads back to itself";
    } else if (entry.kind == FolderEntry::kUnreadable) {
        problem = Quoted(entrySource) + " cannot be read: " + entry.why;
    } else if (!fits && (entry.kind == FolderEntry::kFile ? last || anyDepth : !last || anyDepth)) {
        problem = "the name of " + Quoted(entrySource) + " has no code page 1252 form, which setup's names use";
    }
    if (!problem.empty()) {
        if (reported_.insert(problem).second) problems_->push_back(problem);
        return;
    }
    const std::string entryHost = folders_.Join(host, entry.name);
    if (anyDepth) {
        if (entry.kind == FolderEntry::kFolder) Folder(entryHost, entrySource, entryRelative, part, entry.identity);
        if (last) {
            if (entry.kind == FolderEntry::kFile) Take(entrySource, entryRelative);
        } else {
            Consider(entry, host, source, relative, part + 1);  // "**" standing for no folder
        }
    } else if (last) {
        if (entry.kind == FolderEntry::kFile) Take(entrySource, entryRelative);
    } else if (entry.kind == FolderEntry::kFolder) {
        Folder(entryHost, entrySource, entryRelative, part + 1, entry.identity);
    }
}

// The folder of a pattern's fixed part, each part found as written or else
// with letter case ignored (as on Windows), so that "Data/**" finds "data"
// on Linux too. *source: the folder as the system spells it, '/' separated.
// "" when found, else the problem: no such folder, or two folders whose names
// differ only by letter case where the part is not written as either.
std::string FindFixedFolder(const std::string& fixed, const FolderSource& folders, std::string* source,
                            FolderEntry* top) {
    *source = fixed;
    std::replace(source->begin(), source->end(), '\\', '/');
    const std::string none = "finds no file: there is no folder " + Quoted(fixed.empty() ? "." : fixed);
    if (folders.Describe(folders.HostPathOf(fixed.empty() ? "." : fixed), top)) {
        return top->kind == FolderEntry::kFolder ? "" : none;
    }
    // Part by part; the start of an absolute path is kept as written.
    size_t at = 0;
    while (at < source->size() && (*source)[at] == '/') ++at;
    std::string found = source->substr(0, at);
    for (const std::string& part : SplitPath(source->substr(at))) {
        const std::string folder = found + (found.empty() || found.back() == '/' ? "" : "/");
        std::string path = folder + part;
        if (!folders.Describe(folders.HostPathOf(path), top)) {
            std::vector<FolderEntry> entries;
            std::string why;
            if (!folders.List(folders.HostPathOf(found.empty() ? "." : found), &entries, &why)) return none;
            std::vector<std::string> matches;
            for (const FolderEntry& entry : entries) {
                std::string name;
                if (folders.NameToCp1252(entry.name, &name) && entry.kind == FolderEntry::kFolder &&
                    FoldCase(name) == FoldCase(part)) {
                    matches.push_back(name);
                }
            }
            if (matches.empty()) return none;
            if (matches.size() > 1) {
                std::sort(matches.begin(), matches.end());
                return "names two folders, " + Quoted(folder + matches[0]) + " and " + Quoted(folder + matches[1]) +
                       ", with letter case ignored; write the one meant as it is spelt";
            }
            path = folder + matches[0];
            if (!folders.Describe(folders.HostPathOf(path), top)) return none;
        }
        found = path;
    }
    *source = found;
    return top->kind == FolderEntry::kFolder ? "" : none;
}

}  // namespace

void ExpandFilePattern(const std::string& source, const Exclusions& exclusions, const FolderSource& folders,
                       std::vector<FoundFile>* found, std::vector<std::string>* problems) {
    found->clear();
    FilePattern pattern;
    std::string problem;
    if (!ParseFilePattern(source, &pattern, &problem)) {
        problems->push_back(problem);
        return;
    }
    std::string fixed = pattern.fixed;
    while (!fixed.empty() && (fixed.back() == '/' || fixed.back() == '\\')) fixed.pop_back();
    std::string sourceFolder;
    FolderEntry top;
    const std::string missing = FindFixedFolder(fixed, folders, &sourceFolder, &top);
    if (!missing.empty()) {
        problems->push_back(missing);
        return;
    }
    const std::string host = folders.HostPathOf(sourceFolder.empty() ? "." : sourceFolder);
    const size_t before = problems->size();
    // A pattern that starts inside an excluded folder finds nothing there.
    if (!exclusions.ExcludesAnyFolderOf(sourceFolder)) {
        Walk walk(pattern, exclusions, folders, found, problems);
        walk.Folder(host, sourceFolder, "", 0, top.identity);
    }
    std::vector<std::pair<std::string, size_t>> keys;
    keys.reserve(found->size());
    for (size_t i = 0; i < found->size(); ++i) keys.push_back({TargetOrderKey((*found)[i].relative), i});
    std::sort(keys.begin(), keys.end(), [found](const std::pair<std::string, size_t>& a,
                                                const std::pair<std::string, size_t>& b) {
        if (a.first != b.first) return a.first < b.first;
        return (*found)[a.second].relative < (*found)[b.second].relative;
    });
    std::vector<FoundFile> sorted;
    sorted.reserve(found->size());
    for (const auto& key : keys) sorted.push_back((*found)[key.second]);
    found->swap(sorted);
    if (found->empty() && problems->size() == before) {
        problems->push_back(std::string("finds no file") + (exclusions.empty() ? "" : " (after [Exclude])"));
    }
}
