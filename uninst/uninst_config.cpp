// The uninstaller's record and its one instance.
#include "uninst_config.h"

#include "text.h"

CUninstConfig theUninstConfig;

CUninstConfig::CUninstConfig() { Reset(); }

void CUninstConfig::Reset() {
    installLog.Clear();
    // Seen only when the program carries no usable log.
    CopyText(appName, sizeof(appName), "MonApplication");
    CopyText(appVerName, sizeof(appVerName), "MonApplication 1.0");
    reservedText[0] = 0;
    logMissing = 1;
    scope = kScopeMachine;
}
