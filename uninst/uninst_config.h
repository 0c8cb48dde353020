// CUninstConfig: what the uninstaller knows about the installation it removes,
// read from the install log embedded in its own program file.
#pragma once

#include "install_scope.h"
#include "list.h"
#include "records.h"

class CUninstConfig {
public:
    CUninstConfig();
    CUninstConfig(const CUninstConfig&) = delete;
    CUninstConfig& operator=(const CUninstConfig&) = delete;

    // Back to the state of a program without log (the defaults, an empty list).
    void Reset();

    CList<LogEntry> installLog;     // the logged files and folders, in log order
    char appName[kPathSize];        // key name below the uninstall registry key
    char appVerName[kPathSize];     // name shown in the caption and the messages
    char reservedText[kPathSize];   // read from the log, not used
    int logMissing;                 // 0 once a whole log has been read; else nothing is removed
    InstallScope scope;             // from RT_DATA "5003": where setup registered the installation
};

extern CUninstConfig theUninstConfig;
