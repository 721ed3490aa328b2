// The process-wide state of Vantle.exe and the operations the window modules offer each other.
// Everything here belongs to the user-interface thread, except what the preview worker touches
// (see PreviewWorker.h).
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <cstdint>
#include <vector>

#include "document/Document.h"
#include "document/Shading.h"
#include "shell/Commands.h"
#include "shell/FileList.h"
#include "shell/MenuItems.h"
#include "shell/Settings.h"
#include "trim/TrimEditor.h"
#include "trim/ViewGeometry.h"
#include "util/WideString.h"

// Child window and control identifiers.
namespace ids {
constexpr int kView = 1000;
constexpr int kListBox = 1010;
constexpr int kRebar = 1020;
constexpr int kMainToolbar = 1021;
constexpr int kOutputToolbar = 1022;
constexpr int kSizeToolbar = 1023;
constexpr int kTrimToolbar = 1024;
constexpr int kPerspectiveToolbar = 1025;
constexpr int kZoomLabel = 1030;
constexpr int kZoomBox = 1031;
constexpr int kZoomSpin = 1032;
constexpr int kZoomUnit = 1033;
constexpr int kFormatCombo = 1050;
constexpr int kPerspectiveLabel = 1051;
constexpr int kTrimLabelFirst = 1130;  // 1130..1133 beside boxes 1110..1113
constexpr int kWidthLabel = 1141;
constexpr int kHeightLabel = 1142;
constexpr int kWidthBox = 1143;
constexpr int kHeightBox = 1144;
constexpr int kWidthSpin = 1145;
constexpr int kHeightSpin = 1146;
}  // namespace ids

// Measures of the user-interface font, taken when the main window is created.
struct UiMetrics {
    int textHeight = 16;
    int rowHeight = 22;
    int digitWidth = 7;
    int spinExtra = 27;
    int checkExtra = 20;
};

constexpr int kToolbarCount = 5;  // 1021 ... 1025

struct App {
    HINSTANCE exeInstance = nullptr;
    HANDLE appHeap = nullptr;
    int osLevel = 0;
    DWORD_PTR helpCookie = 0;

    WideString settingsPath;
    Settings settings;
    KeySlotTable slots{};
    AcceleratorList accelerators{};
    HACCEL accelTable = nullptr;

    // Menus: the holder (never shown) keeps the three popups as items 0, 1, 2.
    MenuModel menus;
    HMENU menuHolder = nullptr;
    HMENU mainMenu = nullptr;
    HMENU shadeMenu = nullptr;
    HMENU presetMenu = nullptr;

    HFONT uiFont = nullptr;
    UiMetrics metrics;

    HWND mainWindow = nullptr;
    HWND view = nullptr;
    HWND rebar = nullptr;
    HWND toolbars[kToolbarCount] = {};  // by id - 1021
    HWND tooltip = nullptr;
    HWND listWindow = nullptr;
    HWND listBox = nullptr;
    int listWindowWidth = 180;
    int listWindowHeight = 360;
    bool reopenListWindow = false;  // closed for trim mode or a dialog, to come back afterwards
    bool appActive = false;

    Document document;
    TrimOptions trimOptions;  // the live output size, presets and shade mode (copied to `settings` at exit)
    TrimEditor editor;
    ViewGeometry geometry;
    ViewMetrics viewMetrics;
    ShadeState shade;
    TrimPoint crosshair{-1, -1};
    bool trackingMouse = false;  // TrackMouseEvent armed on the view

    FileList fileList;
    std::vector<WideString> listPatterns;
    HANDLE changeHandle = nullptr;
};

extern App app;

// A control of one of the toolbars (they are the parents of the embedded fields), or null.
HWND controlById(int id);
HWND toolbarById(int id);

// --- Main window (ui/window) ---
bool registerWindowClasses();
HWND createMainWindow(int nCmdShow, SettingsReader& reader);
void runCommand(WPARAM wParam, LPARAM lParam);
void refreshTitle();
// The input method of `control` closed when it is open (number fields take digits only).
void closeInputMethod(HWND control);
// A cursor resource of the executable by id; 0 or less is the system arrow.
void setCursorById(int id);
void refreshToolbarStates();
void writeZoomBox();
// SetDlgItemInt with editsLive cleared around it.
void writeNumber(int id, int value);
// Layout of the view below the rebar after a client size change.
void layoutMainWindow();
void Shutdown();

