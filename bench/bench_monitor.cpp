// Cyclic monitoring against the simulator with wire timing: how many polls a second the
// monitoring achieves, compared with what it asks for (the interval) and what the line allows
// (one poll's bytes on the wire at 11 bits a byte plus the simulator's turnarounds, from its
// trace). Also reports this program's CPU time as a share of the wall time: waiting for the
// controller must cost nothing.
//
//   bench_monitor [--seconds S] [--sim PATH]
#include "WireBench.h"

#include "app/SimulatorProcess.h"
#include "app/Workspace.h"
#include "base/AutoInteraction.h"
#include "link/Link.h"
#include "link/QtSerialPort.h"
#include "params/Monitor.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdio>

using namespace WireBench;

namespace {
constexpr int kFirmware = 0x56;

struct Run {
    int polls = 0;
    double rate = 0;  // polls a second, first to last poll
    double bound = 0; // polls a second the line allows
    double cpu = 0;   // percent of the wall time
    bool failed = false;
};

Run monitorRun(const QString& simProgram, const QString& tracePath, int intervalMs, bool extended,
               double seconds) {
    Run run;
    SimulatorProcess sim;
    if (!sim.start(simProgram, simulatorArguments(kFirmware, tracePath), 10000)) {
        std::fprintf(stderr, "bench: %s\n", qPrintable(sim.errorText()));
        run.failed = true;
        return run;
    }
    AutoInteraction interaction;
    QtSerialPort port(sim.portPath());
    port.setSettings(QStringLiteral("19200,e,8,1"));
    if (!port.open()) {
        std::fprintf(stderr, "bench: %s\n", qPrintable(port.errorText()));
        run.failed = true;
        return run;
    }
    Workspace workspace(interaction, &port);
    workspace.link().DeviceAddress = Address;
    workspace.identification.FirmwareVersion = kFirmware;
    workspace.identification.ExternalCurrentInputs = extended;

    Monitor& monitor = workspace.monitor();
    monitor.setInterval(intervalMs);
    QElapsedTimer clock;
    double first = -1, last = -1;
    // Monitoring ends between two polls, so the trace holds whole polls only.
    QObject::connect(&monitor, &Monitor::polled, &monitor, [&](const MonitorSnapshot& s) {
        if (s.stopped || !s.cyclic)
            run.failed = true;
        last = double(clock.nsecsElapsed()) / 1e9;
        if (first < 0)
            first = last;
        ++run.polls;
        if (last >= seconds || run.failed)
            monitor.stop();
    });
    QEventLoop loop;
    QObject::connect(&monitor, &Monitor::runningChanged, &loop, [&loop](bool running) {
        if (!running)
            loop.quit();
    });
    clock.start();
    const double cpu0 = cpuSeconds();
    monitor.start();
    loop.exec();
    const double wall = double(clock.nsecsElapsed()) / 1e9;
    run.cpu = (cpuSeconds() - cpu0) / wall * 100.0;
    workspace.setPort(nullptr);
    port.close();
    sim.stop();
    if (run.polls < 2) {
        run.failed = true;
        return run;
    }
    run.rate = (run.polls - 1) / (last - first);
    const Bound wire = boundOf(tracePath, kFirmware);
    run.bound = run.polls / wire.seconds();
    return run;
}
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Cyclic monitoring benchmark against q7400-sim with wire timing."));
    parser.addHelpOption();
    parser.addOption({QStringLiteral("seconds"),
                      QStringLiteral("Seconds of monitoring per case (default 12)."),
                      QStringLiteral("S"), QStringLiteral("12")});
    parser.addOption({QStringLiteral("sim"), QStringLiteral("The simulator program."),
                      QStringLiteral("PATH"),
                      QCoreApplication::applicationDirPath() + QStringLiteral("/q7400-sim")});
    parser.process(app);
    const double seconds = qMax(3.0, parser.value(QStringLiteral("seconds")).toDouble());
    const QString simProgram = parser.value(QStringLiteral("sim"));
    if (!QFileInfo(simProgram).isExecutable()) {
        std::fprintf(stderr, "bench: simulator not found: %s\n", qPrintable(simProgram));
        return 2;
    }

    QTemporaryDir dir;
    QTextStream out(stdout);
    out << "cyclic monitoring, firmware 0x" << QString::number(kFirmware, 16).toUpper() << ", "
        << Baud << " baud, even parity, " << BitsPerByte << " bits a byte, " << seconds
        << " s a case\n";
    out << "interval  layout    polls  polls/s  wire polls/s  expected  ratio   CPU %\n";
    double worstRatio = 1e9, worstCpu = 0;
    int index = 0;
    for (int interval : {100, 1000}) {
        for (bool extended : {false, true}) {
            const QString trace = dir.filePath(QStringLiteral("trace%1.txt").arg(++index));
            const Run r = monitorRun(simProgram, trace, interval, extended, seconds);
            if (r.failed) {
                std::fprintf(stderr, "bench: monitoring failed (interval %d ms)\n", interval);
                return 1;
            }
            const double expected = std::min(1000.0 / interval, r.bound);
            const double ratio = r.rate / expected;
            worstRatio = std::min(worstRatio, ratio);
            worstCpu = std::max(worstCpu, r.cpu);
            out << QStringLiteral("%1 ms  %2  %3  %4  %5  %6  %7  %8\n")
                       .arg(interval, 5)
                       .arg(extended ? QStringLiteral("extended") : QStringLiteral("narrow  "))
                       .arg(r.polls, 5)
                       .arg(r.rate, 7, 'f', 2)
                       .arg(r.bound, 12, 'f', 2)
                       .arg(expected, 8, 'f', 2)
                       .arg(ratio, 6, 'f', 3)
                       .arg(r.cpu, 6, 'f', 2);
            out.flush();
        }
    }
    const bool ok = worstRatio >= 0.95 && worstCpu <= 5.0;
    out << QStringLiteral("worst ratio %1 (target at least 0.95), worst CPU %2 % (target at "
                          "most 5 %): %3\n")
               .arg(worstRatio, 0, 'f', 3)
               .arg(worstCpu, 0, 'f', 2)
               .arg(ok ? QStringLiteral("met") : QStringLiteral("NOT met"));
    return ok ? 0 : 3;
}
