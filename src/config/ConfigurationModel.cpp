#include "config/ConfigurationModel.h"

#include "base/Interaction.h"
#include "config/ConfigurationLists.h"
#include "device/DeviceData.h"

namespace {
constexpr int kExtendedIoRow = 51;
constexpr int kExtendedControllerConfigRow = 52;
constexpr int kFirstContinuousRow = 16;
constexpr int kFreeContinuousFirmware = 66; // free continuous outputs from the next version on
constexpr int kTextFeatureWarning = 452;
} // namespace

ConfigurationModel::ConfigurationModel(DeviceData& data, QObject* parent)
    : QObject(parent), m_data(data), m_image(data.image), m_id(data.identification) {
    TerminalLink.fill(Wiring::Unlinked);
    connect(&data, &DeviceData::imageReplaced, this, &ConfigurationModel::ConfigurationChanged);
}

// ---------------------------------------------------------------------------------------------
// Rows

bool ConfigurationModel::rowVisible(int i) const {
    if (i < 0 || i >= Wiring::Rows)
        return false;
    if (ExtendedView)
        return i < Wiring::ExtendedRows;
    return i < kFirstContinuousRow || m_id.FeatureA != 0;
}

bool ConfigurationModel::isContinuous(int i) const {
    return !ExtendedView && m_id.FeatureA == 2 && i >= kFirstContinuousRow;
}

int ConfigurationModel::ioNumber(int i) const {
    return ExtendedView ? i + 17 : i + 1;
}

QString ConfigurationModel::terminalCaption(int i, bool stripNumbering) const {
    if (!stripNumbering || i >= kFirstContinuousRow)
        return QString::number(ioNumber(i));
    if (ExtendedView)
        return QString::number(i + 2);
    if (m_id.ModuleVariant & 2)
        return QString::number(i < 8 ? 22 + i : 32 + (i - 8));
    return i < 8 ? QString::number(32 + i) : QStringLiteral("x.%1").arg(i - 8);
}

bool ConfigurationModel::selectable(int i) const {
    if (!rowVisible(i))
        return false;
    const Row& r = row(i);
    if (!r.special)
        return true;
    return r.direction == Direction::In && r.inputPosition < InputFunctionCount;
}

bool ConfigurationModel::fits(int terminal, int target) const {
    if (!selectable(terminal) || target < 0 || target >= Wiring::TargetCount)
        return false;
    const Row& r = row(terminal);
    if (target >= Wiring::FirstGroupLabel)
        return r.direction == Direction::In && r.special;
    if (r.special)
        return false;
    const int function = Wiring::functionOfSlot(target);
    if (function == Wiring::Input)
        return r.direction == Direction::In;
    if (r.direction == Direction::Cont)
        return function != Wiring::AlarmDirect && function != Wiring::AlarmReverse;
    return r.direction == Direction::Out;
}

QList<int> ConfigurationModel::rowsLinkedTo(int target) const {
    QList<int> rows;
    for (int i = 0; i < Wiring::Rows; ++i)
        if (rowVisible(i) && TerminalLink[size_t(i)] == target)
            rows << i;
    return rows;
}

QStringList ConfigurationModel::rowListEntries(int i) const {
    const Row& r = row(i);
    if (r.direction == Direction::In)
        return inputEntries(m_id.FirmwareVersion, r.special, m_data.texts);
    if (r.direction == Direction::Out && r.special)
        return specialOutputEntries(m_id.FirmwareVersion, m_data.texts);
    return {};
}

int ConfigurationModel::rowListPosition(int i) const {
    const Row& r = row(i);
    return r.direction == Direction::In ? r.inputPosition : r.outputPosition;
}

// ---------------------------------------------------------------------------------------------
// Views

int ConfigurationModel::imageRow() const {
    return ExtendedView ? kExtendedIoRow : IdentificationRows::IoConfiguration;
}

void ConfigurationModel::loadView(bool extended) {
    ExtendedView = extended;
    SelectedTerminal = Wiring::NoTerminal;
    const int count = extended ? Wiring::ExtendedRows : Wiring::Rows;
    for (int i = 0; i < Wiring::Rows; ++i)
        TerminalConfig[size_t(i)] = i < count ? cellByte(m_image.value(imageRow(), i + 1)) : 0;
    Redraw();
    Q_EMIT viewChanged();
}

