// The rebar of the main window and its five tool bands: toolbars with their buttons, and the
// fields, spin buttons, labels and combo box placed over their placeholder buttons.
#include <windows.h>
#include <commctrl.h>
#include <uxtheme.h>

#include "shell/Language_win32.h"
#include "ui/app/App.h"
#include "ui/controls/Builders.h"
#include "ui/controls/Controls.h"
#include "ui/resources/ToolbarImages.h"

namespace {

// The rebar, its toolbars (by identifier from kMainToolbar) and the one tooltip control.
struct Bands {
    HWND rebar = nullptr;
    HWND toolbars[control::kToolbarCount] = {};
    HWND tooltip = nullptr;
};
Bands bands;

constexpr int kPlaceholder = 9911;
constexpr int kZoomPlaceholder = 9920;
constexpr int kGap = 4;  // between controls placed over a placeholder

HIMAGELIST normalImages = nullptr;
HIMAGELIST disabledImages = nullptr;

HIMAGELIST loadStrip(int resource) {
    HBITMAP strip = static_cast<HBITMAP>(
        LoadImageW(app.exeInstance, MAKEINTRESOURCEW(resource), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (!strip) return nullptr;
    HIMAGELIST list = ImageList_Create(kToolbarImageSize, kToolbarImageSize, ILC_COLOR24 | ILC_MASK,
                                       toolbar_image::count, 0);
    if (list) ImageList_AddMasked(list, strip, kToolbarMaskColour);
    DeleteObject(strip);
    return list;
}

TBBUTTON button(int command, BYTE style = BTNS_BUTTON) {
    TBBUTTON b{};
    b.iBitmap = toolbarImageOfCommand(static_cast<std::uint16_t>(command));
    b.idCommand = command;
    b.fsState = TBSTATE_ENABLED;
    b.fsStyle = style;
    return b;
}

TBBUTTON separator(int id = 0, int width = 0) {
    TBBUTTON b{};
    b.iBitmap = width;
    b.idCommand = id;
    b.fsStyle = BTNS_SEP;
    return b;
}

int buttonHeight() { return app.metrics.rowHeight + 3 > 22 ? app.metrics.rowHeight + 3 : 22; }

HWND createToolbar(HWND parent, int id, const TBBUTTON* buttons, int count) {
    HWND toolbar = CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr, 0x5000084C, 0, 0, 0, 0, parent,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), app.exeInstance, nullptr);
    if (!toolbar) return nullptr;
    SendMessageW(toolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    SendMessageW(toolbar, TB_SETBITMAPSIZE, 0, MAKELONG(kToolbarImageSize, kToolbarImageSize));
    SendMessageW(toolbar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(normalImages));
    SendMessageW(toolbar, TB_SETDISABLEDIMAGELIST, 0, reinterpret_cast<LPARAM>(disabledImages));
    SendMessageW(toolbar, WM_SETFONT, reinterpret_cast<WPARAM>(app.uiFont), FALSE);
    SendMessageW(toolbar, TB_ADDBUTTONSW, count, reinterpret_cast<LPARAM>(buttons));
    SendMessageW(toolbar, TB_SETBUTTONSIZE, 0, MAKELONG(buttonHeight(), buttonHeight()));
    SendMessageW(toolbar, TB_AUTOSIZE, 0, 0);
    bands.toolbars[id - control::kMainToolbar] = toolbar;
    SetWindowSubclass(toolbar, panelProc, id, 0);
    return toolbar;
}

// The left edge of the toolbar's placeholder button, after its width was set to `width`.
int placeholderLeft(HWND toolbar, int placeholderId, int width) {
    TBBUTTONINFOW info{};
    info.cbSize = sizeof info;
    info.dwMask = TBIF_SIZE;
    info.cx = static_cast<WORD>(width);
    SendMessageW(toolbar, TB_SETBUTTONINFOW, placeholderId, reinterpret_cast<LPARAM>(&info));
    RECT r{};
    SendMessageW(toolbar, TB_GETRECT, placeholderId, reinterpret_cast<LPARAM>(&r));
    return r.left;
}

void addBand(int id, HWND toolbar, int labelId) {
    SIZE size{};
    SendMessageW(toolbar, TB_GETMAXSIZE, 0, reinterpret_cast<LPARAM>(&size));
    REBARBANDINFOW band{};
    band.cbSize = sizeof band;
    band.fMask = RBBIM_STYLE | RBBIM_CHILD | RBBIM_CHILDSIZE | RBBIM_SIZE | RBBIM_ID | RBBIM_COLORS;
    band.fStyle = RBBS_CHILDEDGE | RBBS_NOGRIPPER;
    band.hwndChild = toolbar;
    band.cxMinChild = static_cast<UINT>(size.cx);
    band.cyMinChild = static_cast<UINT>(buttonHeight() + 2);
    band.cx = static_cast<UINT>(size.cx);
    band.wID = static_cast<UINT>(id);
    band.clrFore = 0x606000;
    band.clrBack = 0xF0F0F0;
    WideString label;
    if (labelId) {
        label = loadText(static_cast<std::uint32_t>(labelId));
        band.fMask |= RBBIM_TEXT;
        band.lpText = reinterpret_cast<wchar_t*>(label.data() ? label.data() : const_cast<char16_t*>(u""));
    }
    SendMessageW(bands.rebar, RB_INSERTBANDW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&band));
}

void createMainBand(HWND parent) {
    const TBBUTTON buttons[] = {
        button(command::kMainMenu, BTNS_WHOLEDROPDOWN),
        separator(),
        button(command::kOpen),
        button(command::kFileList),
        separator(),
        button(command::kShadeMenu, BTNS_WHOLEDROPDOWN),
        separator(),
        button(command::kZoomFit),
        button(command::kZoomActual),
        separator(kZoomPlaceholder),
    };
    HWND toolbar = createToolbar(parent, control::kMainToolbar, buttons, static_cast<int>(std::size(buttons)));
    if (!toolbar) return;
    // Measure first (placed at 0), then move everything over the placeholder.
    int x = 0;
    const int zoomLabel = createBandWindow(kZoomLabelClass, toolbar, control::kZoomLabel, x, zoomLabelState());
    x += zoomLabel;
    const int field = createSpinField(toolbar, control::kZoomBox, control::kZoomSpin, x, 4, 4, 1, 1600, 100, 0);
    x += field;
    const int unit = createLabel(toolbar, control::kZoomUnit, x, nullptr, 0);
    x += unit;
    const int left = placeholderLeft(toolbar, kZoomPlaceholder, x + kGap);
    relayoutRow(toolbar, {control::kZoomLabel, control::kZoomBox, control::kZoomUnit}, left + kGap);
    addBand(control::kMainToolbar, toolbar, 0);
}

void createOutputBand(HWND parent) {
    const TBBUTTON buttons[] = {button(command::kOutputOptions, BTNS_WHOLEDROPDOWN), separator(kPlaceholder)};
    HWND toolbar = createToolbar(parent, control::kOutputToolbar, buttons, 2);
    if (!toolbar) return;
    const int width = formatComboWidth();
    const int left = placeholderLeft(toolbar, kPlaceholder, width + 2 * kGap);
    HWND combo = createComboBox(toolbar, left + kGap, width);
    for (std::int32_t k = 0; k < kOutputFormatCount; ++k)
        SendMessageW(combo, CB_ADDSTRING, 0, static_cast<LPARAM>(kOutputFormatTextFirst + k));
    SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(NumberOf(app.settings.outputFormat)), 0);
    addBand(control::kOutputToolbar, toolbar, control::kOutputToolbar);
}

