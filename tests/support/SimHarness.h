#pragma once

#include "sim/PtyServer.h"
#include "sim/Simulator.h"

#include <QString>

#include <memory>

// A simulated controller on a pseudo-terminal inside the test's own event loop. Open
// slavePath() with the serial-port code under test; the simulator answers while the test
// yields to the event loop (as every waiting exchange does).
//
//   SimHarness sim;                 // address 3, firmware 0x56
//   QVERIFY2(sim.start(), qPrintable(sim.errorText()));
//   QtSerialPort port(sim.slavePath());
class SimHarness {
public:
    explicit SimHarness(const SimOptions& options = {});
    ~SimHarness();

    // Opens the pseudo-terminal. The live process does not advance on its own unless
    // processIntervalMs > 0: tests move it with device().advance() for repeatable values.
    bool start(int processIntervalMs = 0);
    QString slavePath() const { return m_server->slavePath(); }
    QString errorText() const { return m_error; }

    Simulator& simulator() { return m_sim; }
    SimDevice& device() { return m_sim.device(); }
    PtyServer& server() { return *m_server; }

private:
    Simulator m_sim;
    std::unique_ptr<PtyServer> m_server;
    QString m_error;
};
