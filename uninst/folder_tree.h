// Folder operations of the removal: empty sub-trees and file counts.
#pragma once

// Removes the folder and every empty sub-tree below it; files are never
// deleted. Empty sub-folders go even when the folder itself has to stay
// because a file remains somewhere below it. Returns 1 when the folder has
// been removed, 0 when it stays (a file below it, a folder that could not be
// removed or not be searched) or the path is null or not a folder.
int RemoveEmptyFolderTree(const char* folder);

// Number of files (not folders) in the folder, with recurse set also in every
// folder below it. 0 for a null path, a path that is not a folder, an empty
// folder or one that cannot be searched.
int CountFiles(const char* folder, int recurse);
