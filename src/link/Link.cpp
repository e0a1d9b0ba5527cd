#include "link/Link.h"

#include "base/Interaction.h"
#include "i18n/StringTable.h"
#include "link/SerialPort.h"
#include "link/Telegram.h"

#include <QCoreApplication>
#include <QEventLoop>

#include <algorithm>

namespace {
// How an exchange ended.
enum Reason { Pending, Replied, Repeat, GaveUp, PortLost };

// Shown under text 455 when the controller stops answering: check the port and the address.
const char* const GiveUpHint = "  ->   COM ?   Adr. ?";

// Added to the give-up message when replies came but were damaged.
QString corruptedRepliesText(const Texts& texts) {
    static const char* const text[] = {
        "Die Antworten des Reglers kamen verfälscht an (Prüfsumme oder Rahmen falsch).",
        "The controller's replies arrived corrupted (wrong checksum or frame).",
        "Les réponses du régulateur sont arrivées altérées (trame ou somme de contrôle).",
        "Le risposte del regolatore sono arrivate alterate (checksum o frame errati)."};
    return texts.inLanguage(text);
}
} // namespace

// The outcome of one waiting call, kept on its caller's stack. While a call waits, handlers may
// run further exchanges on the same shared fields; each call puts its own outcome back into
// them before it returns, so its caller reads its own reply.
struct Link::Exchange {
    int reason = Pending;
    bool commError = true;
    std::array<int, 201> reply{};
    QByteArray buffer;
    int replyCode = 255;
    bool damaged = false; // a damaged reply came during this call (any repetition)
};

Link::Link(Interaction& interaction, const Texts& texts, QObject* parent)
    : QObject(parent), m_interaction(interaction), m_texts(texts) {
    m_replyTimer.setSingleShot(true);
    m_replyTimer.setTimerType(Qt::PreciseTimer);
    m_replyTimer.setInterval(ReplyTimeoutMs);
    connect(&m_replyTimer, &QTimer::timeout, this, &Link::onReplyTimeout);
    m_pauseTimer.setSingleShot(true);
    m_pauseTimer.setTimerType(Qt::PreciseTimer);
    m_pauseTimer.setInterval(PauseMs);
    connect(&m_pauseTimer, &QTimer::timeout, this, &Link::stateChanged);
}

Link::~Link() = default;

void Link::setPort(SerialPort* port) {
    const ControllerKey before = controller();
    if (m_port)
        disconnect(m_port, nullptr, this, nullptr);
    m_port = port;
    if (m_port) {
        connect(m_port, &SerialPort::readyRead, this, &Link::onPortEvent);
        connect(m_port, &SerialPort::lost, this, &Link::onPortLost);
    }
    if (controller() != before)
        Q_EMIT controllerChanged();
}

ControllerKey Link::controller() const {
    return {m_port ? m_port->deviceName() : QString(), DeviceAddress};
}

void Link::setDeviceAddress(int address) {
    if (address == DeviceAddress)
        return;
    DeviceAddress = address;
    Q_EMIT controllerChanged();
}

bool Link::portReady() const {
    return m_port && m_port->isOpen();
}

void Link::setReplyTimeout(int ms) {
    m_replyTimeoutMs = ms;
    m_replyTimer.setInterval(ms);
}
void Link::setPauseInterval(int ms) {
    m_pauseTimer.setInterval(ms);
}
int Link::replyTimeout() const {
    return m_replyTimeoutMs;
}

void Link::ExchangeTelegram() {
    QByteArray frame;
    frame.reserve(RequestData.size() + 9);
    const char length = char(RequestLength & 0xFF);
    frame.append(char(Telegram::LongStart)).append(length).append(length);
    frame.append(char(Telegram::LongStart));
    frame.append(char(RequestControl & 0xFF)).append(char(DeviceAddress & 0xFF));
    frame.append(char(FunctionCode & 0xFF)).append(RequestData);
    frame.append(char(Checksum & 0xFF)).append(char(Telegram::End));
    run(frame, ExpectedLength, true, NoBlock);
}

void Link::ShortRequest(quint8 control, int expectedLength) {
    run(Telegram::buildShort(control, quint8(DeviceAddress & 0xFF)), expectedLength, false,
        NoBlock);
}

bool Link::Probe(const QByteArray& frame, int expectedLength, int timeoutMs) {
    run(frame, expectedLength, false, NoBlock, std::max(1, timeoutMs));
    return m_replyReceived && !CommError;
}

void Link::RequestCyclicBlock() {
    run(Telegram::buildShort(0x7B, quint8(DeviceAddress & 0xFF)), 50, false, CyclicBlock);
}

void Link::RequestExtendedCyclicBlock() {
    run(Telegram::buildShort(0x7E, quint8(DeviceAddress & 0xFF)), 40, false, ExtendedBlock);
}

void Link::RequestDeviceErrors() {
    run(Telegram::buildShort(0x7A, quint8(DeviceAddress & 0xFF)), 32, false, ErrorBlock);
}

