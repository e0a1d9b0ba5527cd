#pragma once

#include "app/Workspace.h"
#include "link/QtSerialPort.h"
#include "support/ScriptedInteraction.h"
#include "support/SimHarness.h"

#include <QStringList>

#include <memory>

// The program's workspace talking to a simulated controller through the real serial-port code,
// with short pauses and time-outs so that silent controllers do not slow the tests down.
struct SimWorkspace : SimHarness {
    explicit SimWorkspace(const SimOptions& options, int processIntervalMs = 0);
    ~SimWorkspace();

    // What the controller received, one entry per frame: "R31" a read of 0x31, "W32 33" a
    // command or write of 0x32 with its data bytes, "S44" a short frame with control 0x44, and
    // "prep" for the frames of one link preparation. `from` skips the first requests.
    QStringList trace(int from = 0) const;

    bool started = false;
    std::unique_ptr<QtSerialPort> port;
    ScriptedInteraction interaction;
    std::unique_ptr<Workspace> workspace;
};
