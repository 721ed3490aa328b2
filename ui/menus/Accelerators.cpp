// The one accelerator table the message loop translates with, made from the accelerator list.

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include "ui/app/App.h"
#include "ui/menus/Menus.h"

namespace {
HACCEL table = nullptr;
}  // namespace

void createAcceleratorTable() {
    destroyAcceleratorTable();
    if (app.accelerators.count == 0) return;  // no keys assigned: nothing to translate
    // AccelRecord has the ACCEL layout, so the list is handed over as it stands.
    table = CreateAcceleratorTableW(reinterpret_cast<ACCEL*>(app.accelerators.entries),
                                    static_cast<int>(app.accelerators.count));
}

void destroyAcceleratorTable() {
    if (table) DestroyAcceleratorTable(table);
    table = nullptr;
}

HACCEL acceleratorTable() { return table; }
