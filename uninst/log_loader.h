// Reads the install log that setup embedded into this program as RT_DATA "5000".
#pragma once

#include <windows.h>
#include <stddef.h>
#include <stdint.h>

#include "uninst_config.h"

enum LogLoadResult {
    kLogLoaded = 0,  // the whole log was read: logMissing is 0
    kLogAbsent,      // no log resource: the defaults stay
    kLogDamaged,     // a log resource that is shorter than its count says, or unreadable
};

// A damaged log is treated like a missing one: no entry is taken and logMissing
// stays 1, so nothing at all is removed. Only the names of a readable head are
// kept, for the caption. Nothing is ever read past the resource's end.
LogLoadResult ReadInstallLog(CUninstConfig& config, const uint8_t* data, size_t size);

// The same from the RT_DATA "5000" resource of a module; the scope comes from
// its RT_DATA "5003" when the log was there.
LogLoadResult LoadInstallLogFrom(CUninstConfig& config, HMODULE module);

// The same from the program's own module.
LogLoadResult LoadInstallLog(CUninstConfig& config);
