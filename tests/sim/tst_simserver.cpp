// The simulator on a pseudo-terminal, reached through the program's own serial-port and link
// code, plus the wire-level behaviour of the server: faults, timing, chunks, trace, hang-up.
#include "config/ConfigurationFile.h"
#include "link/Telegram.h"
#include "support/LinkBench.h"
#include "support/SimHarness.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QtTest>

namespace {

constexpr int kAddress = 3;
const QByteArray kFirmwareRead = Telegram::buildLong(Telegram::ReadControl, kAddress, 53, {});

// The program's link stack on the simulator's line.
struct LinkStack : LinkBench {
    explicit LinkStack(const QString& path) : LinkBench(path, kAddress) {
        link.setReplyTimeout(200);
        link.setPauseInterval(1);
    }
};

// A plain serial port on the pseudo-terminal, for looking at the bytes themselves.
struct RawPort {
    explicit RawPort(const QString& path) {
        port.setPortName(path);
        opened = port.open(QIODevice::ReadWrite);
        QObject::connect(&port, &QSerialPort::readyRead, [this] {
            ++readEvents;
            received += port.readAll();
        });
    }
    // Sends a request and collects what comes back within `ms`, or until `expected` bytes.
    QByteArray exchange(const QByteArray& request, int expected, int ms) {
        received.clear();
        port.write(request);
        (void)QTest::qWaitFor([&] { return received.size() >= expected; }, ms);
        return received;
    }
    QSerialPort port;
    QByteArray received;
    int readEvents = 0;
    bool opened = false;
};

} // namespace

