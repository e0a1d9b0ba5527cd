#include "services/ExtraFunctions.h"

#include "base/Interaction.h"
#include "device/DeviceData.h"
#include "device/DeviceServices.h"
#include "link/Link.h"
#include "link/Telegram.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <functional>

namespace {
constexpr int kCodeAttributes = 0x31;
constexpr int kCodeOperation = 0x32;
constexpr int kCodeSwitchPrepare = 0x3C;
constexpr int kCodeClock = 0x90;
constexpr int kCodeInterface = 0xA0;
constexpr int kCodeCanBaud = 0xA1;
constexpr int kCodeModbusAddress = 0xA2;
constexpr int kCodeProtocolSelect = 0xD0;
constexpr quint8 kResetControl = 0x44;

constexpr int kTextCaution = 425;

constexpr int kClockMinimum[6] = {0, 0, 0, 1, 1, 2000};
constexpr int kClockMaximum[6] = {59, 59, 23, 31, 12, 2099};
} // namespace

bool transferRunning(int status) {
    return status == OperationStatus::ToChannelDbs || status == OperationStatus::ToParamDb;
}

QString operationStatusText(int status) {
    switch (status) {
    case OperationStatus::Mapping:
        return QStringLiteral("mapping running");
    case OperationStatus::ToChannelDbs:
        return QStringLiteral("transfer to channel DBs running");
    case OperationStatus::ToParamDb:
        return QStringLiteral("transfer to ParamDB running");
    default:
        return QStringLiteral("idle");
    }
}

BusProtocol protocolFor(int firmware, int attributes) {
    if (firmware > 0x2A && (attributes & 0x04) == 0x04)
        return firmware > 0x40 && (attributes & 0x06) == 0x06 ? BusProtocol::HbTherm
                                                              : BusProtocol::Q8100;
    return BusProtocol::Modbus;
}

QString protocolCaption(BusProtocol protocol) {
    switch (protocol) {
    case BusProtocol::Q8100:
        return QStringLiteral("Q8100-Prot.");
    case BusProtocol::HbTherm:
        return QStringLiteral("HB-Therm");
    case BusProtocol::Modbus:
        break;
    }
    return QStringLiteral("Modbus");
}

int protocolToolTipText(BusProtocol protocol) {
    switch (protocol) {
    case BusProtocol::Q8100:
        return 423;
    case BusProtocol::HbTherm:
        return 427;
    case BusProtocol::Modbus:
        break;
    }
    return 426;
}

const QStringList& interfaceBaudTexts() {
    static const QStringList texts = {QStringLiteral("4800"), QStringLiteral("9600"),
                                      QStringLiteral("19200"), QStringLiteral("38400")};
    return texts;
}

const QStringList& interfaceParityTexts() {
    static const QStringList texts = {QStringLiteral("even"), QStringLiteral("odd"),
                                      QStringLiteral("none"), QStringLiteral("space")};
    return texts;
}

int interfaceByte(int baudIndex, int parityIndex) {
    return baudIndex + 16 * parityIndex;
}

int interfaceBaudIndexOf(const QString& settingsText) {
    return int(interfaceBaudTexts().indexOf(settingsText.section(u',', 0, 0)));
}

int interfaceParityIndexOf(const QString& settingsText) {
    const qsizetype comma = settingsText.indexOf(u',');
    if (comma < 0 || comma + 1 >= settingsText.size())
        return -1;
    switch (settingsText.at(comma + 1).unicode()) {
    case u'e':
        return 0;
    case u'o':
        return 1;
    case u's':
        return 3;
    case u'n':
        return 2;
    default:
        return -1;
    }
}

const QStringList& canBaudTexts() {
    static const QStringList texts = {
        QStringLiteral("10 k"),  QStringLiteral("20 k"),  QStringLiteral("50 k"),
        QStringLiteral("100 k"), QStringLiteral("125 k"), QStringLiteral("250 k"),
        QStringLiteral("500 k"), QStringLiteral("800 k"), QStringLiteral("1  M")};
    return texts;
}

int canBaudIndexOf(int replyValue) {
    return std::min(replyValue & 31, 8);
}

ExtraLayout extraLayout(int v, int attributes) {
    ExtraLayout l;
    const bool fixedInterface = v >= 0x46 && v <= 0x50;
    l.interfaceGroup = !fixedInterface;
    l.parityGroup = v < 0x46;
    for (int i = 0; i < 4; ++i)
        l.baudEnabled[size_t(i)] = interfaceOffers(v, i, 0);
    const bool canOpen = (attributes & 0x10) == 0;
    l.canGroup = canOpen;
    l.transferButtons = !canOpen && v > 0x48;
    l.mapping = v >= 0x20;
    l.clock = v >= 0x32;
    l.heatingCurrent = v >= 0x30;
    l.readsModbusAddress = v >= 0x44;
    return l;
}

