// The images of the toolbar strips (bitmaps 150 and 151), in strip order. The main toolbar's images
// come first in the order its buttons name them; the others serve the remaining toolbars and any
// menu or button that wants a picture.
#pragma once

#include <cstdint>

namespace toolbar_image {
enum Index : int {
    menu,              // 5020
    open,              // 5000
    fileList,          // 5010
    fitToWindow,       // 5100
    actualSize,        // 5110
    shading,           // 5200
    trim,              // 5700
    cancelTrim,        // 5701
    centreTrim,        // 5702
    resetPerspective,  // 5800
    cornerLeft,        // 5801
    cornerRight,       // 5802
    cornerUp,          // 5803
    cornerDown,        // 5804
    outputOptions,     // 5300
    sizePreset,        // 5350
    saveAs,            // 5410
    paste,             // 5415
    copy,              // output to the clipboard
    zoomIn,            // 5230
    zoomOut,           // 5231
    zoomToggle,        // 5120
    reload,            // 5400
    keys,              // 5420
    plugins,           // 5430
    display,           // 5440
    help,              // 5450
    about,             // 5460
    editPresets,       // 5608
    count
};
}  // namespace toolbar_image

constexpr int kToolbarImageSize = 16;
constexpr std::uint32_t kToolbarMaskColour = 0xFF00FF;  // COLORREF of the transparent pixels

// The strip image of a command; -1 when it has none.
constexpr int toolbarImageOfCommand(std::uint16_t command) {
    namespace ti = toolbar_image;
    switch (command) {
    case 5020: return ti::menu;
    case 5000: return ti::open;
    case 5010: return ti::fileList;
    case 5100: return ti::fitToWindow;
    case 5110: return ti::actualSize;
    case 5200: return ti::shading;
    case 5700: return ti::trim;
    case 5701: return ti::cancelTrim;
    case 5702: return ti::centreTrim;
    case 5800: return ti::resetPerspective;
    case 5801: return ti::cornerLeft;
    case 5802: return ti::cornerRight;
    case 5803: return ti::cornerUp;
    case 5804: return ti::cornerDown;
    case 5300: return ti::outputOptions;
    case 5350: return ti::sizePreset;
    case 5410: return ti::saveAs;
    case 5415: return ti::paste;
    case 5230: return ti::zoomIn;
    case 5231: return ti::zoomOut;
    case 5120: return ti::zoomToggle;
    case 5400: return ti::reload;
    case 5420: return ti::keys;
    case 5430: return ti::plugins;
    case 5440: return ti::display;
    case 5450: return ti::help;
    case 5460: return ti::about;
    case 5608: return ti::editPresets;
    default: return -1;
    }
}
