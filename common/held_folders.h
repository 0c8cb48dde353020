// Folders held open while files are written or deleted in them (Win32).
//
// A name checked for links can be replaced by a link right after the check.
// A folder held open without sharing deletion can be neither renamed, moved
// nor deleted until it is released, so each name below a held folder keeps
// naming what was checked. Each level of the chain from a root folder down
// to the folder in use is held and checked on its open handle: a folder, and
// not a reparse point (a junction or symbolic link could lead anywhere on the
// disk).
#pragma once

#include <windows.h>

#include "records.h"

// Told each folder level that CHeldFolders::Hold creates, outermost first, so
// that the caller can log every level it made. Returning 0 stops the hold
// (the level stays made and held; Hold then returns 0).
class CreatedFolders {
public:
    virtual int FolderCreated(const char* folder) = 0;

protected:
    ~CreatedFolders() {}
};

class CHeldFolders {
public:
    CHeldFolders();
    ~CHeldFolders();
    CHeldFolders(const CHeldFolders&) = delete;
    CHeldFolders& operator=(const CHeldFolders&) = delete;

    // Holds every folder from root (included) down to folder (included);
    // folder is root itself or lies below it. Returns 1 when the whole chain
    // is held, each level a real folder, none a link. The levels already held
    // for the same root are kept: the next file of a folder costs nothing,
    // and moving to a sibling releases only the deeper levels. With created,
    // a missing level is made, then opened and checked like the others, and
    // reported. On 0 (a level missing, a link, a file, a name with an empty,
    // "." or ".." part or a forward slash, a path too long) the levels held
    // before the failing one stay held. Letter case is ignored, as the file
    // system does; a closing backslash is ignored.
    int Hold(const char* root, const char* folder, CreatedFolders* created);

    // Closes every held level, deepest first.
    void Release();

    // Number of levels held (the root counts as one).
    int HeldLevels() const { return count; }

private:
    enum { kMaxLevels = kPathSize / 2 + 1 };

    // Keeps the levels that prefix folder (whose first rootLength characters
    // are the root) and releases the rest.
    void KeepCommonLevels(const char* folder, size_t rootLength);
    // 1 when the held level of this length is folder or a folder above it
    // (letter case ignored).
    bool LevelHolds(size_t length, const char* folder) const;
    // Opens, and creates when allowed, the level named by held[0..length).
    int HoldLevel(size_t length, CreatedFolders* created);
    void ReleaseFrom(int level);

    char held[kPathSize];      // the deepest held folder, its levels separated by backslashes
    size_t ends[kMaxLevels];   // length of each level's path within held
    HANDLE handles[kMaxLevels];
    int count;
};
