// CSetupConfig: the one record that describes an installation and carries its
// state from the first wizard page to the end of the program.
#pragma once

#include <windows.h>

#include "list.h"
#include "records.h"
#include "registration_texts.h"

class CInstallJournal;

class CSetupConfig {
public:
    CSetupConfig();
    ~CSetupConfig();
    CSetupConfig(const CSetupConfig&) = delete;
    CSetupConfig& operator=(const CSetupConfig&) = delete;

    // Fills the record from the program's own RT_DATA "5001" (perUser from
    // RT_DATA "5003", registration from RT_DATA "5004") and resolves installDir. Returns 1 when a record was
    // found, 0 when the defaults stay.
    int Load();
    // The same from the resources of another module (tests load a packaged
    // copy as a data file); programPath gives sourceDir.
    int LoadFrom(HMODULE resources, const char* programPath);

    CList<FileEntry> files;
    CList<LogEntry> installLog;
    char installDir[kPathSize];
    char sourceDir[kPathSize];
    char appName[kPathSize];
    char appVerName[kPathSize];
    char groupName[kPathSize];
    char reservedText[kPathSize];
    short licenseFormat;
    short infoFormat;
    int allowDirChange;
    int noIcons;
    int allowGroupChange;
    int offerMenuIcons;
    int reservedFlag;
    int desktopIcon;
    int startMenuIcon;
    int programsMenuIcon;
    int uninstallIconOffered;
    int uninstallIcon;
    int runOffered;
    int runAfterInstall;
    int perUser;  // 1: a per-user package (registered under HKEY_CURRENT_USER), see install_scope.h
    RegistrationTexts registration;  // from RT_DATA "5004": DisplayVersion and Publisher ("" when not given)
    // An earlier installation of this application in this scope, found when
    // setup starts (earlier_installation.h): its folder, the name it is listed
    // under, and its install log, which the new log continues.
    int earlierFound;
    char earlierDir[kPathSize];
    char earlierName[kPathSize];
    CList<LogEntry> earlierLog;
    // The journal of the installation attempt under way (null outside one).
    CInstallJournal* journal;
    HFONT titleFont;
    HFONT welcomeFont;
};

extern CSetupConfig theConfig;
