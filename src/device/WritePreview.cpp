#include "device/WritePreview.h"

#include "device/ParameterTable.h"
#include "device/ReadRecord.h"
#include "device/Transfers.h"
#include "i18n/StringTable.h"
#include "link/TransferGroup.h"
#include "link/ValueCodec.h"

namespace {
// A value as the link carries it; one that fits nothing is compared as it is.
double onTheLink(double v, bool word) {
    if (word) {
        if (const auto w = ValueCodec::toWord(v))
            return w->low + 256 * w->high;
    } else if (const auto b = ValueCodec::toByte(v)) {
        return *b;
    }
    return v;
}

QString notReadText(const Texts& texts) {
    static const char* const text[] = {"in dieser Sitzung nicht von diesem Regler gelesen",
                                       "not read from this controller in this session",
                                       "non lu de ce régulateur pendant cette session",
                                       "non letto da questo regolatore in questa sessione"};
    return texts.inLanguage(text);
}
} // namespace

int WritePreview::unreadRows() const {
    int n = 0;
    for (const WritePreviewRow& r : rows)
        n += r.read ? 0 : 1;
    return n;
}

namespace {
QString shownValue(const ComparisonValueText& valueText, int row, int column, double value,
                   bool before) {
    return valueText ? valueText(row, column, value, before) : QString::number(value);
}
} // namespace

QStringList WritePreview::lines(const Texts& texts, const ComparisonValueText& valueText) const {
    if (rows.isEmpty()) {
        static const char* const same[] = {
            "Keine Zeile weicht von dem ab, was zuletzt von diesem Regler gelesen wurde.",
            "No row differs from what was last read from this controller.",
            "Aucune ligne ne diffère de ce qui a été lu en dernier de ce régulateur.",
            "Nessuna riga differisce da quanto letto per ultimo da questo regolatore."};
        return {texts.inLanguage(same)};
    }
    if (unreadRows() == rowsWritten) {
        static const char* const all[] = {"Alle %1 Zeilen", "All %1 rows", "Les %1 lignes",
                                          "Tutte le %1 righe"};
        return {texts.inLanguage(all).arg(rowsWritten) + QStringLiteral(": ") + notReadText(texts)};
    }
    QStringList lines;
    for (const WritePreviewRow& r : rows) {
        const QString head = QStringLiteral("%1 %2: ").arg(QString::number(r.row), r.name);
        if (!r.read) {
            lines << head + notReadText(texts);
            continue;
        }
        QStringList changes;
        for (const WritePreviewRow::Change& c : r.changes)
            changes << QStringLiteral("%1: %2 -> %3")
                           .arg(QString::number(c.column),
                                shownValue(valueText, r.row, c.column, c.controller, true),
                                shownValue(valueText, r.row, c.column, c.image, false));
        lines << head + changes.join(QStringLiteral(", "));
    }
    return lines;
}

QList<QStringList> WritePreview::tableRows(const Texts& texts,
                                           const ComparisonValueText& valueText) const {
    QList<QStringList> table;
    for (const WritePreviewRow& r : rows) {
        const QString row = QString::number(r.row);
        if (!r.read) {
            table << QStringList{row, r.name, notReadText(texts), QString(), QString()};
            continue;
        }
        for (const WritePreviewRow::Change& c : r.changes)
            table << QStringList{row, r.name, QString::number(c.column),
                                 shownValue(valueText, r.row, c.column, c.controller, true),
                                 shownValue(valueText, r.row, c.column, c.image, false)};
    }
    return table;
}

QStringList WritePreview::tableHeader(const Texts& texts, const QString& before,
                                      const QString& after) {
    static const char* const entry[] = {"Zeile", "Row", "Ligne", "Riga"};
    static const char* const name[] = {"Parameter", "Parameter", "Paramètre", "Parametro"};
    static const char* const column[] = {"Spalte", "Column", "Colonne", "Colonna"};
    return {texts.inLanguage(entry), texts.inLanguage(name), texts.inLanguage(column), before,
            after};
}

QString WritePreview::equalText(const Texts& texts) {
    static const char* const text[] = {"Keine Unterschiede.", "No differences.",
                                       "Aucune différence.", "Nessuna differenza."};
    return texts.inLanguage(text);
}

namespace {
// The columns of `row` whose values differ on the link; `before(column)` is the old value.
template <typename Before>
QList<WritePreviewRow::Change> changesOf(const ParameterTable& table, int row, Before before,
                                         const DeviceImage& after) {
    const ParameterRow& item = table[row];
    const bool word = isWordGroup(transferGroupOf(item.FunctionCode));
    QList<WritePreviewRow::Change> changes;
    for (int column = 1; column <= item.Count; ++column) {
        const double b = onTheLink(before(column), word);
        const double a = onTheLink(after.value(row, column), word);
        if (b != a)
            changes.append({column, b, a});
    }
    return changes;
}
} // namespace

WritePreview writePreview(const ParameterTable& table, const DeviceImage& image,
                          const ReadRecord& record, const ControllerKey& controller,
                          int highestRow) {
    WritePreview preview;
    for (int row : writeOrder(highestRow)) {
        if (isWriteSkipped(row))
            continue;
        ++preview.rowsWritten;
        WritePreviewRow r;
        r.row = row;
        r.name = table[row].Name.trimmed();
        const auto read = record.lastRead(controller, row);
        r.read = read.has_value();
        if (read) {
            r.changes = changesOf(
                table, row, [&](int column) { return NumericValue((*read)[size_t(column)]); },
                image);
            if (r.changes.isEmpty())
                continue;
        }
        preview.rows.append(r);
    }
    return preview;
}

WritePreview compareImages(const ParameterTable& table, const DeviceImage& before,
                           const DeviceImage& after, const QList<int>& rows) {
    WritePreview comparison;
    for (int row : rows) {
        ++comparison.rowsWritten;
        WritePreviewRow r;
        r.row = row;
        r.name = table[row].Name.trimmed();
        r.read = true;
        r.changes = changesOf(
            table, row, [&](int column) { return before.value(row, column); }, after);
        if (!r.changes.isEmpty())
            comparison.rows.append(r);
    }
    return comparison;
}
