#include "i18n/StringTable.h"
#include "services/DataLogger.h"

#include <QTest>

#include <ctime>

class TestDataLogger : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() {
        // The controller's clock has no summer time; the start time must not get one from the
        // PC's zone either.
        qputenv("TZ", "Europe/Berlin");
        tzset();
    }

    // Seconds up to a 6 s cycle, minutes up to 360 s, hours above; two decimals, ties up.
    void timeColumn_data() {
        QTest::addColumn<int>("cycle"); // tenths of a second
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("text");
        QTest::newRow("5 s, first") << 50 << 0 << "0.00";
        QTest::newRow("5 s, third") << 50 << 2 << "10.00";
        QTest::newRow("6 s stays seconds") << 60 << 3 << "18.00";
        QTest::newRow("6.1 s in minutes") << 61 << 1 << "0.10";
        QTest::newRow("60 s in minutes") << 600 << 1 << "1.00";
        QTest::newRow("7.5 s: 0.125 min ties up") << 75 << 1 << "0.13";
        QTest::newRow("6.3 s: 0.105 min ties up") << 63 << 1 << "0.11";
        QTest::newRow("360 s stays minutes") << 3600 << 1 << "6.00";
        QTest::newRow("450 s: 0.125 h ties up") << 4500 << 1 << "0.13";
        QTest::newRow("largest") << 65535 << 65535 << "119301.01";
    }
    void timeColumn() {
        QFETCH(int, cycle);
        QFETCH(int, index);
        QFETCH(QString, text);
        QCOMPARE(loggerTimeText(index, cycle), text);
    }

    // The start is the end less (count - 1) cycles, by the calendar.
    void heading_data() {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("cycle");
        QTest::addColumn<QString>("end"); // s m h day month year
        QTest::addColumn<QString>("heading");
        QTest::newRow("over the year end")
            << 3 << 100 << "10 0 0 1 1 7"
            << "3 Abtastungen  von  31.12.06 23:59:50  bis  1.1.07 0:00:10";
        QTest::newRow("into February of a leap year")
            << 2 << 10 << "0 0 0 1 3 24"
            << "2 Abtastungen  von  29.2.24 23:59:59  bis  1.3.24 0:00:00";
        QTest::newRow("29 days back from March 1st")
            << 784 << 32000 << "0 0 0 1 3 24"
            << "784 Abtastungen  von  1.2.24 0:00:00  bis  1.3.24 0:00:00";
        QTest::newRow("148 days, 3200 s cycle")
            << 4000 << 32000 << "0 0 12 1 3 23"
            << "4000 Abtastungen  von  4.10.22 9:20:00  bis  1.3.23 12:00:00";
        QTest::newRow("over the change to summer time")
            << 4 << 36000 << "0 0 4 31 3 24"
            << "4 Abtastungen  von  31.3.24 1:00:00  bis  31.3.24 4:00:00";
        QTest::newRow("one sample") << 1 << 50 << "7 5 3 2 1 24"
                                    << "1 Abtastungen  von  2.1.24 3:05:07  bis  2.1.24 3:05:07";
        QTest::newRow("none: the clock") << 0 << 50 << "10 45 13 5 12 24"
                                         << "0 Abtastungen  am  5.12.24 13:45:10";
        QTest::newRow("impossible end time") << 2 << 50 << "0 0 0 0 3 24"
                                             << "2 Abtastungen  von  ?  bis  0.3.24 0:00:00";
    }
    void heading() {
        QFETCH(int, count);
        QFETCH(int, cycle);
        QFETCH(QString, end);
        QFETCH(QString, heading);
        const QStringList b = end.split(u' ');
        const ClockStamp stamp{b[0].toInt(), b[1].toInt(), b[2].toInt(),
                               b[3].toInt(), b[4].toInt(), b[5].toInt()};
        QCOMPARE(loggerHeading(count, cycle, stamp), heading + QStringLiteral("\r\n\r\n"));
    }

    // Temperatures at 11 + 8k, the plain values 6 apart after them; the widest values still fit
    // their columns.
    void sampleLine_data() {
        QTest::addColumn<int>("cycle");
        QTest::addColumn<int>("index");
        QTest::addColumn<QList<int>>("temperatures");
        QTest::addColumn<QList<int>>("values");
        QTest::addColumn<QString>("text");
        QTest::newRow("four channels, negative")
            << 50 << 1 << QList<int>{-100, 5, -5, 2155} << QList<int>{100, -100, 0, 7}
            << "5.00      -10.0   0.5     -0.5    215.5   100   -100  0     7";
        QTest::newRow("widest values")
            << 65535 << 65535 << QList<int>{-32768, 0, 0, 0} << QList<int>{-100, 100, 0, 65535}
            << "119301.01 -3276.8 0.0     0.0     0.0     -100  100   0     65535";
    }
    void sampleLine() {
        QFETCH(int, cycle);
        QFETCH(int, index);
        QFETCH(QList<int>, temperatures);
        QFETCH(QList<int>, values);
        QFETCH(QString, text);
        QCOMPARE(loggerSampleText(index, cycle, {temperatures, values}),
                 text + QStringLiteral("\r\n"));
    }

    // The samples over time: from the computed start when the controller told the end time,
    // else in the time column's unit; actual values in degrees, outputs dashed on the second
    // axis. Samples not read (a stop) are not drawn.
    void plot_data() {
        QTest::addColumn<bool>("withEnd");
        QTest::addColumn<int>("cycle");
        QTest::addColumn<double>("first");
        QTest::addColumn<double>("step");
        const double start = plotTime(QDateTime(QDate(2007, 1, 1), QTime(0, 0)));
        QTest::newRow("moments") << true << 50 << start << 5000.0;
        QTest::newRow("seconds") << false << 50 << 0.0 << 5.0;
        QTest::newRow("minutes") << false << 600 << 0.0 << 1.0;
    }
    void plot() {
        QFETCH(bool, withEnd);
        QFETCH(int, cycle);
        QFETCH(double, first);
        QFETCH(double, step);
        LoggerRecording r;
        r.count = 3;
        r.cycleTenths = cycle;
        if (withEnd)
            r.end = ClockStamp{10, 0, 0, 1, 1, 7};
        r.samples = {{{200, -100}, {50, -20}}, {{201, -100}, {49, -20}}};
        Texts texts;
        texts.setLanguageOffset(1000);
        const PlotData plot = loggerPlot(r, texts);
        QCOMPARE(plot.dateTimeAxis, withEnd);
        QCOMPARE(plot.groups, (QStringList{"Ch 1", "Ch 2"}));
        QCOMPARE(plot.series.size(), 4);
        QCOMPARE(plot.series[0].points, (QList<QPointF>{{first, 20.0}, {first + step, 20.1}}));
        QCOMPARE(plot.series[3].points, (QList<QPointF>{{first, -20.0}, {first + step, -20.0}}));
        QVERIFY(!plot.series[1].secondAxis && plot.series[2].secondAxis && plot.series[2].dashed);
        QCOMPARE(plot.series[2].group, 0);
        QCOMPARE(plot.key, QStringLiteral("—— Actual value    - - Output %"));
    }
};

QTEST_GUILESS_MAIN(TestDataLogger)
#include "tst_datalogger.moc"
