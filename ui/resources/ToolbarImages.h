// The images of the toolbar strips (VANTLE_TOOLBAR_IMAGES and its disabled twin), in strip order. The main toolbar's images
// come first in the order its buttons name them; the others serve the remaining toolbars and any
// menu or button that wants a picture.
#pragma once

#include <cstdint>

#include "trim/Identifiers.h"

namespace toolbar_image {
enum Index : int {
    menu,              // kMainMenu
    open,              // kOpen
    fileList,          // kFileList
    fitToWindow,       // kZoomFit
    actualSize,        // kZoomActual
    shading,           // kShadeMenu
    trim,              // kTrimExecute
    cancelTrim,        // kTrimCancel
    centreTrim,        // kTrimCentre
    resetPerspective,  // kPerspectiveReset
    cornerLeft,        // kCornerLeft
    cornerRight,       // kCornerRight
    cornerUp,          // kCornerUp
    cornerDown,        // kCornerDown
    outputOptions,     // kOutputOptions
    sizePreset,        // kPresetMenu
    saveAs,            // kSaveAs
    paste,             // kPaste
    copy,              // output to the clipboard
    zoomIn,            // kZoomIn
    zoomOut,           // kZoomOut
    zoomToggle,        // kZoomToggle
    reload,            // kReload
    keys,              // kKeyDialog
    plugins,           // kPluginDialog
    display,           // kDisplayDialog
    help,              // kHelp
    about,             // kAbout
    editPresets,       // kPresetDialog
    count
};
}  // namespace toolbar_image

constexpr int kToolbarImageSize = 16;
constexpr std::uint32_t kToolbarMaskColour = 0xFF00FF;  // COLORREF of the transparent pixels

// The strip image of a command; -1 when it has none.
constexpr int toolbarImageOfCommand(std::uint16_t command) {
    namespace ti = toolbar_image;
    switch (command) {
    case command::kMainMenu: return ti::menu;
    case command::kOpen: return ti::open;
    case command::kFileList: return ti::fileList;
    case command::kZoomFit: return ti::fitToWindow;
    case command::kZoomActual: return ti::actualSize;
    case command::kShadeMenu: return ti::shading;
    case command::kTrimExecute: return ti::trim;
    case command::kTrimCancel: return ti::cancelTrim;
    case command::kTrimCentre: return ti::centreTrim;
    case command::kPerspectiveReset: return ti::resetPerspective;
    case command::kCornerLeft: return ti::cornerLeft;
    case command::kCornerRight: return ti::cornerRight;
    case command::kCornerUp: return ti::cornerUp;
    case command::kCornerDown: return ti::cornerDown;
    case command::kOutputOptions: return ti::outputOptions;
    case command::kPresetMenu: return ti::sizePreset;
    case command::kSaveAs: return ti::saveAs;
    case command::kPaste: return ti::paste;
    case command::kZoomIn: return ti::zoomIn;
    case command::kZoomOut: return ti::zoomOut;
    case command::kZoomToggle: return ti::zoomToggle;
    case command::kReload: return ti::reload;
    case command::kKeyDialog: return ti::keys;
    case command::kPluginDialog: return ti::plugins;
    case command::kDisplayDialog: return ti::display;
    case command::kHelp: return ti::help;
    case command::kAbout: return ti::about;
    case command::kPresetDialog: return ti::editPresets;
    default: return -1;
    }
}