void createSizeBand(HWND parent) {
    const TBBUTTON buttons[] = {button(command::kPresetMenu, BTNS_WHOLEDROPDOWN), separator(kPlaceholder)};
    HWND toolbar = createToolbar(parent, control::kSizeToolbar, buttons, 2);
    if (!toolbar) return;
    int x = 0;
    x += createBandWindow(kSizeLabelClass, toolbar, control::kWidthLabel, x, sizeLabelState(control::kWidthLabel));
    x += createSpinField(toolbar, control::kWidthBox, control::kWidthSpin, x, 4, 4, 1, 9999, app.settings.trimWidth, 0);
    x += createBandWindow(kSizeLabelClass, toolbar, control::kHeightLabel, x, sizeLabelState(control::kHeightLabel));
    x += createSpinField(toolbar, control::kHeightBox, control::kHeightSpin, x, 4, 4, 1, 9999, app.settings.trimHeight, 0);
    const int left = placeholderLeft(toolbar, kPlaceholder, x + 2 * kGap);
    relayoutRow(toolbar, {control::kWidthLabel, control::kWidthBox, control::kHeightLabel, control::kHeightBox}, left + kGap);
    addBand(control::kSizeToolbar, toolbar, control::kSizeToolbar);
}

void createTrimBand(HWND parent) {
    const TBBUTTON buttons[] = {button(command::kTrimExecute), button(command::kTrimCancel), separator(),
                                button(command::kTrimCentre), separator(kPlaceholder)};
    HWND toolbar = createToolbar(parent, control::kTrimToolbar, buttons, static_cast<int>(std::size(buttons)));
    if (!toolbar) return;
    int x = 0;
    std::vector<int> row;
    // Label, box and up-down of each side, left to right.
    for (int i = 0; i < 4; ++i) {
        x += createLabel(toolbar, control::kTrimLabelLeft + i, x, nullptr, WS_DISABLED);
        x += createSpinField(toolbar, control::kBoxLeft + i, control::kSpinLeft + i, x, 5, 5, 0, 99999, 0, WS_DISABLED);
        row.push_back(control::kTrimLabelLeft + i);
        row.push_back(control::kBoxLeft + i);
    }
    const int left = placeholderLeft(toolbar, kPlaceholder, x + 2 * kGap);
    relayoutRow(toolbar, row, left + kGap);
    for (int command : {command::kTrimExecute, command::kTrimCancel})
        SendMessageW(toolbar, TB_SETSTATE, command, MAKELONG(TBSTATE_INDETERMINATE, 0));
    addBand(control::kTrimToolbar, toolbar, control::kTrimToolbar);
}

