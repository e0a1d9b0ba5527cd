// q7400ctl's service commands against the simulator in this process, and devparams on files.
#include "config/ConfigurationFile.h"
#include "device/DeviceImage.h"
#include "device/Identification.h"
#include "device/ParameterTable.h"
#include "i18n/StringTable.h"
#include "services/ServiceCode.h"
#include "support/CtlRun.h"
#include "support/SimHarness.h"
#include "support/TestFiles.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {
const QDateTime kClock(QDate(2024, 12, 5), QTime(13, 45, 10));
}

class tst_CliExtra : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() {
        QVERIFY(m_dir.isValid());
        m_sim = std::make_unique<SimHarness>(SimOptions{3, 0x56, 0x10, kClock, false, 600});
        QVERIFY2(m_sim->start(20), qPrintable(m_sim->errorText()));
    }

    void commands_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QStringList>("sent"); // commands the controller received
        QTest::newRow("clock") << QStringList{"clock"} << 0 << "2024-12-05 13:45" << QStringList{};
        QTest::newRow("clock set, day cut to the month")
            << QStringList{"clock", "set", "2023-02-31T10:75:13"} << 0 << "2023-02-28 10:59:13"
            << QStringList{"W90 0000000D3B0A1C0217"};
        QTest::newRow("clock set, bad form")
            << QStringList{"clock", "set", "31.2.2023"} << 2 << "" << QStringList{};
        QTest::newRow("interface")
            << QStringList{"interface", "9600", "n"} << 0 << "" << QStringList{"WA0 21"};
        QTest::newRow("interface the firmware does not offer")
            << QStringList{"interface", "4800", "e", "--firmware", "0x56"} << 2 << ""
            << QStringList{};
        QTest::newRow("CAN read") << QStringList{"can"} << 0 << "4 125 k" << QStringList{};
        QTest::newRow("CAN not offered (attributes 0x10)")
            << QStringList{"can", "3"} << 2 << "" << QStringList{};
        QTest::newRow("protocol") << QStringList{"protocol"} << 0 << "Modbus"
                                  << QStringList{"W3C 00", "WD0 7D05000102"};
        QTest::newRow("reset") << QStringList{"reset"} << 0 << "" << QStringList{"S44"};
        QTest::newRow("LEDs") << QStringList{"op", "leds"} << 0 << "" << QStringList{"W32 33"};
        QTest::newRow("mapping") << QStringList{"op", "mapping"} << 0 << "mapping running"
                                 << QStringList{"W32 AA"};
        QTest::newRow("transfer, waited for")
            << QStringList{"op", "chan-dbs", "--wait"} << 0 << "idle" << QStringList{"W32 99"};
        QTest::newRow("extra")
            << QStringList{"extra"} << 0
            << "Firmware: V5.6\nAttributes: 0x10\nProtocol: Modbus\nModbus address: 3\n"
               "Internal transfer: idle\nMapping: stopped\nCAN baud: 4 125 k\nClock: 2024-12-05"
            << QStringList{};
        QTest::newRow("service code of the day")
            << QStringList{"service", serviceCode(QDate::currentDate())} << 0 << "Firmware: V5.6\n"
            << QStringList{"W3C 77"};
        QTest::newRow("wrong service code")
            << QStringList{"service", "1"} << 2 << "" << QStringList{};
    }
    void commands() {
        QFETCH(QStringList, args);
        QFETCH(int, status);
        QFETCH(QString, out);
        QFETCH(QStringList, sent);
        const CtlRun r = q7400ctl(args);
        QVERIFY2(r.status == status, qPrintable(r.err));
        QVERIFY2(r.out.left(out.size()) == out, qPrintable(r.out));
        QStringList commands;
        for (const QString& line : m_sim->trace())
            if (line.startsWith(u'W') || line.startsWith(u'S'))
                commands << line;
        QCOMPARE(commands, sent);
        // A refused option is refused before anything is sent.
        if (status == 2 && args.first() != QLatin1String("can"))
            QVERIFY(m_sim->requests.isEmpty());
    }

    void deviceParameters() {
        // Written in the language q7400ctl runs in, which names the rows in the file.
        Texts english;
        english.setLanguageOffset(1000);
        ParameterTable table;
        table.BuildParameterTable(english);
        DeviceImage image;
        image.clear();
        image.setValue(31, 1, 0x00); // temperature inputs
        image.setValue(38, 1, 500);
        const QString file = m_dir.filePath(QStringLiteral("plant.tvk"));
        QVERIFY(WriteConfigurationFile(file, image, table).ok);

        // Nothing set: the same file comes out.
        const QString same = m_dir.filePath(QStringLiteral("same.tvk"));
        CtlRun r = q7400ctl({"devparams", file, "-o", same}, false);
        QVERIFY2(r.status == 0, qPrintable(r.err));
        QCOMPARE(readFile(same), readFile(file));
        QStringList lines = r.out.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 23);
        QCOMPARE(lines[16], QStringLiteral("16\tCT ratio\t50.0\tvisible"));
        QCOMPARE(lines[0], QStringLiteral("0\tChannel  1\t0.0\thidden"));

        const QString out = m_dir.filePath(QStringLiteral("out.tvk"));
        r = q7400ctl({"devparams", file, "--firmware", "0x56", "--set", "21=60", "--set", "20=1",
                      "--dim", "f", "--autark", "on", "-o", out},
                     false);
        QVERIFY2(r.status == 0, qPrintable(r.err));
        lines = r.out.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines[21], QStringLiteral("21\tPower limitation\t62\tvisible"));
        QCOMPARE(lines[20], QStringLiteral("20\tLogger control\t1 = Stop\tvisible"));
        DeviceImage written;
        Identification id;
        QVERIFY(ReadConfigurationFile(out, written, id, table).ok);
        QCOMPARE(written.value(54, 1), 62.0);
        QCOMPARE(written.value(44, 1), 1.0);
        QCOMPARE(written.value(32, 1), 3.0);

        // Refused edits save nothing.
        for (const QStringList& refused :
             {QStringList{"--set", "3=5"},    // hidden on this module
              QStringList{"--set", "16=abc"}, // not a number
              QStringList{"--firmware", "0x56", "--dim", "f", "--autark", "on", "--amps", "on",
                          "--funcstore", "on"}}) { // the factory command
            QFile::remove(out);
            r = q7400ctl(QStringList{"devparams", file, "-o", out} + refused, false);
            QCOMPARE(r.status, 2);
            QVERIFY(!QFile::exists(out));
        }
    }

private:
    CtlRun q7400ctl(const QStringList& args, bool withPort = true) {
        m_sim->requests.clear();
        return runCtlOn(withPort ? m_sim->slavePath() : QString(), args);
    }
    std::unique_ptr<SimHarness> m_sim;
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(tst_CliExtra)
#include "tst_cli_extra.moc"
