#include "app/ui/WindowManager.h"
#include "services/ui/frmDevice.h"
#include "services/ui/frmExtra.h"
#include "services/ui/frmPass.h"

// One line per window: windows.add(WindowId::frmX, [](Workspace& ws, WindowManager& windows) {
// return new frmX(ws, windows); });
void registerWindows(WindowManager& windows) {
    windows.add(WindowId::frmExtra,
                [](Workspace& ws, WindowManager& w) { return new frmExtra(ws, w); });
    windows.add(WindowId::frmDevice,
                [](Workspace& ws, WindowManager&) { return new frmDevice(ws); });
    windows.add(WindowId::frmPass, [](Workspace& ws, WindowManager&) { return new frmPass(ws); });
}
