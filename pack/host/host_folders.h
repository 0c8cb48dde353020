// The folders of this system as the patterns of a description see them
// (FolderSource): Win32 on Windows, POSIX on Linux. Links (and junctions) are
// followed to what they name; every folder has an identity (device and inode,
// or volume and file index), so that one leading back to a folder above it is
// a link loop; on Linux a link that leads nowhere is a broken link.
#pragma once

#include <string>
#include <vector>

#include "pattern_expansion.h"

class HostFolders : public FolderSource {
public:
    // Paths of a description are relative to its folder.
    explicit HostFolders(const std::string& descriptionFolder) : folder_(descriptionFolder) {}

    std::string HostPathOf(const std::string& source) const override;
    std::string Join(const std::string& hostFolder, const std::string& name) const override;
    bool Describe(const std::string& hostPath, FolderEntry* entry) const override;
    bool List(const std::string& hostFolder, std::vector<FolderEntry>* entries, std::string* why) const override;
    bool SameFile(const std::string& sourceA, const std::string& sourceB) const override;
    bool NameToCp1252(const std::string& hostName, std::string* cp1252) const override;

private:
    std::string folder_;
};