void createPerspectiveBand(HWND parent) {
    const TBBUTTON buttons[] = {button(command::kPerspectiveReset), button(command::kCornerLeft),
                                button(command::kCornerRight),      button(command::kCornerUp),
                                button(command::kCornerDown),       separator(kPlaceholder)};
    HWND toolbar = createToolbar(parent, control::kPerspectiveToolbar, buttons, static_cast<int>(std::size(buttons)));
    if (!toolbar) return;
    const int width = createLabel(toolbar, control::kPerspectiveLabel, 0, nullptr, WS_DISABLED);
    const int left = placeholderLeft(toolbar, kPlaceholder, width + 2 * kGap);
    relayoutRow(toolbar, {control::kPerspectiveLabel}, left + kGap);
    for (int command = command::kPerspectiveReset; command <= command::kCornerDown; ++command)
        SendMessageW(toolbar, TB_SETSTATE, command, MAKELONG(TBSTATE_INDETERMINATE, 0));
    addBand(control::kPerspectiveToolbar, toolbar, control::kPerspectiveToolbar);
}

// What sits over each band's placeholder, for laying the band out again after a font or language
// change: the controls in their order, measured as the builders measure them.
enum class RowKind { DragLabel, Label, Field, Combo };
struct RowControl {
    int id;
    RowKind kind;
    int digits = 0;  // fields
};
struct BandRow {
    int toolbarId;
    int placeholderId;
    int placeholderGaps;  // the placeholder is this many gaps wider than the controls
    std::vector<RowControl> controls;
};

std::vector<BandRow> bandRows() {
    using K = RowKind;
    using namespace control;
    return {
        {kMainToolbar, kZoomPlaceholder, 1, {{kZoomLabel, K::DragLabel}, {kZoomBox, K::Field, 4}, {kZoomUnit, K::Label}}},
        {kOutputToolbar, kPlaceholder, 2, {{kFormatCombo, K::Combo}}},
        {kSizeToolbar, kPlaceholder, 2,
         {{kWidthLabel, K::DragLabel}, {kWidthBox, K::Field, 4}, {kHeightLabel, K::DragLabel}, {kHeightBox, K::Field, 4}}},
        {kTrimToolbar, kPlaceholder, 2,
         {{kTrimLabelLeft, K::Label}, {kBoxLeft, K::Field, 5}, {kTrimLabelTop, K::Label}, {kBoxTop, K::Field, 5},
          {kTrimLabelRight, K::Label}, {kBoxRight, K::Field, 5}, {kTrimLabelBottom, K::Label}, {kBoxBottom, K::Field, 5}}},
        {kPerspectiveToolbar, kPlaceholder, 2, {{kPerspectiveLabel, K::Label}}},
    };
}

