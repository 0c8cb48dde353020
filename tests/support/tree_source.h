// A tree of folders and files of our own for the patterns of [Files]
// (FolderSource), shared by the native suite and the fuzz target of the
// description reader: nothing on disk, every kind of entry, any listing order.
#pragma once

#include <algorithm>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "pattern_expansion.h"

namespace testtree {

// A tree of our own: paths with '/', each a file, a folder (ending in '/'), a
// broken link ("!") or a link loop ("@"); listed in a shuffled order.
class TreeSource : public FolderSource {
public:
    TreeSource(const std::vector<std::string>& paths, unsigned seed) : seed_(seed) {
        kinds_["."] = FolderEntry::kFolder;
        for (std::string path : paths) {
            FolderEntry::Kind kind = FolderEntry::kFile;
            if (path.back() == '/') {
                kind = FolderEntry::kFolder;
                path.pop_back();
            } else if (path.back() == '!') {
                kind = FolderEntry::kBrokenLink;
                path.pop_back();
            } else if (path.back() == '@') {
                kind = FolderEntry::kLinkLoop;
                path.pop_back();
            }
            kinds_["./" + path] = kind;
            // Every folder above it.
            for (size_t cut = path.find('/'); cut != std::string::npos; cut = path.find('/', cut + 1)) {
                kinds_["./" + path.substr(0, cut)] = FolderEntry::kFolder;
            }
        }
    }
    std::string HostPathOf(const std::string& source) const override {
        std::string path = "./" + source;
        std::replace(path.begin(), path.end(), '\\', '/');
        return path == "./." ? "." : path;
    }
    std::string Join(const std::string& folder, const std::string& name) const override { return folder + "/" + name; }
    bool Describe(const std::string& path, FolderEntry* entry) const override {
        auto at = kinds_.find(path);
        if (at == kinds_.end()) return false;
        entry->kind = at->second;
        entry->identity = path;
        return true;
    }
    bool List(const std::string& folder, std::vector<FolderEntry>* entries, std::string*) const override {
        entries->clear();
        for (const auto& item : kinds_) {
            if (item.first.size() > folder.size() + 1 && item.first.compare(0, folder.size() + 1, folder + "/") == 0 &&
                item.first.find('/', folder.size() + 1) == std::string::npos) {
                FolderEntry entry;
                entry.name = item.first.substr(folder.size() + 1);
                entry.kind = item.second;
                entry.identity = item.first;
                entries->push_back(entry);
            }
        }
        std::shuffle(entries->begin(), entries->end(), std::mt19937(seed_ + static_cast<unsigned>(folder.size())));
        return true;
    }
    // Letter case counts, as on Linux: one file has one spelling.
    bool SameFile(const std::string& a, const std::string& b) const override { return HostPathOf(a) == HostPathOf(b); }
    bool NameToCp1252(const std::string& name, std::string* cp1252) const override {
        *cp1252 = name;
        return name.find('~') == std::string::npos;  // '~' stands for a character 1252 lacks
    }

private:
    std::map<std::string, FolderEntry::Kind> kinds_;
    unsigned seed_;
};

}  // namespace testtree
