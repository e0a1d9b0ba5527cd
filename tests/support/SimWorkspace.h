#pragma once

#include "app/Workspace.h"
#include "link/QtSerialPort.h"
#include "support/ScriptedInteraction.h"
#include "support/SimHarness.h"

#include <memory>

// The program's workspace talking to a simulated controller through the real serial-port code,
// with short pauses and time-outs so that silent controllers do not slow the tests down.
// Questions are answered by `interaction`.
//
//   SimWorkspace sim(SimOptions{3, 0x56, 0x10, QDateTime(), false});
//   QVERIFY2(sim.started, qPrintable(sim.errorText()));
//   sim.workspace->transfers().ReadAll(false);
struct SimWorkspace : SimHarness {
    explicit SimWorkspace(const SimOptions& options, int processIntervalMs = 0);
    ~SimWorkspace();

    bool started = false;
    std::unique_ptr<QtSerialPort> port;
    ScriptedInteraction interaction;
    std::unique_ptr<Workspace> workspace;
};
