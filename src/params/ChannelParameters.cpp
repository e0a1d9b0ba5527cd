#include "params/ChannelParameters.h"

#include "base/NumberText.h"
#include "device/DeviceImage.h"
#include "device/Identification.h"

#include <algorithm>

namespace ChannelRows {

const std::array<ChannelParameterRow, Count>& rows() {
    using C = ParameterClass;
    static const std::array<ChannelParameterRow, Count> table = {{
        {0, C::Temperature, "lblTBenenn_0"},                  // setpoint
        {6, C::Temperature, "lblTBenenn_1"},                  // min. setpoint
        {7, C::Temperature, "lblTBenenn_2"},                  // max. setpoint
        {8, C::Temperature, "lblTBenenn_3"},                  // soft-start setpoint
        {3, C::Temperature, "lblTBenenn_4"},                  // setpoint 2
        {1, C::Temperature, "lblTBenenn_5"},                  // AL1 upper limit
        {2, C::Temperature, "lblTBenenn_6"},                  // AL1 lower limit
        {4, C::Temperature, "lblTBenenn_7"},                  // AL2 upper limit
        {5, C::Temperature, "lblTBenenn_8"},                  // AL2 lower limit
        {11, C::Temperature, "lblTBenenn_9", "lblminute_0"},  // ramp up
        {12, C::Temperature, "lblTBenenn_10", "lblminute_1"}, // ramp down
        {9, C::Tenths, "lblZBenenn_3"},                       // soft-start dwell time
        {13, C::Temperature, "lblTBenenn_11"},                // Pb heating
        {14, C::Temperature, "lblTBenenn_12"},                // Pb cooling
        {15, C::Temperature, "lblTBenenn_13"},                // dead band
        {16, C::Tenths, "lblZBenenn_0"},                      // delay time
        {17, C::Tenths, "lblZBenenn_1"},                      // cycle time
        {20, C::Tenths, "lblZBenenn_2"},                      // motor stroke time
        {23, C::Percent, "lblEDBenenn_0"},                    // output high limit
        {22, C::Percent, "lblEDBenenn_1"},                    // output low limit
        {19, C::Percent, "lblEDBenenn_2"},                    // soft-start output limit
        {24, C::Percent, "lblEDBenenn_3"},                    // safety output
        {18, C::Percent, "lblEDBenenn_4"},                    // positioner output
        {21, C::Percent, "lblEDBenenn_5"},                    // output offset
        {10, C::Temperature, "lblTBenenn_14"},                // measuring offset
        {25, C::Temperature, "lblTBenenn_15"},                // hysteresis
        {37, C::Tenths, "lblAVBenenn"},                       // heating current nominal value
        {38, C::DeviceTenths},                                // CT ratio
        {39, C::DeviceTenths},                                // secondary heating voltage
        {41, C::FullScale, "lblFBenenn"},                     // full-scale value
        {45, C::Temperature, "lblTBenenn_16"},                // boost
        {46, C::Tenths, "lblZBenenn_4"},                      // boost time
        {53, C::Tenths, "lblZBenenn_5"},                      // oscillation suppression
    }};
    return table;
}

bool shown(int row, int firmwareVersion) {
    switch (row) {
    case FullScale:
        return firmwareVersion > 0x10;
    case Boost:
    case BoostTime:
        return firmwareVersion >= 0x30;
    case OscillationSuppression:
        return firmwareVersion >= 0x36;
    default:
        return true;
    }
}

} // namespace ChannelRows

namespace {
constexpr int HeatingCurrentRow = 26;
constexpr int LinearMillivoltSensor = 10;
constexpr int SwitchingController = 4;

int wholeValue(const DeviceImage& image, int row, int column) {
    return int(roundHalfEven(image.value(row, column)).value_or(0));
}
} // namespace

void ChannelParameters::Changes::merge(const Changes& other) {
    for (int f : other.fields)
        if (!fields.contains(f))
            fields.append(f);
    for (const ImageCell& c : other.cells)
        if (!cells.contains(c))
            cells.append(c);
}

ChannelParameters::ChannelParameters(DeviceImage& image, const Identification& id, int channel)
    : m_image(image), m_id(id), m_channel(std::clamp(channel, 1, 8)) {}

int ChannelParameters::column(int row) const {
    return ChannelRows::rows()[size_t(row)].kind == ParameterClass::DeviceTenths ? 1 : m_channel;
}

