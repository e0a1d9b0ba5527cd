#include "params/ChannelParameterForm.h"

#include "base/NumberText.h"
#include "device/DeviceData.h"
#include "params/ChannelFormats.h"

#include <algorithm>
#include <cmath>

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

bool ChannelUnitRows::affectsUnits(int row) {
    return row == ControllerConfiguration || row == Dimension || row == SensorType;
}

namespace {
constexpr int LinearMillivoltSensor = 10;
constexpr int SwitchingController = 4;
// Linear modules: +-20000 raw units span the full scale, whatever the decimals.
constexpr double LinearRange = 20000;
// The widest a temperature-like word may get when it is scaled up.
constexpr qint64 ScaledCap = 32000;

QList<Field> channelFields() {
    QList<Field> fields;
    for (int r = 0; r < ChannelRows::Count; ++r) {
        const ChannelParameterRow& row = ChannelRows::rows()[size_t(r)];
        Field f;
        f.name = indexedName(u"txtParameter", r);
        f.row = row.parameter;
        f.label = indexedName(u"lblParameter", r);
        for (const char* unit : {row.unitLabel, row.minuteLabel})
            if (unit)
                f.companions.append(QString::fromLatin1(unit));
        switch (row.kind) {
        case ParameterClass::Temperature:
        case ParameterClass::FullScale:
            f.display = DisplayKind::Scaled;
            break;
        case ParameterClass::DeviceTenths:
            f.columnRule = ColumnRule::Device;
            f.isSigned = false;
            f.display = DisplayKind::Tenths;
            break;
        case ParameterClass::Tenths:
            f.display = DisplayKind::Tenths;
            break;
        case ParameterClass::Percent:
            f.display = DisplayKind::Percent;
            break;
        }
        if (r >= ChannelRows::FullScale)
            f.shown = [r](const Identification& id, const DeviceImage&) {
                return ChannelRows::shown(r, id.FirmwareVersion);
            };
        fields.append(f);
    }
    return fields;
}

int wholeValue(const DeviceImage& image, int row, int column) {
    return int(roundHalfEven(image.value(row, column)).value_or(0));
}

qint64 powerOfTen(int n) {
    qint64 p = 1;
    for (int i = 0; i < n; ++i)
        p *= 10;
    return p;
}
} // namespace

ChannelParameterForm::ChannelParameterForm(DeviceData& data, QObject* parent)
    : Form(data, channelFields(), parent) {}

int ChannelParameterForm::channelDecimals() const {
    if (hasTemperatureInputs(data().identification))
        return 1;
    return fullScaleDecimals(data().image.value(FullScaleRow, channel() + 1));
}

int ChannelParameterForm::decimals(int field) const {
    if (ChannelRows::rows()[size_t(field)].kind == ParameterClass::FullScale)
        return hasTemperatureInputs(data().identification) ? 1 : 0;
    return channelDecimals();
}

Form::Limits ChannelParameterForm::limits(int field) const {
    const bool thermo = hasTemperatureInputs(data().identification);
    switch (ChannelRows::rows()[size_t(field)].kind) {
    case ParameterClass::Percent:
        return {-100, 100};
    case ParameterClass::Temperature: {
        if (thermo)
            return {-3200, 3200};
        const double range = LinearRange / double(powerOfTen(channelDecimals()));
        return {-range, range};
    }
    case ParameterClass::FullScale:
        return thermo ? Limits{-3200, 3200} : Limits{1, LinearRange};
    case ParameterClass::DeviceTenths:
        // Shown without a sign: a ratio or a voltage is never negative.
        return {0, 3200};
    case ParameterClass::Tenths:
        // Oscillation suppression is a byte of tenths.
        if (field == ChannelRows::OscillationSuppression)
            return {0, 25.5};
        return {-3200, 3200};
    }
    return {};
}

qint64 ChannelParameterForm::signedValue(int field) const {
    const double v = raw(field);
    switch (ChannelRows::rows()[size_t(field)].kind) {
    case ParameterClass::Percent:
        return signedByteValue(v);
    case ParameterClass::DeviceTenths:
        return roundHalfEven(v).value_or(0);
    default:
        return signedWordValue(v);
    }
}

void ChannelParameterForm::storeSigned(int field, qint64 units) {
    const bool byte = ChannelRows::rows()[size_t(field)].kind == ParameterClass::Percent;
    if (const std::optional<int> stored =
            byte ? storedByte(double(units)) : storedWord(double(units)))
        storeRaw(field, *stored);
}

void ChannelParameterForm::beforeEdit(int) {
    m_decimalsBeforeEdit = channelDecimals();
}

