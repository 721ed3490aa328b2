#include "shell/Language_win32.h"

#include <cstring>
#include <vector>

#include "platform/platform.h"
#include "shell/DialogTemplate.h"
#include "util/files.h"

HMODULE languageModule = nullptr;
ErrorBoxWindows errorBoxWindows = {nullptr, nullptr};

namespace {

const wchar_t* wide(const char16_t* text) { return reinterpret_cast<const wchar_t*>(text); }

// A language module holds resources only. Mapping it as an image resource file keeps a planted or
// foreign library in the program's folder from running code, and the full path keeps the search
// from wandering into the current directory or PATH.
HMODULE mapModule(const WideString& path) {
    return LoadLibraryExW(wide(path.c_str()), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
}

// The executable's folder with a trailing separator; empty on failure.
WideString programFolder() {
    WideString folder;
    modulePath(folder);
    folder.cut(3);
    if (!folder.empty()) folder.append(u"\\");
    return folder;
}

HMODULE loadNamedModule(const WideString& folder, const WideString& name) {
    if (folder.empty() || !isPlainLanguageName(name)) return nullptr;
    WideString path(folder);
    path.append(name);
    path.append(u".dll");
    return mapModule(path);
}

}  // namespace

bool moduleHasSignature(HMODULE module) {
    if (!module) return false;
    HRSRC info = FindResourceW(module, MAKEINTRESOURCEW(1), RT_RCDATA);
    if (!info) return false;
    HGLOBAL loaded = LoadResource(module, info);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    return hasLanguageSignature(data, SizeofResource(module, info));
}

bool loadLanguage(WideString& name) {
    if (name.empty()) name.assign(defaultLanguageName(GetUserDefaultUILanguage()));
    const WideString folder = programFolder();
    HMODULE module = loadNamedModule(folder, name);
    for (const char16_t* fallback : kFallbackLanguages) {
        if (module) break;
        WideString candidate(fallback);
        module = loadNamedModule(folder, candidate);
        if (module) name.assign(candidate);
    }
    languageModule = nullptr;
    if (!module) return false;
    if (!moduleHasSignature(module)) {
        FreeLibrary(module);
        return false;
    }
    languageModule = module;
    return true;
}

LanguageList findLanguages(const WideString& currentName) {
    const WideString folder = programFolder();
    std::vector<WideString> files;
    if (!folder.empty()) {
        WideString pattern(folder);
        pattern.append(u"*.dll");
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW(wide(pattern.c_str()), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                    files.emplace_back(reinterpret_cast<const char16_t*>(found.cFileName));
            } while (FindNextFileW(search, &found));
            FindClose(search);
        }
    }
    return chooseLanguageNames(files, currentName, [&folder](const WideString& file) {
        WideString path(folder);
        path.append(file);
        HMODULE module = mapModule(path);
        const bool accepted = moduleHasSignature(module);
        if (module) FreeLibrary(module);
        return accepted;
    });
}

int listLanguages(HWND comboBox, const WideString& currentName) {
    const LanguageList list = findLanguages(currentName);
    for (const WideString& name : list.names)
        SendMessageW(comboBox, CB_INSERTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(name.c_str()));
    return list.current;
}

WideString loadText(std::uint32_t id) {
    WideString text;
    if (!languageModule || id > 0xFFFF) return text;
    char16_t* buffer = text.reserve(127);
    if (!buffer) return text;
    LoadStringW(languageModule, id, reinterpret_cast<wchar_t*>(buffer), 128);
    text.recount();
    return text;
}

void showErrorMessage(std::uint32_t id) {
    SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)));  // IDC_ARROW
    HWND list = errorBoxWindows.fileList;
    if (list && IsWindow(list)) EnableWindow(list, FALSE);
    WideString caption, message;
    errorMessageTexts(id, loadText, caption, message);
    MessageBoxW(errorBoxWindows.owner, wide(message.c_str()), wide(caption.c_str()), MB_SETFOREGROUND | MB_ICONERROR);
    if (list && IsWindow(list)) EnableWindow(list, TRUE);
}

DialogTemplateCopy loadDialogTemplate(std::uint32_t id) {
    DialogTemplateCopy copy = {nullptr, nullptr};
    if (!languageModule || id > 0xFFFF) return copy;
    HRSRC info = FindResourceW(languageModule, MAKEINTRESOURCEW(id), RT_DIALOG);
    if (!info) return copy;
    HGLOBAL loaded = LoadResource(languageModule, info);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    DialogTemplateInfo layout;
    if (!walkDialogTemplate(data, SizeofResource(languageModule, info), layout)) return copy;
    void* block = platform::heapAlloc(layout.size);
    if (!block) return copy;
    std::memcpy(block, data, layout.size);
    copy.data = block;
    copy.pointSize = reinterpret_cast<std::uint16_t*>(static_cast<std::uint8_t*>(block) + layout.pointSizeOffset);
    return copy;
}
