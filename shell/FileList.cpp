#include "shell/FileList.h"

#include <algorithm>

#include "platform/platform.h"
#include "util/NaturalOrder.h"

namespace {

char16_t lowerAscii(char16_t c) { return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c; }

// Windows-style wildcard match ("*" any run, "?" one character), ASCII letters without case.
bool wildcardMatch(std::u16string_view name, std::u16string_view pattern) {
    std::size_t n = 0, p = 0;
    std::size_t starP = std::u16string_view::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == u'?' || lowerAscii(pattern[p]) == lowerAscii(name[n]))) {
            ++n;
            ++p;
        } else if (p < pattern.size() && pattern[p] == u'*') {
            starP = p++;
            starN = n;
        } else if (starP != std::u16string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*') ++p;
    return p == pattern.size();
}

bool sameIgnoringAsciiCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lowerAscii(a[i]) != lowerAscii(b[i])) return false;
    return true;
}

std::int64_t lastSeparator(std::u16string_view path) {
    const std::size_t at = path.rfind(platform::kPathSeparator);
    return at == std::u16string_view::npos ? -1 : static_cast<std::int64_t>(at);
}

void emptyList(FileList& list) {
    list.entries.clear();
    list.listFolder.clear();
    list.listSelection = 0;
}

}  // namespace

std::vector<WideString> fileListPatterns(const WideString* pluginExtensions, std::size_t count) {
    static const char16_t* const builtIn[] = {u".jpg", u".png", u".gif", u".bmp", u".tif", u".jpe", u".tiff", u".jpeg"};
    std::vector<WideString> out;
    for (const char16_t* ext : builtIn) out.emplace_back(ext);
    for (std::size_t i = 0; pluginExtensions && i < count; ++i) {
        const WideString& ext = pluginExtensions[i];
        if (ext.empty()) continue;
        // A file listed twice would show twice.
        const bool known = std::any_of(out.begin(), out.end(),
                                       [&](const WideString& have) { return sameIgnoringAsciiCase(have.view(), ext.view()); });
        if (!known) out.push_back(ext);
    }
    return out;
}

bool matchesListExtension(std::u16string_view name, std::u16string_view extension) {
    if (extension.empty() || name.size() < extension.size()) return false;
    if (name[name.size() - extension.size()] != u'.') return false;
    std::u16string pattern(u"*");
    pattern.append(extension);
    return wildcardMatch(name, pattern);
}

bool ListFolderImages(const WideString& folder, const std::vector<WideString>& patterns, std::vector<WideString>& files,
                      std::vector<WideString>* subfolders) {
    files.clear();
    if (subfolders) subfolders->clear();
    // One pass over the folder; its file count bounds the list as the capacity count does.
    std::vector<WideString> all;
    const bool readable = platform::listDirectory(folder.c_str(), [&](const platform::DirectoryEntry& entry) {
        if (!entry.isDirectory)
            all.emplace_back(entry.name);
        else if (subfolders && !entry.isLink)
            subfolders->emplace_back(entry.name);
    });
    if (!readable) return false;
    const auto natural = [](const WideString& a, const WideString& b) { return compareNatural(a.view(), b.view()) < 0; };
    if (subfolders) std::stable_sort(subfolders->begin(), subfolders->end(), natural);

    const std::size_t capacity = all.size();
    for (const WideString& ext : patterns) {
        if (files.size() == capacity) break;
        for (const WideString& name : all) {
            if (!matchesListExtension(name.view(), ext.view())) continue;
            files.push_back(name);
            if (files.size() == capacity) break;
        }
    }
    std::stable_sort(files.begin(), files.end(), natural);
    return true;
}

bool RefreshList(FileList& list, const WideString& documentPath, const std::vector<WideString>& patterns) {
    WideString folder;
    if (!documentPath.empty()) {
        const std::int64_t sep = lastSeparator(documentPath.view());
        // A file in the root keeps the separator as its folder.
        const std::int64_t cut = sep < 0 ? documentPath.length() : (sep == 0 ? 1 : sep);
        folder.assign(documentPath.c_str(), static_cast<std::uint32_t>(cut));
    } else {
        folder.assign(list.listFolder);
    }
    emptyList(list);
    // An empty folder name would read some unrelated folder (the current drive's root on Windows).
    if (folder.empty()) return false;

    std::vector<WideString> names;
    if (!ListFolderImages(folder, patterns, names) || names.empty()) return false;
    list.entries.reserve(names.size());
    for (WideString& name : names) list.entries.push_back(FileEntry{std::move(name)});
    list.listFolder = std::move(folder);

    if (documentPath.empty()) {
        list.listSelection = kNoListSelection;
        return true;
    }
    const std::int64_t sep = lastSeparator(documentPath.view());
    const std::u16string_view fileName = documentPath.view().substr(static_cast<std::size_t>(sep + 1));
    for (std::size_t i = 0; i < list.entries.size(); ++i) {
        if (sameIgnoringAsciiCase(list.entries[i].name.view(), fileName)) {
            list.listSelection = static_cast<std::int32_t>(i);
            break;
        }
    }
    return true;
}

void ClearListSelection(FileList& list) { list.listSelection = kNoListSelection; }

bool SelectListEntry(FileList& list, std::int32_t index, WideString& path) {
    if (index < 0 || index >= list.count()) return false;
    list.listSelection = index;
    path.setPath(list.listFolder, list.entries[static_cast<std::size_t>(index)].name.c_str());
    return true;
}

std::int32_t ListNeighbour(const FileList& list, std::int32_t step) {
    if (!list.exists()) return kNoListSelection;
    std::int64_t from = list.listSelection;
    if (from < 0 || from >= list.count()) from = step >= 0 ? -1 : list.count();
    const std::int64_t to = from + step;
    return (to < 0 || to >= list.count()) ? kNoListSelection : static_cast<std::int32_t>(to);
}

ScreenPoint PlaceListWindow(const ScreenRect& mainWindow, const ScreenRect& workArea, const ScreenRect& rebar,
                            std::int32_t listWidth) {
    const std::int64_t left = std::int64_t{mainWindow.left} - listWidth;
    if (left < workArea.left) return {rebar.left, rebar.bottom};
    return {static_cast<std::int32_t>(left), mainWindow.top};
}

ScreenPoint ListItemTextOrigin(const ScreenRect& item, std::int32_t fontHeight) {
    return {item.left + 2, static_cast<std::int32_t>((std::int64_t{item.top} + item.bottom - fontHeight) / 2)};
}
