#include "sim/PtyServer.h"

#include <QDateTime>
#include <QFileInfo>
#include <QRegularExpression>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

// ---- faults ---------------------------------------------------------------------------------

namespace {
struct KindName {
    SimFault::Kind kind;
    const char* name;
};
constexpr KindName kKinds[] = {
    {SimFault::Silent, "silent"},   {SimFault::Drop, "drop"},
    {SimFault::Corrupt, "corrupt"}, {SimFault::Truncate, "truncate"},
    {SimFault::Garbage, "garbage"}, {SimFault::Late, "late"},
    {SimFault::HangUp, "hangup"},
};
const QByteArray kGarbage = QByteArray::fromHex("FFFE00");
} // namespace

bool SimFault::appliesTo(int request) const {
    if (every > 0)
        return request % every == 0;
    return onward ? request >= at : request == at;
}

QString SimFault::text() const {
    QString name;
    for (const KindName& k : kKinds)
        if (k.kind == kind)
            name = QLatin1String(k.name);
    if (every > 0)
        return QStringLiteral("%1/%2").arg(name).arg(every);
    return QStringLiteral("%1@%2%3").arg(name).arg(at).arg(onward ? QStringLiteral("+")
                                                                  : QString());
}

std::optional<SimFault> SimFault::parse(const QString& faultText, QString* error) {
    static const QRegularExpression re(QStringLiteral("^([a-z]+)(?:@(\\d+)(\\+?)|/(\\d+))$"));
    const QRegularExpressionMatch m = re.match(faultText.trimmed().toLower());
    const auto fail = [&](const QString& why) -> std::optional<SimFault> {
        if (error)
            *error = QStringLiteral("fault \"%1\": %2").arg(faultText, why);
        return std::nullopt;
    };
    if (!m.hasMatch())
        return fail(QStringLiteral("expected KIND@N, KIND@N+ or KIND/K"));
    SimFault f;
    bool known = false;
    for (const KindName& k : kKinds)
        if (m.captured(1) == QLatin1String(k.name)) {
            f.kind = k.kind;
            known = true;
        }
    if (!known)
        return fail(QStringLiteral("unknown kind (silent, drop, corrupt, truncate, garbage, late, "
                                   "hangup)"));
    if (!m.captured(4).isEmpty()) {
        f.every = m.captured(4).toInt();
        if (f.every < 1)
            return fail(QStringLiteral("K must be at least 1"));
    } else {
        f.at = m.captured(2).toInt();
        f.onward = !m.captured(3).isEmpty();
        if (f.at < 1)
            return fail(QStringLiteral("requests are counted from 1"));
    }
    return f;
}

// ---- server ---------------------------------------------------------------------------------

PtyServer::PtyServer(Simulator& simulator, QObject* parent) : QObject(parent), m_sim(simulator) {
    m_processTimer.setInterval(100);
    connect(&m_processTimer, &QTimer::timeout, this, &PtyServer::advanceProcess);
    m_quietTimer.setSingleShot(true);
    connect(&m_quietTimer, &QTimer::timeout, this, &PtyServer::onQuietGap);
    m_sendTimer.setSingleShot(true);
    m_sendTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_sendTimer, &QTimer::timeout, this, &PtyServer::onSendTimer);
    m_sim.device().onEvent = [this](const QString& text) {
        log(text);
    };
}

PtyServer::~PtyServer() {
    stop();
    m_sim.device().onEvent = nullptr;
}