int ChannelParameters::decimals(int row) const {
    switch (ChannelRows::rows()[size_t(row)].kind) {
    case ParameterClass::Temperature:
        return m_formats.decimalsOf(m_channel);
    case ParameterClass::Tenths:
    case ParameterClass::DeviceTenths:
        return 1;
    case ParameterClass::Percent:
        return 0;
    case ParameterClass::FullScale:
        return hasTemperatureInputs(m_id) ? 1 : 0;
    }
    return 0;
}

std::pair<qint64, qint64> ChannelParameters::limits(int row) const {
    const bool thermo = hasTemperatureInputs(m_id);
    switch (ChannelRows::rows()[size_t(row)].kind) {
    case ParameterClass::Percent:
        return {-100, 100};
    case ParameterClass::Temperature:
        // Linear modules: +-20000 raw units span the full scale, whatever the decimals.
        return thermo ? std::pair<qint64, qint64>{-32000, 32000}
                      : std::pair<qint64, qint64>{-20000, 20000};
    case ParameterClass::FullScale:
        return thermo ? std::pair<qint64, qint64>{-32000, 32000}
                      : std::pair<qint64, qint64>{1, 20000};
    case ParameterClass::DeviceTenths:
        // Shown without a sign: a ratio or a voltage is never negative.
        return {0, 32000};
    case ParameterClass::Tenths:
        // Oscillation suppression is a byte of tenths: 0..25.5 s.
        if (row == ChannelRows::OscillationSuppression)
            return {0, 255};
        return {-32000, 32000};
    }
    return {0, 0};
}

qint64 ChannelParameters::storedSigned(int row) const {
    const ChannelParameterRow& r = ChannelRows::rows()[size_t(row)];
    const double v = m_image.value(r.parameter, column(row));
    switch (r.kind) {
    case ParameterClass::Percent:
        return signedByteValue(v);
    case ParameterClass::DeviceTenths:
        return roundHalfEven(v).value_or(0);
    default:
        return signedWordValue(v);
    }
}

QString ChannelParameters::shownText(int row) const {
    return formatFixed(storedSigned(row), decimals(row));
}

void ChannelParameters::store(int row, qint64 units, Changes& changes) {
    const ChannelParameterRow& r = ChannelRows::rows()[size_t(row)];
    const bool byte = r.kind == ParameterClass::Percent;
    const std::optional<int> raw = byte ? storedByte(double(units)) : storedWord(double(units));
    if (!raw)
        return; // outside the row's limits: cannot happen after clamping
    const int c = column(row);
    if (m_image.value(r.parameter, c) == *raw &&
        m_image.cell(r.parameter, c).typeId() != QMetaType::QString)
        return;
    m_image.cell(r.parameter, c) = *raw;
    changes.cells.append({r.parameter, c});
}

void ChannelParameters::setText(int row, const QString& text, Changes& changes) {
    m_shown[size_t(row)] = text;
    if (texts[size_t(row)] == text)
        return;
    texts[size_t(row)] = text;
    if (!changes.fields.contains(row))
        changes.fields.append(row);
}

QList<ImageCell> ChannelParameters::ShowParameters() {
    QList<int> repaired;
    m_formats = SetChannelFormats(m_image, m_id, &repaired);
    for (int row = 0; row < ChannelRows::Count; ++row)
        texts[size_t(row)] = m_shown[size_t(row)] = shownText(row);
    QList<ImageCell> cells;
    for (int k : repaired)
        cells.append({FullScaleRow, k});
    return cells;
}

QString ChannelParameters::unit(int row) const {
    const ChannelParameterRow& r = ChannelRows::rows()[size_t(row)];
    const bool thermo = hasTemperatureInputs(m_id);
    const QString unitText = !thermo ? QString()
                             : (wholeValue(m_image, ChannelUnitRows::Dimension, 1) & 1) == 0
                                 ? QStringLiteral("°C")
                                 : QStringLiteral("°F");
    switch (r.kind) {
    case ParameterClass::Temperature:
        if (row == ChannelRows::Setpoint &&
            (wholeValue(m_image, ChannelUnitRows::ControllerConfiguration, m_channel) & 0x38) / 8 ==
                SwitchingController)
            return QStringLiteral("%");
        return unitText;
    case ParameterClass::Tenths:
        return row == HeatingCurrentRow ? QStringLiteral("A") : QStringLiteral("sec");
    case ParameterClass::Percent:
        return QStringLiteral("%");
    case ParameterClass::DeviceTenths:
        return {};
    case ParameterClass::FullScale:
        if (!thermo)
            return {};
        return wholeValue(m_image, ChannelUnitRows::SensorType, m_channel) == LinearMillivoltSensor
                   ? unitText
                   : QStringLiteral("%");
    }
    return {};
}

