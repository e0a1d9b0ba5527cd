#include "app/ui/WindowManager.h"

#include "params/ui/frmPara.h"
#include "params/ui/frmRegler.h"
#include "params/ui/frmSFehler.h"

// One line per window: windows.add(WindowId::frmX, [](Workspace& ws, WindowManager& windows) {
// return new frmX(ws, windows); });
void registerWindows(WindowManager& windows) {
    windows.add(WindowId::frmRegler,
                [](Workspace& ws, WindowManager&) { return new frmRegler(ws); });
    windows.add(WindowId::frmPara, [](Workspace& ws, WindowManager&) { return new frmPara(ws); });
    windows.add(WindowId::frmSFehler,
                [](Workspace& ws, WindowManager&) { return new frmSFehler(ws); });
}