void ChannelParameterForm::afterEdit(int field) {
    crossCheck(field);
    const int before = m_decimalsBeforeEdit;
    const int after = channelDecimals();
    if (field != ChannelRows::FullScale || before == after)
        return;
    // A new full scale: every temperature-like value keeps the number it showed and is stored
    // again with the new decimals (fewer decimals round, more are capped at the word's range).
    for (int r = 0; r < ChannelRows::Count; ++r) {
        if (ChannelRows::rows()[size_t(r)].kind != ParameterClass::Temperature)
            continue;
        const qint64 s = signedValue(r);
        const qint64 units =
            after > before
                ? std::clamp(s * powerOfTen(after - before), -ScaledCap, ScaledCap)
                : roundHalfEven(double(s) / double(powerOfTen(before - after))).value_or(0);
        storeSigned(r, units);
    }
}

void ChannelParameterForm::crossCheck(int field) {
    using namespace ChannelRows;
    if (field > Setpoint2)
        return;
    const qint64 min = signedValue(MinSetpoint);
    const qint64 max = signedValue(MaxSetpoint);
    if (field == Setpoint || field == SoftStartSetpoint || field == Setpoint2) {
        if (signedValue(field) < min)
            storeSigned(field, min);
        if (signedValue(field) > max)
            storeSigned(field, max);
    } else if (field == MinSetpoint) {
        for (int r = Setpoint; r <= Setpoint2; ++r)
            if (signedValue(r) < min)
                storeSigned(r, min);
    } else {
        for (int r = Setpoint; r <= Setpoint2; ++r)
            if (signedValue(r) > max)
                storeSigned(r, max);
    }
}

QList<int> ChannelParameterForm::fieldsShowing(int row, int column) const {
    QList<int> fields = Form::fieldsShowing(row, column);
    // Every temperature-like value is shown with the decimals of the full-scale value.
    if (row == FullScaleRow && column == channel() + 1)
        for (int r = 0; r < ChannelRows::Count; ++r)
            if (ChannelRows::rows()[size_t(r)].kind == ParameterClass::Temperature)
                fields.append(r);
    return fields;
}

QString ChannelParameterForm::unit(int row) const {
    const DeviceImage& image = data().image;
    const int column = channel() + 1;
    const bool thermo = hasTemperatureInputs(data().identification);
    const QString unitText = !thermo ? QString()
                             : (wholeValue(image, ChannelUnitRows::Dimension, 1) & 1) == 0
                                 ? QStringLiteral("°C")
                                 : QStringLiteral("°F");
    switch (ChannelRows::rows()[size_t(row)].kind) {
    case ParameterClass::Temperature:
        if (row == ChannelRows::Setpoint &&
            (wholeValue(image, ChannelUnitRows::ControllerConfiguration, column) & 0x38) / 8 ==
                SwitchingController)
            return QStringLiteral("%");
        return unitText;
    case ParameterClass::Tenths:
        return row == ChannelRows::HeatingCurrent ? QStringLiteral("A") : QStringLiteral("sec");
    case ParameterClass::Percent:
        return QStringLiteral("%");
    case ParameterClass::DeviceTenths:
        return {};
    case ParameterClass::FullScale:
        if (!thermo)
            return {};
        return wholeValue(image, ChannelUnitRows::SensorType, column) == LinearMillivoltSensor
                   ? unitText
                   : QStringLiteral("%");
    }
    return {};
}

QString ChannelParameterForm::minuteUnit(int row) const {
    return ChannelRows::rows()[size_t(row)].minuteLabel ? QStringLiteral("/min") : QString();
}

void ChannelParameterForm::repairFullScale() {
    SetChannelFormats(data());
}

std::optional<int> ChannelParameterForm::copyTarget(const QString& text) {
    const std::optional<double> v = strictNumber(text);
    if (!v || *v < 0 || *v != std::floor(*v))
        return std::nullopt;
    return int(std::min(*v, 8.0));
}

std::optional<QList<int>> ChannelParameterForm::copyTo(const QString& targetText) {
    const std::optional<int> target = copyTarget(targetText);
    if (!target || data().gate().imageLocked())
        return std::nullopt;
    QList<int> targets;
    for (int k = 1; k <= 8; ++k)
        if (*target == 0 || *target == k)
            targets.append(k);
    const int own = channel() + 1;
    for (const ChannelParameterRow& r : ChannelRows::rows()) {
        if (r.kind == ParameterClass::DeviceTenths)
            continue; // device-wide: the same for every channel
        const QVariant value = data().image.cell(r.parameter, own);
        for (int k : targets)
            if (k != own)
                data().setCell(r.parameter, k, value);
    }
    return targets;
}