// --- Documents (ui/document) ---
// Loads `path` (or reloads the document's path when null) and brings the window up to date: the view
// re-fitted, the zoom box, `currentFolder`, title and toolbar; the file list is re-read when
// `refreshList` is set. Returns whether an image is shown.
bool openDocument(const WideString* path, bool refreshList);
// The view, title and toolbars after the document changed without a load (paste, trim result).
void documentChanged();
// Execute: builds the output image, installs it and delivers it (clipboard, automatic name or Save As).
void finishTrim();
void cancelTrim();
void saveAsCurrent();  // command 5410
void pasteImage();     // command 5415
void copyImageToClipboard();
// WM_DROPFILES and the command line: open the first file (shortcuts resolved).
void openDroppedFiles(HDROP drop);
void openFromCommandLine();
bool openWithDialog();  // command 5000
// The Save As dialog for the current document starting in `folder`; true when a file was written.
bool saveAsDialog(const WideString& folder);
// A shell shortcut (.lnk) resolved to its target; other paths come back unchanged.
WideString resolveShortcut(const WideString& path);
void showOutputFailure(std::uint32_t messageId, const WideString& libraryMessage);

// --- Image view (ui/view) ---
bool registerViewClass();
HWND createView(HWND parent);
void viewLayout(int width, int height);  // client size of the view window changed
void fitView();                          // FitNew for the document
void applyScrollBars(const ScrollBars& bars);
void repaintView();
void viewWheel(WPARAM wParam, LPARAM lParam);
void eraseCrosshair();
void forgetCrosshair();
void invalidateShading();
// Runs the mouse-bound commands (zoom, others through runCommand) with the zoom anchored at (x, y).
void runMouseCommand(int command, int x, int y);

// --- Trim adapter and preview worker (ui/trim) ---
TrimView& windowTrimView();
bool startPreviewWorker();
void stopPreviewWorker();
void postPreviewRequest(bool notifyWhenDone);
void setWorkerPriority(bool normal);
void waitForPreviewWorker();
bool previewWorkerBusy();
void previewFinishedOnUiThread();  // the main window's WM_APP

// --- Menus, accelerators and keys (ui/menus) ---
void buildMenus();
void destroyMenus();
void buildPresetItems();
void rebuildAfterKeyChange();
void rebuildAfterLanguageChange();
void updateMenuState(HMENU menu);
void showMainMenu(HWND window, POINT screen);
void showMenuUnderButton(HWND toolbar, int command, HMENU menu);
bool measureMenuItem(MEASUREITEMSTRUCT* item);
bool drawMenuItem(const DRAWITEMSTRUCT* item);
void createAcceleratorTable();
void destroyAcceleratorTable();
void installTrimKeyHook();
void removeTrimKeyHook();

// --- Controls (ui/controls) ---
void computeMetrics(HWND window);
bool createBands(HWND parent);
void destroyBands();  // image lists and subclasses
LRESULT customDrawToolbar(NMCUSTOMDRAW* draw);
bool drawComboItem(const DRAWITEMSTRUCT* item);
void highlightFill(HDC dc, const RECT& rect, int corner, COLORREF fill, COLORREF frame);
void checkMark(HDC dc, const RECT& rect);
void addToolbarTooltips();
void refreshToolbarTooltips();
// Places a dialog under a toolbar button (call from WM_INITDIALOG).
void placeDialogUnderButton(HWND dialog, HWND toolbar, int command);
bool registerLabelClasses();

// --- File list window (ui/filelist) ---
bool registerListClass();
void refreshFileList();   // RefreshList for the document, then the list box
void showListWindow();    // command 5010
void closeListWindow(bool reopenLater);
void reopenListWindow();
void enableListWindow(bool enable);
void checkFolderChange();  // WM_ACTIVATEAPP with activation
void closeChangeNotification();
