#pragma once

#include "app/Workspace.h"
#include "link/QtSerialPort.h"
#include "support/ScriptedInteraction.h"
#include "support/SimHarness.h"

// The program's Workspace on a simulated controller, through the real serial-port code, with
// short link pauses and time-outs. Questions are answered by `interaction`.
//
//   SimWorkspace sim(SimOptions{3, 0x56, 0x10, QDateTime(), false});
//   QVERIFY2(sim.started, qPrintable(sim.errorText()));
//   sim.workspace.transfers().ReadAll(false);
struct SimWorkspace : SimHarness {
    explicit SimWorkspace(const SimOptions& options);
    ~SimWorkspace();

    bool started = false;
    QtSerialPort port;
    ScriptedInteraction interaction;
    Workspace workspace;
};