void ConfigurationModel::LoadNormalView() {
    loadView(false);
}

void ConfigurationModel::LoadExtendedView() {
    loadView(true);
}

void ConfigurationModel::redrawRow(int i) {
    const TerminalState s =
        decodeTerminal(TerminalConfig[size_t(i)], isContinuous(i), m_id.FirmwareVersion);
    m_rows[size_t(i)] = Row{s.direction, s.special, s.outputPosition, s.inputPosition, s.mode};
    TerminalLink[size_t(i)] = rowVisible(i) ? s.link : Wiring::Unlinked;
    if (isContinuous(i))
        ContinuousMode[size_t(i - kFirstContinuousRow)] = s.continuousMode;
}

void ConfigurationModel::Redraw() {
    for (int i = 0; i < Wiring::Rows; ++i)
        redrawRow(i);
    Q_EMIT rowsChanged();
}

void ConfigurationModel::StoreTerminalByte(int i, int value) {
    TerminalConfig[size_t(i)] = value;
    m_data.setValue(imageRow(), i + 1, value);
    UpdateExternalCurrentInputs(m_id, m_image);
}

void ConfigurationModel::storeAndShow(int i, int value) {
    StoreTerminalByte(i, value);
    const TerminalState s = decodeTerminal(value, isContinuous(i), m_id.FirmwareVersion);
    Row& r = m_rows[size_t(i)];
    // An "In"/"N" row waiting for its link stores 0, which reads as an output: it keeps
    // what the user made of it.
    if (s.direction == r.direction && s.special == r.special) {
        r.mode = s.mode;
        TerminalLink[size_t(i)] = s.link;
        if (isContinuous(i))
            ContinuousMode[size_t(i - kFirstContinuousRow)] = s.continuousMode;
    } else {
        r.mode = ModeText::None;
        TerminalLink[size_t(i)] = Wiring::Unlinked;
    }
}

void ConfigurationModel::unlink(int i) {
    StoreTerminalByte(i, 0);
    Row& r = m_rows[size_t(i)];
    if (isContinuous(i) || r.direction != Direction::In || r.special) {
        redrawRow(i);
        return;
    }
    r.mode = ModeText::None;
    TerminalLink[size_t(i)] = Wiring::Unlinked;
}

ConfigurationModel::Outcome ConfigurationModel::refuse(const QString& why) {
    return Outcome{false, why};
}

// ---------------------------------------------------------------------------------------------
// Linking

ConfigurationModel::Outcome ConfigurationModel::pressTerminal(int i) {
    if (!rowVisible(i))
        return refuse(QStringLiteral("terminal row %1 is not shown").arg(i + 1));
    if (SelectedTerminal == Wiring::NoTerminal) {
        if (!selectable(i))
            return refuse(
                QStringLiteral("I/O %1 is a special function; it has no link").arg(ioNumber(i)));
        SelectedTerminal = i;
        Q_EMIT rowsChanged();
        return {};
    }
    return dropChoice(i);
}

ConfigurationModel::Outcome ConfigurationModel::releaseOnTarget(int target) {
    const int i = SelectedTerminal;
    if (i == Wiring::NoTerminal)
        return refuse(QStringLiteral("no terminal is chosen"));
    if (target < 0 || target >= Wiring::TargetCount)
        return refuse(QStringLiteral("there is no slot %1").arg(target));
    SelectedTerminal = Wiring::NoTerminal;
    const Row& r = row(i);
    if (target >= Wiring::FirstGroupLabel) {
        if (r.direction == Direction::In && r.special)
            storeAndShow(i, r.inputPosition * 16 + (target - Wiring::FirstGroupLabel) * 4 + 1);
        else
            unlink(i);
        Q_EMIT rowsChanged();
        return {};
    }
    if (!fits(i, target)) {
        Q_EMIT rowsChanged();
        const int function = Wiring::functionOfSlot(target);
        if (r.special)
            return refuse(QStringLiteral("a special input links to a group label (56..59)"));
        if (function == Wiring::Input)
            return refuse(QStringLiteral("the input slot takes an input (\"In\"), I/O %1 is an "
                                         "output")
                              .arg(ioNumber(i)));
        if (r.direction == Direction::Cont)
            return refuse(QStringLiteral("a continuous output cannot be an alarm output"));
        return refuse(QStringLiteral("slot %1 takes an output, I/O %2 is an input")
                          .arg(target)
                          .arg(ioNumber(i)));
    }
    const int channelBits = 4 * (Wiring::channelOfSlot(target) - 1);
    const int function = Wiring::functionOfSlot(target);
    int value = 0;
    if (function == Wiring::Input)
        value = std::min(r.inputPosition, InputFunctionCount - 1) * 32 + channelBits + 3;
    else if (r.direction == Direction::Cont)
        value = Wiring::outputFunctionBits(function) + channelBits + 2 +
                (ContinuousMode[size_t(i - kFirstContinuousRow)] & 1);
    else
        value = Wiring::outputFunctionBits(function) + channelBits + 2;
    storeAndShow(i, value);
    Q_EMIT rowsChanged();
    return {};
}

