#include "params/CollectiveMasks.h"

#include "base/NumberText.h"

#include <array>
#include <cmath>

namespace CollectiveMasks {

int bitTextId(int bit) {
    static constexpr std::array<int, Bits> ids = {334, 335, 336, 337, 338, 339, 340, 386,
                                                  343, 345, 370, 387, 375, 376, 377, 378};
    return ids.at(size_t(bit));
}

std::optional<int> parse(const QString& text) {
    const QString t = text.trimmed();
    bool ok = false;
    const int v = t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive) ? t.mid(2).toInt(&ok, 16)
                                                                         : t.toInt(&ok, 10);
    if (!ok || v < 0 || v > 0xFFFF)
        return std::nullopt;
    return v;
}

} // namespace CollectiveMasks

namespace {
QList<Field> maskFields() {
    QList<Field> fields;
    for (int bit = 0; bit < CollectiveMasks::Bits; ++bit)
        fields.append({.name = indexedName(u"chkSammel", bit),
                       .row = CollectiveMasks::Row,
                       .display = DisplayKind::Bit,
                       .mask = quint32(1) << bit,
                       .caption = CollectiveMasks::bitTextId(bit)});
    fields.append({.name = QStringLiteral("txtSFehler"),
                   .row = CollectiveMasks::Row,
                   .display = DisplayKind::Word,
                   .minimum = 0,
                   .maximum = 0xFFFF,
                   .outOfRange = OutOfRange::Refuse});
    return fields;
}
} // namespace

CollectiveMaskForm::CollectiveMaskForm(DeviceData& data, QObject* parent)
    : Form(data, maskFields(), parent) {}

std::optional<double> CollectiveMaskForm::parse(int field, const QString& text) const {
    const std::optional<double> v = Form::parse(field, text);
    // A mask is a whole number: a fraction is no mask at all.
    if (field == ValueField && v && *v != std::floor(*v))
        return std::nullopt;
    return v;
}
