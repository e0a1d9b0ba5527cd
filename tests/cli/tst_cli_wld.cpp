#include "link/Telegram.h"
#include "support/CtlRun.h"
#include "support/SimHarness.h"
#include "support/TestFiles.h"

#include <QTemporaryDir>
#include <QtTest>

#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace {
// A pseudo-terminal whose slave q7400ctl reads as stdin; type() is what the user types.
struct Terminal {
    Terminal() : master(posix_openpt(O_RDWR | O_NOCTTY)) {
        if (master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0)
            slave = QString::fromLocal8Bit(ptsname(master));
    }
    ~Terminal() {
        if (master >= 0)
            ::close(master);
    }
    bool type(const QByteArray& text) {
        return ::write(master, text.data(), text.size()) == text.size();
    }
    int master;
    QString slave;
};
} // namespace

// q7400ctl's memory-image, block-table and write-preview commands against the simulator.
class tst_CliWld : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() {
        QVERIFY(m_dir.isValid());
        startSimulator(0x56);
    }

    // From the controller to a WLD file, shown, and taken over into a configuration file that
    // holds what a read gives.
    void saveShowLoad() {
        QVERIFY(m_sim->device().setItem(16, 2, {777}));
        const QString wld = path("plant.wld");
        const QStringList header{"--block", "100",    "--version", "1",      "--author",
                                 "ABC",     "--name", "NAME",      "--time", "2024-12-05 13:45:10"};
        CtlRun r = q7400ctl(QStringList{"wld", "save", wld} + header);
        QVERIFY2(r.status == 0, qPrintable(r.err));
        QCOMPARE(readFile(wld).size(), 860);

        r = q7400ctl({"wld", "show", wld}, false);
        QVERIFY2(r.status == 0, qPrintable(r.err));
        const QStringList lines = r.out.split(u'\n');
        QCOMPARE(lines.mid(0, 6),
                 (QStringList{"DB-Nr.\t100", "Version\t01", "Author\tABC", "Family\t", "Name\tNAME",
                              "Time\t2024-12-05 13:45:10"}));
        QVERIFY2(lines.value(8).startsWith(QStringLiteral("CRC\tstored 0x")) &&
                     lines.value(8).endsWith(QStringLiteral(": ok")),
                 qPrintable(lines.value(8)));
        QVERIFY(lines.contains(
            QStringLiteral("13\tPb heating\t500\t777\t500\t500\t500\t500\t500\t500")));

        const QString tvk = path("back.tvk");
        const QString read = path("read.tvk");
        QCOMPARE(q7400ctl({"wld", "load", wld, "-o", tvk}, false).status, 0);
        QCOMPARE(q7400ctl({"read", read}).status, 0);
        QStringList fromWld = q7400ctl({"show", tvk}, false).out.split(u'\n');
        QStringList fromRead = q7400ctl({"show", read}, false).out.split(u'\n');
        for (QStringList* l : {&fromWld, &fromRead}) // device ID, software version: not carried
            l->removeAt(33), l->removeAt(29);
        QCOMPARE(fromWld, fromRead);

        // The same from the configuration file, without the controller.
        const QString offline = path("offline.wld");
        QCOMPARE(
            q7400ctl(QStringList{"wld", "save", offline, "--from", read} + header, false).status,
            0);
        QCOMPARE(readFile(offline), readFile(wld));
    }

    // Refused before anything is written; from firmware 0x90 the block table is neither read
    // nor written.
    void refusals_data() {
        QTest::addColumn<int>("firmware");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("message");
        const QStringList save{"wld", "save", "x.wld", "--from", "a.tvk"};
        QTest::newRow("version beyond a byte") << 0x56 << save + QStringList{"--version", "300"}
                                               << 2 << "--version takes a number 0..255";
        QTest::newRow("blank in a text")
            << 0x56 << save + QStringList{"--author", "A B"} << 2 << "--author";
        QTest::newRow("year before 1984")
            << 0x56 << save + QStringList{"--time", "1983-12-31 00:00:00"} << 2 << "--time";
        QTest::newRow("not a WLD file")
            << 0x56 << QStringList{"wld", "show", "a.tvk"} << 1 << "Invalid WLD file";
        QTest::newRow("load without output")
            << 0x56 << QStringList{"wld", "load", "x.wld"} << 2 << "usage";
        QTest::newRow("malformed block table")
            << 0x56 << QStringList{"blocks", "write", "21", "2G"} << 2 << "byte 2, \"2G\"";
        QTest::newRow("blocks, firmware 0x90")
            << 0x90 << QStringList{"blocks"} << 2 << "nothing sent";
        QTest::newRow("blocks write, firmware 0x90")
            << 0x90 << QStringList{"blocks", "write", "default"} << 2 << "nothing sent";
    }
    void refusals() {
        QFETCH(int, firmware);
        QFETCH(QStringList, args);
        QFETCH(QString, message);
        if (firmware != 0x56)
            startSimulator(firmware);
        QVERIFY(writeFile(path("a.tvk"), "\"Setpoint 2\"\r\n"));
        for (QString& a : args)
            if (a.endsWith(QLatin1String(".tvk")) || a.endsWith(QLatin1String(".wld")))
                a = path(a);
        const CtlRun r = q7400ctl(args);
        QTEST(r.status, "status");
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        QVERIFY(!QFile::exists(path("x.wld")));
        QVERIFY(m_sim->sent(Telegram::WriteControl).isEmpty());
        for (int code : m_sim->sentCodes(Telegram::ReadControl))
            QCOMPARE(code, 53); // at most the firmware
    }

    void blocks() {
        QVERIFY(m_sim->device().setItem(61, 1, {0x22}));
        CtlRun r = q7400ctl({"blocks"});
        QVERIFY2(r.status == 0, qPrintable(r.err));
        const QStringList lines = r.out.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 6);
        QVERIFY(lines[0].startsWith(QStringLiteral("22 21 21 21 26 26 6F B3")));

        // What blocks prints, blocks write takes.
        QCOMPARE(q7400ctl(QStringList{"blocks", "write"} << lines).status, 0);
        QCOMPARE(q7400ctl({"blocks", "write", "default"}).status, 0);
        const auto writes = m_sim->sent(Telegram::WriteControl);
        QCOMPARE(writes.size(), 2);
        QCOMPARE(writes[0].second.mid(3, 1), QByteArray("\x22"));
        QCOMPARE(m_sim->device().rawBlock().at(0), char(0x21));
    }

    // On a terminal the write asks after its preview; --yes does not ask.
    void writeAsksOnATerminal() {
        const QString file = path("plant.tvk");
        QCOMPARE(q7400ctl({"read", file}).status, 0);
        QVERIFY(editConfigurationValue(file, file, "Max. setpoint", "5000"));

        Terminal terminal;
        QVERIFY(!terminal.slave.isEmpty());
        QVERIFY(terminal.type("n\n"));
        CtlRun r = q7400ctl({"write", file}, true, terminal.slave);
        QCOMPARE(r.status, 4);
        QCOMPARE(r.out, QStringLiteral("7 Max. setpoint: 1: 600.0 -> 500.0\n"));
        QVERIFY2(r.err.contains(QStringLiteral("Write this to the controller? [y/N]")),
                 qPrintable(r.err));
        QVERIFY(m_sim->sent(Telegram::WriteControl).isEmpty());

        r = q7400ctl({"write", file, "--yes"}, true, terminal.slave);
        QVERIFY2(r.status == 0, qPrintable(r.err));
        QVERIFY(!r.err.contains(QStringLiteral("[y/N]")));
        QCOMPARE(m_sim->device().itemValue(7, 1), 5000);
    }

private:
    QString path(const QString& name) const { return m_dir.filePath(name); }
    CtlRun q7400ctl(const QStringList& args, bool withPort = true, const QString& input = {}) {
        return runCtlOn(withPort ? m_sim->slavePath() : QString(), args, 30000, input);
    }
    void startSimulator(int firmware) {
        m_sim = std::make_unique<SimHarness>(SimOptions{3, firmware, 0x10, QDateTime(), false});
        QVERIFY2(m_sim->start(), qPrintable(m_sim->errorText()));
    }

    std::unique_ptr<SimHarness> m_sim;
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(tst_CliWld)
#include "tst_cli_wld.moc"
