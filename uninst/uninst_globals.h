// The program-wide globals of uninst besides theUninstConfig.
#pragma once

#include <windows.h>

extern HINSTANCE uninstInstance;
// "Désinstallation de %s" with appVerName: the title of the removal dialog and
// the caption of every message box of uninst.
enum { kUninstCaptionSize = 256 };
extern char uninstCaption[kUninstCaptionSize];
