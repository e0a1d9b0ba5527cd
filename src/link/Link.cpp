#include "link/Link.h"

#include "base/Interaction.h"
#include "i18n/StringTable.h"
#include "link/SerialPort.h"
#include "link/Telegram.h"

#include <QCoreApplication>
#include <QEventLoop>

namespace {
// How an exchange ended.
enum Reason { Pending, Replied, Repeat, GaveUp };

// Shown under text 455 when the controller stops answering: check the port and the address.
const char* const GiveUpHint = "  ->   COM ?   Adr. ?";
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
    if (m_port)
        connect(m_port, &SerialPort::readyRead, this, &Link::onPortEvent);
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
    m_replyTimer.setInterval(ms);
}
void Link::setPauseInterval(int ms) {
    m_pauseTimer.setInterval(ms);
}
int Link::replyTimeout() const {
    return m_replyTimer.interval();
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
    run(frame, ExpectedLength, true);
}

void Link::ShortRequest(quint8 control, int expectedLength) {
    run(Telegram::buildShort(control, quint8(DeviceAddress & 0xFF)), expectedLength, false);
}

void Link::RequestCyclicBlock() {
    CyclicPending = true;
    ShortRequest(0x7B, 50);
}

void Link::RequestExtendedCyclicBlock() {
    CyclicPending = true;
    CyclicExtended = true;
    ShortRequest(0x7E, 40);
}

void Link::RequestDeviceErrors() {
    ErrorPending = true;
    ShortRequest(0x7A, 32);
}

void Link::run(const QByteArray& frame, int expectedLength, bool repeatSilent) {
    CommError = false;
    m_replyReceived = false;
    const auto linkBusy = [this] {
        return LinkState != 0;
    };
    Exchange exchange;
    for (;;) {
        // Another exchange is on the wire (this call was reached from a handler while it
        // waits): let it finish, then send this caller's own request.
        if (!waitWhile(linkBusy) || !portReady()) {
            CommError = true;
            return;
        }
        exchange = Exchange{};
        m_current = &exchange;
        send(frame, expectedLength);
        if (!waitWhile([&exchange] { return exchange.reason == Pending; })) {
            // The application is quitting: drop the exchange.
            if (m_current == &exchange) {
                m_current = nullptr;
                m_replyTimer.stop();
                LinkState = 0;
                ReceiveBuffer.clear();
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

void Link::send(const QByteArray& frame, int expectedLength) {
    // Bytes that arrived while nothing waited belong to no request.
    if (m_port->bytesAvailable() > 0)
        m_port->readAll();
    ReceiveBuffer.clear();
    ExpectedLength = expectedLength;
    m_activeExpected = expectedLength;
    m_port->write(frame);
    LinkState = 1;
    m_replyTimer.start();
    Q_EMIT stateChanged();
}

void Link::endExchange(int reason) {
    m_replyTimer.stop();
    LinkState = 0;
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
    const qint64 held = ReceiveBuffer.size();
    const qint64 waiting = m_port->bytesAvailable();
    if (waiting < m_activeExpected - held && waiting != 5 - held)
        return; // more bytes to come

    ReceiveBuffer.append(m_port->readAll());
    const int n = int(ReceiveBuffer.size());
    ReplyBytes.fill(0);
    for (int k = 1; k <= qMin(n, MaxReplyBytes); ++k)
        ReplyBytes[size_t(k)] = quint8(ReceiveBuffer[k - 1]);

    if (n == 5 && ReplyBytes[1] == Telegram::LongStart)
        return; // the start of a long Telegram: wait for the rest

    ReplyCode = 0;
    CommError = ReplyBytes[1] != Telegram::ShortStart;
    if (n > MaxReplyBytes) {
        // No request of the program is answered with more than 108 bytes: this is not a reply
        // to it. The first 200 bytes stay readable, the rest is dropped.
        CommError = true;
    } else {
        // A reply of 90 or more bytes is not examined and ends with CommError set; its bytes
        // stay readable (the raw block read relies on that).
        const int length = ReplyBytes[2];
        if (length < 90 && length + 6 <= n && ReplyBytes[1] == Telegram::LongStart &&
            ReplyBytes[4] == Telegram::LongStart && ReplyBytes[3] == ReplyBytes[2] &&
            ReplyBytes[size_t(length + 6)] == Telegram::End) {
            CommError = false;
            if (CyclicPending || ErrorPending)
                decodeBlocks();
        }
    }
    endExchange(Replied);
}

void Link::decodeBlocks() {
    const auto word = [this](int p) {
        return ReplyBytes[size_t(p)] + 256 * ReplyBytes[size_t(p + 1)];
    };
    bool cyclic = false;
    if (m_activeExpected == 50 && CyclicPending) {
        CyclicPending = false;
        for (int i = 0; i < 8; ++i) {
            CycleWordsA[size_t(i)] = word(2 * i + 7);
            CycleBytes[size_t(i)] = ReplyBytes[size_t(i + 23)];
            CycleWordsB[size_t(i)] = word(2 * i + 31);
        }
        CycleWordC = word(47);
        cyclic = true;
    }
    if (m_activeExpected == 40 && CyclicPending && CyclicExtended) {
        CyclicPending = false;
        for (int i = 0; i < 16; ++i)
            CycleWordsB[size_t(i + 8)] = word(2 * i + 7);
        cyclic = true;
    }
    bool errors = false;
    if (m_activeExpected == 32 && ErrorPending) {
        ErrorPending = false;
        for (int i = 0; i < 12; ++i)
            DeviceErrorWords[size_t(i)] = word(2 * i + 7);
        errors = true;
    }
    if (cyclic)
        Q_EMIT cyclicBlockDecoded();
    if (errors)
        Q_EMIT deviceErrorsDecoded();
}

void Link::onReplyTimeout() {
    if (LinkState != 1) {
        m_replyTimer.stop();
        return;
    }
    if (RepeatCount < MaxRepeats) {
        ++RepeatCount; // the waiting ExchangeTelegram sends again
        endExchange(Repeat);
        return;
    }
    // Give up. The exchange ends before the message is shown, so that nothing arriving while
    // the message is open can be taken for a reply, and monitoring stops first.
    if (m_port && m_port->bytesAvailable() >= 5)
        ReceiveBuffer.append(m_port->readAll());
    CommError = true;
    endExchange(GaveUp);
    Q_EMIT gaveUp();
    m_interaction.inform(m_texts.LoadText(456),
                         m_texts.LoadText(455) + u'\n' + QLatin1String(GiveUpHint),
                         Interaction::Icon::Exclamation);
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
