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

// Letter case folded as the file system compares names: ASCII and the letters
// of code page 1252 (É and é, Œ and œ) made lower case.
unsigned char FoldPathChar(unsigned char c);

// 1 when a and b name the same path, letter case ignored.
int SamePath(const char* a, const char* b);

// 1 when path is folder itself or lies below it (letter case ignored). A
// folder given with a trailing backslash (a drive root) works the same.
int PathWithin(const char* folder, const char* path);
