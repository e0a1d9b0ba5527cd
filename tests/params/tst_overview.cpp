#include "app/Defaults.h"
#include "device/DeviceImage.h"
#include "device/Identification.h"
#include "device/ParameterTable.h"
#include "i18n/StringTable.h"
#include "params/Overview.h"

#include <QTest>

namespace {
struct Plant {
    Texts texts;
    ParameterTable table;
    DeviceImage image;
    Identification id;
    Plant() {
        texts.setLanguageOffset(1000);
        table.BuildParameterTable(texts);
        LoadDefaultConfiguration(image, id);
    }
    Overview overview() { return buildOverview(image, table, id, texts); }
};
} // namespace

class tst_Overview : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void lastEntryFollowsFirmware_data() {
        QTest::addColumn<int>("firmware");
        QTest::addColumn<int>("last");
        QTest::newRow("0x10") << 0x10 << 40;
        QTest::newRow("0x36") << 0x36 << 53;
        QTest::newRow("0x53") << 0x53 << 55;
    }
    void lastEntryFollowsFirmware() {
        Plant p;
        QFETCH(int, firmware);
        p.id.FirmwareVersion = firmware;
        const Overview o = p.overview();
        QTEST(int(o.rows.size()) - 1, "last");
        QCOMPARE(o.rows.last().entry, o.rows.size() - 1);
    }

    // One cell per class: entry, column, stored value, module variant, text.
    void cells_data() {
        QTest::addColumn<int>("entry");
        QTest::addColumn<int>("column");
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<int>("variant");
        QTest::addColumn<QString>("text");
        QTest::newRow("setpoint thermo") << 0 << 8 << QVariant(1234) << 3 << "123.4";
        QTest::newRow("setpoint negative") << 3 << 1 << QVariant(65486) << 3 << "-5.0";
        QTest::newRow("setpoint linear fsv 1000") << 0 << 2 << QVariant(1234) << 2 << "123.4";
        QTest::newRow("fsv thermo") << 41 << 1 << QVariant(1000) << 3 << "100.0";
        QTest::newRow("fsv linear") << 41 << 1 << QVariant(1000) << 2 << "1000.0";
        QTest::newRow("tenths") << 9 << 4 << QVariant(65535) << 3 << "-0.1";
        QTest::newRow("percent") << 22 << 1 << QVariant(156) << 3 << "-100";
        QTest::newRow("percent edited text") << 23 << 1 << QVariant("80") << 3 << "80";
        QTest::newRow("alarm mask") << 28 << 5 << QVariant(4096) << 3 << "0x1000";
        QTest::newRow("hex of a real") << 29 << 1 << QVariant(32769.4) << 3 << "0x8001";
        QTest::newRow("terminal 20") << 36 << 20 << QVariant(253) << 3 << "0xFD";
        QTest::newRow("parameter set id") << 50 << 6 << QVariant(0x24) << 3 << "0x24";
        QTest::newRow("sensor type") << 33 << 2 << QVariant(10) << 3 << "10";
        QTest::newRow("CT ratio") << 38 << 1 << QVariant(1000) << 3 << "100.0";
        QTest::newRow("CT ratio column 2 empty") << 38 << 2 << QVariant(5) << 3 << "";
        QTest::newRow("attributes") << 31 << 1 << QVariant(16) << 3 << "0x10";
        QTest::newRow("device id") << 30 << 1 << QVariant(0x2A) << 3 << "Q2A";
        QTest::newRow("software version") << 34 << 1 << QVariant(0x56) << 3 << "V56";
        QTest::newRow("dimension") << 32 << 1 << QVariant(1) << 3 << "1";
        QTest::newRow("channel 9 empty") << 0 << 9 << QVariant(1) << 3 << "";
    }
    void cells() {
        QFETCH(int, entry);
        QFETCH(int, column);
        QFETCH(QVariant, stored);
        QFETCH(int, variant);
        Plant p;
        p.id.ModuleVariant = variant;
        p.image.cell(entry, column) = stored;
        const Overview o = p.overview();
        QTEST(o.rows[entry].cells[column - 1], "text");
    }

    void headingsAndNames() {
        Plant p;
        const Overview o = p.overview();
        QCOMPARE(o.headings.size(), 21);
        QCOMPARE(o.headings[1], QString("Channel  1"));
        QCOMPARE(o.headings[9], QString("I/O 9"));
        QCOMPARE(o.headings[20], QString("I/O 20"));
        QCOMPARE(o.rows[39].name, QString("Secondary heating voltage"));
        p.texts.setLanguageOffset(2000);
        p.table.BuildParameterTable(p.texts);
        QCOMPARE(p.overview().headings[8], p.texts.LoadText(254) + " 8");
    }

    void printColumns() {
        Plant p;
        p.image.setValue(0, 1, 1234);
        for (int t = 1; t <= 20; ++t)
            p.image.setValue(36, t, t);
        const OverviewPrint print =
            overviewPrint(p.overview(), p.texts, "Q7400", QDateTime({2024, 5, 12}, {14, 30}));
        const QStringList h = print.heading;
        QCOMPARE(h.size(), 7);
        QCOMPARE(h[1], QString(53, ' ') + "Configuration of the Q7400   2024-05-12   14:30");
        QCOMPARE(h[3].indexOf("Channel  1"), 53);
        QCOMPARE(h[3].indexOf("Channel  8"), 130);
        QCOMPARE(h[4] + h[5] + h[6], QString());

        QCOMPARE(print.entries.size(), 56);
        const QString setpoint = print.entries[0].first();
        QCOMPARE(setpoint.indexOf("Setpoint"), 15);
        QCOMPARE(setpoint.indexOf("123.4"), 53);
        QCOMPARE(setpoint.mid(64, 3), QString("0.0"));
        // Device-wide entries print cell 1 only; the I/O configuration takes three lines.
        QCOMPARE(print.entries[34].size(), 1);
        QCOMPARE(print.entries[34].first().indexOf("V99"), 53);
        QVERIFY(print.entries[34].first().endsWith("V99"));
        const QStringList io = print.entries[36];
        QCOMPARE(io.size(), 3);
        QCOMPARE(io[1], QString(53, ' ') + "0x9" + QString(8, ' ') + "0xA" + QString(8, ' ') +
                            "0xB" + QString(8, ' ') + "0xC" + QString(8, ' ') + "0xD" +
                            QString(8, ' ') + "0xE" + QString(8, ' ') + "0xF" + QString(8, ' ') +
                            "0x10");
        QCOMPARE(io[2].trimmed(), QString("0x11       0x12       0x13       0x14"));
        QCOMPARE(print.entries[50].first().count("0x"), 6);
        QCOMPARE(print.lines().size(), 7 + 56 + 2);
    }
};

QTEST_GUILESS_MAIN(tst_Overview)
#include "tst_overview.moc"
