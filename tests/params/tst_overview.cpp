#include "app/Defaults.h"
#include "device/DeviceData.h"
#include "device/Identification.h"
#include "device/ParameterTable.h"
#include "i18n/StringTable.h"
#include "params/Overview.h"
#include "support/ScriptedInteraction.h"

#include <QTest>

namespace {
struct Plant {
    ScriptedInteraction interaction;
    DeviceData data{interaction};
    Texts& texts = data.texts;
    DeviceImage& image = data.image;
    Identification& id = data.identification;
    ParameterTable& table = data.table;
    Plant() {
        data.setLanguageOffset(1000);
        LoadDefaultConfiguration(image, id);
    }
    Overview overview() { return buildOverview(data); }
};
} // namespace

class tst_Overview : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // One cell per class: entry, column, stored value, module variant, text.
    void cells_data() {
        QTest::addColumn<int>("entry");
        QTest::addColumn<int>("column");
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<int>("variant");
        QTest::addColumn<QString>("text");
        struct Case {
            const char* tag;
            int entry;
            int column;
            QVariant stored;
            int variant;
            const char* text;
        };
        const Case cases[] = {
            {"setpoint thermo", 0, 8, 1234, 3, "123.4"},
            {"setpoint negative", 3, 1, 65486, 3, "-5.0"},
            {"setpoint linear fsv 1000", 0, 2, 1234, 2, "123.4"},
            {"fsv thermo", 41, 1, 1000, 3, "100.0"},
            {"fsv linear", 41, 1, 1000, 2, "1000.0"},
            {"tenths", 9, 4, 65535, 3, "-0.1"},
            {"percent", 22, 1, 156, 3, "-100"},
            {"percent edited text", 23, 1, QString("80"), 3, "80"},
            {"alarm mask", 28, 5, 4096, 3, "0x1000"},
            {"hex of a real", 29, 1, 32769.4, 3, "0x8001"},
            {"terminal 20", 36, 20, 253, 3, "0xFD"},
            {"parameter set id", 50, 6, 0x24, 3, "0x24"},
            {"sensor type", 33, 2, 10, 3, "10"},
            {"CT ratio", 38, 1, 1000, 3, "100.0"},
            {"CT ratio column 2 empty", 38, 2, 5, 3, ""},
            {"attributes", 31, 1, 16, 3, "0x10"},
            {"device id", 30, 1, 0x2A, 3, "Q2A"},
            {"software version", 34, 1, 0x56, 3, "V56"},
            {"channel 9 empty", 0, 9, 1, 3, ""},
        };
        for (const Case& c : cases)
            QTest::newRow(c.tag) << c.entry << c.column << c.stored << c.variant << QString(c.text);
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

    void printColumns() {
        Plant p;
        p.image.setValue(0, 1, 1234);
        for (int t = 1; t <= 20; ++t)
            p.image.setValue(36, t, t);
        const Overview o = p.overview();
        QCOMPARE(o.headings.value(9), QString("I/O 9"));
        const OverviewPrint print =
            overviewPrint(o, p.texts, "Q7400", QDateTime({2024, 5, 12}, {14, 30}));
        QCOMPARE(o.rows[39].name, QString("Secondary heating voltage"));
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
        // Firmware V3.6 has entries 0..53.
        p.id.FirmwareVersion = 0x36;
        QCOMPARE(p.overview().rows.size(), 54);
    }

    // Every page starts with the heading; the three lines of the I/O configuration stay on one
    // page.
    void pages() {
        Plant p;
        const OverviewPrint print = overviewPrint(p.overview(), p.texts, "Q7400", QDateTime());
        const QList<QStringList> pages = print.pages(7 + 38);
        QCOMPARE(pages.size(), 2);
        QCOMPARE(pages[0].size(), 7 + 36);
        QCOMPARE(pages[1].mid(0, 7), print.heading);
        QVERIFY(pages[1][7].contains("I/O"));
        QCOMPARE(pages[0].size() + pages[1].size() - 7, print.lines().size());
        // A page too small for anything still takes one entry.
        QCOMPARE(print.pages(1).size(), 56);
    }
};

QTEST_GUILESS_MAIN(tst_Overview)
#include "tst_overview.moc"