class TestSimServer : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void faults_data() {
        QTest::addColumn<QString>("faultText");
        // What comes back for requests 1, 2 and 3: "ok", "none", or a special shape.
        QTest::addColumn<QStringList>("outcome");
        QTest::newRow("no fault") << QString() << QStringList{"ok", "ok", "ok"};
        QTest::newRow("silent from 2 on") << "silent@2+" << QStringList{"ok", "none", "none"};
        QTest::newRow("drop every 2nd") << "drop/2" << QStringList{"ok", "none", "ok"};
        QTest::newRow("corrupt 1") << "corrupt@1" << QStringList{"corrupt", "ok", "ok"};
        QTest::newRow("truncate 2") << "truncate@2" << QStringList{"ok", "half", "ok"};
        QTest::newRow("garbage 3") << "garbage@3" << QStringList{"ok", "ok", "garbage"};
        QTest::newRow("late 1") << "late@1" << QStringList{"late", "ok", "ok"};
    }
    void faults() {
        QFETCH(QString, faultText);
        QFETCH(QStringList, outcome);
        SimHarness sim;
        QVERIFY2(sim.start(), qPrintable(sim.errorText()));
        sim.server().setLateDelayMs(300);
        if (!faultText.isEmpty()) {
            QString error;
            const std::optional<SimFault> f = SimFault::parse(faultText, &error);
            QVERIFY2(f, qPrintable(error));
            QCOMPARE(f->text(), faultText);
            sim.server().addFault(*f);
        }
        QStringList logged;
        connect(&sim.server(), &PtyServer::message, this,
                [&logged](const QString& text) { logged.append(text); });
        RawPort port(sim.slavePath());
        QVERIFY(port.opened);

        const QByteArray good = QByteArray::fromHex("68040468080335569616");
        for (int i = 0; i < outcome.size(); ++i) {
            const QString& want = outcome[i];
            const QString where = QStringLiteral("request %1").arg(i + 1);
            if (want == QLatin1String("ok")) {
                QCOMPARE(port.exchange(kFirmwareRead, good.size(), 1000), good);
            } else if (want == QLatin1String("none") || want == QLatin1String("half")) {
                const QByteArray got = port.exchange(kFirmwareRead, good.size(), 100);
                QCOMPARE(got, want == QLatin1String("none") ? QByteArray() : good.left(5));
            } else if (want == QLatin1String("corrupt")) {
                const QByteArray got = port.exchange(kFirmwareRead, good.size(), 1000);
                QCOMPARE(got.size(), good.size());
                QVERIFY2(got != good, qPrintable(where));
                QCOMPARE(got.left(5), good.left(5));
            } else if (want == QLatin1String("garbage")) {
                const QByteArray got = port.exchange(kFirmwareRead, good.size() + 3, 1000);
                QCOMPARE(got, QByteArray::fromHex("FFFE00") + good);
            } else if (want == QLatin1String("late")) {
                QElapsedTimer t;
                t.start();
                QCOMPARE(port.exchange(kFirmwareRead, good.size(), 1000), good);
                QVERIFY(t.elapsed() >= 280);
            }
        }
        QCOMPARE(sim.server().requestCount(), int(outcome.size()));
        // Every injected fault is reported.
        const int faults = int(outcome.size() - outcome.count(QStringLiteral("ok")));
        QCOMPARE(int(logged.filter(QStringLiteral("fault ")).size()), faults);
    }

    void hangUp() {
        SimHarness sim;
        QVERIFY2(sim.start(), qPrintable(sim.errorText()));
        sim.server().addFault(*SimFault::parse(QStringLiteral("hangup@2")));
        QSignalSpy hung(&sim.server(), &PtyServer::hungUp);
        RawPort port(sim.slavePath());
        QVERIFY(port.opened);
        QCOMPARE(port.exchange(kFirmwareRead, 10, 1000).size(), 10);
        QVERIFY(port.exchange(kFirmwareRead, 10, 200).isEmpty());
        QCOMPARE(hung.count(), 1);
        QVERIFY(!sim.server().isRunning());
        // The line is gone for good: the device cannot be opened again.
        QSerialPort again;
        again.setPortName(sim.slavePath());
        QVERIFY(!again.open(QIODevice::ReadWrite) || !QFile::exists(sim.slavePath()));
    }

    void wireTimingAndChunks() {
        SimHarness sim;
        QVERIFY2(sim.start(), qPrintable(sim.errorText()));
        QVERIFY(sim.device().setItem(160, 1, {0x00})); // the controller's line: 4800 baud
        sim.server().setWireTiming(true);
        sim.server().setTurnaroundMs(5);
        sim.server().setChunkSize(16);
        RawPort port(sim.slavePath());
        QVERIFY(port.opened);

        // Raw block: 12 request and 108 answer bytes of 11 bits at 4800 baud = 275 ms.
        const QByteArray request =
            Telegram::buildLong(Telegram::ReadControl, kAddress, 61, QByteArray(3, 0));
        QElapsedTimer t;
        t.start();
        const QByteArray got = port.exchange(request, 108, 2000);
        const qint64 elapsed = t.elapsed();
        QCOMPARE(got.size(), 108);
        QVERIFY2(elapsed >= 270 && elapsed < 1000, qPrintable(QString::number(elapsed)));
        QVERIFY2(port.readEvents >= 4, qPrintable(QString::number(port.readEvents)));

        // Without wire timing a short answer is there at once.
        sim.server().setWireTiming(false);
        sim.server().setChunkSize(0);
        t.restart();
        QCOMPARE(port.exchange(kFirmwareRead, 10, 1000).size(), 10);
        QVERIFY(t.elapsed() < 250);
    }

    void strictLine() {
        SimHarness sim;
        QVERIFY2(sim.start(), qPrintable(sim.errorText()));
        sim.server().setStrictLine(true);
        LinkStack stack(sim.slavePath()); // 19200 baud: the controller's default
        QVERIFY(stack.opened);
        QCOMPARE(sim.server().clientBaudRate(), 19200);
        QVERIFY(stack.services.ReadFirmwareVersion());

        // The controller is told to use 9600 baud without parity: the PC must follow.
        stack.services.SendCommand(0xA0, QByteArray(1, char(0x21)));
        QVERIFY(!stack.link.CommError);
        stack.link.setReplyTimeout(50);
        stack.services.ReadRequest(53);
        QVERIFY(stack.link.CommError);
        QVERIFY(stack.serial().setSettings(QStringLiteral("9600,n,8,1")));
        QCOMPARE(sim.server().clientBaudRate(), 9600);
        QVERIFY(stack.services.ReadFirmwareVersion());
    }

    void processRunsInRealTime() {
        SimHarness sim;
        QVERIFY2(sim.start(20), qPrintable(sim.errorText()));
        QVERIFY(QTest::qWaitFor([&] { return sim.device().now() >= 200; }, 2000));
        QVERIFY(sim.device().actualValue(1) > 200);
    }

    void executable() {
        const QString bin = qEnvironmentVariable("Q7400_BIN_DIR");
        if (bin.isEmpty())
            QSKIP("Q7400_BIN_DIR is not set");
        QTemporaryDir dir;
        const QString link = dir.filePath(QStringLiteral("q7400"));
        const QString tracePath = dir.filePath(QStringLiteral("trace.txt"));
        QProcess sim;
        sim.start(bin + QStringLiteral("/q7400-sim"),
                  {QStringLiteral("--firmware"), QStringLiteral("0x42"), QStringLiteral("--link"),
                   link, QStringLiteral("--trace"), tracePath, QStringLiteral("--quiet")});
        QVERIFY(sim.waitForStarted());
        QVERIFY(QTest::qWaitFor([&] { return sim.canReadLine(); }, 5000));
        const QString path = QString::fromLocal8Bit(sim.readLine()).trimmed();
        QVERIFY(path.startsWith(QLatin1String("/dev/")));
        QVERIFY(QTest::qWaitFor([&] { return QFileInfo(link).isSymLink(); }, 2000));

        {
            LinkStack stack(link);
            QVERIFY(stack.opened);
            stack.identification.FirmwareVersion = 0x99; // all preparation frames
            stack.services.PrepareLink();
            QVERIFY(stack.services.ReadFirmwareVersion());
            QCOMPARE(stack.identification.FirmwareVersion, 0x42);
        }
        sim.terminate(); // SIGTERM: a clean end
        QVERIFY(sim.waitForFinished(5000));
        QCOMPARE(sim.exitStatus(), QProcess::NormalExit);
        QCOMPARE(sim.exitCode(), 0);
        QVERIFY(!QFileInfo(link).isSymLink());

        // The trace: every line time-stamped, requests with what they are, answers.
        QFile f(tracePath);
        QVERIFY(f.open(QIODevice::ReadOnly | QIODevice::Text));
        const QStringList lines = QString::fromUtf8(f.readAll()).split(u'\n', Qt::SkipEmptyParts);
        static const QRegularExpression stamp(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d "));
        for (const QString& line : lines)
            QVERIFY2(stamp.match(line).hasMatch(), qPrintable(line));
        for (const char* entry :
             {" RX 10 FF 49 48 16  # Q8100 link preparation",
              " RX 68 03 03 68 7B 03 35 B3 16  # read 0x35", " TX 68 04 04 68 08 03 35 42"})
            QVERIFY2(!lines.filter(QLatin1String(entry)).isEmpty(), entry);

        // Started from a configuration file: its values are the controller's.
        {
            Texts texts;
            ParameterTable table;
            table.BuildParameterTable(texts);
            DeviceImage image;
            image.clear();
            for (int k = 1; k <= 8; ++k)
                image.setValue(7, k, 4000 + k); // max. setpoint
            image.setValue(31, 1, 0x41);        // attributes
            const QString file = dir.filePath(QStringLiteral("start.tvk"));
            QVERIFY(WriteConfigurationFile(file, image, table).ok);
            QProcess loaded;
            loaded.start(bin + QStringLiteral("/q7400-sim"),
                         {QStringLiteral("--load"), file, QStringLiteral("--quiet")});
            QVERIFY(loaded.waitForStarted());
            QVERIFY(QTest::qWaitFor([&] { return loaded.canReadLine(); }, 5000));
            LinkStack stack(QString::fromLocal8Bit(loaded.readLine()).trimmed());
            QVERIFY(stack.opened);
            stack.services.ReadRequest(7);
            QVERIFY(!stack.link.CommError);
            QCOMPARE(stack.link.ReplyBytes[25] + 256 * stack.link.ReplyBytes[26], 4008);
            stack.services.ReadRequest(49);
            QCOMPARE(stack.link.ReplyBytes[8], 0x41);
            loaded.terminate();
            QVERIFY(loaded.waitForFinished(5000));
        }

        // Bad options are refused with a message.
        QProcess bad;
        bad.start(bin + QStringLiteral("/q7400-sim"),
                  {QStringLiteral("--fault"), QStringLiteral("x@1")});
        QVERIFY(bad.waitForFinished(5000));
        QCOMPARE(bad.exitCode(), 2);
        QVERIFY(bad.readAllStandardError().contains("fault \"x@1\""));
    }
};

QTEST_GUILESS_MAIN(TestSimServer)
#include "tst_simserver.moc"
