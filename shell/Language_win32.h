// The language module of the running program (Windows only): loading and checking it, listing the
// modules beside the executable, its texts, its dialog templates, and the one error box.
#pragma once

#include <windows.h>

#include <cstdint>

#include "shell/Language.h"
#include "util/WideString.h"

// The loaded module; every text and dialog template comes from it.
extern HMODULE languageModule;

// The windows the error box works with: its owner (the main window) and the file list window,
// which is disabled while the box is up. Either may be null.
struct ErrorBoxWindows {
    HWND owner;
    HWND fileList;
};
extern ErrorBoxWindows errorBoxWindows;

// Loads and checks the module for `name` (an empty name picks the system's default language),
// falling back to "English" and then "Japanese" when it does not load; `name` becomes the name that
// loaded. Modules are mapped as resource files from the executable's folder, so no code of theirs
// runs. False when none loads, or when the loaded one lacks the signature (no fallback then).
// A module loaded before is not freed here: a language change frees it first.
bool loadLanguage(WideString& name);
// True when the module carries the signature resource.
bool moduleHasSignature(HMODULE module);
// The acceptable modules beside the executable and the position of `currentName` among them.
LanguageList findLanguages(const WideString& currentName);
// Fills a combo box with findLanguages' names; returns the position of the current one, or -1.
int listLanguages(HWND comboBox, const WideString& currentName);

// Text `id` of the module, at most 127 characters; empty when it has none.
WideString loadText(std::uint32_t id);

// The error box for a message identifier (see errorMessageTexts).
void showErrorMessage(std::uint32_t id);

// A copy of dialog template `id` from the module, in a block of the application heap, and its
// point-size field; null when the template is missing, not extended, without DS_SETFONT, or
// damaged. The caller sets the point size, creates the dialog and frees the copy (heapFree).
struct DialogTemplateCopy {
    void* data;
    std::uint16_t* pointSize;
};
DialogTemplateCopy loadDialogTemplate(std::uint32_t id);
