// Texts of uninst and the message boxes that show them.
#include "uninst_messages.h"

#include <windows.h>
#include <string.h>

#include "records.h"
#include "text.h"
#include "uninst_globals.h"

namespace {

const char kCaptionFormat[] = "Désinstallation de %s";
const char kConfirmFormat[] = "Etes-vous certain de vouloir désinstaller totalement %s et tous ses composants ?";
const char kSuccessFormat[] = "%s a été désinstallé avec succès de votre ordinateur.";
const char kDamagedLog[] =
    "Le journal d'installation contenu dans ce programme est endommagé.\n"
    "Aucun fichier n'a été supprimé.";
const char kDialogFailed[] =
    "La fenêtre de désinstallation ne peut pas être ouverte.\n"
    "Aucun fichier n'a été supprimé.";
const char kRetryFormat[] =
    "%s ne peut pas être supprimé : un programme l'utilise.\n"
    "Fermez ce programme puis cliquez sur Recommencer, ou sur Annuler pour arrêter la désinstallation.";
const char kIncompleteFormat[] =
    "La désinstallation de %s est incomplète : des fichiers utilisés par un programme n'ont pas été supprimés.\n"
    "Le programme de désinstallation reste en place. Fermez le programme qui les utilise puis relancez la "
    "désinstallation.";
const char kEllipsis[] = "...";
// Long enough for a whole path and the words around it.
enum { kMessageSize = 2 * kPathSize + 256 };

}  // namespace

void ComposeNamedText(char* out, size_t cap, const char* format, const char* name) {
    if (!out || cap == 0) return;
    if (!format) format = "";
    if (!name) name = "";
    const char* mark = strstr(format, "%s");
    if (!mark) {
        CopyText(out, cap, format);
        return;
    }
    const char* suffix = mark + 2;
    size_t prefixLen = static_cast<size_t>(mark - format);
    size_t fixed = prefixLen + strlen(suffix);
    size_t nameLen = strlen(name);
    if (fixed + nameLen < cap) {
        memcpy(out, format, prefixLen);
        memcpy(out + prefixLen, name, nameLen);
        strcpy(out + prefixLen + nameLen, suffix);
        return;
    }
    size_t ellipsis = sizeof(kEllipsis) - 1;
    if (fixed + ellipsis >= cap) {
        // Not even the fixed words fit: the plain text, cut at the end.
        CopyText(out, cap, format);
        return;
    }
    size_t keep = cap - 1 - fixed - ellipsis;
    memcpy(out, format, prefixLen);
    memcpy(out + prefixLen, name, keep);
    memcpy(out + prefixLen + keep, kEllipsis, ellipsis);
    strcpy(out + prefixLen + keep + ellipsis, suffix);
}

void ComposeUninstCaption(const CUninstConfig& config) {
    ComposeNamedText(uninstCaption, sizeof(uninstCaption), kCaptionFormat, config.appVerName);
}

void ComposeConfirmation(const CUninstConfig& config, char out[kPathSize]) {
    ComposeNamedText(out, kPathSize, kConfirmFormat, config.appVerName);
}

void ComposeSuccess(const CUninstConfig& config, char out[kPathSize]) {
    ComposeNamedText(out, kPathSize, kSuccessFormat, config.appVerName);
}

int AskConfirmation(const CUninstConfig& config) {
    char text[kPathSize];
    ComposeConfirmation(config, text);
    return MessageBoxA(nullptr, text, uninstCaption, MB_ICONQUESTION | MB_YESNO) == IDYES ? 1 : 0;
}

void ShowSuccess(const CUninstConfig& config) {
    char text[kPathSize];
    ComposeSuccess(config, text);
    MessageBoxA(nullptr, text, uninstCaption, MB_ICONINFORMATION);
}

void ComposeRetryDeletion(const char* path, char* out, size_t cap) {
    ComposeNamedText(out, cap, kRetryFormat, path);
}

int AskRetryDeletion(const char* path) {
    char text[kMessageSize];
    ComposeRetryDeletion(path, text, sizeof(text));
    return MessageBoxA(nullptr, text, uninstCaption, MB_ICONWARNING | MB_RETRYCANCEL) == IDRETRY ? 1 : 0;
}

void ComposeIncomplete(const CUninstConfig& config, char* out, size_t cap) {
    ComposeNamedText(out, cap, kIncompleteFormat, config.appVerName);
}

void ShowIncomplete(const CUninstConfig& config) {
    char text[kMessageSize];
    ComposeIncomplete(config, text, sizeof(text));
    MessageBoxA(nullptr, text, uninstCaption, MB_ICONWARNING);
}

void ShowDamagedLog() {
    MessageBoxA(nullptr, kDamagedLog, uninstCaption, MB_ICONERROR);
}

void ShowDialogFailed() {
    MessageBoxA(nullptr, kDialogFailed, uninstCaption, MB_ICONERROR);
}
