#include "app/ui/WindowManager.h"

#include "params/ui/frmPara.h"
#include "params/ui/frmRegler.h"
#include "params/ui/frmSFehler.h"
#include "services/ui/frmHist.h"
#include "services/ui/frmLogger.h"

// One line per window: windows.add(WindowId::frmX, [](Workspace& ws, WindowManager& windows) {
// return new frmX(ws, windows); });
void registerWindows(WindowManager& windows) {
    windows.add(WindowId::frmRegler,
                [](Workspace& ws, WindowManager&) { return new frmRegler(ws); });
    windows.add(WindowId::frmPara, [](Workspace& ws, WindowManager&) { return new frmPara(ws); });
    windows.add(WindowId::frmSFehler,
                [](Workspace& ws, WindowManager&) { return new frmSFehler(ws); });
    windows.add(WindowId::frmHist, [](Workspace& ws, WindowManager&) { return new frmHist(ws); });
    windows.add(WindowId::frmLogger,
                [](Workspace& ws, WindowManager&) { return new frmLogger(ws); });
}
