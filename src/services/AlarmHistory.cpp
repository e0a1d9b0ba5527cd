#include "services/AlarmHistory.h"

#include "base/ColumnText.h"
#include "device/DeviceData.h"
#include "device/DeviceServices.h"
#include "i18n/StringTable.h"
#include "link/Link.h"
#include "link/ValueCodec.h"
#include "services/RecordTexts.h"

#include <algorithm>

namespace {
constexpr int CountCode = 0x2F;
constexpr int AnnounceCode = 0x2D;
constexpr int EntryCode = 0x2E;

constexpr int MenuText = 173; // "Alarm history"
constexpr int ChannelBitTexts = 334;
constexpr int DeviceBitTexts = 370;
constexpr int ChannelCaption = 254;    // "Channel " (explanation)
constexpr int ChannelLogCaption = 281; // " Channel" (change log)
constexpr int DeviceCaption = 283;     // " Device"
constexpr int WiringCaption = 287;     // "Wireing"
constexpr int EntriesText = 487;       // " entries"
constexpr int TransmittedText = 484;   // " entries are being transmitted"
constexpr int NoHistoryText = 485;
constexpr int BeginPrefix = 503;
constexpr int EndPrefix = 504;
constexpr int StatePrefix = 505;

const QString CrLf = QStringLiteral("\r\n");

// Change-log columns (1-based): the word's name, then one line per bit.
constexpr int LogNameColumn = 25;
constexpr int LogBitColumn = 40;

QString twoDigits(int v) {
    return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0'));
}

QString logColumnName(int column, const Texts& texts) {
    switch (alarmColumnKind(column)) {
    case AlarmColumn::Channel:
        return texts.LoadText(ChannelLogCaption) + u' ' + QString::number(column);
    case AlarmColumn::Device:
        return texts.LoadText(DeviceCaption);
    default:
        return QStringLiteral(" I/O");
    }
}
} // namespace

std::optional<AlarmHistoryEntry> decodeHistoryEntry(const ReplyArray& reply) {
    if (!isReadReply(reply, EntryCode))
        return std::nullopt;
    AlarmHistoryEntry e;
    e.time = ClockStamp::fromReply(reply, 11);
    for (int c = 1; c <= 12; ++c)
        e.words[size_t(c - 1)] =
            quint16(ValueCodec::word(reply[size_t(2 * c + 15)], reply[size_t(2 * c + 16)]));
    return e;
}

AlarmColumn alarmColumnKind(int column) {
    if (column >= 1 && column <= 8)
        return AlarmColumn::Channel;
    if (column == 9)
        return AlarmColumn::Device;
    if (column >= 10 && column <= 12)
        return AlarmColumn::Wiring;
    return AlarmColumn::Time;
}

QString alarmBitText(int column, int bit, const Texts& texts) {
    switch (alarmColumnKind(column)) {
    case AlarmColumn::Channel:
        return texts.LoadText(ChannelBitTexts + bit);
    case AlarmColumn::Device:
        return texts.LoadText(DeviceBitTexts + bit);
    case AlarmColumn::Wiring: {
        // 48 bits over three words: outputs 1..24 that went from high to low, then outputs
        // 1..24 that went from low to high.
        const int m = bit + 16 * (column - 10);
        return m < 24 ? QStringLiteral("Out %1:  High -> Low").arg(m + 1)
                      : QStringLiteral("Out %1:  Low -> High").arg(m - 23);
    }
    case AlarmColumn::Time:
        break;
    }
    return {};
}

QString historyTimeText(const ClockStamp& t) {
    return u' ' + twoDigits(t.hour) + u':' + twoDigits(t.minute) + u':' + twoDigits(t.second) +
           QStringLiteral("   ") + twoDigits(t.day) + u'.' + twoDigits(t.month) + u'.' +
           QString::number(2000 + t.year);
}

QString historyWordText(quint16 word) {
    return QString::number(word, 16).toUpper();
}

QString historyProgressCaption(int count, const Texts& texts) {
    return QString::number(count) + texts.LoadText(TransmittedText);
}

QString AlarmHistory::cellText(int row, int column, const Texts& texts) const {
    if (row == 0) {
        if (column == 0)
            return QStringLiteral("   ") + QString::number(qMax(announced, 0)) +
                   texts.LoadText(EntriesText);
        switch (alarmColumnKind(column)) {
        case AlarmColumn::Channel:
            return QStringLiteral("Ch %1").arg(column);
        case AlarmColumn::Device:
            return QStringLiteral("Dev");
        case AlarmColumn::Wiring:
            return QStringLiteral("I/O");
        case AlarmColumn::Time:
            break;
        }
        return {};
    }
    if (row < 1 || row > entries.size() || column < 0 || column >= Columns)
        return {};
    const AlarmHistoryEntry& e = entries[row - 1];
    return column == 0 ? historyTimeText(e.time) : historyWordText(e.word(column));
}

bool AlarmHistory::isDataCell(int row, int column) const {
    return row >= 1 && row <= entries.size() && column >= 1 && column < Columns;
}

CellExplanation explainCell(const AlarmHistory& history, int row, int column, const Texts& texts) {
    CellExplanation x;
    x.bits.fill(QStringLiteral("---"));
    if (!history.isDataCell(row, column))
        return x;
    switch (alarmColumnKind(column)) {
    case AlarmColumn::Channel:
        x.what = texts.LoadText(ChannelCaption) + QString::number(column);
        break;
    case AlarmColumn::Device:
        x.what = texts.LoadText(DeviceCaption);
        break;
    default:
        x.what = texts.LoadText(WiringCaption);
        break;
    }
    const quint16 word = history.entries[row - 1].word(column);
    for (int b = 0; b < 16; ++b)
        if (word & (1u << b))
            x.bits[size_t(b)] = alarmBitText(column, b, texts);
    return x;
}

