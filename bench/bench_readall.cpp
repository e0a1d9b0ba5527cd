// Reads everything from the simulator with wire timing and compares the time it takes with
// what the line itself needs: every byte on the wire at 11 bits (start, 8 data, parity, stop),
// the 100 ms pauses of the link preparation and the simulator's turnarounds, all taken from
// the simulator's trace. Also reports this program's CPU time as a share of the wall time:
// waiting for the controller must cost nothing.
//
//   bench_readall [--runs N] [--firmware BYTE] [--sim PATH]
#include "app/SimulatorProcess.h"
#include "app/Workspace.h"
#include "base/AutoInteraction.h"
#include "device/DeviceServices.h"
#include "device/Transfers.h"
#include "link/Link.h"
#include "link/QtSerialPort.h"

#include "WireBench.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdio>

using namespace WireBench;

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Read-everything benchmark against q7400-sim with wire timing."));
    parser.addHelpOption();
    parser.addOption({QStringLiteral("runs"), QStringLiteral("Number of reads (default 3)."),
                      QStringLiteral("N"), QStringLiteral("3")});
    parser.addOption({QStringLiteral("firmware"),
                      QStringLiteral("Firmware of the simulated controller (default 0x99)."),
                      QStringLiteral("BYTE"), QStringLiteral("153")});
    parser.addOption({QStringLiteral("sim"), QStringLiteral("The simulator program."),
                      QStringLiteral("PATH"),
                      QCoreApplication::applicationDirPath() + QStringLiteral("/q7400-sim")});
    parser.process(app);
    const int runs = qMax(1, parser.value(QStringLiteral("runs")).toInt());
    const int firmware = parser.value(QStringLiteral("firmware")).toInt(nullptr, 0);
    const QString simProgram = parser.value(QStringLiteral("sim"));
    if (!QFileInfo(simProgram).isExecutable()) {
        std::fprintf(stderr, "bench: simulator not found: %s\n", qPrintable(simProgram));
        return 2;
    }

    QTemporaryDir dir;
    QTextStream out(stdout);
    out << "read everything, firmware 0x" << QString::number(firmware, 16).toUpper() << ", " << Baud
        << " baud, even parity, " << BitsPerByte << " bits a byte\n";
    out << "run   wall s   wire s   ratio   CPU %   bytes  pauses  answers\n";
    double worstRatio = 0, worstCpu = 0;
    for (int run = 1; run <= runs; ++run) {
        const QString tracePath = dir.filePath(QStringLiteral("trace%1.txt").arg(run));
        SimulatorProcess sim;
        if (!sim.start(simProgram, simulatorArguments(firmware, tracePath), 10000)) {
            std::fprintf(stderr, "bench: %s\n", qPrintable(sim.errorText()));
            return 1;
        }
        AutoInteraction interaction;
        QtSerialPort port(sim.portPath());
        port.setSettings(QStringLiteral("19200,e,8,1"));
        if (!port.open()) {
            std::fprintf(stderr, "bench: %s\n", qPrintable(port.errorText()));
            return 1;
        }
        Workspace workspace(interaction, &port);
        workspace.link().DeviceAddress = Address;

        QElapsedTimer wall;
        const double cpu0 = cpuSeconds();
        wall.start();
        const Transfers::Outcome outcome = workspace.transfers().ReadAll(false);
        const double wallSeconds = double(wall.nsecsElapsed()) / 1e9;
        const double cpuShare = (cpuSeconds() - cpu0) / wallSeconds * 100.0;
        port.close();
        sim.stop();
        if (outcome != Transfers::Outcome::Done) {
            std::fprintf(stderr, "bench: the read failed\n");
            return 1;
        }
        const Bound bound = boundOf(tracePath, 0x99);
        const double ratio = wallSeconds / bound.seconds();
        worstRatio = qMax(worstRatio, ratio);
        worstCpu = qMax(worstCpu, cpuShare);
        out << QStringLiteral("%1  %2  %3  %4  %5  %6  %7  %8\n")
                   .arg(run, 3)
                   .arg(wallSeconds, 7, 'f', 3)
                   .arg(bound.seconds(), 7, 'f', 3)
                   .arg(ratio, 6, 'f', 3)
                   .arg(cpuShare, 6, 'f', 2)
                   .arg(bound.bytes, 6)
                   .arg(bound.pauses, 6)
                   .arg(bound.answers, 7);
        out.flush();
    }
    const bool ok = worstRatio <= 1.05 && worstCpu <= 5.0;
    out << QStringLiteral("worst ratio %1 (target at most 1.05), worst CPU %2 % (target at most "
                          "5 %): %3\n")
               .arg(worstRatio, 0, 'f', 3)
               .arg(worstCpu, 0, 'f', 2)
               .arg(ok ? QStringLiteral("met") : QStringLiteral("NOT met"));
    return ok ? 0 : 3;
}
