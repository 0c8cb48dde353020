// The configuration record of setup: defaults, fonts, and loading from RT_DATA "5001".
#include "setup_config.h"

#include <shlobj.h>
#include <string.h>

#include "path_rules.h"
#include "resource_names.h"
#include "setup_record.h"
#include "text.h"

CSetupConfig theConfig;

namespace {

HFONT MakeFont(LONG height, LONG weight) {
    LOGFONTA font;
    memset(&font, 0, sizeof(font));
    font.lfHeight = height;
    font.lfWeight = weight;
    font.lfOutPrecision = OUT_TT_ONLY_PRECIS;
    CopyText(font.lfFaceName, sizeof(font.lfFaceName), "MS Sans Serif");
    return CreateFontIndirectA(&font);
}

// Resolves the folder token of the record into installDir (tokens are compared
// case-sensitively; anything else is a literal folder).
void ResolveInstallDir(CSetupConfig& config, const SetupRecord& record) {
    char folder[MAX_PATH] = "";
    const char* token = record.folderToken;
    if (strcmp(token, "{pf}") == 0) {
        SHGetFolderPathA(nullptr, CSIDL_PROGRAM_FILES, nullptr, SHGFP_TYPE_CURRENT, folder);
    } else if (strcmp(token, "{userpf}") == 0) {
        // The user's own programs folder, which the installation creates
        // when it is not there yet, as any missing part of the install folder.
        if (FAILED(SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder)) ||
            !AppendText(folder, sizeof(folder), "\\Programs")) {
            folder[0] = 0;
        }
    } else if (strcmp(token, "{sys}") == 0) {
        GetSystemDirectoryA(folder, sizeof(folder));
    } else if (strcmp(token, "{win}") == 0) {
        GetWindowsDirectoryA(folder, sizeof(folder));
    } else if (strcmp(token, "{app}") == 0) {
        CopyText(folder, sizeof(folder), config.sourceDir);
    } else {
        CopyText(folder, sizeof(folder), token);
    }
    CopyText(config.installDir, sizeof(config.installDir), folder);
    if (record.subFolder[0]) {
        AppendText(config.installDir, sizeof(config.installDir), "\\");
        AppendText(config.installDir, sizeof(config.installDir), record.subFolder);
    }
}

// Whether the package is a per-user one: it has RT_DATA "5003". A scope
// resource whatever its bytes makes the package per-user, the choice that
// asks for no rights and writes nothing for every user.
int ReadPerUser(HMODULE resources) {
    return FindResourceA(resources, kInstallScopeResource, kDataResourceType) != nullptr;
}

// The texts of the list of installed programs; none without the resource
// (a package written before it existed) or when it is damaged.
void ReadRegistration(HMODULE resources, RegistrationTexts* out) {
    HRSRC found = FindResourceA(resources, kRegistrationResource, kDataResourceType);
    HGLOBAL loaded = found ? LoadResource(resources, found) : nullptr;
    const uint8_t* data = loaded ? static_cast<const uint8_t*>(LockResource(loaded)) : nullptr;
    ParseRegistrationTexts(data, data ? SizeofResource(resources, found) : 0, out);
}

}  // namespace

CSetupConfig::CSetupConfig()
    : licenseFormat(0),
      infoFormat(0),
      allowDirChange(1),
      noIcons(1),
      allowGroupChange(1),
      offerMenuIcons(1),
      reservedFlag(1),
      desktopIcon(1),
      startMenuIcon(0),
      programsMenuIcon(1),
      uninstallIconOffered(0),
      uninstallIcon(1),
      runOffered(0),
      runAfterInstall(1),
      perUser(0),
      earlierFound(0),
      journal(nullptr) {
    earlierDir[0] = 0;
    earlierName[0] = 0;
    installDir[0] = 0;
    sourceDir[0] = 0;
    registration.version[0] = registration.publisher[0] = 0;
    reservedText[0] = 0;
    CopyText(appName, sizeof(appName), "Mon_Application");
    CopyText(appVerName, sizeof(appVerName), "Mon_Application 1.0");
    CopyText(groupName, sizeof(groupName), appName);
    titleFont = MakeFont(-12, FW_BOLD);
    welcomeFont = MakeFont(-20, FW_NORMAL);
}

CSetupConfig::~CSetupConfig() {
    DeleteObject(welcomeFont);
    DeleteObject(titleFont);
    files.Clear();
    installLog.Clear();
}

int CSetupConfig::Load() {
    char program[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, program, sizeof(program));
    return LoadFrom(GetModuleHandleA(nullptr), program);
}

int CSetupConfig::LoadFrom(HMODULE resources, const char* programPath) {
    FolderOf(programPath, sourceDir);
    CopyText(installDir, sizeof(installDir), sourceDir);

    HRSRC found = FindResourceA(resources, kSetupRecordResource, kDataResourceType);
    HGLOBAL loaded = found ? LoadResource(resources, found) : nullptr;
    const uint8_t* data = loaded ? static_cast<const uint8_t*>(LockResource(loaded)) : nullptr;
    if (!data) return 0;
    size_t size = SizeofResource(resources, found);

    perUser = ReadPerUser(resources);
    ReadRegistration(resources, &registration);
    SetupRecord record;
    SetDefaultSetupRecord(&record);
    ParseSetupRecord(data, size, &record);

    CopyText(appName, sizeof(appName), record.appName);
    CopyText(appVerName, sizeof(appVerName), record.appVerName);
    ResolveInstallDir(*this, record);
    for (int32_t i = 0; i < record.fileCount; ++i) {
        FileEntry entry;
        if (GetSetupFileEntry(record, i, &entry)) files.Append(&entry);
    }
    allowDirChange = record.allowDirChange;
    noIcons = record.noIcons;
    allowGroupChange = record.allowGroupChange;
    offerMenuIcons = record.offerMenuIcons;
    reservedFlag = record.reservedFlag;
    CopyText(groupName, sizeof(groupName), record.groupName);
    CopyText(reservedText, sizeof(reservedText), record.reservedText);
    runOffered = record.runOffered;
    uninstallIconOffered = record.uninstallIconOffered;
    licenseFormat = record.licenseFormat;
    infoFormat = record.infoFormat;
    FreeResource(loaded);
    return 1;
}