int rowControlWidth(const RowControl& c) {
    switch (c.kind) {
    case RowKind::DragLabel: return bandLabelWidth(c.id);
    case RowKind::Label: return labelWidth(c.id);
    case RowKind::Field: return fieldWidth(c.digits);
    case RowKind::Combo: return formatComboWidth();
    }
    return 0;
}

void placeRowControl(HWND toolbar, const RowControl& c, int x, int width) {
    HWND window = GetDlgItem(toolbar, c.id);
    if (!window) return;
    const WPARAM font = reinterpret_cast<WPARAM>(app.uiFont);
    switch (c.kind) {
    case RowKind::DragLabel:
        MoveWindow(window, x, 2, width, app.metrics.rowHeight, TRUE);
        break;
    case RowKind::Label: {
        const WideString text = loadText(static_cast<std::uint32_t>(c.id));
        SetWindowTextW(window, reinterpret_cast<const wchar_t*>(text.c_str()));
        SendMessageW(window, WM_SETFONT, font, FALSE);
        MoveWindow(window, x, 2, width, app.metrics.rowHeight, TRUE);
        break;
    }
    case RowKind::Field:
        SendMessageW(window, WM_SETFONT, font, FALSE);
        MoveWindow(window, x, 2, width, app.metrics.rowHeight, TRUE);
        // Attached again, the up-down takes its place at the field's right end.
        if (HWND spin = GetDlgItem(toolbar, spinOfField(c.id)))
            SendMessageW(spin, UDM_SETBUDDY, reinterpret_cast<WPARAM>(window), 0);
        break;
    case RowKind::Combo:
        SendMessageW(window, WM_SETFONT, font, FALSE);
        SendMessageW(window, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), app.metrics.textHeight + 2);
        SendMessageW(window, CB_SETITEMHEIGHT, 0, app.metrics.textHeight + 2);
        MoveWindow(window, x, 1, width, 400, TRUE);
        break;
    }
}

void relayoutBand(const BandRow& row) {
    HWND toolbar = toolbarById(row.toolbarId);
    if (!toolbar) return;
    SendMessageW(toolbar, WM_SETFONT, reinterpret_cast<WPARAM>(app.uiFont), FALSE);
    SendMessageW(toolbar, TB_SETBUTTONSIZE, 0, MAKELONG(buttonHeight(), buttonHeight()));
    std::vector<int> widths;
    int total = 0;
    for (const RowControl& c : row.controls) {
        widths.push_back(rowControlWidth(c));
        total += widths.back();
    }
    int x = placeholderLeft(toolbar, row.placeholderId, total + row.placeholderGaps * kGap) + kGap;
    for (std::size_t i = 0; i < row.controls.size(); ++i) {
        placeRowControl(toolbar, row.controls[i], x, widths[i]);
        x += widths[i];
    }
    SendMessageW(toolbar, TB_AUTOSIZE, 0, 0);
    InvalidateRect(toolbar, nullptr, TRUE);

    // The band follows its toolbar's new size and its label's new text.
    const int index = static_cast<int>(SendMessageW(bands.rebar, RB_IDTOINDEX, static_cast<WPARAM>(row.toolbarId), 0));
    if (index < 0) return;
    SIZE size{};
    SendMessageW(toolbar, TB_GETMAXSIZE, 0, reinterpret_cast<LPARAM>(&size));
    REBARBANDINFOW band{};
    band.cbSize = sizeof band;
    band.fMask = RBBIM_CHILDSIZE | RBBIM_SIZE;
    band.cxMinChild = static_cast<UINT>(size.cx);
    band.cyMinChild = static_cast<UINT>(buttonHeight() + 2);
    band.cx = static_cast<UINT>(size.cx);
    WideString label;
    if (row.toolbarId != control::kMainToolbar) {
        label = loadText(static_cast<std::uint32_t>(row.toolbarId));
        band.fMask |= RBBIM_TEXT;
        band.lpText = reinterpret_cast<wchar_t*>(label.data() ? label.data() : const_cast<char16_t*>(u""));
    }
    SendMessageW(bands.rebar, RB_SETBANDINFOW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&band));
}

}  // namespace

