// Junctions and symbolic links (Win32). Both kinds are reparse points: a path
// that passes through one may lead anywhere on the disk. The folders on the
// way are held and checked by held_folders.h; this looks at the last part.
#pragma once

// 1 when path exists and is itself a reparse point (a link to a file or a folder).
int IsReparsePoint(const char* path);
