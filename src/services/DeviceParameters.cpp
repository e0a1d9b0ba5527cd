#include "services/DeviceParameters.h"

#include "base/NumberText.h"
#include "device/DeviceData.h"
#include "device/RowCodec.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr int kRowCtRatio = 38;
constexpr double kTenthsLimit = 3200;
constexpr double kPercentLimit = 100;
constexpr double kPowerStep = 12.5;

enum TextField {
    CtRatio = 16,
    HeatingVoltage,
    SamplingTime,
    LoggerCycle,
    LoggerControl,
    PowerLimitation,
    Threshold
};

FieldRule heatingCurrentsWired() {
    return [](const Identification& id, const DeviceImage&) {
        return id.FirmwareVersion >= 0x32 && id.ExternalCurrentInputs;
    };
}

Field textField(int i, int row, DisplayKind display, FieldRule shown, int caption) {
    Field f;
    f.name = indexedName(u"txtDevice", i);
    f.row = row;
    f.columnRule = ColumnRule::Device;
    f.display = display;
    f.isSigned = false;
    f.shown = std::move(shown);
    f.caption = caption;
    f.label = indexedName(u"lblDevice", i);
    f.companions = {indexedName(u"lblAmps", i)};
    return f;
}

Field dimensionSwitch(const char* name, int mask, FieldRule shown, int caption) {
    Field f;
    f.name = QString::fromLatin1(name);
    f.row = DimensionRow;
    f.columnRule = ColumnRule::Device;
    f.display = mask == 0x01 ? DisplayKind::BitField : DisplayKind::Bit;
    f.mask = quint32(mask);
    f.shown = std::move(shown);
    f.caption = caption;
    return f;
}

QList<Field> deviceFields() {
    QList<Field> fields;
    for (int i = 0; i < 16; ++i) {
        Field f = textField(i, i < 8 ? 47 : 48, DisplayKind::Tenths, heatingCurrentsWired(), 0);
        f.columnRule = ColumnRule::Fixed;
        f.column = i % 8 + 1;
        // The headings above the two columns of currents go with them.
        if (i % 8 == 0)
            f.companions.append(indexedName(u"lblHUE", i / 8));
        fields.append(f);
    }
    fields.append(textField(CtRatio, kRowCtRatio, DisplayKind::Tenths, temperatureInputs(), 138));
    fields.append(textField(HeatingVoltage, 39, DisplayKind::Tenths, temperatureInputs(), 139));
    fields.append(textField(SamplingTime, 49, DisplayKind::Tenths,
                            allOf(temperatureInputs(), firmwareAtLeast(0x32)), 149));
    fields.append(textField(LoggerCycle, 43, DisplayKind::Tenths, firmwareAtLeast(0x28), 143));
    fields.append(textField(LoggerControl, 44, DisplayKind::Word, firmwareAtLeast(0x41), 144));
    fields.append(textField(PowerLimitation, 54, DisplayKind::Word, firmwareAtLeast(0x37), 524));
    fields.append(textField(Threshold, 55, DisplayKind::Word, firmwareAtLeast(0x53), 516));

    Field unit = dimensionSwitch("optDim", 0x01, temperatureInputs(), 0);
    unit.choices = {Caption{{}, 0, QStringLiteral("°C")}, Caption{{}, 0, QStringLiteral("°F")}};
    fields.append(unit);
    fields.append(dimensionSwitch("chkAutark", 0x02, firmwareAbove(0x42), 513));
    fields.append(
        dimensionSwitch("chkAmp", 0x04, allOf(temperatureInputs(), firmwareAtLeast(0x46)), 514));
    fields.append(dimensionSwitch("chkFuncStore", 0x08, firmwareAbove(0x50), 515));
    return fields;
}

qint64 whole(double v) {
    return roundHalfEven(v).value_or(0);
}
} // namespace

DeviceParameterForm::DeviceParameterForm(DeviceData& data, QObject* parent)
    : Form(data, deviceFields(), parent) {}