void relayoutBands() {
    if (!bands.rebar) return;
    SendMessageW(bands.rebar, WM_SETFONT, reinterpret_cast<WPARAM>(app.uiFont), FALSE);
    {
        // Moving the fields must not read as typing into them.
        QuietEdits quiet(app.editor.editsLive);
        for (const BandRow& row : bandRows()) relayoutBand(row);
    }
    if (bands.tooltip) SendMessageW(bands.tooltip, WM_SETFONT, reinterpret_cast<WPARAM>(app.uiFont), FALSE);
    InvalidateRect(bands.rebar, nullptr, TRUE);
}

void computeMetrics(HWND window) {
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, app.uiFont ? app.uiFont : GetStockObject(DEFAULT_GUI_FONT));
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    SIZE digit{};
    GetTextExtentPoint32W(dc, L"0", 1, &digit);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    app.metrics.textHeight = metrics.tmHeight;
    app.metrics.rowHeight = metrics.tmHeight + 6;
    app.metrics.digitWidth = digit.cx;
    app.metrics.spinExtra = GetSystemMetrics(SM_CXVSCROLL) + 10;
    app.metrics.checkExtra = LOWORD(GetMenuCheckMarkDimensions()) + 7;
}

bool createBands(HWND parent) {
    bands.rebar = CreateWindowExW(WS_EX_TOOLWINDOW, REBARCLASSNAMEW, nullptr, 0x56808E40, 0, 0, 0, 0, parent,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(control::kRebar)), app.exeInstance,
                                  nullptr);
    if (!bands.rebar) return false;
    SetWindowTheme(bands.rebar, L"", L"");
    SendMessageW(bands.rebar, RB_SETBKCOLOR, 0, 0xF0F0F0);
    SendMessageW(bands.rebar, WM_SETFONT, reinterpret_cast<WPARAM>(app.uiFont), FALSE);
    REBARINFO info{};
    info.cbSize = sizeof info;
    SendMessageW(bands.rebar, RB_SETBARINFO, 0, reinterpret_cast<LPARAM>(&info));
    normalImages = loadStrip(VANTLE_TOOLBAR_IMAGES);
    disabledImages = loadStrip(VANTLE_TOOLBAR_IMAGES_DISABLED);

    {
        // The fields show the stored values; their notifications must not act as user input yet.
        QuietEdits quiet(app.editor.editsLive);
        createMainBand(parent);
        createOutputBand(parent);
        createSizeBand(parent);
        createTrimBand(parent);
        createPerspectiveBand(parent);
    }
    bands.tooltip = createTooltip(parent);
    addToolbarTooltips();
    return true;
}

void destroyBands() {
    for (int i = 0; i < control::kToolbarCount; ++i)
        if (HWND toolbar = bands.toolbars[i]) {
            RemoveWindowSubclass(toolbar, panelProc, control::kMainToolbar + i);
            SendMessageW(toolbar, TB_SETIMAGELIST, 0, 0);
            SendMessageW(toolbar, TB_SETDISABLEDIMAGELIST, 0, 0);
        }
    if (normalImages) ImageList_Destroy(normalImages);
    if (disabledImages) ImageList_Destroy(disabledImages);
    normalImages = disabledImages = nullptr;
}

HWND rebarWindow() { return bands.rebar; }
HWND tooltipWindow() { return bands.tooltip; }

HWND toolbarById(int id) {
    const int index = id - control::kMainToolbar;
    return index >= 0 && index < control::kToolbarCount ? bands.toolbars[index] : nullptr;
}

HWND controlById(int id) {
    for (HWND toolbar : bands.toolbars)
        if (toolbar)
            if (HWND found = GetDlgItem(toolbar, id)) return found;
    return nullptr;
}

void writeField(int id, int value) {
    HWND field = controlById(id);
    if (!field) return;
    QuietEdits quiet(app.editor.editsLive);
    SetDlgItemInt(GetParent(field), id, static_cast<UINT>(value), TRUE);
}
