// The texts and message boxes of uninst; every box has the uninstall caption.
#pragma once

#include <stddef.h>

#include "uninst_config.h"

// Composes format, which holds one "%s", with name into out (cap bytes). When
// the whole text does not fit, the name is cut and ends in "..." so that the
// fixed words stay whole; the text is always terminated inside out.
void ComposeNamedText(char* out, size_t cap, const char* format, const char* name);

// uninstCaption from appVerName.
void ComposeUninstCaption(const CUninstConfig& config);

// The confirmation text and the success text (buffers of 260 bytes).
void ComposeConfirmation(const CUninstConfig& config, char out[260]);
void ComposeSuccess(const CUninstConfig& config, char out[260]);

// "Etes-vous certain ... ?" with Yes and No; 1 on Yes.
int AskConfirmation(const CUninstConfig& config);
void ShowSuccess(const CUninstConfig& config);
// A logged file or folder that cannot be deleted (a program holds it open):
// a box that names it with Retry and Cancel. 1 on Retry.
int AskRetryDeletion(const char* path);
// The text of the box above (cap bytes).
void ComposeRetryDeletion(const char* path, char* out, size_t cap);
// The removal stopped before its end: what is left, and how to finish it.
void ComposeIncomplete(const CUninstConfig& config, char* out, size_t cap);
void ShowIncomplete(const CUninstConfig& config);
// The log resource is there but damaged: nothing will be removed.
void ShowDamagedLog();
// The removal dialog could not be created: nothing was removed.
void ShowDialogFailed();
