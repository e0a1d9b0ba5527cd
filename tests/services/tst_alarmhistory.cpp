#include "i18n/StringTable.h"
#include "services/AlarmHistory.h"

#include <QTest>

namespace {
AlarmHistoryEntry entry(int hour, int minute, std::initializer_list<std::pair<int, int>> words) {
    AlarmHistoryEntry e;
    e.time = ClockStamp{0, minute, hour, 1, 1, 24};
    for (const auto& [column, word] : words)
        e.words[size_t(column - 1)] = quint16(word);
    return e;
}

Texts texts(int offset) {
    Texts t;
    t.setLanguageOffset(offset);
    return t;
}

QString crlf(const QStringList& lines) {
    return lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
}
} // namespace

Q_DECLARE_METATYPE(QList<AlarmHistoryEntry>)

class TestAlarmHistory : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void changeLog_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<QList<AlarmHistoryEntry>>("entries");
        QTest::addColumn<QStringList>("lines");
        // AL 1 high of channel 1 ends while the 24 V alarm and a wiring bit begin and stay; the
        // last entry changes nothing.
        const QList<AlarmHistoryEntry> four = {
            entry(10, 0, {{1, 0x0008}}),
            entry(10, 30, {{1, 0x0008}, {9, 0x1000}, {11, 0x0080}}),
            entry(11, 0, {{9, 0x1000}, {11, 0x0080}}),
            entry(11, 30, {{9, 0x1000}, {11, 0x0080}}),
        };
        QTest::newRow("en") << 1000 << four
                            << QStringList{
                                   " 10:00:00   01.01.2024   Channel 1         -   AL 1, high",
                                   "------------------------------------",
                                   " 10:30:00   01.01.2024   Device        Begin - 24 V missing",
                                   "                         I/O           Begin - Out 24:  High "
                                   "-> Low",
                                   " 11:00:00   01.01.2024   Channel 1     End  -  AL 1, high",
                                   " 11:30:00   01.01.2024",
                                   "------------------------------------",
                                   " 11:30:00   01.01.2024   Device            -   24 V missing",
                                   "                         I/O               -   Out 24:  High "
                                   "-> Low",
                               };
        QTest::newRow("de") << 0 << four
                            << QStringList{
                                   " 10:00:00   01.01.2024   Kanal 1            -   1. GW-Fehler H",
                                   "------------------------------------",
                                   " 10:30:00   01.01.2024   Gerät         Anfang - 24 V fehlt",
                                   "                         I/O           Anfang - Out 24:  "
                                   "High -> Low",
                                   " 11:00:00   01.01.2024   Kanal 1       Ende  -  1. GW-Fehler H",
                                   " 11:30:00   01.01.2024",
                                   "------------------------------------",
                                   " 11:30:00   01.01.2024   Gerät              -   24 V fehlt",
                                   "                         I/O                -   Out 24:  "
                                   "High -> Low",
                               };
        // One entry: its state, one dash line, its state again.
        QTest::newRow("one entry")
            << 1000 << QList<AlarmHistoryEntry>{entry(8, 5, {{3, 0x0001}})}
            << QStringList{" 08:05:00   01.01.2024   Channel 3         -   Broken sensor",
                           "------------------------------------",
                           " 08:05:00   01.01.2024   Channel 3         -   Broken sensor"};
        QTest::newRow("none") << 3000 << QList<AlarmHistoryEntry>{}
                              << QStringList{"Nessuno storico allarmi"};
    }
    void changeLog() {
        QFETCH(int, language);
        QFETCH(QList<AlarmHistoryEntry>, entries);
        QFETCH(QStringList, lines);
        QCOMPARE(historyChangeLog(entries, texts(language)), crlf(lines));
    }

    // row, column, word of that cell: what the column is and the bits that are set.
    void explanation_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("word");
        QTest::addColumn<QString>("what");
        QTest::addColumn<QStringList>("set"); // "bit=text"
        QTest::newRow("channel 0x0009")
            << 1 << 4 << 0x0009 << "Channel 4" << QStringList{"0=Broken sensor", "3=AL 1, high"};
        QTest::newRow("device") << 1 << 9 << 0x8001 << " Device"
                                << QStringList{"0=Analog error", "15=Bit 15 error"};
        QTest::newRow("wiring 11, bits 7 and 8")
            << 1 << 11 << 0x0180 << "Wireing"
            << QStringList{"7=Out 24:  High -> Low", "8=Out 1:  Low -> High"};
        QTest::newRow("wiring 12, bit 15")
            << 1 << 12 << 0x8000 << "Wireing" << QStringList{"15=Out 24:  Low -> High"};
        // Heading row, time column and rows not read explain nothing.
        QTest::newRow("heading row") << 0 << 1 << 0xFFFF << "" << QStringList{};
        QTest::newRow("time column") << 1 << 0 << 0xFFFF << "" << QStringList{};
        QTest::newRow("row not read") << 2 << 1 << 0xFFFF << "" << QStringList{};
    }
    void explanation() {
        QFETCH(int, row);
        QFETCH(int, column);
        QFETCH(int, word);
        QFETCH(QString, what);
        QFETCH(QStringList, set);
        AlarmHistory history;
        history.announced = 2; // the second entry was not read
        AlarmHistoryEntry e;
        e.words.fill(quint16(word));
        history.entries = {e};
        const CellExplanation x = explainCell(history, row, column, texts(1000));
        QCOMPARE(x.what, what);
        QStringList shown;
        for (int b = 0; b < 16; ++b)
            if (x.bits[size_t(b)] != QLatin1String("---"))
                shown << QStringLiteral("%1=%2").arg(b).arg(x.bits[size_t(b)]);
        QCOMPARE(shown, set);
    }

    // The heading row counts the announced entries; rows announced but not read stay empty.
    void gridCells() {
        AlarmHistory history;
        history.announced = 2;
        history.entries = {entry(9, 7, {{1, 0xAB0}})};
        QCOMPARE(history.rowCount(), 4);
        QCOMPARE(history.cellText(0, 0, texts(2000)), QStringLiteral("   2 entrées"));
        QCOMPARE(history.cellText(1, 1, texts(2000)), QStringLiteral("AB0"));
        QCOMPARE(history.cellText(2, 0, texts(2000)), QString());
        QCOMPARE(history.cellText(-1, 1, texts(2000)), QString());
    }

    // The timeline: a band is at its "active" level from an entry whose word (any wiring word
    // for the I/O band) is not 0 until the next entry, the last state drawn a little way on; an
    // entry that is no possible date is left out.
    void timeline() {
        AlarmHistoryEntry impossible = entry(12, 0, {{2, 1}});
        impossible.time.day = 0;
        const PlotData plot = historyPlot({entry(10, 0, {{1, 8}}), entry(10, 30, {{1, 8}, {9, 1}}),
                                           entry(11, 0, {{11, 1}}), impossible},
                                          texts(1000));
        QCOMPARE(plot.groups, (QStringList{"Ch 1", "Ch 2", "Ch 3", "Ch 4", "Ch 5", "Ch 6", "Ch 7",
                                           "Ch 8", "Dev", "I/O"}));
        QCOMPARE(plot.categories, plot.groups);
        QCOMPARE(plot.series.size(), 10);
        const auto states = [&](int band) {
            QString s;
            for (const QPointF& p : plot.series[band].points)
                s += p.y() - band < 0.5 ? u'A' : u'-';
            return s;
        };
        QCOMPARE(states(0), QStringLiteral("AAAA--"));
        QCOMPARE(states(1), QStringLiteral("------"));
        QCOMPARE(states(8), QStringLiteral("--AA--"));
        QCOMPARE(states(9), QStringLiteral("----AA"));
        const QList<QPointF>& points = plot.series[0].points;
        QCOMPARE(points.first().x(), plotTime(QDateTime(QDate(2024, 1, 1), QTime(10, 0))));
        QCOMPARE(points.last().x() - points.first().x(), 3600'000.0 + 3600'000.0 / 20);
    }
};

QTEST_GUILESS_MAIN(TestAlarmHistory)
#include "tst_alarmhistory.moc"
