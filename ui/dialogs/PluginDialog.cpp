// The plug-in dialog: the plug-in folder (typed, browsed for or cleared) and a checked list of its
// plug-ins; OK stores the folder and the names of the unchecked ones. Double-clicking a row opens
// that plug-in's own settings.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "platform/platform.h"
#include "shell/Language_win32.h"
#include "shell/PluginRows.h"
#include "shell/PluginSettings.h"
#include "ui/app/App.h"
#include "ui/app/WindowBinding.h"
#include "ui/dialogs/DialogBuilders.h"
#include "ui/dialogs/Dialogs.h"
#include "ui/filelist/FileListWindow.h"

namespace {

using namespace dialog;

constexpr std::uint32_t kTextPluginColumn = 20200, kTextPatternColumn = 20201, kTextFormatColumn = 20202;
constexpr std::uint32_t kTextFolderHint = 2310;
constexpr int kNameColumnWidth = 100, kPatternColumnWidth = 135, kMinFormatColumnWidth = 100, kCellPadding = 14;

struct PluginDialogState {
    HWND window = nullptr;
    WideString folder;  // the dialog's copy of the plug-in folder
};

const wchar_t* wide(const WideString& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }

HWND listView(HWND dialog) { return GetDlgItem(dialog, kPluginsList); }

void addColumn(HWND list, int index, std::uint32_t titleId, int width) {
    const WideString title = loadText(titleId);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.pszText = const_cast<wchar_t*>(wide(title));
    column.cx = width;
    column.iSubItem = index;
    SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column));
}

void setCell(HWND list, int row, int column, const WideString& text) {
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = const_cast<wchar_t*>(wide(text));
    SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

bool rowChecked(HWND list, int row) {
    // State image 1 is the empty box, 2 the checked one.
    const auto state = static_cast<UINT>(SendMessageW(list, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_STATEIMAGEMASK));
    return (state >> 12) == 2;
}

void setRowChecked(HWND list, int row, bool checked) {
    LVITEMW item{};
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(checked ? 2 : 1);
    SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

WideString rowName(HWND list, int row) {
    wchar_t text[261] = {};
    LVITEMW item{};
    item.iSubItem = 0;
    item.pszText = text;
    item.cchTextMax = 261;
    SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return WideString(reinterpret_cast<const char16_t*>(text));
}

// The name column is 100 pixels, or as wide as the longest name with its check box when the format
// column keeps 100 pixels all the same; the format column takes the rest.
void fitNameColumn(HWND list, const std::vector<PluginRow>& rows) {
    RECT client{};
    GetClientRect(list, &client);
    const int widest = client.right - kPatternColumnWidth - kMinFormatColumnWidth;
    int width = kNameColumnWidth;
    for (const PluginRow& row : rows) {
        const int text = static_cast<int>(SendMessageW(list, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(wide(row.name))));
        width = std::max(width, std::min(widest, text + GetSystemMetrics(SM_CXSMICON) + kCellPadding));
    }
    SendMessageW(list, LVM_SETCOLUMNWIDTH, 0, width);
    SendMessageW(list, LVM_SETCOLUMNWIDTH, 2, std::max(0L, client.right - width - kPatternColumnWidth));
}

// The plug-ins of the folder copy; `switchedOff` null checks every row.
void fill(PluginDialogState& state, const PluginNameList* switchedOff) {
    HWND list = listView(state.window);
    SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
    if (!platform::isDirectory(state.folder.c_str())) return;
    PluginHost host;
    host.folder = state.folder;
    const std::vector<PluginRow> rows = PluginRows(host, switchedOff);
    for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = i;
        item.pszText = const_cast<wchar_t*>(wide(rows[i].name));
        const int row = static_cast<int>(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
        setCell(list, row, 1, rows[i].patterns);
        setCell(list, row, 2, rows[i].formats);
        setRowChecked(list, row, rows[i].checked);
    }
    fitNameColumn(list, rows);
}

// A new folder: its plug-ins, every one checked.
void takeFolder(PluginDialogState& state, const WideString& folder) {
    state.folder = folder;
    fill(state, nullptr);
}

void initDialog(PluginDialogState& state) {
    HWND dialog = state.window;
    state.folder = app.settings.pluginFolder;
    if (!state.folder.empty()) setDialogText(dialog, kPluginsFolder, state.folder);
    addCueText(dialog, kPluginsFolder, kTextFolderHint);
    HWND list = listView(dialog);
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    RECT client{};
    GetClientRect(list, &client);
    addColumn(list, 0, kTextPluginColumn, kNameColumnWidth);
    addColumn(list, 1, kTextPatternColumn, kPatternColumnWidth);
    addColumn(list, 2, kTextFormatColumn, client.right - kNameColumnWidth - kPatternColumnWidth);
    addListRepaint(dialog, kPluginsList);
    fill(state, &app.settings.disabledPlugins);
}

void folderFieldLeft(PluginDialogState& state) {
    const WideString typed = dialogText(state.window, kPluginsFolder);
    if (OtherPluginFolder(state.folder, typed)) takeFolder(state, typed);
}

void browse(PluginDialogState& state) {
    WideString chosen;
    if (!browseForFolder(state.window, state.folder, state.folder, chosen)) return;
    setDialogText(state.window, kPluginsFolder, chosen);
    takeFolder(state, chosen);
}

void clearFolder(PluginDialogState& state) {
    state.folder.clear();
    setDialogText(state.window, kPluginsFolder, WideString());
    SendMessageW(listView(state.window), LVM_DELETEALLITEMS, 0, 0);
}

void configureSelected(PluginDialogState& state) {
    HWND list = listView(state.window);
    const int row = static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    if (row < 0) return;
    PluginHost host;
    host.folder = state.folder;
    configurePlugin(host, state.window, rowName(list, row));
}

void store(PluginDialogState& state) {
    // A folder typed and confirmed with Enter never lost the focus: it counts as left.
    folderFieldLeft(state);
    HWND list = listView(state.window);
    std::vector<PluginRow> rows(static_cast<std::size_t>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)));
    for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
        rows[i].name = rowName(list, i);
        rows[i].checked = rowChecked(list, i);
    }
    Settings& s = app.settings;
    s.pluginFolder = state.folder;
    StoreSwitchedOff(rows, s.disabledPlugins);
    // The folder list shows the files of the plug-ins now in use.
    forgetFileListPatterns();
}

void end(PluginDialogState& state, INT_PTR result) {
    removeDialogSubclasses(state.window, {kPluginsFolder, kPluginsList});
    EndDialog(state.window, result);
}

INT_PTR handlePluginDialog(PluginDialogState& state, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: initDialog(state); return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case kPluginsFolder:
            if (HIWORD(wParam) == EN_KILLFOCUS) folderFieldLeft(state);
            return TRUE;
        case kPluginsBrowse: browse(state); return TRUE;
        case kPluginsClear: clearFolder(state); return TRUE;
        case IDOK:
            store(state);
            end(state, IDOK);
            return TRUE;
        case IDCANCEL: end(state, IDCANCEL); return TRUE;
        }
        return FALSE;
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->idFrom == static_cast<UINT_PTR>(kPluginsList) && header->code == NM_DBLCLK) configureSelected(state);
        return FALSE;
    }
    }
    return FALSE;
}

}  // namespace

void openPluginDialog() {
    PluginDialogState state;
    if (runDialog(kPlugins, boundDialogProc<PluginDialogState, handlePluginDialog>, &state) == IDOK)
        refreshFileList();
}
