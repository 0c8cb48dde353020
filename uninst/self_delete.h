// Self-deletion: a hidden batch file in the temporary folder deletes uninst.exe
// (and its folder when it is to go) once the program has ended, then itself.
#pragma once

#include <stddef.h>

enum { kBatchTextSize = 1024 };

// The form of a path as it goes into a batch line: its short (8.3) form, or
// the path itself when it has none; put in quotes when it still holds a blank
// or another character that separates or joins commands. out holds kPathSize + 2.
void BatchPathForm(const char* path, char* out);

// Composes the batch text from paths already in their batch form:
//   echo off / del <program> / [rmdir <folder>] / del <batch>
// each line ended by CR LF, no terminating zero counted. folder null leaves the
// rmdir line out. Returns the text's length, or -1 when it does not fit cap.
int ComposeSelfDeleteBatch(char* out, size_t cap, const char* program, const char* folder, const char* batch);

// Writes the batch file batchPath that deletes programPath (and, with
// removeFolder, the folder that holds it). Returns 1 when written.
int WriteSelfDeleteBatch(const char* batchPath, const char* programPath, int removeFolder);

// The batch's place: "temp_001.bat" in the user's temporary folder; 0 when the
// folder cannot be found.
int SelfDeleteBatchPath(char path[260]);

// Writes the batch for the running program and starts it hidden, without
// waiting. When the batch cannot be written, nothing else happens.
void ScheduleSelfDelete(int removeFolder);