ConfigurationModel::Outcome ConfigurationModel::releaseOnEmpty() {
    if (SelectedTerminal == Wiring::NoTerminal)
        return refuse(QStringLiteral("no terminal is chosen"));
    return dropChoice(SelectedTerminal);
}

ConfigurationModel::Outcome ConfigurationModel::dropChoice(int i) {
    SelectedTerminal = Wiring::NoTerminal;
    if (TerminalLink[size_t(i)] != Wiring::Unlinked)
        unlink(i);
    Q_EMIT rowsChanged();
    return {};
}

ConfigurationModel::Outcome ConfigurationModel::unlinkTerminal(int i) {
    if (SelectedTerminal == Wiring::NoTerminal)
        return refuse(QStringLiteral("no terminal is chosen"));
    if (!rowVisible(i))
        return refuse(QStringLiteral("terminal row %1 is not shown").arg(i + 1));
    return dropChoice(i);
}

void ConfigurationModel::cancelSelection() {
    if (SelectedTerminal == Wiring::NoTerminal)
        return;
    SelectedTerminal = Wiring::NoTerminal;
    Q_EMIT rowsChanged();
}

// ---------------------------------------------------------------------------------------------
// Row clicks

ConfigurationModel::Outcome ConfigurationModel::reencode(int i) {
    Row& r = m_rows[size_t(i)];
    const int firmware = m_id.FirmwareVersion;
    int value = TerminalConfig[size_t(i)];
    if (r.direction == Direction::Cont) {
        const int mode = ContinuousMode[size_t(i - kFirstContinuousRow)];
        value = r.special ? freeContinuousByte(mode) : (mode != 0 ? 1 : 0);
    } else if (!r.special) {
        if (r.direction == Direction::In)
            r.inputPosition = std::min(r.inputPosition, InputFunctionCount - 1);
        value = 0;
    } else if (r.direction == Direction::Out) {
        value = specialOutputByte(r.outputPosition, firmware).value_or(value);
    } else {
        value = specialInputByte(r.inputPosition, firmware).value_or(value);
    }
    if (SelectedTerminal == i)
        SelectedTerminal = Wiring::NoTerminal;
    storeAndShow(i, value);
    Q_EMIT rowsChanged();
    return {};
}

ConfigurationModel::Outcome ConfigurationModel::toggleDirection(int i) {
    if (!rowVisible(i))
        return refuse(QStringLiteral("terminal row %1 is not shown").arg(i + 1));
    Row& r = m_rows[size_t(i)];
    if (r.direction == Direction::Cont)
        return modeClick(i);
    r.direction = r.direction == Direction::Out ? Direction::In : Direction::Out;
    return reencode(i);
}

ConfigurationModel::Outcome ConfigurationModel::toggleKind(int i) {
    if (!rowVisible(i))
        return refuse(QStringLiteral("terminal row %1 is not shown").arg(i + 1));
    Row& r = m_rows[size_t(i)];
    if (r.direction == Direction::Cont) {
        if (!r.special && m_id.FirmwareVersion <= kFreeContinuousFirmware)
            return refuse(QStringLiteral("free continuous outputs need firmware above 0x%1")
                              .arg(kFreeContinuousFirmware, 0, 16));
        ContinuousMode[size_t(i - kFirstContinuousRow)] = 0;
    }
    r.special = !r.special;
    return reencode(i);
}