QString historyChangeLog(const QList<AlarmHistoryEntry>& entries, const Texts& texts) {
    ColumnText log;
    const int n = int(entries.size());
    if (n < 1)
        return log.append(texts.LoadText(NoHistoryText)).endLine().joined(CrLf);
    // Pass 0 is the complete state of the first entry, passes 1..n-1 the changes from one
    // entry to the next, pass n the complete state of the last entry.
    for (int r = 0; r <= n; ++r) {
        if (r == 1 || r == n)
            log.append(QString(36, u'-')).endLine();
        const AlarmHistoryEntry& entry = entries[r < n ? r : n - 1];
        const bool changes = r > 0 && r < n;
        log.append(historyTimeText(entry.time));
        bool written = false;
        for (int c = 1; c <= 12; ++c) {
            const quint16 before = changes ? entries[r - 1].word(c) : 0;
            const quint16 v = entry.word(c) ^ before;
            if (v == 0)
                continue;
            log.at(LogNameColumn, logColumnName(c, texts));
            for (int b = 0; b < 16; ++b) {
                if (!(v & (1u << b)))
                    continue;
                const int prefix = !changes               ? StatePrefix
                                   : (before & (1u << b)) ? EndPrefix
                                                          : BeginPrefix;
                log.at(LogBitColumn, texts.LoadText(prefix) + alarmBitText(c, b, texts)).endLine();
            }
            written = true;
        }
        // An entry without a change (or an all-clear state) still ends its line.
        if (!written)
            log.endLine();
    }
    return log.joined(CrLf);
}

QString historyCsv(const QList<AlarmHistoryEntry>& entries, const QString& deviceType) {
    QString csv = QStringLiteral("%1 alarm history,%2 entries,decimal point .\r\n")
                      .arg(deviceType)
                      .arg(entries.size());
    csv += QStringLiteral("Time");
    for (int c = 1; c <= 12; ++c)
        csv += c <= 8   ? QStringLiteral(",Ch %1").arg(c)
               : c == 9 ? QStringLiteral(",Dev")
                        : QStringLiteral(",I/O %1").arg(c - 9);
    csv += QStringLiteral("\r\n");
    for (const AlarmHistoryEntry& e : entries) {
        const ClockStamp& t = e.time;
        csv += QStringLiteral("%1-%2-%3 %4:%5:%6")
                   .arg(2000 + t.year)
                   .arg(twoDigits(t.month), twoDigits(t.day), twoDigits(t.hour),
                        twoDigits(t.minute), twoDigits(t.second));
        for (quint16 w : e.words)
            csv += QStringLiteral(",0x") + historyWordText(w);
        csv += QStringLiteral("\r\n");
    }
    return csv;
}

PlotData historyPlot(const QList<AlarmHistoryEntry>& entries, const Texts& texts) {
    PlotData plot;
    plot.timeTitle = recordText(RecordText::Time, texts);
    plot.valueTitle = recordText(RecordText::Alarms, texts);
    for (int c = 1; c <= 10; ++c)
        plot.groups << AlarmHistory().cellText(0, c, texts);
    plot.categories = plot.groups;

    QList<double> times;
    QList<const AlarmHistoryEntry*> shown;
    for (const AlarmHistoryEntry& e : entries) {
        const QDateTime t = e.time.toDateTime();
        if (!t.isValid())
            continue;
        times << plotTime(t);
        shown << &e;
    }
    if (shown.isEmpty())
        return plot;
    const double span = times.last() - times.first();
    const double after = std::max(span / 20, 60'000.0);

    // Within band g (g at the top, g + 1 at the bottom): filled from g + 0.15 down to g + 0.85.
    for (int g = 0; g < 10; ++g) {
        const auto level = [g](const AlarmHistoryEntry& e) {
            const bool active =
                g < 9 ? e.word(g + 1) != 0 : (e.word(10) | e.word(11) | e.word(12)) != 0;
            return g + (active ? 0.15 : 0.85);
        };
        PlotSeries band;
        band.group = g;
        band.fillTo = g + 0.85;
        for (int i = 0; i < shown.size(); ++i) {
            if (i > 0)
                band.points.append({times[i], band.points.last().y()});
            band.points.append({times[i], level(*shown[i])});
        }
        band.points.append({times.last() + after, band.points.last().y()});
        plot.series.append(band);
    }
    return plot;
}

AlarmHistoryRead::AlarmHistoryRead(DeviceData& data, DeviceServices& services, QObject* parent)
    : LongOperation(data.gate(), parent), m_data(data), m_services(services) {}

QString AlarmHistoryRead::name() const {
    return m_data.texts.LoadText(MenuText);
}

bool AlarmHistoryRead::start() {
    m_history = AlarmHistory();
    m_services.PrepareLink();
    const std::optional<int> count = readWord(m_services, CountCode);
    if (!count)
        return false;
    m_history.announced = *count;
    setProgress(0, *count);
    m_services.SendCommand(AnnounceCode, countData(*count));
    return !m_services.link().CommError;
}

LongOperation::Step AlarmHistoryRead::step() {
    if (m_history.entries.size() >= m_history.announced)
        return Step::Finished;
    m_services.ReadRequest(EntryCode, 0, 0, 0);
    const Link& link = m_services.link();
    const std::optional<AlarmHistoryEntry> entry =
        link.CommError ? std::nullopt : decodeHistoryEntry(link.ReplyBytes);
    if (!entry)
        return Step::Failed;
    m_history.entries.append(*entry);
    setProgress(int(m_history.entries.size()), m_history.announced);
    return m_history.entries.size() < m_history.announced ? Step::More : Step::Finished;
}
