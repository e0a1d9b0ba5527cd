#pragma once

#include <QString>
#include <QStringList>

// What the benchmarks share: the simulator's arguments, the line's own time taken from the
// simulator's trace, and this program's CPU time.
namespace WireBench {

constexpr int Baud = 19200;
constexpr int BitsPerByte = 11; // start, 8 data, parity, stop
constexpr int TurnaroundMs = 2;
constexpr int PauseMs = 100;
constexpr int Address = 3;

// The bytes on the wire, the link preparation's pauses and the simulator's answers (each
// after a turnaround) of a trace.
struct Bound {
    qint64 bytes = 0;
    int pauses = 0;
    int answers = 0;
    double seconds() const;
};
// Trace lines: "hh:mm:ss.zzz RX|TX HEX HEX ...  # note". The link preparation frames of
// `firmware` are counted as pauses.
Bound boundOf(const QString& tracePath, int firmware);

// The simulator's arguments: wire timing, a trace to measure against, quiet.
QStringList simulatorArguments(int firmware, const QString& tracePath);

// CPU time of this process in seconds.
double cpuSeconds();

} // namespace WireBench
