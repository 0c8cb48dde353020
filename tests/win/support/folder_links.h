// Folder links for the tests: a symbolic link to a folder, made where the
// test asks. Windows makes them itself; Wine makes none through its own
// calls, but reports a symbolic link of the host's file system to a folder as
// a reparse point, so there the host's ln makes it.
#pragma once

#include <string>

namespace wintest {

// Removes the link itself, never what it leads to. True when it is gone.
bool RemoveFolderLink(const std::string& link);

// A link to the folder target, made at link and removed with the object.
// Declared after the scratch folder that holds it, it goes first: a link
// whose folder is gone is one that Wine no longer sees, nor removes.
class FolderLink {
public:
    FolderLink(const std::string& link, const std::string& target);
    ~FolderLink();
    FolderLink(const FolderLink&) = delete;
    FolderLink& operator=(const FolderLink&) = delete;
    // False when this system makes no link (no right to make links on
    // Windows, for example): the test then skips.
    bool made() const { return made_; }

private:
    std::string link_;
    bool made_;
};

}  // namespace wintest
