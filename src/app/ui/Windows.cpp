#include "app/ui/WindowManager.h"
#include "params/ui/frmPara.h"
#include "params/ui/frmRegler.h"
#include "params/ui/frmSFehler.h"
#include "params/ui/frmSteuer.h"
#include "params/ui/frmZyklus.h"
#include "services/ui/frmDevice.h"
#include "services/ui/frmExtra.h"
#include "services/ui/frmHist.h"
#include "services/ui/frmLogger.h"
#include "services/ui/frmPass.h"

// One line per window: windows.add(WindowId::frmX, [](Workspace& ws, WindowManager& windows) {
// return new frmX(ws, windows); });
void registerWindows(WindowManager& windows) {
    windows.add(WindowId::frmExtra,
                [](Workspace& ws, WindowManager& w) { return new frmExtra(ws, w); });
    windows.add(WindowId::frmDevice,
                [](Workspace& ws, WindowManager&) { return new frmDevice(ws); });
    windows.add(WindowId::frmPass, [](Workspace& ws, WindowManager&) { return new frmPass(ws); });
    windows.add(WindowId::frmRegler,
                [](Workspace& ws, WindowManager&) { return new frmRegler(ws); });
    windows.add(WindowId::frmPara, [](Workspace& ws, WindowManager&) { return new frmPara(ws); });
    windows.add(WindowId::frmSFehler,
                [](Workspace& ws, WindowManager&) { return new frmSFehler(ws); });
    windows.add(WindowId::frmSteuer,
                [](Workspace& ws, WindowManager&) { return new frmSteuer(ws); });
    windows.add(WindowId::frmZyklus,
                [](Workspace& ws, WindowManager& manager) { return new frmZyklus(ws, manager); });
    windows.add(WindowId::frmHist, [](Workspace& ws, WindowManager&) { return new frmHist(ws); });
    windows.add(WindowId::frmLogger,
                [](Workspace& ws, WindowManager&) { return new frmLogger(ws); });
}
