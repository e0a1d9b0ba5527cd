#include "device/LineScan.h"

#include "device/DeviceServices.h"
#include "device/OperationGate.h"
#include "i18n/StringTable.h"
#include "link/Link.h"
#include "link/PortSettings.h"
#include "link/SerialPort.h"
#include "link/Telegram.h"

#include <algorithm>
#include <utility>

namespace {
constexpr int kCodeFirmware = 53;
constexpr int kCodeAttributes = 49;
constexpr int kSingleByteReply = 10;
constexpr int kRequestBytes = 9; // a read without data
// Before the probes the preparation frames are sent with the start-up firmware value, which
// includes every protocol the controller might have been switched to.
constexpr int kUnknownFirmware = 0x99;

QString settingsTextOf(const QString& baud, const QString& parity) {
    return baud + u',' + parity + QStringLiteral(",8,1");
}

// The value byte of a single-byte reply.
int replyValue(const Link& link) {
    return link.ReplyBytes[8];
}
} // namespace

QString ScanFind::lineText() const {
    const QStringList parts = settingsText.split(u',');
    return parts.mid(0, 2).join(u',');
}

QStringList scanSettingsOrder(const QString& present, bool all) {
    SerialLineSettings line;
    QStringList order;
    if (parseSettingsText(present, &line))
        order << settingsTextOf(QString::number(line.baud),
                                QString(QChar::fromLatin1(line.parity)));
    if (!all)
        return order.isEmpty() ? QStringList{QStringLiteral("19200,e,8,1")} : order;
    const auto add = [&order](const QString& baud, const QString& parity) {
        const QString text = settingsTextOf(baud, parity);
        if (!order.contains(text))
            order << text;
    };
    add(QStringLiteral("19200"), QStringLiteral("e"));
    // The baud rates already tried, with the other parities; then the others, fastest first.
    QStringList bauds;
    for (const QString& text : std::as_const(order))
        if (!bauds.contains(text.section(u',', 0, 0)))
            bauds << text.section(u',', 0, 0);
    for (qsizetype i = baudRates().size() - 1; i >= 0; --i)
        if (!bauds.contains(baudRates()[i]))
            bauds << baudRates()[i];
    for (const QString& baud : std::as_const(bauds))
        for (const QString& parity : parityCodes())
            add(baud, parity);
    return order;
}

int scanTimeoutMs(int baud) {
    const int bytes = kRequestBytes + kSingleByteReply;
    return 50 + 2 * (bytes * 11 * 1000 + baud - 1) / std::max(1, baud);
}

QString lineScanName(const Texts& texts) {
    static const char* const text[] = {"Leitung absuchen", "Scan the line", "Balayer la ligne",
                                       "Scansione della linea"};
    return texts.inLanguage(text);
}

LineScan::LineScan(Link& link, OperationGate& gate, const Texts& texts, QObject* parent)
    : QObject(parent), m_link(link), m_gate(gate), m_texts(texts) {}

bool LineScan::prepare(const ScanRange& range) {
    // Once per line setting: the return frames of the foreign protocols, the HB-Therm one for
    // each of its addresses 1..9 in the range.
    QByteArrayList frames = prepareLinkFrames(kUnknownFirmware, 0);
    for (int address = std::max(1, range.firstAddress); address <= std::min(9, range.lastAddress);
         ++address)
        frames << prepareLinkFrames(kUnknownFirmware, address).last();
    for (const QByteArray& frame : std::as_const(frames)) {
        if (m_cancelled || !m_link.portReady())
            return false;
        m_link.writeRaw(frame);
        m_link.Pause();
    }
    m_link.discardInput();
    return !m_cancelled;
}

LineScan::Outcome LineScan::run(const ScanRange& range, const QString& presentSettings) {
    const OperationGate::Ticket ticket = m_gate.enter(lineScanName(m_texts));
    if (!ticket)
        return Outcome::Busy;
    m_finds.clear();
    m_cancelled = false;
    SerialPort* port = m_link.port();
    if (!port || !m_link.portReady())
        return Outcome::Failed;
    m_running = true;
    const int first = std::clamp(range.firstAddress, 0, 255);
    const int last = std::clamp(range.lastAddress, first, 255);
    const QStringList settings = scanSettingsOrder(presentSettings, range.allSettings);
    const int total = int(settings.size()) * (last - first + 1);
    int done = 0;
    Outcome outcome = Outcome::Done;
    int refused = 0;
    QString current = presentSettings;
    for (const QString& text : settings) {
        if (text != current && !port->setSettings(text)) {
            // A setting the adapter refuses (space parity, say): its probes are skipped. A port
            // that could not be opened again with it is closed and lost: the scan ends.
            ++refused;
            done += last - first + 1;
            if (port->isOpen())
                continue;
        }
        current = text;
        if (!m_link.portReady()) {
            outcome = Outcome::Failed;
            break;
        }
        if (!prepare({first, last, range.allSettings, range.timeoutMs})) {
            outcome = m_cancelled ? Outcome::Cancelled : Outcome::Failed;
            break;
        }
        SerialLineSettings line;
        parseSettingsText(text, &line);
        const int timeout = range.timeoutMs > 0 ? range.timeoutMs : scanTimeoutMs(line.baud);
        for (int address = first; address <= last && outcome == Outcome::Done; ++address) {
            if (m_cancelled) {
                outcome = Outcome::Cancelled;
                break;
            }
            if (!m_link.portReady()) {
                outcome = Outcome::Failed;
                break;
            }
            Q_EMIT progress(done, total, address, text);
            ++done;
            const quint8 a = quint8(address);
            if (!m_link.Probe(Telegram::buildLong(Telegram::ReadControl, a, kCodeFirmware, {}),
                              kSingleByteReply, timeout))
                continue;
            ScanFind find;
            find.address = address;
            find.settingsText = text;
            find.firmware = replyValue(m_link);
            if (m_link.Probe(Telegram::buildLong(Telegram::ReadControl, a, kCodeAttributes, {}),
                             kSingleByteReply, timeout))
                find.attributes = replyValue(m_link);
            m_finds << find;
            Q_EMIT found(find);
        }
        if (outcome != Outcome::Done)
            break;
    }
    if (refused == settings.size())
        outcome = Outcome::Failed;
    if (current != presentSettings && !port->setSettings(presentSettings))
        outcome = Outcome::Failed;
    m_link.CommError = false;
    m_running = false;
    if (outcome == Outcome::Done)
        Q_EMIT progress(total, total, last, settings.last());
    return outcome;
}
