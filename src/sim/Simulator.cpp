#include "sim/Simulator.h"

#include "link/Telegram.h"
#include "link/TransferGroup.h"

namespace {

constexpr quint8 kCyclicControl = 0x7B;
constexpr quint8 kExtendedControl = 0x7E;
constexpr quint8 kErrorControl = 0x7A;
constexpr quint8 kResetControl = 0x44;

constexpr int kClearErrors = 0x21;
constexpr int kOperation = 0x32;
constexpr int kSwitchPrepare = 0x3C;
constexpr int kProtocolSelect = 0xD0;
constexpr int kHistoryAnnounce = 0x2D;
constexpr int kHistoryEntry = 0x2E;
constexpr int kClock = 0x90;
constexpr int kInterface = 0xA0;
constexpr int kCanBaud = 0xA1;
constexpr int kLoggerControl = 0x93;
constexpr int kLoggerAnnounce1 = 0x94;
constexpr int kLoggerAnnounce2 = 0x95;
constexpr int kSampleOld1 = 0x96;
constexpr int kSampleOld2 = 0x97;
constexpr int kSampleNew = 0x9A;

// The Modbus RTU frame that ends the Modbus protocol (broadcast, function 0x10, CRC-16).
const QByteArray kModbusReturn = QByteArray::fromHex("0010D0057D010100C666");
// The Q8100 protocol's frame back to the native protocol.
const QByteArray kQ8100Return = QByteArray::fromHex("10FF494816");

void appendWord(QByteArray* b, int v) {
    b->append(char(v & 0xFF)).append(char((v >> 8) & 0xFF));
}

int byteAt(const QByteArray& b, int i) {
    return quint8(b.at(i));
}

QString codeText(int code) {
    return QStringLiteral("0x") + QString::number(code, 16).rightJustified(2, u'0').toUpper();
}

} // namespace