void Link::run(const QByteArray& frame, int expectedLength, bool repeatSilent, Block block,
               int probeTimeoutMs) {
    CommError = false;
    m_replyReceived = false;
    const auto linkBusy = [this] {
        return LinkState != 0;
    };
    Exchange exchange;
    bool damaged = false;
    for (;;) {
        // Another exchange is on the wire (this call was reached from a handler while it
        // waits): let it finish, then send this caller's own request.
        if (!waitWhile(linkBusy) || !portReady()) {
            CommError = true;
            return;
        }
        exchange = Exchange{};
        exchange.damaged = damaged;
        m_current = &exchange;
        send(frame, expectedLength, block, probeTimeoutMs);
        const bool waited = waitWhile([&exchange] { return exchange.reason == Pending; });
        damaged = exchange.damaged;
        if (!waited) {
            // The application is quitting: drop the exchange.
            if (m_current == &exchange) {
                m_current = nullptr;
                m_replyTimer.stop();
                LinkState = 0;
                ReceiveBuffer.clear();
                clearPending();
            }
            CommError = true;
            return;
        }
        if (exchange.reason != Repeat || !repeatSilent)
            break;
    }
    CommError = exchange.commError;
    ReplyBytes = exchange.reply;
    m_replyReceived = exchange.reason == Replied;
    if (repeatSilent) {
        // A 5-byte buffer remains only after a give-up that found a short answer in the port.
        ReplyCode = exchange.buffer.size() == 5 ? quint8(exchange.buffer[1]) : 255;
    } else {
        ReplyCode = exchange.replyCode;
    }
}

void Link::send(const QByteArray& frame, int expectedLength, Block block, int probeTimeoutMs) {
    // Bytes that arrived while nothing waited belong to no request.
    if (m_port->bytesAvailable() > 0)
        m_port->readAll();
    ReceiveBuffer.clear();
    ExpectedLength = expectedLength;
    m_activeExpected = expectedLength;
    // A long request is answered with its own function code; the blocks of the short requests
    // start at that position instead.
    const bool isLong = quint8(frame[0]) == Telegram::LongStart;
    m_activeFunction = isLong ? quint8(frame[6]) : -1;
    m_activeAddress = quint8(frame[isLong ? 5 : 2]);
    m_activeProbe = probeTimeoutMs > 0;
    m_activeBlock = block;
    CyclicPending = block == CyclicBlock || block == ExtendedBlock;
    CyclicExtended = block == ExtendedBlock;
    ErrorPending = block == ErrorBlock;
    m_port->write(frame);
    LinkState = 1;
    m_replyTimer.start(m_activeProbe ? probeTimeoutMs : m_replyTimeoutMs);
    Q_EMIT stateChanged();
}

void Link::clearPending() {
    // However the exchange ended, a block it did not bring is no longer awaited: a later reply
    // of the same length must not be decoded as that block.
    CyclicPending = false;
    CyclicExtended = false;
    ErrorPending = false;
    m_activeBlock = NoBlock;
}

void Link::endExchange(int reason) {
    m_replyTimer.stop();
    LinkState = 0;
    m_activeProbe = false;
    clearPending();
    if (reason != Repeat)
        RepeatCount = 0;
    if (reason == Replied)
        ReceiveBuffer.clear();
    if (Exchange* e = m_current) {
        m_current = nullptr;
        e->reason = reason;
        e->commError = CommError;
        e->reply = ReplyBytes;
        e->buffer = ReceiveBuffer;
        e->replyCode = ReplyCode;
    }
    Q_EMIT stateChanged();
}

bool Link::isReplyToRequest(const QByteArray& frame) const {
    const bool isShort = quint8(frame[0]) == Telegram::ShortStart;
    const int address = quint8(frame[isShort ? 2 : 5]);
    if (address != m_activeAddress)
        return false;
    if (m_activeExpected == 5)
        return isShort;
    return !isShort && frame.size() == m_activeExpected &&
           (m_activeFunction < 0 || quint8(frame[6]) == m_activeFunction);
}

