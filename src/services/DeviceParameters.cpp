#include "services/DeviceParameters.h"

#include "base/NumberText.h"
#include "device/DeviceImage.h"
#include "device/RowCodec.h"
#include "i18n/StringTable.h"

#include <cmath>

namespace {
constexpr int kRowCtRatio = 38;
constexpr qint64 kTenthsLimit = 32000; // 3200.0
constexpr qint64 kPercentLimit = 100;
constexpr double kPowerStep = 12.5;

std::array<DeviceField, DeviceFieldCount> buildFields() {
    std::array<DeviceField, DeviceFieldCount> f;
    for (int k = 0; k < 8; ++k) {
        f[size_t(k)] = {47, k + 1, DeviceFieldKind::HeatingCurrent, "A"};
        f[size_t(k + 8)] = {48, k + 1, DeviceFieldKind::HeatingCurrent, "A"};
    }
    f[16] = {kRowCtRatio, 1, DeviceFieldKind::Tenths, "A / 1A"};
    f[17] = {39, 1, DeviceFieldKind::Tenths, "V"};
    f[18] = {49, 1, DeviceFieldKind::SamplingTime, "s"};
    f[19] = {43, 1, DeviceFieldKind::Tenths, "s"};
    f[20] = {44, 1, DeviceFieldKind::LoggerControl, ""};
    f[21] = {54, 1, DeviceFieldKind::PowerLimitation, "%"};
    f[22] = {55, 1, DeviceFieldKind::Threshold, "%"};
    return f;
}

qint64 whole(double v) {
    return roundHalfEven(v).value_or(0);
}

QString tenthsText(double value) {
    return formatFixed(whole(value), 1);
}
} // namespace

const DeviceField& deviceField(int field) {
    static const std::array<DeviceField, DeviceFieldCount> fields = buildFields();
    return fields.at(size_t(field));
}

QString deviceFieldText(const DeviceImage& image, int field) {
    const DeviceField& f = deviceField(field);
    const double v = image.value(f.row, f.column);
    switch (f.kind) {
    case DeviceFieldKind::HeatingCurrent:
    case DeviceFieldKind::Tenths:
        return tenthsText(v);
    case DeviceFieldKind::SamplingTime:
        return v == 0 ? QStringLiteral("Auto") : tenthsText(v);
    case DeviceFieldKind::LoggerControl:
        return (qint64(v) & 1) ? QStringLiteral("1 = Stop") : QStringLiteral("0 = Run");
    case DeviceFieldKind::PowerLimitation:
        return v < 1 || v > 100 ? QStringLiteral("Off") : QString::number(whole(v));
    case DeviceFieldKind::Threshold:
        return v < 1 || v > 100 ? QStringLiteral("Default") : QString::number(whole(v));
    }
    return {};
}

std::optional<double> deviceFieldValue(const DeviceImage& image, int field, const QString& typed) {
    const DeviceField& f = deviceField(field);
    const double old = image.value(f.row, f.column);
    const std::optional<TypedNumber> number = parseTypedNumber(typed);
    switch (f.kind) {
    case DeviceFieldKind::LoggerControl: {
        if (!number)
            return std::nullopt;
        const qint64 bit = number->scaled(0) & 1;
        return double((whole(old) & ~qint64(1)) | bit);
    }
    case DeviceFieldKind::HeatingCurrent:
    case DeviceFieldKind::Tenths:
        if (!number)
            return std::nullopt;
        break;
    case DeviceFieldKind::SamplingTime:
    case DeviceFieldKind::PowerLimitation:
    case DeviceFieldKind::Threshold:
        if (!number)
            return 0.0; // "Auto", "Off", "Default"
        break;
    }
    qint64 stored = 0;
    switch (f.kind) {
    case DeviceFieldKind::HeatingCurrent:
        stored = std::min(number->scaled(1), whole(image.value(kRowCtRatio, 1) / 4.0));
        break;
    case DeviceFieldKind::Tenths:
    case DeviceFieldKind::SamplingTime:
        stored = std::min(number->scaled(1), kTenthsLimit);
        break;
    case DeviceFieldKind::PowerLimitation: {
        const double k =
            std::clamp(std::floor((number->value() + kPowerStep / 2) / kPowerStep), 0.0, 8.0);
        stored = qint64(std::floor(k * kPowerStep));
        break;
    }
    case DeviceFieldKind::Threshold:
        stored = std::min(number->scaled(0), kPercentLimit);
        break;
    case DeviceFieldKind::LoggerControl:
        break;
    }
    return double(std::max<qint64>(stored, 0));
}

DeviceLayout deviceLayout(int v, bool temperature, bool externalCurrentInputs) {
    DeviceLayout l;
    const bool heatingCurrents = v >= 0x32 && externalCurrentInputs;
    for (int i = 0; i < 16; ++i)
        l.field[size_t(i)] = heatingCurrents;
    l.heatingCurrentHeadings = heatingCurrents;
    l.field[16] = temperature;
    l.field[17] = temperature;
    l.field[18] = temperature && v >= 0x32;
    l.field[19] = v >= 0x28;
    l.field[20] = v >= 0x41;
    l.field[21] = v >= 0x37;
    l.field[22] = v >= 0x53;
    l.temperatureUnit = temperature;
    l.masterPdo = v > 0x42;
    l.ampsNotZero = temperature && v >= 0x46;
    l.noFunctionStore = v > 0x50;
    return l;
}

QString deviceFieldLabel(const Texts& texts, int field) {
    if (field < 16)
        return texts.LoadText(254) + u' ' + QString::number(field % 8 + 1);
    static constexpr int kTexts[] = {138, 139, 149, 143, 144, 524, 516};
    return texts.LoadText(kTexts[field - 16]);
}

int dimensionByte(const DeviceImage& image) {
    return int(image.value(DimensionRow, 1));
}

bool dimensionBitAllowed(int dimension, int bit, bool on) {
    const int next = on ? dimension | bit : dimension & ~bit;
    return next == dimension || dimensionSendable(next);
}

bool setDimensionBit(DeviceImage& image, int bit, bool on) {
    const int dimension = dimensionByte(image);
    if (!dimensionBitAllowed(dimension, bit, on))
        return false;
    const int next = on ? dimension | bit : dimension & ~bit;
    if (next != dimension)
        image.setValue(DimensionRow, 1, next);
    return true;
}
