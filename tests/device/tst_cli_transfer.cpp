#include "link/Telegram.h"
#include "support/CtlRun.h"
#include "support/SimHarness.h"
#include "support/TestFiles.h"

#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

// q7400ctl against the simulator on a pseudo-terminal. The simulator runs in this process, so
// the test waits for q7400ctl in the event loop.
class tst_CliTransfer : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() {
        QVERIFY(m_dir.isValid());
        startSimulator(0x41);
    }

    void readShowAndWriteBack() {
        const QString file = m_dir.filePath(QStringLiteral("read.tvk"));
        QVERIFY(m_sim->device().setItem(0, 1, {1234}));
        QVERIFY(m_sim->device().setItem(100, 1, {2500}));
        CtlRun r = q7400ctl({"read", file});
        QVERIFY2(r.status == 0, qPrintable(r.err));
        QVERIFY(r.err.isEmpty()); // no progress when stderr is not a terminal

        r = q7400ctl({"show", file}, false);
        QCOMPARE(r.status, 0);
        const QStringList lines = r.out.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 55);
        QVERIFY(lines[37].startsWith(QStringLiteral("38\tCT ratio\t2500\t")));
        QCOMPARE(lines[37].count(u'\t'), 2 + 7);
        QVERIFY(lines[30].startsWith(QStringLiteral("31\tAttributes\t65")));

        // Edit a setpoint limit in the file and write it back: it arrives in the controller.
        QVERIFY(editConfigurationValue(file, file, "Max. setpoint", "777"));
        m_sim->requests.clear();
        QVERIFY(m_sim->device().setItem(0, 2, {4321})); // changed on the controller since
        r = q7400ctl({"write", file});
        QVERIFY2(r.status == 0, qPrintable(r.err));
        QCOMPARE(m_sim->device().itemValue(7, 1), 777);
        // The file carries no setpoints: the controller keeps its own. The write read them
        // first, with everything else it shows in the preview.
        QCOMPARE(m_sim->device().itemValue(0, 1), 1234);
        QCOMPARE(m_sim->device().itemValue(0, 2), 4321);
        // The values as the windows show them, then where the controller's configuration as it
        // was is kept.
        QVERIFY2(r.out.startsWith(QStringLiteral("7 Max. setpoint: 1: 600.0 -> 77.7\nas-found "
                                                 "backup: ")),
                 qPrintable(r.out));
        QCOMPARE(commands().first().first, 34); // the write order starts at row 27
    }

    // Rows the firmware does not have keep the program's defaults, as in the window.
    void readKeepsDefaultsOfRowsTheFirmwareLacks() {
        startSimulator(0x10, 0x10); // rows 0..40 only
        const QString file = m_dir.filePath(QStringLiteral("old.tvk"));
        const CtlRun r = q7400ctl({"read", file});
        QVERIFY2(r.status == 0, qPrintable(r.err));
        const QStringList lines = q7400ctl({"show", file}, false).out.split(u'\n');
        QVERIFY(lines[40].startsWith(QStringLiteral("41\tF.s.v. for linear inputs\t1000\t")));
        QVERIFY(lines[42].startsWith(QStringLiteral("43\tLogger cycle\t10")));
    }

    void writeStopsOnMismatchUnlessForced() {
        const QString file = m_dir.filePath(QStringLiteral("a1b2.tvk"));
        QCOMPARE(q7400ctl({"read", file}).status, 0);
        startSimulator(0x10);

        CtlRun r = q7400ctl({"write", file});
        QCOMPARE(r.status, 3);
        QVERIFY2(r.err.contains(
                     QStringLiteral("the controller is A0 B1, the configuration is for A1 B2")),
                 qPrintable(r.err));
        QVERIFY(commands().isEmpty());

        r = q7400ctl({"write", file, "--force"});
        QCOMPARE(r.status, 0);
        QVERIFY(commands().size() > 40);
    }

    void parameterSetIdNow() {
        const QString file = m_dir.filePath(QStringLiteral("id.tvk"));
        QCOMPARE(q7400ctl({"read", file}).status, 0);
        const QDateTime before = QDateTime::currentDateTime();
        QCOMPARE(q7400ctl({"write", file, "--id", "now"}).status, 0);
        auto bcd = [&](int i) {
            const int b = m_sim->device().itemValue(63, i);
            return (b >> 4) * 10 + (b & 15);
        };
        const QDateTime stored(QDate(2000 + bcd(6), bcd(5), bcd(4)), QTime(bcd(3), bcd(2), bcd(1)));
        QVERIFY(stored.isValid());
        QVERIFY(qAbs(stored.secsTo(before)) <= 30);

        QCOMPARE(q7400ctl({"write", file, "--id", "070309140530"}).status, 0);
        QCOMPARE(m_sim->device().item(63), (QVector<int>{0x30, 0x05, 0x14, 0x09, 0x03, 0x07}));
    }

    void storeSendsOneCommand_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("byte");
        QTest::newRow("store2") << "store2" << 0x2E;
        QTest::newRow("load1") << "load1" << 0x1F;
        QTest::newRow("factory") << "factory" << 0x0F;
    }
    void storeSendsOneCommand() {
        QFETCH(QString, command);
        QFETCH(int, byte);
        const CtlRun r = q7400ctl({"paraset", command});
        QVERIFY2(r.status == 0, qPrintable(r.err));
        const auto sent = commands();
        QCOMPARE(sent.size(), 1);
        QCOMPARE(sent[0].first, 0x32);
        QCOMPARE(sent[0].second, QByteArray(1, char(byte)));
    }

    void failures_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("message");
        QTest::newRow("read without file") << QStringList{"read"} << 2 << "usage";
        QTest::newRow("bad id") << QStringList{"write", "x.tvk", "--id", "0703"} << 2 << "--id";
        QTest::newRow("unknown paraset") << QStringList{"paraset", "store3"} << 2 << "usage";
        QTest::newRow("missing file") << QStringList{"write", "missing.tvk"} << 1 << "missing.tvk";
        QTest::newRow("unwritable file")
            << QStringList{"read", "no/such/dir/x.tvk"} << 1 << "x.tvk";
        QTest::newRow("show missing file")
            << QStringList{"show", "missing.tvk"} << 1 << "missing.tvk";
        QTest::newRow("show a device") << QStringList{"show", "/dev/zero"} << 1
                                       << "\"/dev/zero\" is a device, not a regular file";
        QTest::newRow("read into a FIFO")
            << QStringList{"read", "fifo.tvk"} << 1 << "fifo.tvk\" is a FIFO, not a regular file";
    }
    void failures() {
        QFETCH(QStringList, args);
        QFETCH(QString, message);
        for (QString& a : args)
            if (a.endsWith(QLatin1String(".tvk")))
                a = m_dir.filePath(a);
        const QString fifo = m_dir.filePath(QStringLiteral("fifo.tvk"));
        ::mkfifo(QFile::encodeName(fifo).constData(), 0600);
        const CtlRun r = q7400ctl(args);
        QTEST(r.status, "status");
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        QVERIFY(!QFileInfo(fifo).isFile()); // left as it was
    }

private:
    CtlRun q7400ctl(const QStringList& args, bool withPort = true) {
        return runCtlOn(withPort ? m_sim->slavePath() : QString(), args);
    }
    QList<QPair<int, QByteArray>> commands() const { return m_sim->sent(Telegram::WriteControl); }
    void startSimulator(int attributes, int firmware = 0x56);

    std::unique_ptr<SimHarness> m_sim;
    QTemporaryDir m_dir;
};

void tst_CliTransfer::startSimulator(int attributes, int firmware) {
    m_sim = std::make_unique<SimHarness>(SimOptions{3, firmware, attributes, QDateTime(), false});
    QVERIFY2(m_sim->start(), qPrintable(m_sim->errorText()));
}

QTEST_GUILESS_MAIN(tst_CliTransfer)
#include "tst_cli_transfer.moc"
