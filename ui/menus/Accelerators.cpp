// The one accelerator table the message loop translates with, made from the accelerator list.

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include "ui/app/App.h"

void createAcceleratorTable() {
    destroyAcceleratorTable();
    if (app.accelerators.count == 0) return;  // no keys assigned: nothing to translate
    // AccelRecord has the ACCEL layout, so the list is handed over as it stands.
    app.accelTable = CreateAcceleratorTableW(reinterpret_cast<ACCEL*>(app.accelerators.entries),
                                             static_cast<int>(app.accelerators.count));
}

void destroyAcceleratorTable() {
    if (app.accelTable) DestroyAcceleratorTable(app.accelTable);
    app.accelTable = nullptr;
}
