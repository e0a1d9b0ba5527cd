// q7400ctl history and logger against the simulator on a pseudo-terminal, served by this
// process while q7400ctl runs.
#include "i18n/StringTable.h"
#include "link/Telegram.h"
#include "services/AlarmHistory.h"
#include "support/CtlRun.h"
#include "support/RecordSeeds.h"
#include "support/SimHarness.h"
#include "support/TestFiles.h"

#include <QTemporaryDir>
#include <QtTest>

class tst_CliRecords : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { startSimulator(0x56); }

    void history() {
        const QString changes = m_dir.filePath(QStringLiteral("changes.txt"));
        const QString csv = m_dir.filePath(QStringLiteral("history.csv"));
        CtlRun r = q7400ctl({"history", "--csv", csv, "--changes", changes});
        QVERIFY2(r.status == 0, qPrintable(r.err));
        const QStringList rows = r.out.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(rows.size(), 4);
        QCOMPARE(rows[0], QStringLiteral("   3 entries\tCh 1\tCh 2\tCh 3\tCh 4\tCh 5\tCh 6\tCh 7\t"
                                         "Ch 8\tDev\tI/O\tI/O\tI/O"));
        QCOMPARE(rows[2],
                 QStringLiteral(" 10:30:00   01.01.2024\t8\t0\t0\t0\t0\t0\t0\t0\t1000\t0\t0\t0"));
        // The change log is the window's, byte for byte.
        QList<AlarmHistoryEntry> entries;
        for (int row = 1; row <= 3; ++row) {
            AlarmHistoryEntry e;
            e.time = ClockStamp{0, row == 2 ? 30 : 0, row == 3 ? 11 : 10, 1, 1, 24};
            e.words[0] = row < 3 ? 8 : 0;
            e.words[8] = row == 2 ? 0x1000 : 0;
            entries << e;
        }
        Texts english;
        english.setLanguageOffset(1000);
        QCOMPARE(readFile(changes), historyChangeLog(entries, english).toUtf8());
        QCOMPARE(readFile(csv).split('\n').value(3),
                 QByteArray("2024-01-01 10:30:00,0x8,0x0,0x0,0x0,0x0,0x0,0x0,0x0,0x1000,0x0,"
                            "0x0,0x0\r"));

        r = q7400ctl({"history", "--explain", "2,9"});
        QCOMPARE(r.status, 0);
        const QStringList lines = r.out.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 17);
        QCOMPARE(lines[0], QStringLiteral(" Device"));
        QCOMPARE(lines[13], QStringLiteral("12\t24 V missing"));
        QCOMPARE(lines.filter(QStringLiteral("\t---")).size(), 15);
    }

    // The controller falls silent at the second entry: the heading and the first entry are
    // printed, the change log holds the entry read, stderr says what happened once.
    void historyFallsSilent() {
        m_sim->silenceFrom(5); // 0x35, 0x2F, 0x2D, first entry
        const QString changes = m_dir.filePath(QStringLiteral("partial.txt"));
        const CtlRun r = q7400ctl({"history", "--changes", changes});
        QCOMPARE(r.status, 1);
        QCOMPARE(r.out.count(u'\n'), 2);
        QCOMPARE(r.err.count(QStringLiteral("No communication possible")), 1);
        QVERIFY2(r.err.contains(QStringLiteral("1 of 3 entries read")), qPrintable(r.err));
        QVERIFY(readFile(changes).endsWith("-\r\n 10:00:00   01.01.2024   Channel 1         -   "
                                           "AL 1, high\r\n"));
    }

    void logger() {
        const QString table = m_dir.filePath(QStringLiteral("logger.txt"));
        const QString csv = m_dir.filePath(QStringLiteral("logger.csv"));
        CtlRun r = q7400ctl({"logger", "--csv", csv, table, "--max", "2"});
        QVERIFY2(r.status == 0, qPrintable(r.err));
        QCOMPARE(m_sim->sentCodes(Telegram::ReadControl),
                 (QList<int>{0x35, 0x92, 0x98, 0x99, 0x9A, 0x9A}));
        const QList<QByteArray> lines = readFile(table).split('\n');
        QCOMPARE(lines.size(), 2 + 2 + 1);
        QCOMPARE(lines[0], QByteArray("4 Abtastungen  von  1.1.07 0:00:00  bis  1.1.07 0:00:15\r"));
        QVERIFY(lines[3].startsWith("5.00      20.1    -10.0"));
        const QList<QByteArray> rows = readFile(csv).split('\n');
        QCOMPARE(rows.size(), 2 + 2 + 1);
        QCOMPARE(rows[0], QByteArray("Q7400 logger,4 samples,cycle 5.0 s,from 2007-01-01 "
                                     "00:00:00,to 2007-01-01 00:00:15,decimal point .\r"));
        QCOMPARE(rows[3], QByteArray("5.00,20.1,-10.0,21.5,0.0,0.0,0.0,0.0,99.9,50,-20,0,0,0,0,0,"
                                     "99,230\r"));

        m_sim->requests.clear();
        r = q7400ctl({"logger", "--clear"});
        QVERIFY2(r.status == 0, qPrintable(r.err));
        QCOMPARE(m_sim->sent(Telegram::WriteControl),
                 (QList<QPair<int, QByteArray>>{{0x93, QByteArray(1, char(0x80))}}));
        QVERIFY(m_sim->device().loggerSamples().isEmpty());
    }

    void loggerFallsSilent() {
        m_sim->silenceFrom(8); // 0x35, 0x92, 0x98, 0x94, 0x95, 0x99, first sample
        const QString table = m_dir.filePath(QStringLiteral("partial.txt"));
        const CtlRun r = q7400ctl({"logger", table});
        QCOMPARE(r.status, 1);
        QCOMPARE(r.err.count(QStringLiteral("No communication possible")), 1);
        QVERIFY2(r.err.contains(QStringLiteral("1 of 4 samples read")), qPrintable(r.err));
        QCOMPARE(readFile(table).count('\n'), 2 + 1);
    }

    void failures_data() {
        QTest::addColumn<int>("firmware");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("message");
        QTest::newRow("history with an argument")
            << 0x56 << QStringList{"history", "x"} << 2 << "usage";
        QTest::newRow("explain without a column")
            << 0x56 << QStringList{"history", "--explain", "1"} << 2 << "usage";
        QTest::newRow("--csv without a file")
            << 0x56 << QStringList{"history", "--csv", "--changes", "x.txt"} << 2 << "usage";
        QTest::newRow("logger without a file") << 0x56 << QStringList{"logger"} << 2 << "usage";
        QTest::newRow("logger --max -1")
            << 0x56 << QStringList{"logger", "x.txt", "--max", "-1"} << 2 << "--max";
        QTest::newRow("no logger below 0x28")
            << 0x27 << QStringList{"logger", "x.txt"} << 1 << "No logger";
        QTest::newRow("no history below 0x30")
            << 0x2F << QStringList{"history"} << 1 << "No alarm history";
        QTest::newRow("unwritable change log")
            << 0x56 << QStringList{"history", "--changes", "no/such/dir/x.txt"} << 1 << "x.txt";
    }
    void failures() {
        QFETCH(int, firmware);
        QFETCH(QStringList, args);
        QFETCH(QString, message);
        startSimulator(firmware);
        for (QString& a : args)
            if (a.endsWith(QLatin1String(".txt")))
                a = m_dir.filePath(a);
        const CtlRun r = q7400ctl(args);
        QTEST(r.status, "status");
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        QVERIFY(!QFile::exists(m_dir.filePath(QStringLiteral("x.txt"))));
        if (firmware < 0x30)
            QCOMPARE(m_sim->sentCodes(Telegram::ReadControl), QList<int>{0x35});
    }

private:
    CtlRun q7400ctl(const QStringList& args) { return runCtlOn(m_sim->slavePath(), args); }

    // A frozen controller with three history entries and four logger samples, 5 s apart.
    void startSimulator(int firmware) {
        m_sim = std::make_unique<SimHarness>(SimOptions{3, firmware, 0x10, QDateTime(), false});
        m_sim->device().setHistory(seedHistory());
        m_sim->device().setLoggerSamples(
            {seedSample(0), seedSample(1), seedSample(2), seedSample(3)});
        QVERIFY(m_sim->device().setItem(146, 1, {50}));
        QVERIFY2(m_sim->start(), qPrintable(m_sim->errorText()));
    }

    std::unique_ptr<SimHarness> m_sim;
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(tst_CliRecords)
#include "tst_cli_records.moc"
