// Finding the files a [Files] pattern names: a walk of the folders below the
// pattern's fixed part, through what the system says of them (FolderSource,
// given by the host layer; tests give a tree of their own). Portable.
#pragma once

#include <string>
#include <vector>

#include "exclusions.h"

// One entry of a folder, as the system lists it, links followed.
struct FolderEntry {
    enum Kind { kFile, kFolder, kBrokenLink, kLinkLoop, kUnreadable };
    std::string name;      // in the system's spelling (UTF-8 on Linux)
    Kind kind = kFile;
    std::string identity;  // of a folder: what tells it apart from every other (device and number), "" unknown
    std::string why;       // of kUnreadable: the system's reason
};

// What the walk asks of the system.
class FolderSource {
public:
    virtual ~FolderSource() {}
    // The path of this system for a path relative to the description's
    // folder as a description writes it (code page 1252, '/' or '\').
    virtual std::string HostPathOf(const std::string& source) const = 0;
    // The path of an entry of a folder (both in the system's spelling).
    virtual std::string Join(const std::string& hostFolder, const std::string& name) const = 0;
    // What is at a path: an entry without its name ("" when nothing is there).
    virtual bool Describe(const std::string& hostPath, FolderEntry* entry) const = 0;
    // The entries of a folder, links followed, without "." and "..". False
    // with the system's reason when the folder cannot be listed.
    virtual bool List(const std::string& hostFolder, std::vector<FolderEntry>* entries, std::string* why) const = 0;
    // True when two paths relative to the description's folder (as a
    // description writes them) name one and the same file.
    virtual bool SameFile(const std::string& sourceA, const std::string& sourceB) const = 0;
    // A name of the system in code page 1252; false when it has no such form
    // (*cp1252 then holds it with '?' for what did not fit).
    virtual bool NameToCp1252(const std::string& hostName, std::string* cp1252) const = 0;
};

// A file a pattern found.
struct FoundFile {
    std::string source;    // relative to the description's folder, code page 1252, '/' separated
    std::string relative;  // relative to the pattern's fixed part, '\' separated: its target below SubFolder
};

// Finds the files of one pattern, leaving out what exclusions excludes (an
// excluded folder is not entered, nor walked when the pattern starts in it), in
// the order of TargetBefore on their relative paths. Problems (no file found,
// a broken link, a link loop, a name without a code page 1252 form, a folder
// that cannot be read) go to *problems; found files are kept whatever happens.
void ExpandFilePattern(const std::string& pattern, const Exclusions& exclusions, const FolderSource& folders,
                       std::vector<FoundFile>* found, std::vector<std::string>* problems);