ConfigurationModel::Outcome ConfigurationModel::modeClick(int i) {
    if (!rowVisible(i))
        return refuse(QStringLiteral("terminal row %1 is not shown").arg(i + 1));
    if (!isContinuous(i))
        return refuse(QStringLiteral("only a continuous output has modes to step through"));
    int& mode = ContinuousMode[size_t(i - kFirstContinuousRow)];
    mode = (mode + 1) & (row(i).special ? 3 : 1);
    return reencode(i);
}

ConfigurationModel::Outcome ConfigurationModel::chooseListEntry(int i, int position) {
    if (!rowVisible(i))
        return refuse(QStringLiteral("terminal row %1 is not shown").arg(i + 1));
    const int count = int(rowListEntries(i).size());
    if (count == 0)
        return refuse(QStringLiteral("I/O %1 shows no list").arg(ioNumber(i)));
    if (position < 0 || position >= count)
        return refuse(QStringLiteral("the list of I/O %1 has positions 0..%2")
                          .arg(ioNumber(i))
                          .arg(count - 1));
    Row& r = m_rows[size_t(i)];
    if (r.direction == Direction::In)
        r.inputPosition = position;
    else
        r.outputPosition = position;
    return reencode(i);
}

// ---------------------------------------------------------------------------------------------
// Sensors, channels, feature code

QStringList ConfigurationModel::sensorEntries() const {
    return sensorTypeEntries(m_id);
}

QString ConfigurationModel::sensorLabel(int channel) const {
    return sensorTypeLabel(channel, m_image.value(IdentificationRows::SensorType, channel), m_id);
}

int ConfigurationModel::sensorPosition(int channel) const {
    return sensorTypePosition(m_image.value(IdentificationRows::SensorType, channel), m_id);
}

ConfigurationModel::Outcome ConfigurationModel::chooseSensor(int channel, int position) {
    if (channel < 1 || channel > 8 || !channelVisible(channel))
        return refuse(QStringLiteral("there is no channel %1").arg(channel));
    const int count = sensorTypeEntryCount(m_id);
    if (position < 0 || position >= count)
        return refuse(QStringLiteral("the sensor list has positions 0..%1").arg(count - 1));
    m_data.setValue(IdentificationRows::SensorType, channel, position);
    return {};
}

bool ConfigurationModel::channelVisible(int channel) const {
    return channel <= 4 || (m_id.ModuleVariant & 2) != 0;
}

bool ConfigurationModel::extensionMarker(int channel) const {
    return channelVisible(channel) &&
           (cellByte(m_image.value(kExtendedControllerConfigRow, channel)) & 1) != 0;
}

bool ConfigurationModel::SelectFeatureCode(int entry, Interaction& interaction) {
    if (entry < 0 || entry >= FeatureCodeCount)
        return false;
    if (interaction.ask(Interaction::Icon::Critical, Interaction::Buttons::OkCancel,
                        QStringLiteral("Konfiguration"),
                        m_data.texts.LoadText(kTextFeatureWarning)) != Interaction::Answer::Ok)
        return false;
    const int before = m_id.FeatureA;
    const int attributes = cellByte(m_image.value(IdentificationRows::Attributes, 1));
    m_data.setValue(IdentificationRows::Attributes, 1, attributesForFeatureCode(attributes, entry));
    m_id.FeatureA = entry % 3;
    m_id.ModuleVariant = entry < 3 ? 3 : 2;
    if (m_id.FeatureA != before)
        for (int k = 17; k <= 20; ++k)
            m_data.setValue(IdentificationRows::IoConfiguration, k, 0);
    Q_EMIT featureCodeChosen();
    m_data.announceIdentificationChanged();
    ConfigurationChanged();
    return true;
}

void ConfigurationModel::ConfigurationChanged() {
    UpdateInputNames(m_data.table, m_data.texts, m_id);
    if (!hasTemperatureInputs(m_id))
        for (int k = 1; k <= 8; ++k) {
            const double code = m_image.value(IdentificationRows::SensorType, k);
            const int reduced = cellByte(code) & 3;
            if (code != reduced)
                m_data.setValue(IdentificationRows::SensorType, k, reduced);
        }
    UpdateExternalCurrentInputs(m_id, m_image);
    LoadNormalView();
    Q_EMIT configurationChanged();
}