bool interfaceOffers(int v, int baudIndex, int parityIndex) {
    if (baudIndex < 0 || baudIndex > 3 || parityIndex < 0 || parityIndex > 3)
        return false;
    if (v >= 0x46 && v <= 0x50)
        return false; // these controllers take their interface from the configuration only
    if (v > 0x50)
        return baudIndex == 1 || baudIndex == 2;
    return true;
}

ClockBuffer clockFromDateTime(const QDateTime& when) {
    const QDate d = when.date();
    const QTime t = when.time();
    return {t.second(), t.minute(), t.hour(), d.day(), d.month(), d.year() % 100};
}

ClockBuffer clockFromReply(const std::array<int, 201>& r) {
    ClockBuffer c;
    for (int i = 0; i < 6; ++i)
        c[size_t(i)] = r[size_t(11 + i)];
    // A controller whose clock never ran reports day and month 0.
    c[3] = std::max(c[3], 1);
    c[4] = std::max(c[4], 1);
    return c;
}

int clockFieldMinimum(int field) {
    return kClockMinimum[field];
}

int clockFieldMaximum(int field) {
    return kClockMaximum[field];
}

QString clockFieldText(const ClockBuffer& clock, int field) {
    const int v = clock[size_t(field)];
    if (field == 5)
        return QString::number(2000 + v);
    if (field <= 1)
        return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0'));
    return QString::number(v);
}

void setClockField(ClockBuffer& clock, int field, double typed) {
    const double limited = std::clamp(std::isfinite(typed) ? std::trunc(typed) : 0.0,
                                      double(kClockMinimum[field]), double(kClockMaximum[field]));
    clock[size_t(field)] = int(limited) - (field == 5 ? 2000 : 0);
}

ClockBuffer sendableClock(const ClockBuffer& clock) {
    ClockBuffer c;
    for (int i = 0; i < 6; ++i) {
        const int offset = i == 5 ? 2000 : 0;
        c[size_t(i)] =
            std::clamp(clock[size_t(i)] + offset, kClockMinimum[i], kClockMaximum[i]) - offset;
    }
    c[3] = std::min(c[3], QDate(2000 + c[5], c[4], 1).daysInMonth());
    return c;
}

QString clockText(const ClockBuffer& c) {
    return QStringLiteral("%1-%2-%3 %4:%5:%6")
        .arg(2000 + c[5])
        .arg(c[4], 2, 10, QLatin1Char('0'))
        .arg(c[3], 2, 10, QLatin1Char('0'))
        .arg(c[2], 2, 10, QLatin1Char('0'))
        .arg(c[1], 2, 10, QLatin1Char('0'))
        .arg(c[0], 2, 10, QLatin1Char('0'));
}

std::optional<ClockBuffer> clockFromText(const QString& text) {
    static const QRegularExpression form(
        QStringLiteral("^(\\d{4})-(\\d{1,2})-(\\d{1,2})T(\\d{1,2}):(\\d{1,2}):(\\d{1,2})$"));
    const QRegularExpressionMatch m = form.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    ClockBuffer c{};
    // Captures in text order: year, month, day, hours, minutes, seconds.
    static constexpr int kFieldOfCapture[7] = {-1, 5, 4, 3, 2, 1, 0};
    for (int capture = 1; capture <= 6; ++capture)
        setClockField(c, kFieldOfCapture[capture], m.captured(capture).toInt());
    return c;
}

// ---------------------------------------------------------------------------------------------

ExtraFunctions::ExtraFunctions(DeviceServices& services, DeviceData& data, Interaction& interaction,
                               QObject* parent)
    : QObject(parent), m_services(services), m_link(services.link()), m_data(data),
      m_interaction(interaction) {}

bool ExtraFunctions::sent() const {
    return !m_link.CommError;
}

std::optional<int> ExtraFunctions::readByte(int code) {
    m_services.ReadRequest(code);
    if (m_link.CommError || m_link.ReplyBytes[7] != code)
        return std::nullopt;
    return m_link.ReplyBytes[8];
}

std::optional<int> ExtraFunctions::readAttributes() {
    const std::optional<int> attributes = readByte(kCodeAttributes);
    if (attributes)
        m_data.setValue(IdentificationRows::Attributes, 1, *attributes);
    return attributes;
}

