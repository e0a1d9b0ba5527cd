#include "device/DeviceImage.h"


double NumericValue(const QVariant& cell) {
    switch (cell.typeId()) {
    case QMetaType::UnknownType:
        return 0.0;
    case QMetaType::QString:
        return ValueOfText(cell.toString());
    default: {
        bool ok = false;
        const double v = cell.toDouble(&ok);
        return ok ? v : 0.0;
    }
    }
}

void DeviceImage::clear() {
    m_cells.fill(QVariant(0));
}
