#include "app/ui/WindowManager.h"
#include "params/ui/frmSteuer.h"
#include "params/ui/frmZyklus.h"

// One line per window: windows.add(WindowId::frmX, [](Workspace& ws, WindowManager& windows) {
// return new frmX(ws, windows); });
void registerWindows(WindowManager& windows) {
    windows.add(WindowId::frmSteuer,
                [](Workspace& ws, WindowManager&) { return new frmSteuer(ws); });
    windows.add(WindowId::frmZyklus,
                [](Workspace& ws, WindowManager& manager) { return new frmZyklus(ws, manager); });
}
