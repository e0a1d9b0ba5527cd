#include "params/CollectiveMasks.h"

#include "base/NumberText.h"
#include "device/DeviceImage.h"

namespace CollectiveMasks {

int bitTextId(int bit) {
    static constexpr std::array<int, Bits> ids = {334, 335, 336, 337, 338, 339, 340, 386,
                                                  343, 345, 370, 387, 375, 376, 377, 378};
    return ids.at(size_t(bit));
}

int value(const DeviceImage& image, int mask) {
    return int(roundHalfEven(image.value(Row, mask)).value_or(0) & 0xFFFF);
}

bool set(DeviceImage& image, int mask, int value) {
    QVariant& cell = image.cell(Row, mask);
    if (cell.typeId() == QMetaType::Int && cell.toInt() == value)
        return false;
    cell = value;
    return true;
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
