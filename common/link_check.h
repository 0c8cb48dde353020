// Junctions and symbolic links below a folder (Win32). Both kinds are
// reparse points: a path that passes through one may lead anywhere on the
// disk, so neither setup nor uninst writes, creates or deletes through one
// below the install folder, where other programs may have been able to put it.
#pragma once

// 1 when path exists and is itself a reparse point (a link to a file or a folder).
int IsReparsePoint(const char* path);

// 1 when path lies below folder and one of its parts below folder (the path
// itself included, folder excluded) exists and is a reparse point. Parts that
// do not exist yet are no link. A path that does not lie below folder is
// looked at only as itself. Letter case is ignored, as the file system does.
int PassesThroughLink(const char* folder, const char* path);
