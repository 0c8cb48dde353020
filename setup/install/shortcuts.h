// Shell shortcuts (.lnk) to the installed program and to the uninstaller, on
// the desktop or in the start-menu group. Every shortcut written and every
// folder created for one goes into the install log.
#pragma once

#include <windows.h>

class CSetupConfig;

enum ShortcutPlace {
    kPlaceDesktop = 0,       // the user's desktop (also any unknown code)
    kPlaceStartMenu = 1,     // the start menu, then groupName
    kPlaceProgramsMenu = 2,  // the programs menu, then groupName
};

// The program shortcut: target installDir\<name of the first payload file>,
// working folder installDir, description appVerName, file name appName.lnk.
// Returns 1 when written (or when the link offers no way to save it), 0 when
// noIcons is set, COM or the link object is unavailable, there is no payload
// file, a path would not fit, or the user kept an existing shortcut.
int CreateProgramShortcut(CSetupConfig* config, HWND owner, int place);

// A shortcut to target named name.lnk, working folder the target's folder.
// Does not look at noIcons. Results as CreateProgramShortcut.
int CreateShortcut(CSetupConfig* config, HWND owner, int place, const char* target, const char* name,
                   const char* description);

// The shell's own folder of a place (the desktop, the start menu, the
// programs menu) into folder (260 bytes); 0 when it is unknown.
int ShellFolderOf(int place, char* folder);

// The folder of a place (groupName appended for the menus) into folder; 0 when
// the shell folder is unknown or the path would not fit.
int ShortcutFolder(const CSetupConfig* config, int place, char* folder);

// The shortcut file name: name with ".lnk" added unless it already ends so.
// 0 when it would not fit in 260 bytes.
int ShortcutFileName(const char* name, char* fileName);
