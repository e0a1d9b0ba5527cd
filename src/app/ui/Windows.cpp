#include "app/ui/WindowManager.h"

// One line per window: windows.add(WindowId::frmX, [](Workspace& ws, WindowManager& windows) {
// return new frmX(ws, windows); });
void registerWindows(WindowManager&) {}
