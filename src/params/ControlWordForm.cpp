#include "params/ControlWordForm.h"

#include "device/DeviceData.h"
#include "i18n/Captions.h"
#include "params/ControlWords.h"

namespace {
QList<Field> controlWordFields() {
    QList<Field> fields;
    static const int headings[] = {350, 351, 352, 353, 0};
    for (int i = 0; i < ControlWords::Count; ++i) {
        const ControlWord w = ControlWords::all()[size_t(i)];
        const int f = ControlWords::field(w);
        Field word{.name = indexedName(u"txtSteuer", f),
                   .row = ControlWords::row(w),
                   .display = DisplayKind::Word,
                   .minimum = 0,
                   .maximum = double(ControlWords::maximum(w)),
                   .outOfRange = OutOfRange::Refuse,
                   .caption = headings[i]};
        if (headings[i])
            word.label = indexedName(u"lblSteuer", f);
        if (w == ControlWord::Extended)
            word.shown = firmwareAbove(0x34);
        fields.append(word);
        for (const ControlBox& box : controlBoxes(w)) {
            Field bit{.name = box.objectName,
                      .row = ControlWords::row(w),
                      .display = DisplayKind::Bit,
                      .mask = quint32(1) << box.bit};
            if (box.shownFrom)
                bit.shown = firmwareAtLeast(box.shownFrom);
            // Bit 3 of the function is named by the firmware: the window sets it.
            if (!(w == ControlWord::Function && box.bit == 3))
                bit.caption = box.text;
            // The alarm bits are named by their row label, shared with the alarm status.
            if (w == ControlWord::AlarmMask)
                bit.label = indexedName(u"lblFehler", box.bit);
            fields.append(bit);
        }
    }
    for (const ControlCombo& c : configurationCombos())
        fields.append({.name = QLatin1String(c.objectName),
                       .row = ControlWords::row(ControlWord::Configuration),
                       .display = DisplayKind::BitField,
                       .mask = quint32(c.field.mask),
                       .caption = c.labelText,
                       .label = QLatin1String(c.labelName)});
    return fields;
}
} // namespace

ControlWordForm::ControlWordForm(DeviceData& data, QObject* parent)
    : Form(data, controlWordFields(), parent) {
    m_partner = indexOf(u"cboPartner");
}

QStringList ControlWordForm::choices(int field) const {
    for (const ControlCombo& c : configurationCombos())
        if (Form::field(field).name == QLatin1String(c.objectName))
            return comboEntries(c.combo, data().texts, data().identification.FirmwareVersion);
    return Form::choices(field);
}

bool ControlWordForm::isVisible(int field) const {
    if (field == m_partner)
        return partnerShown(int(raw(field)));
    return Form::isVisible(field);
}

std::optional<double> ControlWordForm::parse(int, const QString& text) const {
    // Whole numbers only: a word is never a fraction.
    const std::optional<qint64> v = wholeNumber(text);
    return v ? std::optional<double>(double(*v)) : std::nullopt;
}
