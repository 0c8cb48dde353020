// Path string rules shared by setup and uninst. Paths are ANSI strings of at
// most 259 characters; the separator is the backslash only.
#pragma once

#include <stddef.h>

// Writes the folder part of path into folder (260 bytes): the path cut at its
// last backslash at index 1 or later; "" when there is none. Never ends in a
// backslash ("D:\setup.exe" gives "D:"). Does nothing if either pointer is null;
// folder must not be path itself.
void FolderOf(const char* path, char* folder);

// Joins folder and name with one backslash into out (capacity cap). Returns 0,
// leaving out empty, when the result would not fit: a path is never cut.
int JoinPath(char* out, size_t cap, const char* folder, const char* name);

// 1 when path names one place whatever the current drive and folder: a drive
// letter, a colon and a backslash ("C:\Jeux"), or a UNC path with its server
// and share ("\\serveur\partage"). "Jeux\Mon Jeu", "\Jeux" and "C:Jeux" are not.
int IsFullPath(const char* path);
