#include "device/WritePreview.h"

#include "device/ParameterTable.h"
#include "device/Transfers.h"
#include "link/TransferGroup.h"
#include "link/ValueCodec.h"

namespace {
// A value as the link carries it; NaN-free doubles that fit nothing compare as they are.
double onTheLink(double v, bool word) {
    if (word) {
        if (const auto w = ValueCodec::toWord(v))
            return w->low + 256 * w->high;
    } else if (const auto b = ValueCodec::toByte(v)) {
        return *b;
    }
    return v;
}

QString number(double v) {
    return QStringLiteral("%1").arg(v);
}
} // namespace

void ControllerRecord::remember(const ControllerIdentity& controller, int row,
                                const DeviceImage& image) {
    if (!(controller == m_controller)) {
        forget();
        m_controller = controller;
    }
    for (int column = 1; column < DeviceImage::Columns; ++column)
        m_values.cell(row, column) = image.cell(row, column);
    m_known.set(size_t(row));
}

bool ControllerRecord::knows(const ControllerIdentity& controller, int row) const {
    return controller == m_controller && m_known.test(size_t(row));
}

void ControllerRecord::forget() {
    m_controller = ControllerIdentity{};
    m_known.reset();
}

int WritePreview::unknownRows() const {
    int n = 0;
    for (const WritePreviewRow& r : rows)
        n += r.known ? 0 : 1;
    return n;
}

QStringList WritePreview::lines() const {
    if (rows.isEmpty())
        return {QStringLiteral("No row differs from what was read from this controller.")};
    if (unknownRows() == rowsWritten)
        return {QStringLiteral("All %1 rows: not read from this controller in this session")
                    .arg(rowsWritten)};
    QStringList lines;
    for (const WritePreviewRow& r : rows) {
        QString line = QStringLiteral("%1 %2: ").arg(QString::number(r.row), r.name);
        if (!r.known) {
            lines << line + QStringLiteral("not read from this controller in this session");
            continue;
        }
        QStringList changes;
        for (const WritePreviewRow::Change& c : r.changes)
            changes << QStringLiteral("%1: %2 -> %3")
                           .arg(QString::number(c.column), number(c.controller), number(c.image));
        lines << line + changes.join(QStringLiteral(", "));
    }
    return lines;
}

WritePreview writePreview(const ParameterTable& table, const DeviceImage& image,
                          const ControllerRecord& record, const ControllerIdentity& controller,
                          int highestRow) {
    WritePreview preview;
    for (int row : writeOrder(highestRow)) {
        if (isWriteSkipped(row))
            continue;
        ++preview.rowsWritten;
        const ParameterRow& item = table[row];
        WritePreviewRow r;
        r.row = row;
        r.name = item.Name.trimmed();
        r.known = record.knows(controller, row);
        if (r.known) {
            const bool word = isWordGroup(transferGroupOf(item.FunctionCode));
            for (int column = 1; column <= item.Count; ++column) {
                const double before = onTheLink(record.value(row, column), word);
                const double after = onTheLink(image.value(row, column), word);
                if (before != after)
                    r.changes.append({column, before, after});
            }
            if (r.changes.isEmpty())
                continue;
        }
        preview.rows.append(r);
    }
    return preview;
}