QString DeviceParameterForm::unitText(int field) {
    if (field < 16)
        return QStringLiteral("A");
    switch (field) {
    case CtRatio:
        return QStringLiteral("A / 1A");
    case HeatingVoltage:
        return QStringLiteral("V");
    case SamplingTime:
    case LoggerCycle:
        return QStringLiteral("s");
    case PowerLimitation:
    case Threshold:
        return QStringLiteral("%");
    default:
        return {};
    }
}

QString DeviceParameterForm::label(int i) const {
    if (i < 16)
        return captionText(labelCaptions().at(i), data().texts);
    return data().texts.LoadText(field(i).caption);
}

CaptionTable DeviceParameterForm::labelCaptions() {
    CaptionTable captions;
    // Text 254 followed by the channel number with a leading blank: "Channel  1".
    for (int i = 0; i < 16; ++i)
        captions.append({indexedName(u"lblDevice", i), 254, {}, u' ' + QString::number(i % 8 + 1)});
    captions.append({QStringLiteral("lblHUE_0"), 147});
    captions.append({QStringLiteral("lblHUE_1"), 148});
    return captions;
}

QString DeviceParameterForm::format(int field, double raw) const {
    switch (field) {
    case SamplingTime:
        return raw == 0 ? QStringLiteral("Auto") : Form::format(field, raw);
    case LoggerControl:
        return (whole(raw) & 1) ? QStringLiteral("1 = Stop") : QStringLiteral("0 = Run");
    case PowerLimitation:
        return raw < 1 || raw > 100 ? QStringLiteral("Off") : QString::number(whole(raw));
    case Threshold:
        return raw < 1 || raw > 100 ? QStringLiteral("Default") : QString::number(whole(raw));
    default:
        return Form::format(field, raw);
    }
}

std::optional<double> DeviceParameterForm::parse(int field, const QString& text) const {
    if (field >= TextFields)
        return Form::parse(field, text);
    const double stored = raw(field);
    const bool tenths = this->field(field).display == DisplayKind::Tenths;
    // Left as it shows: the value stays exactly as it is, even beyond the limits.
    if (text == this->text(field))
        return tenths ? stored / 10.0 : stored;

    const std::optional<double> number = strictNumber(text);
    switch (field) {
    case LoggerControl:
        if (!number)
            return std::nullopt;
        return double((whole(stored) & ~qint64(1)) | (whole(std::trunc(*number)) & 1));
    case SamplingTime:
        return number ? std::clamp(*number, 0.0, kTenthsLimit) : 0.0;
    case PowerLimitation: {
        if (!number)
            return 0.0;
        const double k = std::clamp(std::floor((*number + kPowerStep / 2) / kPowerStep), 0.0, 8.0);
        return std::floor(k * kPowerStep);
    }
    case Threshold:
        return number ? std::clamp(*number, 0.0, kPercentLimit) : 0.0;
    default:
        break;
    }
    if (!number)
        return std::nullopt;
    const double limit =
        field < 16 ? std::max(data().image.value(kRowCtRatio, 1) / 40.0, 0.0) : kTenthsLimit;
    return std::clamp(*number, 0.0, limit);
}

void DeviceParameterForm::afterEdit(int field) {
    if (field < TextFields)
        return;
    if (!dimensionSendable(int(whole(raw(field))))) {
        storeRaw(field, double(whole(raw(field)) & ~qint64(this->field(field).mask)));
        Q_EMIT dimensionRefused(field);
        return;
    }
    if (field == Unit)
        Q_EMIT temperatureUnitChanged();
}

QString dimensionRefusedText(const Texts& texts) {
    static const char* const text[4] = {
        "Nicht alle vier Schalter: der Regler nähme das Byte als Befehl \"Werkseinstellung\".",
        "Not all four switches: the controller would take the byte as its \"factory "
        "settings\" command.",
        "Pas les quatre commutateurs : le régulateur prendrait l'octet pour la commande "
        "« réglages d'usine ».",
        "Non tutti e quattro gli interruttori: il regolatore prenderebbe il byte come comando "
        "\"impostazioni di fabbrica\"."};
    return QString::fromUtf8(text[texts.languageIndex()]);
}
