#include "SimWorkspace.h"

#include "link/Link.h"
#include "link/Telegram.h"

SimWorkspace::SimWorkspace(const SimOptions& options, int processIntervalMs) : SimHarness(options) {
    started = start(processIntervalMs);
    port = std::make_unique<QtSerialPort>(slavePath());
    port->open();
    workspace = std::make_unique<Workspace>(interaction, port.get());
    workspace->link().setPauseInterval(1);
    workspace->link().setReplyTimeout(60);
}

SimWorkspace::~SimWorkspace() {
    workspace->setPort(nullptr);
}

QStringList SimWorkspace::trace(int from) const {
    QStringList lines;
    for (const QByteArray& r : requests.mid(from)) {
        const auto code = [&r](int i) {
            return QString::number(quint8(r[i]), 16).toUpper().rightJustified(2, u'0');
        };
        if (r.size() >= 9 && quint8(r[0]) == Telegram::LongStart) {
            QString line = (quint8(r[4]) == Telegram::ReadControl ? u'R' : u'W') + code(6);
            const QByteArray data = r.mid(7, r.size() - 9);
            if (quint8(r[4]) != Telegram::ReadControl && !data.isEmpty())
                line += u' ' + QString::fromLatin1(data.toHex().toUpper());
            lines << line;
        } else if (r.size() == 5 && quint8(r[0]) == Telegram::ShortStart &&
                   Telegram::isValidShort(r) && quint8(r[1]) != 0xFF) {
            lines << u'S' + code(1);
        } else if (lines.isEmpty() || lines.last() != QLatin1String("prep")) {
            lines << QStringLiteral("prep");
        }
    }
    return lines;
}
