#include "SimHarness.h"

#include "link/Telegram.h"

SimHarness::SimHarness(const SimOptions& options)
    : m_sim(options), m_server(std::make_unique<PtyServer>(m_sim)) {
    QObject::connect(m_server.get(), &PtyServer::exchanged,
                     [this](const SimExchange& e) { requests.append(e.request); });
}

SimHarness::~SimHarness() = default;

bool SimHarness::start(int processIntervalMs) {
    m_server->setProcessInterval(processIntervalMs);
    return m_server->start(&m_error);
}

void SimHarness::silenceFrom(int request) {
    SimFault fault;
    fault.kind = SimFault::Silent;
    fault.at = request;
    fault.onward = true;
    m_server->addFault(fault);
}

QList<QPair<int, QByteArray>> SimHarness::sent(quint8 control) const {
    QList<QPair<int, QByteArray>> frames;
    for (const QByteArray& w : requests)
        if (w.size() >= 9 && quint8(w[0]) == Telegram::LongStart && quint8(w[4]) == control)
            frames.append({quint8(w[6]), w.mid(7, w.size() - 9)});
    return frames;
}

QList<int> SimHarness::sentCodes(quint8 control) const {
    QList<int> codes;
    for (const auto& f : sent(control))
        codes.append(f.first);
    return codes;
}

int SimHarness::shortRequests(quint8 control) const {
    int n = 0;
    for (const QByteArray& w : requests)
        n += w.size() == 5 && quint8(w[0]) == Telegram::ShortStart && quint8(w[1]) == control;
    return n;
}

QStringList SimHarness::trace() const {
    QStringList lines;
    for (const QByteArray& r : requests) {
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
