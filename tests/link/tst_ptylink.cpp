// The real QSerialPort over a pseudo-terminal with the simulated controller on the other end,
// answering in 7-byte pieces; and q7400ctl against the same peer.
#include "link/Telegram.h"
#include "support/CtlRun.h"
#include "support/LinkBench.h"
#include "support/SimHarness.h"
#include "support/TestFiles.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
constexpr int Address = 5;
} // namespace

class TestPtyLink : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    std::unique_ptr<SimHarness> sim;

    CtlRun ctl(QStringList args) {
        return runCtl(args << QStringLiteral("--settings")
                           << dir.filePath(QStringLiteral("Q7400n.cfg")));
    }

private Q_SLOTS:
    void initTestCase() {
        if (qEnvironmentVariableIsEmpty("Q7400_BIN_DIR"))
            QSKIP("Q7400_BIN_DIR not set");
        const QString settings = dir.filePath(QStringLiteral("Q7400n.cfg"));
        QVERIFY(writeFile(settings, "19200,e,8,1\n1\n1000\n5\n")); // English, address 5
    }
    // A controller with firmware 3.6, attributes 0x41 (A1 B2) and device errors 0 and 2.
    void init() {
        sim = std::make_unique<SimHarness>(SimOptions{Address, 0x36, 0x41, QDateTime(), false});
        QVERIFY2(sim->start(), qPrintable(sim->errorText()));
        sim->server().setChunkSize(7);
        sim->device().raiseDeviceError(0x0005);
    }

    // When the line goes away the port closes itself (left open it is polled without end)
    // and says so; the waiting exchange ends at once.
    void lineGoesAway() {
        LinkBench bench(sim->slavePath(), Address);
        QVERIFY(bench.opened);
        QSignalSpy lost(&bench.link, &Link::portLost);
        sim->silenceFrom(1); // the request waits until the line goes
        QTimer::singleShot(20, &sim->server(), [this] { sim->server().stop(); });
        bench.services.ReadRequest(0, 1, 8, 0);
        QVERIFY(bench.link.CommError);
        QTRY_COMPARE(lost.size(), 1);
        QVERIFY(!bench.serial().isOpen());
        QVERIFY2(lost[0][0].toString().contains(sim->slavePath()),
                 qPrintable(lost[0][0].toString()));
        QVERIFY(bench.interaction.asked.isEmpty());
    }

    // The line is changed while the port is open (the Interface menu, the line scan): a port
    // that refuses the change while open, as a pseudo-terminal refuses even parity, is opened
    // again with it, and the controller still answers.
    void settingsChangedWhileOpen_data() {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::newRow("baud, even parity") << "9600,n,8,1"
                                           << "38400,e,8,1";
        QTest::newRow("parity only") << "19200,e,8,1"
                                     << "19200,o,8,1";
        QTest::newRow("no parity") << "19200,e,8,1"
                                   << "9600,n,8,1";
    }
    void settingsChangedWhileOpen() {
        QFETCH(QString, from);
        QFETCH(QString, to);
        LinkBench bench(sim->slavePath(), Address, from);
        QVERIFY(bench.opened);
        QSignalSpy lost(&bench.serial(), &SerialPort::lost);
        QVERIFY(!bench.serial().setSettings(QStringLiteral("19200,x,8,1")));
        QVERIFY(bench.serial().isOpen());
        QVERIFY2(bench.serial().setSettings(to), qPrintable(bench.serial().errorText()));
        QVERIFY(bench.serial().isOpen());
        QVERIFY(bench.serial().errorText().isEmpty()); // not the refusal before
        bench.services.ReadRequest(0, 1, 8, 0);
        QVERIFY(!bench.link.CommError);
        QVERIFY(lost.isEmpty());
    }

    // Permission denied names the group that owns the device and how to join it.
    void permissionHintNamesGroup() {
        struct stat info {};
        QCOMPARE(::stat(QFile::encodeName(sim->slavePath()).constData(), &info), 0);
        const struct group* g = ::getgrgid(info.st_gid);
        QVERIFY(g);
        const QString hint = permissionHint(sim->slavePath());
        QVERIFY2(hint.contains(QStringLiteral("\"%1\"").arg(QString::fromLocal8Bit(g->gr_name))),
                 qPrintable(hint));
        QVERIFY(hint.contains(QStringLiteral("usermod -aG")));
    }

    // A port name with control characters is refused before anything is locked or opened; a
    // NUL byte in it used to leave a lock file that crashed every later start.
    void controlCharactersInPortName() {
        const QString settings = dir.filePath(QStringLiteral("nul.cfg"));
        QVERIFY(writeFile(settings, "19200,e,8,1\n" + QFile::encodeName(sim->slavePath()) +
                                        QByteArray("\0x\n1000\n5\n", 10)));
        for (int run = 0; run < 2; ++run) {
            const CtlRun r = runCtl({"probe", "--settings", settings});
            QVERIFY(!r.crashed);
            QCOMPARE(r.status, 1);
            QVERIFY2(r.err.contains(QStringLiteral("contains control characters")),
                     qPrintable(r.err));
            QVERIFY(r.err.contains(sim->slavePath() + QStringLiteral("\\x00x")));
        }
        QVERIFY(sim->requests.isEmpty());
    }

    // Busy, locked and not permitted are told apart; a group is named only for the last.
    void portInUse() {
        QtSerialPort first(sim->slavePath());
        QVERIFY(first.open());
        QtSerialPort second(sim->slavePath());
        QVERIFY(!second.open());
        QVERIFY2(second.errorText().contains(QStringLiteral("is in use by another program")),
                 qPrintable(second.errorText()));
        QVERIFY(second.errorText().contains(QStringLiteral("(process %1)").arg(getpid())));
        QVERIFY(!second.errorText().contains(QStringLiteral("group")));
    }

    void staleLockIsNamed() {
        const pid_t child = fork();
        if (child == 0)
            _exit(0);
        QVERIFY(child > 0);
        QCOMPARE(waitpid(child, nullptr, 0), child); // a process number that no longer runs
        const QString lock = dir.filePath(QStringLiteral("LCK..ttyUSB7"));
        QVERIFY(writeFile(lock, QByteArray::number(child) + "\nq7400-config\nhost\n"));
        const QString problem = portAccessProblem(QStringLiteral("/dev/ttyUSB7"), {dir.path()});
        QVERIFY2(problem.contains(QStringLiteral("stale lock file %1").arg(lock)),
                 qPrintable(problem));
        QVERIFY(problem.contains(QStringLiteral("q7400-config (process %1)").arg(child)));
        QVERIFY(!problem.contains(QStringLiteral("group")));
    }

    void cliProbe() {
        const CtlRun run = ctl({"probe", "--port", sim->slavePath()});
        QCOMPARE(run.err, QString());
        QCOMPARE(run.status, 0);
        QCOMPARE(run.out, QStringLiteral("Firmware: V3.6\nDevice feature code:  A1 B2\n"));
        // Firmware not yet known: the Modbus and the Q8100 return come first.
        QCOMPARE(sim->requests.mid(0, 2),
                 (QByteArrayList{QByteArray::fromHex("0010d0057d010100c666"),
                                 QByteArray::fromHex("10ff494816")}));
    }

    void cliErrors() {
        QVERIFY(sim->device().setItem(0, 3, {200})); // channel 3 at its setpoint: no alarm
        sim->device().advance(100);
        const CtlRun run = ctl({"errors", "--port", sim->slavePath(), "--lang", "de"});
        QCOMPARE(run.status, 0);
        QCOMPARE(run.out, QStringLiteral("Analogteil-Fehler\nÜbersteuerung HC2\n"
                                         "0010 0010 0000 0010 0010 0010 0010 0010\n"));
        QCOMPARE(sim->requests.last().toHex(), QByteArray("107a057f16"));
    }

    void cliSilentController() {
        const CtlRun run = ctl({"probe", "--port", sim->slavePath(), "--address", "12"});
        QCOMPARE(run.status, 1);
        QCOMPARE(run.err.count(QStringLiteral("No communication possible")), 1);
        QCOMPARE(run.out, QString());
        const auto reads = sim->sent(Telegram::ReadControl);
        QCOMPARE(reads.size(), 4); // sent once and repeated three times
        QCOMPARE(int(quint8(sim->requests.last()[5])), 12);
    }

    void cliUsage_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("message");
        QTest::newRow("baud") << QStringList{"probe", "--baud", "1200"} << 2 << "--baud";
        QTest::newRow("parity") << QStringList{"errors", "--parity", "x"} << 2 << "--parity";
        QTest::newRow("address") << QStringList{"probe", "--address", "256"} << 2 << "--address";
        QTest::newRow("port number") << QStringList{"probe", "--port", "17"} << 2 << "--port";
        QTest::newRow("argument") << QStringList{"errors", "now"} << 2 << "takes no arguments";
        QTest::newRow("missing device")
            << QStringList{"probe", "--port", "/dev/q7400-no-such-device"} << 1 << "Error 8001  ";
    }
    void cliUsage() {
        QFETCH(QStringList, args);
        const CtlRun run = ctl(args);
        QTEST(run.status, "status");
        QFETCH(QString, message);
        QVERIFY2(run.err.contains(message), qPrintable(run.err));
    }

    // Without --lang the language comes from the settings file (English here).
    void cliLanguageFromSettings() {
        const CtlRun run = ctl({"texts"});
        QCOMPARE(run.status, 0);
        QVERIFY(run.out.contains(QStringLiteral("\n455\tNo communication possible\n")));
    }
};

QTEST_GUILESS_MAIN(TestPtyLink)
#include "tst_ptylink.moc"
