// The install folder page: the folder field, filled from installDir and stored
// back into it whenever the page is left, and the folder browser.
#include "page_directory.h"

#include <shlobj.h>
#include <shlwapi.h>
#include <string.h>

#include "page_layout.h"
#include "setup_config.h"
#include "setup_ids.h"
#include "text.h"

namespace {

const char kTitle[] = "Dossier d'installation";
const char kSubtitle[] = "Sélectionnez un répértoire où les fichiers doivent être installés.";
const char kFolderSentence[] = "L'assistant va installer %.*s dans le dossier suivant :";
const char kBrowse[] = "Parcourir";
const char kBrowseTitle[] = "Choisir un dossier :";

// The sentence is composed in 128 characters; a longer application name is cut
// so that the sentence keeps its end (76 characters fit).
const int kSentenceSize = 128;
const int kSentenceNameMax = kSentenceSize - 1 - (static_cast<int>(sizeof(kFolderSentence)) - 1 - 4);

}  // namespace

CPageDirectory::CPageDirectory(CSetupConfig* config) {
    this->config = config;
}

LRESULT CPageDirectory::OnCreate(HWND page) {
    window = page;
    pageBitmap = LoadPageBitmap(IDB_HEADER_IMAGE);
    int width, height;
    PageSize(page, &width, &height);
    BuildHeader(page, pageBitmap, config, kTitle, kSubtitle, width);

    char sentence[kSentenceSize];
    FormatText(sentence, sizeof(sentence), kFolderSentence, kSentenceNameMax, config->appName);
    AddControl(page, "static", sentence, 0, 40, 80, 400, 16, WS_CHILD | WS_VISIBLE);
    HWND folder = AddControl(page, "edit", config->installDir, IDC_FOLDER_EDIT, 40, 100, 340, 20,
                             WS_CHILD | WS_VISIBLE, WS_EX_CLIENTEDGE);
    EnableWindow(folder, config->allowDirChange);
    HWND browse = AddControl(page, "button", kBrowse, IDC_FOLDER_BROWSE, 390, 100, 70, 21, WS_CHILD | WS_VISIBLE);
    EnableWindow(browse, config->allowDirChange);
    return 0;
}

HBRUSH CPageDirectory::OnCtlColorStatic(HWND page, HDC dc, HWND control) {
    return HeaderColors(page, dc, control);
}

LRESULT CPageDirectory::OnCommand(HWND page, WPARAM wParam, LPARAM) {
    if (LOWORD(wParam) != IDC_FOLDER_BROWSE) return 0;
    char chosen[kPathSize];
    if (BrowseForFolder(page, chosen) == 1) SetDlgItemTextA(page, IDC_FOLDER_EDIT, chosen);
    return 0;
}

LRESULT CPageDirectory::OnLeave(HWND page, int) {
    GetDlgItemTextA(page, IDC_FOLDER_EDIT, config->installDir, sizeof(config->installDir));
    return 1;
}

int CPageDirectory::BrowseForFolder(HWND owner, char* path) {
    path[0] = '\0';
    // The shell's folder browser needs COM on the calling thread.
    HRESULT com = CoInitialize(nullptr);
    IMalloc* allocator = nullptr;
    int result = 0;
    if (SUCCEEDED(SHGetMalloc(&allocator)) && allocator) {
        char displayName[MAX_PATH];
        BROWSEINFOA info;
        memset(&info, 0, sizeof(info));
        info.hwndOwner = owner;
        info.pszDisplayName = displayName;
        info.lpszTitle = kBrowseTitle;
        LPITEMIDLIST chosen = SHBrowseForFolderA(&info);
        if (chosen) {
            if (SHGetPathFromIDListA(chosen, path) && PathIsDirectoryA(path)) {
                result = 1;
            } else {
                path[0] = '\0';
            }
            allocator->Free(chosen);
        }
        allocator->Release();
    }
    if (SUCCEEDED(com)) CoUninitialize();
    return result;
}
