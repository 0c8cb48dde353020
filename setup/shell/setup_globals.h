// The program-wide globals of setup besides theConfig.
#pragma once

#include <windows.h>

#include "records.h"

class CWizard;

extern HINSTANCE appInstance;
// "Installation : %s" with appName: the wizard's title and the caption of every
// question and notice box of setup (error boxes use "Erreur").
extern char wizardCaption[kPathSize];
extern CWizard* theWizard;
