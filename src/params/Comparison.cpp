#include "params/Comparison.h"

#include "device/DeviceData.h"
#include "params/Overview.h"

#include <QHash>

#include <memory>

namespace {
using OverviewCells = QHash<int, QStringList>; // by entry: cells[c - 1] = column c

std::shared_ptr<const OverviewCells> overviewCells(DeviceData& data) {
    auto cells = std::make_shared<OverviewCells>();
    for (const OverviewRow& row : buildOverview(data).rows)
        cells->insert(row.entry, row.cells);
    return cells;
}
} // namespace

ComparisonValueText overviewValueText(DeviceData& before, DeviceData& after) {
    const auto old = overviewCells(before);
    const auto now = overviewCells(after);
    return [old, now](int row, int column, double value, bool isBefore) {
        const OverviewCells& cells = isBefore ? *old : *now;
        const QString text = cells.value(row).value(column - 1);
        return text.isEmpty() ? QString::number(value) : text;
    };
}

void copyForComparison(const DeviceData& source, DeviceData& side, const DeviceImage& image) {
    side.texts = source.texts;
    side.table = source.table;
    side.identification = source.identification;
    side.image = image;
}
