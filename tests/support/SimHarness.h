#pragma once

#include "sim/PtyServer.h"
#include "sim/Simulator.h"

#include <QByteArrayList>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include <memory>

// A simulated controller on a pseudo-terminal inside the test's own event loop. Open
// slavePath() with the serial-port code under test; the simulator answers while the test
// yields to the event loop (as every waiting exchange does). Every request it takes is kept in
// requests(), the trace the transfer tests check.
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

    // The controller stops answering from its n-th request on (requests counted as the
    // controller counts them: well-formed Telegrams addressed to it).
    void silenceFrom(int request);

    QByteArrayList requests;
    // Long Telegrams received with this control byte, as (function code, data).
    QList<QPair<int, QByteArray>> sent(quint8 control) const;
    QList<int> sentCodes(quint8 control) const;
    int shortRequests(quint8 control) const;
    // What the controller received, one entry per frame: "R31" a read of 0x31, "W32 33" a
    // command or write of 0x32 with its data bytes, "S44" a short frame with control 0x44, and
    // "prep" for the frames of one link preparation.
    QStringList trace() const;

private:
    Simulator m_sim;
    std::unique_ptr<PtyServer> m_server;
    QString m_error;
};
