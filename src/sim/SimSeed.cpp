#include "sim/SimSeed.h"

#include <QDateTime>
#include <QStringList>

namespace {

// The time and the words of one line; `words` values, each within `low`..`high`.
bool parseLine(const QString& line, int words, int base, int low, int high, ClockBytes* time,
               QList<int>* values) {
    const QStringList fields = line.split(u' ', Qt::SkipEmptyParts);
    if (fields.size() != 1 + words)
        return false;
    const QDateTime t = QDateTime::fromString(fields[0], Qt::ISODate);
    if (!t.isValid() || t.date().year() < 2000 || t.date().year() > 2255)
        return false;
    *time = {quint8(t.time().second()), quint8(t.time().minute()), quint8(t.time().hour()),
             quint8(t.date().day()),    quint8(t.date().month()),  quint8(t.date().year() - 2000)};
    values->clear();
    for (int i = 1; i <= words; ++i) {
        bool ok = false;
        const int v = fields[i].toInt(&ok, base);
        if (!ok || v < low || v > high)
            return false;
        values->append(v);
    }
    return true;
}

template <typename Record, typename Fill>
std::optional<QList<Record>> parseSeed(const QString& text, QString* error, const QString& form,
                                       Fill fill) {
    QList<Record> records;
    const QStringList lines = text.split(u'\n');
    for (int n = 0; n < lines.size(); ++n) {
        const QString line = lines[n].trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        Record r;
        if (!fill(line, &r)) {
            if (error)
                *error = QStringLiteral("line %1: expected %2").arg(n + 1).arg(form);
            return std::nullopt;
        }
        records.append(r);
    }
    return records;
}

} // namespace

std::optional<QList<HistoryEntry>> parseHistorySeed(const QString& text, QString* error) {
    return parseSeed<HistoryEntry>(text, error,
                                   QStringLiteral("YYYY-MM-DDThh:mm:ss and twelve hex words"),
                                   [](const QString& line, HistoryEntry* e) {
                                       QList<int> v;
                                       if (!parseLine(line, 12, 16, 0, 0xFFFF, &e->time, &v))
                                           return false;
                                       for (int i = 0; i < 12; ++i)
                                           e->words[size_t(i)] = quint16(v[i]);
                                       return true;
                                   });
}

std::optional<QList<LoggerSample>> parseLoggerSeed(const QString& text, QString* error) {
    return parseSeed<LoggerSample>(text, error,
                                   QStringLiteral("YYYY-MM-DDThh:mm:ss and 17 words -32768..65535"),
                                   [](const QString& line, LoggerSample* s) {
                                       QList<int> v;
                                       if (!parseLine(line, 17, 10, -32768, 0xFFFF, &s->time, &v))
                                           return false;
                                       for (int i = 0; i < 17; ++i)
                                           s->words[size_t(i)] = quint16(v[i] & 0xFFFF);
                                       return true;
                                   });
}
