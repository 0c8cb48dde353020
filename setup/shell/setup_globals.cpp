// The program-wide globals of setup besides theConfig.
#include "setup_globals.h"

HINSTANCE appInstance;
char wizardCaption[kPathSize];
CWizard* theWizard;