void Link::onPortEvent() {
    if (!m_port)
        return;
    if (LinkState != 1 || !m_current) {
        // Nothing waits: whatever arrives now (a late answer, line noise) is dropped so that it
        // cannot complete the next exchange.
        m_port->readAll();
        ReceiveBuffer.clear();
        return;
    }
    ReceiveBuffer.append(m_port->readAll());

    // Frames are taken from the front of the buffer. Bytes that cannot start a frame are
    // skipped; a damaged frame is skipped from its first byte on, in case a whole frame starts
    // inside it; an intact frame that is not the reply to this request (another address or
    // function code: a late answer to an earlier request) is dropped. The time-out keeps
    // running meanwhile.
    qsizetype at = 0;
    while (at < ReceiveBuffer.size()) {
        const QByteArrayView rest = QByteArrayView(ReceiveBuffer).sliced(at);
        const Telegram::FrameScan scan = Telegram::scanFrame(rest);
        if (scan.kind == Telegram::FrameScan::NeedMore)
            break;
        if (scan.kind == Telegram::FrameScan::Junk) {
            ++at;
            continue;
        }
        if (!scan.intact) {
            m_current->damaged = true;
            ++at;
            continue;
        }
        const QByteArray frame = rest.first(scan.length).toByteArray();
        if (!isReplyToRequest(frame) || frame.size() > MaxReplyBytes) {
            at += scan.length;
            continue;
        }
        ReplyBytes.fill(0);
        for (int k = 1; k <= int(frame.size()); ++k)
            ReplyBytes[size_t(k)] = quint8(frame[k - 1]);
        ReplyCode = 0;
        CommError = false;
        decodeBlock();
        endExchange(Replied);
        return;
    }
    ReceiveBuffer.remove(0, at);
}

void Link::decodeBlock() {
    const auto word = [this](int p) {
        return ReplyBytes[size_t(p)] + 256 * ReplyBytes[size_t(p + 1)];
    };
    switch (m_activeBlock) {
    case NoBlock:
        return;
    case CyclicBlock:
        for (int i = 0; i < 8; ++i) {
            CycleWordsA[size_t(i)] = word(2 * i + 7);
            CycleBytes[size_t(i)] = ReplyBytes[size_t(i + 23)];
            CycleWordsB[size_t(i)] = word(2 * i + 31);
        }
        CycleWordC = word(47);
        break;
    case ExtendedBlock:
        for (int i = 0; i < 16; ++i)
            CycleWordsB[size_t(i + 8)] = word(2 * i + 7);
        break;
    case ErrorBlock:
        for (int i = 0; i < 12; ++i)
            DeviceErrorWords[size_t(i)] = word(2 * i + 7);
        break;
    }
    const Block decoded = m_activeBlock;
    clearPending();
    if (decoded == ErrorBlock)
        Q_EMIT deviceErrorsDecoded();
    else
        Q_EMIT cyclicBlockDecoded();
}

void Link::onReplyTimeout() {
    if (LinkState != 1) {
        m_replyTimer.stop();
        return;
    }
    if (m_activeProbe) {
        // Nobody at this address (or at this line setting): no repetition, no message.
        CommError = true;
        endExchange(Repeat);
        return;
    }
    if (RepeatCount < MaxRepeats) {
        // A long request is sent again; a short request ends here, unanswered.
        ++RepeatCount;
        CommError = true;
        endExchange(Repeat);
        return;
    }
    // Give up. The exchange ends before the message is shown, so that nothing arriving while
    // the message is open can be taken for a reply, and monitoring stops first.
    const bool damaged = m_current && m_current->damaged;
    if (m_port && m_port->bytesAvailable() >= 5)
        ReceiveBuffer.append(m_port->readAll());
    CommError = true;
    endExchange(GaveUp);
    Q_EMIT gaveUp();
    QString text = m_texts.LoadText(455) + u'\n' + QLatin1String(GiveUpHint);
    if (damaged)
        text += QStringLiteral("\n\n") + corruptedRepliesText(m_texts);
    m_interaction.inform(m_texts.LoadText(456), text, Interaction::Icon::Exclamation);
}

void Link::onPortLost(const QString& reason) {
    // The line is gone: a waiting exchange ends at once (nothing can answer it any more), and
    // every later one fails at once until another port is opened. The owner of the port tells
    // the user; monitoring stops as after a give-up.
    if (LinkState == 1) {
        CommError = true;
        endExchange(PortLost);
    }
    Q_EMIT gaveUp();
    Q_EMIT portLost(reason);
}

void Link::writeRaw(const QByteArray& bytes) {
    // Not into the middle of an exchange: the controller may be answering.
    if (waitWhile([this] { return LinkState != 0; }) && portReady())
        m_port->write(bytes);
}

void Link::discardInput() {
    // Not the reply of an exchange that is waiting.
    if (waitWhile([this] { return LinkState != 0; }) && portReady() && m_port->bytesAvailable() > 0)
        m_port->readAll();
}

void Link::Pause() {
    m_pauseTimer.start();
    waitWhile([this] { return m_pauseTimer.isActive(); });
}

bool Link::Wait(int ms) {
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    connect(&timer, &QTimer::timeout, this, &Link::stateChanged);
    timer.start(ms);
    return waitWhile([&timer] { return timer.isActive(); });
}

bool Link::waitWhile(const std::function<bool()>& busy) {
    while (busy()) {
        if (QCoreApplication::closingDown())
            return false;
        QEventLoop loop;
        bool woken = false;
        connect(this, &Link::stateChanged, &loop, [&] {
            woken = true;
            loop.quit();
        });
        loop.exec();
        if (!woken)
            return false; // the event loops were told to exit: the application is quitting
    }
    return true;
}