bool PtyServer::start(QString* error) {
    if (isRunning())
        return true;
    int master = -1;
    int slave = -1;
    if (::openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) {
        if (error)
            *error = QStringLiteral("cannot open a pseudo-terminal: %1")
                         .arg(QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    // The line carries bytes, not text: no echo, no line editing, no translation.
    termios tio{};
    if (::tcgetattr(slave, &tio) == 0) {
        ::cfmakeraw(&tio);
        ::tcsetattr(slave, TCSANOW, &tio);
    }
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    ::fcntl(master, F_SETFD, FD_CLOEXEC);
    ::fcntl(slave, F_SETFD, FD_CLOEXEC);
    char name[256] = {};
    if (::ttyname_r(slave, name, sizeof name) != 0) {
        if (error)
            *error = QStringLiteral("cannot name the pseudo-terminal");
        ::close(master);
        ::close(slave);
        return false;
    }
    // The slave stays open here too, so a client closing it does not hang up the master.
    m_master = master;
    m_slave = slave;
    m_slavePath = QString::fromLocal8Bit(name);
    m_notifier = std::make_unique<QSocketNotifier>(m_master, QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &PtyServer::onReadable);
    m_clock.start();
    m_lastAdvanceMs = 0;
    if (m_processTimer.interval() > 0)
        m_processTimer.start();
    log(QStringLiteral("serving controller address %1, firmware 0x%2 on %3")
            .arg(m_sim.device().address())
            .arg(m_sim.device().firmware(), 2, 16, QLatin1Char('0'))
            .arg(m_slavePath));
    return true;
}

void PtyServer::stop() {
    m_processTimer.stop();
    m_quietTimer.stop();
    m_sendTimer.stop();
    m_outgoing.clear();
    m_notifier.reset();
    if (m_master >= 0)
        ::close(m_master);
    if (m_slave >= 0)
        ::close(m_slave);
    m_master = m_slave = -1;
    if (!m_linkPath.isEmpty()) {
        const QFileInfo link(m_linkPath);
        if (link.isSymLink() && link.symLinkTarget() == m_slavePath)
            QFile::remove(m_linkPath);
        m_linkPath.clear();
    }
    m_trace.close();
}

bool PtyServer::makeLink(const QString& path, QString* error) {
    const QFileInfo existing(path);
    if (existing.isSymLink())
        QFile::remove(path);
    else if (existing.exists()) {
        if (error)
            *error = QStringLiteral("%1 exists and is not a symbolic link: left alone").arg(path);
        return false;
    }
    if (!QFile::link(m_slavePath, path)) {
        if (error)
            *error = QStringLiteral("cannot create the link %1").arg(path);
        return false;
    }
    m_linkPath = path;
    return true;
}

void PtyServer::setProcessInterval(int ms) {
    m_processTimer.setInterval(ms);
    if (ms <= 0)
        m_processTimer.stop();
    else if (isRunning())
        m_processTimer.start();
}

bool PtyServer::setTraceFile(const QString& path, QString* error) {
    m_trace.close();
    if (path.isEmpty())
        return true;
    m_trace.setFileName(path);
    if (!m_trace.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
        if (error)
            *error = QStringLiteral("cannot write the trace file %1: %2")
                         .arg(path, m_trace.errorString());
        return false;
    }
    trace(QStringLiteral("--"), {},
          QStringLiteral("trace started %1").arg(QDate::currentDate().toString(Qt::ISODate)));
    return true;
}

void PtyServer::advanceProcess() {
    const qint64 now = m_clock.isValid() ? m_clock.elapsed() : 0;
    if (now > m_lastAdvanceMs) {
        m_sim.device().advance(now - m_lastAdvanceMs);
        m_lastAdvanceMs = now;
    }
}

void PtyServer::onReadable() {
    QByteArray bytes;
    char buf[512];
    for (;;) {
        const ssize_t n = ::read(m_master, buf, sizeof buf);
        if (n > 0) {
            bytes.append(buf, int(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && m_notifier) {
            // The line reports an error instead of data: listen again a little later rather
            // than spinning on it.
            log(QStringLiteral("line error: %1").arg(QString::fromLocal8Bit(std::strerror(errno))));
            m_notifier->setEnabled(false);
            QTimer::singleShot(200, this, [this] {
                if (m_notifier)
                    m_notifier->setEnabled(true);
            });
        }
        break;
    }
    if (bytes.isEmpty())
        return;
    if (m_strictLine) {
        const char parity = m_sim.device().parity() == 'n' ? 'e' : m_sim.device().parity();
        if (clientBaudRate() != m_sim.device().baudRate() || clientParity() != parity) {
            trace(QStringLiteral("RX"), bytes,
                  QStringLiteral("garbled: the line runs at %1 baud parity %2, the controller "
                                 "at %3 baud parity %4")
                      .arg(clientBaudRate())
                      .arg(QChar::fromLatin1(clientParity()))
                      .arg(m_sim.device().baudRate())
                      .arg(QChar::fromLatin1(m_sim.device().parity())));
            return;
        }
    }
    if (m_processTimer.interval() > 0)
        advanceProcess(); // answers show the process as it is now
    for (const SimExchange& e : m_sim.receive(bytes)) {
        handle(e);
        if (!isRunning())
            return; // hung up
    }
    if (m_sim.hasPartial())
        m_quietTimer.start(m_quietGapMs);
    else
        m_quietTimer.stop();
}

int PtyServer::clientBaudRate() const {
    termios tio{};
    if (m_slave < 0 || ::tcgetattr(m_slave, &tio) != 0)
        return 0;
    switch (::cfgetispeed(&tio)) {
    case B4800:
        return 4800;
    case B9600:
        return 9600;
    case B19200:
        return 19200;
    case B38400:
        return 38400;
    default:
        return 0;
    }
}

char PtyServer::clientParity() const {
    termios tio{};
    if (m_slave < 0 || ::tcgetattr(m_slave, &tio) != 0)
        return 0;
    const bool odd = (tio.c_cflag & PARODD) != 0;
    const bool stick = (tio.c_cflag & CMSPAR) != 0;
    if (stick)
        return odd ? 'm' : 's';
    return odd ? 'o' : 'e';
}

void PtyServer::onQuietGap() {
    for (const SimExchange& e : m_sim.flushPartial())
        handle(e);
}

qint64 PtyServer::transmissionUs(int bytes) const {
    return qint64(bytes) * 11 * 1000000 / m_sim.device().baudRate();
}

void PtyServer::handle(const SimExchange& e) {
    trace(QStringLiteral("RX"), e.request, e.note);
    Q_EMIT exchanged(e);
    if (!e.counted)
        return;
    const int request = ++m_requests;
    QByteArray reply = e.reply;
    qint64 extraDelay = 0;
    for (const SimFault& f : m_faults) {
        if (!f.appliesTo(request))
            continue;
        switch (f.kind) {
        case SimFault::HangUp:
            log(QStringLiteral("fault %1: hanging up at request %2").arg(f.text()).arg(request));
            hangUp();
            return;
        case SimFault::Silent:
        case SimFault::Drop:
            if (!reply.isEmpty())
                log(QStringLiteral("fault %1: answer to request %2 withheld")
                        .arg(f.text())
                        .arg(request));
            reply.clear();
            break;
        case SimFault::Corrupt:
            if (!reply.isEmpty()) {
                const int at = int(reply.size()) / 2;
                reply[at] = char(quint8(reply[at]) ^ 0x5A);
                log(QStringLiteral("fault %1: byte %2 of answer %3 corrupted")
                        .arg(f.text())
                        .arg(at + 1)
                        .arg(request));
            }
            break;
        case SimFault::Truncate:
            if (!reply.isEmpty()) {
                reply.truncate(std::max(1, int(reply.size()) / 2));
                log(QStringLiteral("fault %1: answer %2 cut to %3 bytes")
                        .arg(f.text())
                        .arg(request)
                        .arg(reply.size()));
            }
            break;
        case SimFault::Garbage:
            if (!reply.isEmpty()) {
                reply.prepend(kGarbage);
                log(QStringLiteral("fault %1: junk before answer %2").arg(f.text()).arg(request));
            }
            break;
        case SimFault::Late:
            if (!reply.isEmpty()) {
                extraDelay += m_lateMs;
                log(QStringLiteral("fault %1: answer %2 delayed by %3 ms")
                        .arg(f.text())
                        .arg(request)
                        .arg(m_lateMs));
            }
            break;
        }
    }
    if (reply.isEmpty())
        return;

    // Times in microseconds, so that rounding never adds up over many exchanges.
    const qint64 now = nowUs();
    qint64 start = now + extraDelay * 1000;
    if (m_wireTiming)
        start += transmissionUs(int(e.request.size())) + m_turnaroundMs * 1000;
    const int chunk = m_chunkSize > 0 ? m_chunkSize : int(reply.size());
    for (int offset = 0; offset < reply.size(); offset += chunk) {
        const int end = std::min(int(reply.size()), offset + chunk);
        const qint64 due = m_wireTiming ? start + transmissionUs(end)
                                        : start + qint64(offset / chunk) * m_chunkGapMs * 1000;
        schedule(reply.mid(offset, end - offset), due);
    }
}

qint64 PtyServer::nowUs() const {
    return m_clock.nsecsElapsed() / 1000;
}

// The timer counts whole milliseconds: an answer leaves at the millisecond nearest to when it
// is due, so the line is neither slower nor faster than the baud rate on average.
constexpr qint64 kHalfMs = 500;

void PtyServer::armSendTimer(qint64 now) {
    const qint64 wait = m_outgoing.first().dueUs - now;
    m_sendTimer.start(int(std::max<qint64>(0, (wait + kHalfMs) / 1000)));
}

void PtyServer::schedule(const QByteArray& bytes, qint64 dueUs) {
    // Answers leave in order: never before the one queued ahead, and with wire timing not
    // before it has gone out, since the line carries one byte at a time (an answer to a
    // repeated request follows a late answer to the first sending).
    if (!m_outgoing.isEmpty())
        dueUs = std::max(dueUs, m_outgoing.last().dueUs +
                                    (m_wireTiming ? transmissionUs(int(bytes.size())) : 0));
    const qint64 now = nowUs();
    if (m_outgoing.isEmpty() && dueUs <= now + kHalfMs) {
        writeNow(bytes);
        return;
    }
    m_outgoing.append({dueUs, bytes});
    if (!m_sendTimer.isActive())
        armSendTimer(now);
}

void PtyServer::onSendTimer() {
    const qint64 now = nowUs();
    while (!m_outgoing.isEmpty() && m_outgoing.first().dueUs <= now + kHalfMs)
        writeNow(m_outgoing.takeFirst().bytes);
    if (!m_outgoing.isEmpty())
        armSendTimer(now);
}

void PtyServer::writeNow(const QByteArray& bytes) {
    if (m_master < 0)
        return;
    qint64 done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(m_master, bytes.constData() + done, size_t(bytes.size() - done));
        if (n > 0) {
            done += n;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        log(QStringLiteral("line full: %1 byte(s) of an answer lost").arg(bytes.size() - done));
        break;
    }
    trace(QStringLiteral("TX"), bytes.left(int(done)));
}

void PtyServer::hangUp() {
    stop();
    Q_EMIT hungUp();
}

void PtyServer::trace(const QString& direction, const QByteArray& bytes, const QString& note) {
    if (!m_trace.isOpen())
        return;
    QString line = QTime::currentTime().toString(QStringLiteral("HH:mm:ss.zzz")) +
                   QLatin1Char(' ') + direction;
    if (!bytes.isEmpty())
        line += QLatin1Char(' ') + hexBytes(bytes);
    if (!note.isEmpty())
        line += (bytes.isEmpty() ? QStringLiteral(" ") : QStringLiteral("  # ")) + note;
    m_trace.write(line.toUtf8() + '\n');
    m_trace.flush();
}

void PtyServer::log(const QString& text) {
    trace(QStringLiteral("--"), {}, text);
    Q_EMIT message(text);
}
