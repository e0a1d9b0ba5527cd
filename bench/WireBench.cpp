#include "WireBench.h"

#include "device/DeviceServices.h"

#include <QFile>
#include <QSet>

#include <ctime>

namespace WireBench {

double Bound::seconds() const {
    return double(bytes) * BitsPerByte / Baud + pauses * PauseMs / 1000.0 +
           answers * TurnaroundMs / 1000.0;
}

Bound boundOf(const QString& tracePath, int firmware) {
    Bound bound;
    QSet<QByteArray> preparation;
    for (const QByteArray& frame : prepareLinkFrames(firmware, Address))
        preparation.insert(frame.toHex(' ').toUpper());
    QFile trace(tracePath);
    if (!trace.open(QIODevice::ReadOnly))
        return bound;
    while (!trace.atEnd()) {
        QByteArray line = trace.readLine().trimmed();
        const qsizetype hash = line.indexOf('#');
        if (hash >= 0)
            line = line.left(hash).trimmed();
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() < 3 || (fields[1] != "RX" && fields[1] != "TX"))
            continue;
        const QByteArray hex = fields.mid(2).join(' ');
        bound.bytes += fields.size() - 2;
        if (fields[1] == "TX")
            ++bound.answers;
        else if (preparation.contains(hex))
            ++bound.pauses;
    }
    return bound;
}

QStringList simulatorArguments(int firmware, const QString& tracePath) {
    return {QStringLiteral("--wire-timing"),
            QStringLiteral("--turnaround"),
            QString::number(TurnaroundMs),
            QStringLiteral("--trace"),
            tracePath,
            QStringLiteral("--firmware"),
            QString::number(firmware),
            QStringLiteral("--address"),
            QString::number(Address),
            QStringLiteral("--quiet")};
}

double cpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

} // namespace WireBench