ExtraFindings ExtraFunctions::activate() {
    const int v = m_data.identification.FirmwareVersion;
    ExtraFindings f;
    m_services.PrepareLink();
    f.attributes = readAttributes();
    const int attributes = int(m_data.image.value(IdentificationRows::Attributes, 1));
    const ExtraLayout layout = extraLayout(v, attributes);
    const std::function<void()> reads[] = {
        [&] {
            if (layout.transferButtons)
                f.transferStatus = pollOperationStatus();
        },
        [&] {
            if (layout.readsModbusAddress)
                f.modbusAddress = readByte(kCodeModbusAddress);
        },
        [&] {
            if (layout.mapping && m_services.RefreshMappingState())
                f.mappingActive = m_services.MappingActive == 1;
        },
        [&] {
            if (const std::optional<int> can = readByte(kCodeCanBaud))
                f.canBaudIndex = canBaudIndexOf(*can);
        },
        [&] {
            if (!layout.clock)
                return;
            m_services.ReadRequest(kCodeClock, 0, 0, 0);
            if (!m_link.CommError && m_link.ReplyBytes[7] == kCodeClock)
                f.clock = clockFromReply(m_link.ReplyBytes);
        },
    };
    // A controller that has stopped answering is not asked the rest: the user is told once.
    for (const std::function<void()>& read : reads) {
        if (!m_link.replyReceived())
            break;
        read();
    }
    return f;
}

bool ExtraFunctions::setInterface(int baudIndex, int parityIndex) {
    m_services.PrepareLink();
    m_services.SendCommand(kCodeInterface,
                           QByteArray(1, char(interfaceByte(baudIndex, parityIndex))));
    return sent();
}

bool ExtraFunctions::setCanBaud(int index) {
    m_services.PrepareLink();
    m_services.SendCommand(kCodeCanBaud, QByteArray(1, char(index)));
    return sent();
}

std::optional<int> ExtraFunctions::readCanBaud() {
    m_services.PrepareLink();
    const std::optional<int> value = readByte(kCodeCanBaud);
    return value ? std::optional<int>(canBaudIndexOf(*value)) : std::nullopt;
}

bool ExtraFunctions::switchProtocol(BusProtocol protocol) {
    m_services.SendCommand(kCodeSwitchPrepare, QByteArray(1, '\0'));
    const QByteArray select = QByteArray::fromHex("7D050001") + char(protocol);
    m_services.SendCommand(kCodeProtocolSelect, select);
    return sent();
}

std::optional<ClockBuffer> ExtraFunctions::readClock() {
    m_services.PrepareLink();
    m_services.ReadRequest(kCodeClock, 0, 0, 0);
    if (m_link.CommError || m_link.ReplyBytes[7] != kCodeClock)
        return std::nullopt;
    return clockFromReply(m_link.ReplyBytes);
}

std::optional<ClockBuffer> ExtraFunctions::setClock(const ClockBuffer& clock) {
    const ClockBuffer c = sendableClock(clock);
    QByteArray data(3, '\0');
    for (int b : c)
        data.append(char(b));
    m_services.PrepareLink();
    m_services.SendCommand(kCodeClock, data);
    return sent() ? std::optional<ClockBuffer>(c) : std::nullopt;
}

void ExtraFunctions::reset() {
    Q_EMIT monitoringStopRequested();
    m_services.PrepareLink();
    m_link.writeRaw(Telegram::buildShort(kResetControl, quint8(m_link.DeviceAddress & 0xFF)));
    m_link.Pause();
    m_link.discardInput();
}

bool ExtraFunctions::command(OperationCommand command) {
    m_services.PrepareLink();
    m_services.SendCommand(kCodeOperation, QByteArray(1, char(command)));
    return sent();
}

ExtraFunctions::MappingOutcome ExtraFunctions::toggleMapping() {
    if (m_interaction.ask(Interaction::Icon::Critical, Interaction::Buttons::OkCancel,
                          QStringLiteral("Mapping"),
                          m_data.texts.LoadText(kTextCaution)) != Interaction::Answer::Ok)
        return MappingOutcome::Cancelled;
    m_services.PrepareLink();
    m_services.SendCommand(kCodeOperation, QByteArray(1, char(OperationCommand::Mapping)));
    const bool commanded = sent();
    const bool known = m_services.RefreshMappingState();
    const bool running = known && m_services.MappingActive == 1;
    if (running)
        Q_EMIT mappingStarted();
    if (!commanded || !known)
        return MappingOutcome::Failed;
    return running ? MappingOutcome::Started : MappingOutcome::Stopped;
}

bool ExtraFunctions::startTransfer(OperationCommand transfer) {
    Q_EMIT monitoringStopRequested();
    return command(transfer);
}

std::optional<int> ExtraFunctions::pollOperationStatus() {
    if (!m_services.QueryOperationStatus())
        return std::nullopt;
    return m_services.OpStatus;
}

std::optional<int> ExtraFunctions::waitWhileTransferRuns() {
    std::optional<int> status = pollOperationStatus();
    while (status && transferRunning(*status)) {
        if (!m_link.Wait(TransferPollMs))
            return std::nullopt;
        status = pollOperationStatus();
    }
    return status;
}