QString ChannelParameters::minuteUnit(int row) const {
    return ChannelRows::rows()[size_t(row)].minuteLabel ? QStringLiteral("/min") : QString();
}

ChannelParameters::Changes ChannelParameters::leave(int row, const QString& text) {
    Changes changes;
    texts[size_t(row)] = text;
    if (text == m_shown[size_t(row)])
        return changes; // left as it was shown: nothing to check
    const std::optional<TypedNumber> number = parseTypedNumber(text);
    if (!number)
        return changes; // kept as typed, not stored
    const auto [low, high] = limits(row);
    const qint64 units = std::clamp(number->scaled(decimals(row)), low, high);
    const qint64 before = storedSigned(row);
    store(row, units, changes);
    // The field shows what is stored now (clamped, rounded to the row's decimals).
    setText(row, shownText(row), changes);
    crossCheck(row, changes);
    if (row == ChannelRows::FullScale && !hasTemperatureInputs(m_id) && before != units)
        restoreScaledRows(changes);
    return changes;
}

void ChannelParameters::crossCheck(int row, Changes& changes) {
    using namespace ChannelRows;
    if (row > Setpoint2)
        return;
    const qint64 min = storedSigned(MinSetpoint);
    const qint64 max = storedSigned(MaxSetpoint);
    auto set = [&](int r, qint64 units) {
        store(r, units, changes);
        setText(r, shownText(r), changes);
    };
    if (row == Setpoint || row == SoftStartSetpoint || row == Setpoint2) {
        const qint64 v = storedSigned(row);
        if (v < min)
            set(row, min);
        if (storedSigned(row) > max)
            set(row, max);
    } else if (row == MinSetpoint) {
        for (int r = Setpoint; r <= Setpoint2; ++r)
            if (storedSigned(r) < min)
                set(r, min);
    } else if (row == MaxSetpoint) {
        for (int r = Setpoint; r <= Setpoint2; ++r)
            if (storedSigned(r) > max)
                set(r, max);
    }
}

void ChannelParameters::restoreScaledRows(Changes& changes) {
    // The new full-scale value sets new decimals: every temperature-like value keeps the
    // number it shows and is stored again at the new scale.
    QList<int> repaired;
    m_formats = SetChannelFormats(m_image, m_id, &repaired);
    const int d = m_formats.decimalsOf(m_channel);
    for (int row = 0; row < ChannelRows::Count; ++row) {
        if (ChannelRows::rows()[size_t(row)].kind != ParameterClass::Temperature)
            continue;
        const std::optional<TypedNumber> number = parseTypedNumber(texts[size_t(row)]);
        if (number)
            store(row, std::clamp<qint64>(number->scaled(d), -32000, 32000), changes);
    }
    for (int row = 0; row < ChannelRows::Count; ++row)
        setText(row, shownText(row), changes);
}

ChannelParameters::Changes ChannelParameters::Savepara() {
    Changes changes;
    for (int row = 0; row < ChannelRows::Count; ++row)
        if (texts[size_t(row)] != m_shown[size_t(row)])
            changes.merge(leave(row, texts[size_t(row)]));
    return changes;
}

std::optional<ChannelParameters::Changes> ChannelParameters::copyTo(const QString& targetText,
                                                                    QString* shownTarget) {
    const std::optional<TypedNumber> number = parseTypedNumber(targetText);
    if (!number || !number->fraction.isEmpty() || (number->negative && !number->whole.isEmpty()))
        return std::nullopt;
    qint64 target = number->scaled(0);
    if (target > 8) {
        target = 8;
        if (shownTarget)
            *shownTarget = QStringLiteral("8");
    }
    Changes changes = Savepara();
    const int first = target == 0 ? 1 : int(target);
    const int last = target == 0 ? 8 : int(target);
    for (const ChannelParameterRow& r : ChannelRows::rows()) {
        if (r.kind == ParameterClass::DeviceTenths)
            continue; // device-wide: the same for every channel
        const QVariant value = m_image.cell(r.parameter, m_channel);
        for (int k = first; k <= last; ++k) {
            if (k == m_channel || m_image.cell(r.parameter, k) == value)
                continue;
            m_image.cell(r.parameter, k) = value;
            changes.cells.append({r.parameter, k});
        }
    }
    return changes;
}
