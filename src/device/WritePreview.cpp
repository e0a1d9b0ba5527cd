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

QStringList WritePreview::lines(const Texts& texts) const {
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
                           .arg(QString::number(c.column), QString::number(c.controller),
                                QString::number(c.image));
        lines << head + changes.join(QStringLiteral(", "));
    }
    return lines;
}

WritePreview writePreview(const ParameterTable& table, const DeviceImage& image,
                          const ReadRecord& record, const ControllerKey& controller,
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
        const auto read = record.lastRead(controller, row);
        r.read = read.has_value();
        if (read) {
            const bool word = isWordGroup(transferGroupOf(item.FunctionCode));
            for (int column = 1; column <= item.Count; ++column) {
                const double before = onTheLink(NumericValue((*read)[size_t(column)]), word);
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
