// Self-deletion: a hidden batch file in the temporary folder deletes uninst.exe
// (and its folder when it is to go) once the program has ended, then itself.
#pragma once

#include <stddef.h>

#include "list.h"
#include "records.h"

enum {
    // The own folder's parents that the installation made, removed after it
    // when empty: at most this many.
    kMaxBatchParents = 8,
    kBatchTextSize = 1024 + kMaxBatchParents * 540,
    kBatchPathFormSize = 2 * 260 + 2,  // every '%' doubled, and the quotes
};

// Name of the folders made for the batch of an elevated run: this prefix,
// the process id and a number.
#define kProtectedFolderPrefix "uninst-"

// The form of a path as it goes into a batch line: its short (8.3) form, or
// the path itself when it has none; put in quotes when it still holds a blank
// or another character that separates or joins commands; every '%' doubled,
// so that cmd reads no variable in it. out holds kBatchPathFormSize.
void BatchPathForm(const char* path, char* out);

// Composes the batch text from paths already in their batch form:
//   echo off / del <program> / [rmdir <folder>] / del <batch>
// each line ended by CR LF, no terminating zero counted. folder null leaves the
// rmdir line out. Returns the text's length, or -1 when it does not fit cap.
// parents (with folder, deepest first) follow folder, each as "rmdir <parent>":
// rmdir removes only an empty folder, so a parent that holds anything stays.
int ComposeSelfDeleteBatch(char* out, size_t cap, const char* program, const char* folder, const char* batch,
                           const char* const* parents = nullptr, int parentCount = 0);

// Writes the batch file batchPath that deletes programPath (and, with
// removeFolder, the folder that holds it, then the parents given, deepest
// first, each when empty). Returns 1 when written.
int WriteSelfDeleteBatch(const char* batchPath, const char* programPath, int removeFolder,
                         const char* const* parents = nullptr, int parentCount = 0);

// The folders of the log (kind folder) that hold folder, deepest first: the
// parents of the install folder that the installation made ("Editeur" of
// "Editeur\Jeu"). They can go only once uninst.exe is gone. At most max of
// them go into parents (each kPathSize bytes); returns how many.
int LoggedParentFolders(const CList<LogEntry>& log, const char* folder, char (*parents)[kPathSize], int max);

// The batch's place when the program does not run elevated: "temp_001.bat" in
// the user's temporary folder; 0 when the folder cannot be found.
int SelfDeleteBatchPath(char path[260]);

// True when the process runs with administrator rights in force (elevated):
// its token counts the Administrators group.
bool RunsElevated();

// The folder in which an elevated run makes the folder of its batch: the
// system's temporary folder (in the Windows folder), where other users may
// create files but neither delete nor rename what is not theirs; the user's
// temporary folder when there is none. 0 when neither can be found.
int ProtectedBatchParent(char parent[260]);

// Makes a new folder in parent that only the Administrators group and the
// system can write (never one that exists already) and puts its path into
// folder. Returns 0, folder empty, when it cannot be made.
int MakeProtectedBatchFolder(const char* parent, char folder[260]);

// The command line with which cmd runs the batch of an elevated run and then
// removes the folder made for it: "/c call <batch> & rmdir <folder>", both in
// the short form, quoted when they hold a blank or a separator. The folder
// goes once cmd has left the batch, which it may hold open while it runs
// (the batch's own "del" then completes only when cmd closes it); the line is
// in cmd's memory, no file that anyone could change. 0 when it does not fit
// cap or a path holds a '%', which cmd would read as a variable there.
int ComposeBatchCommand(char* out, size_t cap, const char* batch, const char* folder);

// Writes the batch for the running program and starts it hidden, without
// waiting; an elevated run writes it into a new folder of ProtectedBatchParent,
// and cmd removes that folder after the batch (see ComposeBatchCommand),
// working from the folder above it. When the batch cannot be written,
// nothing else happens.
// With removeFolder, the batch also removes the own folder and, when empty,
// the parents of it that log names (LoggedParentFolders).
void ScheduleSelfDelete(int removeFolder, const CList<LogEntry>& log);