QString hexBytes(const QByteArray& bytes) {
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

Simulator::Simulator(const SimOptions& options) : m_device(options) {}

QString Simulator::protocolName(SimProtocol p) {
    switch (p) {
    case SimProtocol::Native:
        return QStringLiteral("native");
    case SimProtocol::Modbus:
        return QStringLiteral("Modbus");
    case SimProtocol::Q8100:
        return QStringLiteral("Q8100");
    case SimProtocol::HbTherm:
        return QStringLiteral("HB-Therm");
    }
    return QString();
}

QByteArray Simulator::longReply(int code, const QByteArray& data) const {
    return Telegram::buildLong(ReplyControl, quint8(m_device.address()), quint8(code), data);
}

QByteArray Simulator::blockReply(const QByteArray& block) const {
    // The block starts where a function code would stand.
    return Telegram::buildLong(ReplyControl, quint8(m_device.address()), quint8(block.at(0)),
                               block.mid(1));
}

QByteArray Simulator::ack() const {
    return Telegram::buildShort(AckControl, quint8(m_device.address()));
}

QByteArray Simulator::nack() const {
    return Telegram::buildShort(NackControl, quint8(m_device.address()));
}

// ---- framing --------------------------------------------------------------------------------

QList<SimExchange> Simulator::receive(const QByteArray& bytes) {
    m_buffer.append(bytes);
    QList<SimExchange> out;
    QByteArray garbage;
    auto flushGarbage = [&] {
        if (!garbage.isEmpty()) {
            const QString what = linkPreparationName(garbage);
            out.append({garbage,
                        {},
                        what.isEmpty()
                            ? QStringLiteral("discarded %1 byte(s)").arg(garbage.size())
                            : QStringLiteral("%1 link preparation: nothing to do").arg(what)});
            garbage.clear();
        }
    };
    while (!m_buffer.isEmpty()) {
        if (m_protocol != SimProtocol::Native) {
            flushGarbage();
            out.append(consumeForeign(&m_buffer));
            continue;
        }
        const quint8 first = quint8(m_buffer.at(0));
        if (first == Telegram::ShortStart) {
            if (m_buffer.size() < 5)
                break;
            const QByteArray frame = m_buffer.left(5);
            if (!Telegram::isValidShort(frame)) {
                garbage.append(m_buffer.at(0));
                m_buffer.remove(0, 1);
                continue;
            }
            flushGarbage();
            m_buffer.remove(0, 5);
            out.append(handleFrame(frame));
        } else if (first == Telegram::LongStart) {
            if (m_buffer.size() < 4)
                break;
            const int length = quint8(m_buffer.at(1));
            if (m_buffer.at(1) != m_buffer.at(2) || quint8(m_buffer.at(3)) != Telegram::LongStart ||
                length < 3) {
                garbage.append(m_buffer.at(0));
                m_buffer.remove(0, 1);
                continue;
            }
            if (m_buffer.size() < length + 6)
                break;
            flushGarbage();
            const QByteArray frame = m_buffer.left(length + 6);
            m_buffer.remove(0, length + 6);
            if (!Telegram::isValidLong(frame)) {
                out.append({frame, {}, QStringLiteral("bad checksum or end byte: no answer")});
                continue;
            }
            out.append(handleFrame(frame));
        } else {
            garbage.append(m_buffer.at(0));
            m_buffer.remove(0, 1);
        }
    }
    flushGarbage();
    return out;
}

QList<SimExchange> Simulator::flushPartial() {
    if (m_buffer.isEmpty() || m_protocol != SimProtocol::Native)
        return {};
    SimExchange e{m_buffer,
                  {},
                  QStringLiteral("incomplete frame of %1 byte(s) dropped").arg(m_buffer.size())};
    m_buffer.clear();
    return {e};
}

QByteArray Simulator::hbThermReturnFrame() const {
    const int a = m_device.address();
    if (a <= 0 || a >= 10)
        return {};
    QByteArray frame;
    frame.append(char(0xB0 + 8 * a)).append("007w");
    int s = 0;
    for (char c : frame)
        s += quint8(c);
    s &= 0xFF;
    frame.append(char(0x30 + s / 16)).append(char(0x30 + s % 16));
    return frame;
}

QString Simulator::linkPreparationName(const QByteArray& bytes) const {
    if (bytes == kModbusReturn)
        return QStringLiteral("Modbus");
    if (bytes == kQ8100Return)
        return QStringLiteral("Q8100");
    if (!bytes.isEmpty() && bytes == hbThermReturnFrame())
        return QStringLiteral("HB-Therm");
    return {};
}

bool Simulator::matchesReturnFrame(const QByteArray& window) const {
    switch (m_protocol) {
    case SimProtocol::Native:
        return false;
    case SimProtocol::Modbus:
        return window.endsWith(kModbusReturn);
    case SimProtocol::Q8100:
        // Controllers up to firmware 0x64 know no Q8100 return frame: the Modbus frame serves.
        return window.endsWith(kQ8100Return) ||
               (m_device.firmware() <= 100 && window.endsWith(kModbusReturn));
    case SimProtocol::HbTherm: {
        const QByteArray frame = hbThermReturnFrame();
        return !frame.isEmpty() && window.endsWith(frame);
    }
    }
    return false;
}

SimExchange Simulator::consumeForeign(QByteArray* bytes) {
    // Byte by byte, looking for the frame that brings the controller back; the frame may be
    // split over several reads, so the window runs on across calls.
    for (int i = 0; i < bytes->size(); ++i) {
        m_foreignTail.append(bytes->at(i));
        if (matchesReturnFrame(m_foreignTail)) {
            const SimProtocol was = m_protocol;
            m_protocol = SimProtocol::Native;
            m_switchArmed = false;
            m_foreignTail.clear();
            const QByteArray consumed = bytes->left(i + 1);
            bytes->remove(0, i + 1);
            return {consumed,
                    {},
                    QStringLiteral("%1 protocol ended: back to the native protocol")
                        .arg(protocolName(was))};
        }
        if (m_foreignTail.size() > 16)
            m_foreignTail.remove(0, 1);
    }
    const QByteArray consumed = *bytes;
    bytes->clear();
    return {
        consumed, {}, QStringLiteral("ignored: %1 protocol active").arg(protocolName(m_protocol))};
}

// ---- frames ---------------------------------------------------------------------------------

SimExchange Simulator::handleFrame(const QByteArray& frame) {
    if (frame.size() == 5)
        return handleShort(frame);
    const int control = byteAt(frame, 4);
    const int address = byteAt(frame, 5);
    const int code = byteAt(frame, 6);
    if (address != m_device.address())
        return {frame, {}, QStringLiteral("for address %1: ignored").arg(address)};
    const QByteArray data = frame.mid(7, byteAt(frame, 1) - 3);
    SimExchange e;
    if (control == Telegram::ReadControl)
        e = handleRead(code, data);
    else if (control == Telegram::WriteControl)
        e = handleWrite(code, data);
    else
        e.note = QStringLiteral("unknown control byte %1: no answer").arg(codeText(control));
    e.request = frame;
    e.counted = true;
    if (code != kSwitchPrepare && code != kProtocolSelect)
        m_switchArmed = false;
    return e;
}

SimExchange Simulator::handleShort(const QByteArray& frame) {
    const int control = byteAt(frame, 1);
    const int address = byteAt(frame, 2);
    if (frame == kQ8100Return && address != m_device.address())
        return {frame, {}, QStringLiteral("Q8100 link preparation: nothing to do")};
    if (address != m_device.address())
        return {frame, {}, QStringLiteral("for address %1: ignored").arg(address)};
    m_switchArmed = false;
    switch (control) {
    case kCyclicControl:
        return {frame, blockReply(m_device.cyclicBlock()), QStringLiteral("cyclic block"), true};
    case kExtendedControl:
        return {frame, blockReply(m_device.extendedCyclicBlock()),
                QStringLiteral("extended cyclic block"), true};
    case kErrorControl: {
        QByteArray b;
        for (quint16 w : m_device.errorWords())
            appendWord(&b, w);
        return {frame, blockReply(b), QStringLiteral("device error block"), true};
    }
    case kResetControl:
        m_device.reset();
        return {frame, {}, QStringLiteral("reset: no answer"), true};
    default:
        return {frame,
                {},
                QStringLiteral("unknown short request %1: no answer").arg(codeText(control)),
                true};
    }
}

SimExchange Simulator::handleRead(int code, const QByteArray& data) {
    SimExchange e;
    const TransferGroup group = transferGroupOf(code);
    const auto refuse = [&](const QString& why) {
        e.note = QStringLiteral("read %1: %2: no answer").arg(codeText(code), why);
        return e;
    };

    if (group == TransferGroup::SingleByte || group == TransferGroup::SingleWord) {
        if (!data.isEmpty())
            return refuse(QStringLiteral("unexpected request data"));
        const QVector<int> v = m_device.readValues(code);
        if (v.isEmpty())
            return refuse(QStringLiteral("unknown function code"));
        QByteArray d;
        if (group == TransferGroup::SingleByte)
            d.append(char(v[0] & 0xFF));
        else
            appendWord(&d, v[0]);
        e.reply = longReply(code, d);
        e.note = QStringLiteral("read %1").arg(codeText(code));
        return e;
    }
    if (data.size() != 3)
        return refuse(QStringLiteral("request data must be three bytes"));

    if (group == TransferGroup::AddressedWord) {
        const QVector<int> v = m_device.readValues(code);
        if (v.isEmpty())
            return refuse(QStringLiteral("unknown function code"));
        QByteArray d = data;
        appendWord(&d, v[0]);
        e.reply = longReply(code, d);
        e.note = QStringLiteral("read %1").arg(codeText(code));
        return e;
    }

    const int p1 = byteAt(data, 0);
    const int p2 = byteAt(data, 1);
    const bool ranged = p1 != 0 && p2 != 0;

    QVector<int> values;
    if (code == kHistoryEntry) {
        if (m_device.firmware() < 0x30)
            return refuse(QStringLiteral("no alarm history on this firmware"));
        HistoryEntry h;
        if (!m_device.nextHistoryEntry(&h))
            return refuse(QStringLiteral("no history entry left"));
        // Six time bytes and twelve words: sent as they are, not as a range.
        QByteArray d = data;
        for (quint8 b : h.time)
            d.append(char(b));
        for (quint16 w : h.words)
            appendWord(&d, w);
        e.reply = longReply(code, d);
        e.note = QStringLiteral("alarm history entry");
        return e;
    } else if (code == kSampleOld1 || code == kSampleOld2 || code == kSampleNew) {
        const bool newer = m_device.firmware() > 0x46;
        if (m_device.firmware() < 0x28 || newer != (code == kSampleNew))
            return refuse(QStringLiteral("not a logger read of this firmware"));
        LoggerSample s;
        if (!m_device.loggerSample(&s, code != kSampleOld1))
            return refuse(QStringLiteral("no logger sample left"));
        const int offset = code == kSampleOld2 ? 8 : 0;
        const int count = code == kSampleNew ? 17 : 8;
        for (int i = 0; i < count; ++i)
            values.append(s.words[size_t(offset + i)]);
    } else {
        values = m_device.readValues(code);
        if (values.isEmpty())
            return refuse(QStringLiteral("unknown function code"));
    }

    int first = 1;
    int n = unrangedValueCount(code);
    if (ranged) {
        first = p1;
        n = p2 - p1 + 1;
        if (p1 > p2 || p2 > values.size())
            return refuse(QStringLiteral("range %1..%2 outside the item").arg(p1).arg(p2));
    }
    values.resize(std::max(int(values.size()), first - 1 + n));

    QByteArray d = data;
    for (int i = first - 1; i < first - 1 + n; ++i) {
        switch (group) {
        case TransferGroup::WordBlock:
            appendWord(&d, values[i]);
            break;
        case TransferGroup::IdBlock:
            if (ranged)
                appendWord(&d, values[i] & 0xFF);
            else
                d.append(char(values[i] & 0xFF));
            break;
        default:
            d.append(char(values[i] & 0xFF));
            break;
        }
    }
    e.reply = longReply(code, d);
    e.note = ranged ? QStringLiteral("read %1, values %2..%3").arg(codeText(code)).arg(p1).arg(p2)
                    : QStringLiteral("read %1").arg(codeText(code));
    return e;
}

SimExchange Simulator::handleWrite(int code, const QByteArray& data) {
    SimExchange e;
    const auto accept = [&](const QString& what) {
        e.reply = ack();
        e.note = what;
        return e;
    };
    const auto refuse = [&](const QString& why) {
        e.reply = nack();
        e.note = QStringLiteral("write %1 refused: %2").arg(codeText(code), why);
        return e;
    };
    const int size = int(data.size());

    switch (code) {
    case kClearErrors:
        m_device.clearErrors();
        return accept(QStringLiteral("errors cleared"));
    case kOperation:
        if (size != 1)
            return refuse(QStringLiteral("one command byte expected"));
        if (!m_device.operationCommand(byteAt(data, 0)))
            return refuse(QStringLiteral("unknown command byte"));
        return accept(QStringLiteral("command %1").arg(codeText(byteAt(data, 0))));
    case kSwitchPrepare:
        if (size != 1)
            return refuse(QStringLiteral("one byte expected"));
        if (byteAt(data, 0) == 0x00) {
            m_switchArmed = true;
            return accept(QStringLiteral("protocol switch prepared"));
        }
        if (byteAt(data, 0) == 0x77) {
            m_device.serviceCommand();
            return accept(QStringLiteral("service command"));
        }
        return refuse(QStringLiteral("unknown service byte"));
    case kProtocolSelect: {
        const bool armed = m_switchArmed;
        m_switchArmed = false;
        if (size != 5 || data.left(4) != QByteArray::fromHex("7D050001"))
            return refuse(QStringLiteral("not a protocol selection"));
        if (!armed)
            return refuse(QStringLiteral("protocol switch not prepared with 0x3C 0x00"));
        const int p = byteAt(data, 4);
        const SimProtocol next = p == 2   ? SimProtocol::Modbus
                                 : p == 4 ? SimProtocol::Q8100
                                 : p == 6 ? SimProtocol::HbTherm
                                          : SimProtocol::Native;
        if (next == SimProtocol::Native)
            return refuse(QStringLiteral("unknown protocol %1").arg(p));
        m_protocol = next; // the acknowledgement still goes out in the native protocol
        m_foreignTail.clear();
        return accept(QStringLiteral("switched to the %1 protocol").arg(protocolName(next)));
    }
    case kHistoryAnnounce:
        if (size != 2)
            return refuse(QStringLiteral("count expected"));
        m_device.announceHistory(byteAt(data, 0) + 256 * byteAt(data, 1));
        return accept(QStringLiteral("alarm history transfer announced"));
    case kLoggerAnnounce1:
    case kLoggerAnnounce2:
        if (size != 2)
            return refuse(QStringLiteral("count expected"));
        m_device.announceLogger(byteAt(data, 0) + 256 * byteAt(data, 1));
        return accept(QStringLiteral("logger transfer announced"));
    case kLoggerControl:
        if (size != 1)
            return refuse(QStringLiteral("one byte expected"));
        if (byteAt(data, 0) & 0x80)
            m_device.clearLogger();
        m_device.setItem(code, 1, {byteAt(data, 0) & 0x7F});
        return accept(QStringLiteral("logger control"));
    case kInterface:
        // Baud index 0..3 in the low nibble, parity index 0..3 (even, odd, none, space) above.
        if (size != 1 || (byteAt(data, 0) & 0x0F) > 3 || (byteAt(data, 0) >> 4) > 3)
            return refuse(QStringLiteral("baud and parity index expected"));
        m_device.setItem(code, 1, {byteAt(data, 0)});
        return accept(QStringLiteral("interface set to %1 baud").arg(m_device.baudRate()));
    case kCanBaud:
        if (size != 1 || byteAt(data, 0) > 8)
            return refuse(QStringLiteral("CAN baud index 0..8 expected"));
        m_device.setItem(code, 1, {byteAt(data, 0)});
        return accept(QStringLiteral("CAN baud index %1").arg(byteAt(data, 0)));
    case kClock: {
        if (m_device.firmware() < 0x32)
            return refuse(QStringLiteral("no clock on this firmware"));
        if (size != 9)
            return refuse(QStringLiteral("three zero bytes and six clock bytes expected"));
        ClockBytes c;
        for (int i = 0; i < 6; ++i)
            c[size_t(i)] = quint8(byteAt(data, 3 + i));
        if (!m_device.setClock(c))
            return refuse(QStringLiteral("impossible date or time"));
        return accept(QStringLiteral("clock set"));
    }
    default:
        break;
    }

    if (!m_device.isWritable(code))
        return refuse(m_device.hasItem(code) ? QStringLiteral("read-only")
                                             : QStringLiteral("unknown function code"));
    const TransferGroup group = transferGroupOf(code);
    QVector<int> values;
    int first = 1;
    switch (group) {
    case TransferGroup::SingleByte:
        if (size != 1)
            return refuse(QStringLiteral("one byte expected"));
        values = {byteAt(data, 0)};
        break;
    case TransferGroup::SingleWord:
        if (size != 2)
            return refuse(QStringLiteral("one word expected"));
        values = {byteAt(data, 0) + 256 * byteAt(data, 1)};
        break;
    case TransferGroup::AddressedWord:
        if (size != 5)
            return refuse(QStringLiteral("three zero bytes and one word expected"));
        values = {byteAt(data, 3) + 256 * byteAt(data, 4)};
        break;
    default: {
        if (size < 3)
            return refuse(QStringLiteral("range bytes missing"));
        const int p1 = byteAt(data, 0);
        const int p2 = byteAt(data, 1);
        const int count = int(m_device.item(code).size());
        int n = count;
        if (p1 != 0 && p2 != 0) {
            if (p1 > p2 || p2 > count)
                return refuse(QStringLiteral("range %1..%2 outside the item").arg(p1).arg(p2));
            first = p1;
            n = p2 - p1 + 1;
        }
        const int width = group == TransferGroup::WordBlock ? 2 : 1;
        if (size != 3 + n * width)
            return refuse(QStringLiteral("%1 data bytes for %2 values").arg(size - 3).arg(n));
        for (int i = 0; i < n; ++i)
            values.append(width == 2 ? byteAt(data, 3 + 2 * i) + 256 * byteAt(data, 4 + 2 * i)
                                     : byteAt(data, 3 + i));
        break;
    }
    }
    if (!m_device.setItem(code, first, values))
        return refuse(QStringLiteral("does not fit the item"));
    return accept(QStringLiteral("write %1: %2 value(s) from %3")
                      .arg(codeText(code))
                      .arg(values.size())
                      .arg(first));
}
