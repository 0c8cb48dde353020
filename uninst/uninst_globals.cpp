// The program-wide globals of uninst.
#include "uninst_globals.h"

HINSTANCE uninstInstance;
char uninstCaption[kUninstCaptionSize];
