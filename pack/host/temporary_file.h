// A temporary file of pack's own: read and written in binary, removed by the
// system once it is closed, or when pack ends however it ends.
#pragma once

#include <stdio.h>

#include <string>

// The open file, or nullptr with the system's reason in *why. On Windows it is
// made in the user's temporary folder (TMP, TEMP): the C runtime's tmpfile()
// makes its file in the root of the current drive, where a user without
// administrator rights may not create files.
FILE* OpenTemporaryFile(std::string* why);
