// One install log for an application installed more than once: the entries of
// the earlier installation's log, then those of this run, each path once, so
// that one uninstall removes what every version installed.
#pragma once

#include <stdint.h>

#include "list.h"
#include "records.h"

// Where an earlier installation may have put what its log names: its install
// folder (and, for folders it made, the parents of that folder), and the
// shortcut folders of its scope (the desktop, the start menu, its programs
// folder). An entry of an earlier log that lies anywhere else is not this
// application's to remove, whatever the log says.
struct EarlierLogPlaces {
    const char* installFolder;
    const char* shortcutFolders[3];  // null or "" when not known
};

// 1 when the earlier log's entry lies in one of the places: in or below the
// install folder; strictly below a shortcut folder (never the folder itself);
// or a folder entry that is a parent of the install folder, not a drive root.
int EarlierEntryAllowed(const EarlierLogPlaces& places, const LogEntry& entry);

// 1 when the log holds an entry for path (letter case ignored).
int LogHasPath(const CList<LogEntry>& log, const char* path);

enum LogMergeResult {
    kLogMerged = 0,
    kLogMergeTooLong,   // more than maxEntries entries: merged left empty
    kLogMergeNoMemory,  // merged left empty
};

// Fills merged (emptied first) with the allowed entries of earlier, then the
// entries of current, each path once: the first entry for a path keeps its
// place, later ones are dropped (letter case ignored).
LogMergeResult MergeInstallLogs(const CList<LogEntry>& earlier, const EarlierLogPlaces& places,
                                const CList<LogEntry>& current, int32_t maxEntries, CList<LogEntry>* merged);
