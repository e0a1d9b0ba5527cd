#include "app/Defaults.h"
#include "app/Workspace.h"
#include "device/DeviceServices.h"
#include "link/Link.h"
#include "params/ChannelStatus.h"
#include "params/Monitor.h"
#include "support/CtlRun.h"
#include "support/SimWorkspace.h"
#include "support/TestFiles.h"

#include <QTemporaryDir>
#include <QtTest>

// Monitoring and the control-word operations against the simulator on a pseudo-terminal,
// checked on the frames the controller received.
class tst_MonitorSim : public QObject {
    Q_OBJECT

    // The workspace in English on the simulated controller, with the link's own pauses and
    // time-out.
    struct Bench : SimWorkspace {
        explicit Bench(int firmware = 0x56)
            : SimWorkspace(SimOptions{3, firmware, 0x10, QDateTime(), false}) {
            workspace->link().setPauseInterval(Link::PauseMs);
            workspace->link().setReplyTimeout(Link::ReplyTimeoutMs);
            workspace->identification.FirmwareVersion = firmware;
            workspace->texts.setLanguageOffset(1000);
        }
        // The native frames received since the last call, in hex.
        QStringList frames() {
            QStringList hex;
            for (const QByteArray& r : std::as_const(requests))
                if (!r.isEmpty() && (quint8(r[0]) == 0x68 || quint8(r[0]) == 0x10))
                    hex << QString::fromLatin1(r.toHex(' ').toUpper());
            requests.clear();
            return hex;
        }
    };

    QTemporaryDir m_dir;

private Q_SLOTS:
    // One poll, in order: pending writes, setpoints, cyclic block (and the extended one),
    // device errors, message inputs (firmware above 0x13), mapping state.
    void onePoll_data() {
        QTest::addColumn<int>("firmware");
        QTest::addColumn<bool>("extended");
        QTest::addColumn<bool>("writes");
        QTest::addColumn<QStringList>("frames");
        const QString setpoints = QStringLiteral("68 06 06 68 7B 03 00 00 00 00 7E 16");
        const QString cyclic = QStringLiteral("10 7B 03 7E 16");
        const QString errors = QStringLiteral("10 7A 03 7D 16");
        const QString messages = QStringLiteral("68 06 06 68 7B 03 24 00 00 00 A2 16");
        const QString mapping = QStringLiteral("68 03 03 68 7B 03 32 B0 16");
        QTest::newRow("narrow") << 0x56 << false << false
                                << QStringList{setpoints, cyclic, errors, messages, mapping};
        QTest::newRow("extended") << 0x56 << true << false
                                  << QStringList{
                                         setpoints, cyclic,   QStringLiteral("10 7E 03 81 16"),
                                         errors,    messages, mapping};
        QTest::newRow("firmware 0x13")
            << 0x13 << false << false << QStringList{setpoints, cyclic, errors, mapping};
        QTest::newRow("pending writes first")
            << 0x56 << false << true
            << QStringList{QStringLiteral("68 16 16 68 73 03 00 00 00 00 20 03 CE FF 20 03 20 03 "
                                          "20 03 20 03 20 03 20 03 38 16"),
                           QStringLiteral("68 0E 0E 68 73 03 28 00 00 00 00 00 00 EC 00 00 00 "
                                          "00 8A 16"),
                           setpoints,
                           cyclic,
                           errors,
                           messages,
                           mapping};
    }
    void onePoll() {
        QFETCH(int, firmware);
        QFETCH(bool, extended);
        QFETCH(bool, writes);
        Bench b(firmware);
        QVERIFY2(b.started, qPrintable(b.errorText()));
        Workspace& ws = *b.workspace;
        ws.identification.ExternalCurrentInputs = extended;
        Monitor& m = ws.monitor();
        if (writes) {
            std::array<QString, 8> sp, out;
            sp.fill(QStringLiteral("80.0"));
            sp[1] = QStringLiteral("-5.0");
            out.fill(QStringLiteral("0"));
            out[3] = QStringLiteral("-20");
            for (int k = 1; k <= 8; ++k) {
                ws.image.setValue(6, k, 65036); // min. setpoint -50.0
                ws.image.setValue(7, k, 6000);
            }
            QVERIFY(storeSetpointTexts(ws, sp).isEmpty());
            QVERIFY(storeOutputTexts(ws, out).isEmpty());
            QVERIFY(m.start());
            QCOMPARE(m.transferSetpoints(), Monitor::Transfer::Pending);
            QCOMPARE(m.transferOutputs(), Monitor::Transfer::Pending);
            m.stop();
            QVERIFY(!m.setpointWritePending()); // a stop drops what was not sent
            QCOMPARE(m.transferSetpoints(), Monitor::Transfer::Written); // at once
            QCOMPARE(m.transferOutputs(), Monitor::Transfer::Written);
            b.frames();
            QVERIFY(m.start());
            m.transferSetpoints();
            m.transferOutputs();
            QSignalSpy polled(&m, &Monitor::polled);
            QVERIFY(polled.wait());
            m.stop();
            QCOMPARE(b.device().itemValue(0, 2), 65486);
            QCOMPARE(b.device().itemValue(40, 4), 236);
            const QStringList frames = b.frames();
            QTEST(frames.mid(0, 7), "frames");
            return;
        }
        const MonitorSnapshot s = m.pollOnce();
        QTEST(b.frames(), "frames");
        QVERIFY(!s.stopped);
        QVERIFY(s.cyclic && s.errorWords && s.mappingActive && s.setpoints);
        QCOMPARE(bool(s.extendedCurrents), extended);
        QCOMPARE(bool(s.messageInputs), firmware > 0x13);
        const SimDevice& d = b.device();
        QCOMPARE(s.setpointTexts[1], QStringLiteral("100.0"));
        QCOMPARE(s.actualTexts[0], actualValueText(int(std::lround(d.actualValue(1))), 1));
        QCOMPARE(s.voltageText, currentText(d.heatingVoltage()));
        QCOMPARE(ws.image.value(0, 3), 1200.0); // setpoints read into the image
        if (firmware > 0x13)
            QCOMPARE(s.messageText, QStringLiteral("1 0 0 0 0 0 0 0 "));
    }

    // The controller stops answering in the middle of a poll: the link's message comes once,
    // the poll ends at once, monitoring stops, the log is closed, no request flag stays set.
    void giveUpMidPoll() {
        Bench b;
        QVERIFY2(b.started, qPrintable(b.errorText()));
        Workspace& ws = *b.workspace;
        ws.link().setReplyTimeout(60);
        Monitor& m = ws.monitor();
        const QString log = m_dir.filePath(QStringLiteral("giveup.txt"));
        QSignalSpy polled(&m, &Monitor::polled);
        QVERIFY(m.start(log));
        QVERIFY(polled.wait());
        const int answered = b.server().requestCount();
        b.silenceFrom(answered + 2); // the cyclic block of the next poll
        QTRY_VERIFY_WITH_TIMEOUT(!m.isRunning(), 10000);
        QTRY_VERIFY(!m.isPolling());
        const MonitorSnapshot last = polled.last().first().value<MonitorSnapshot>();
        QVERIFY(last.stopped);
        QVERIFY(!last.cyclic);
        QCOMPARE(b.interaction.asked.size(), 1);
        QVERIFY(b.interaction.asked[0].text.startsWith(QStringLiteral("No communication")));
        QVERIFY(!m.logOpen());
        QVERIFY(!ws.link().CyclicPending && !ws.link().ErrorPending);
        // Cyclic block and error block sent once each, the message read up to its give-up.
        QCOMPARE(b.frames().mid(answered),
                 (QStringList{"68 06 06 68 7B 03 00 00 00 00 7E 16", "10 7B 03 7E 16",
                              "10 7A 03 7D 16", "68 06 06 68 7B 03 24 00 00 00 A2 16",
                              "68 06 06 68 7B 03 24 00 00 00 A2 16"}));
        QTest::qWait(200);
        QCOMPARE(b.interaction.asked.size(), 1);
        QCOMPARE(fileLines(log).size(), 1); // the first poll only
    }

    // With wire timing a poll takes longer than a 10 ms interval: the next poll follows the
    // last one, never inside it, and every poll is logged with a later elapsed time.
    void slowPollsNeverNest() {
        Bench b;
        QVERIFY2(b.started, qPrintable(b.errorText()));
        b.server().setWireTiming(true);
        Monitor& m = b.workspace->monitor();
        m.setInterval(10);
        const QString log = m_dir.filePath(QStringLiteral("slow.txt"));
        QSignalSpy polled(&m, &Monitor::polled);
        QVERIFY(m.start(log));
        QTRY_VERIFY_WITH_TIMEOUT(polled.size() >= 4, 10000);
        m.stop();
        QTRY_VERIFY(!m.isPolling());
        const QStringList frames = b.frames();
        const QStringList poll = frames.mid(0, 5);
        QCOMPARE(poll.size(), 5);
        for (int i = 0; i < frames.size(); ++i)
            QCOMPARE(frames[i], poll[i % 5]);
        int complete = 0;
        for (const QList<QVariant>& args : std::as_const(polled))
            complete += !args.first().value<MonitorSnapshot>().stopped;
        const QStringList lines = fileLines(log);
        QCOMPARE(lines.size(), complete);
        double previous = -1;
        for (const QString& line : lines) {
            const double elapsed = line.section(u' ', 0, 0, QString::SectionSkipEmpty).toDouble();
            QVERIFY(elapsed > previous);
            previous = elapsed;
        }
    }

    // The control-word window's sequences on the wire (after the link preparation frames).
    void controlWordSequences() {
        Bench b;
        QVERIFY2(b.started, qPrintable(b.errorText()));
        ChannelStatusService service(*b.workspace, b.workspace->services());
        b.device().operationCommand(0xAA); // mapping runs: status bit 15
        b.device().advance(20000);
        const ChannelStatusService::Sent sent = service.sendFunction(3, 65);
        QVERIFY(sent.accepted);
        QCOMPARE(sent.readBack.function, std::optional<int>(65));
        QCOMPARE(b.frames(),
                 (QStringList{"68 07 07 68 73 03 20 03 03 00 41 DD 16",
                              "68 06 06 68 7B 03 20 00 00 00 9E 16",
                              "68 06 06 68 7B 03 24 01 08 00 AB 16", "10 7A 03 7D 16"}));
        QCOMPARE(b.device().itemValue(32, 3), 65);
        QCOMPARE(b.workspace->image.value(26, 3), 65.0);
        const ChannelStatusService::Status& s = sent.readBack.status;
        QVERIFY(s.statusWord && (*s.statusWord & 0x8000));
        QCOMPARE((*s.statusWord >> 12) & 7, 2);
        QCOMPARE(s.alarmStatus, std::optional<int>(b.device().errorWords()[2]));

        // Stop mapping, then the state.
        QCOMPARE(b.workspace->monitor().stopMapping(), std::optional<bool>(false));
        QCOMPARE(b.frames(),
                 (QStringList{"68 04 04 68 73 03 32 AA 52 16", "68 03 03 68 7B 03 32 B0 16"}));

        // A silent controller ends the sequence at the first unanswered request.
        b.workspace->link().setReplyTimeout(50);
        b.silenceFrom(b.server().requestCount() + 1);
        const ChannelStatusService::FunctionReading f = service.readAgain(3);
        QVERIFY(f.gaveUp() && !f.function);
        QCOMPARE(b.interaction.asked.size(), 1);
        QCOMPARE(b.frames().size(), 4); // 0x20 sent four times, nothing after it
    }

    // q7400ctl: status, function, setpoint, output, monitor, stop-mapping.
    void commandLine() {
        SimHarness sim(SimOptions{3, 0x56, 0x10, QDateTime(), false});
        QVERIFY(sim.start());
        const auto ctl = [&sim](const QStringList& args) {
            return runCtlOn(sim.slavePath(), args);
        };
        QVERIFY(sim.device().setItem(6, 1, QVector<int>(8, 65036))); // min. setpoint -50.0
        CtlRun r = ctl({"function", "3", "65"});
        QVERIFY2(r.status == 0, qPrintable(r.err));
        QCOMPARE(sim.device().itemValue(32, 3), 65);
        QVERIFY(r.out.startsWith(QStringLiteral("Controller function\t65\nController status\t0x")));
        QVERIFY(r.out.contains(QStringLiteral("\n  Mapping channel\t---\n")));

        r = ctl({"setpoint", "2", "--", "-5.0"});
        QVERIFY2(r.status == 0, qPrintable(r.err));
        QCOMPARE(sim.device().itemValue(0, 2), 65486);
        QCOMPARE(sim.device().itemValue(0, 1), 800); // the others as they were
        QCOMPARE(r.out, QStringLiteral("Channel 2\t-5.0\n"));
        QCOMPARE(ctl({"setpoint", "2", "abc"}).status, 2);

        r = ctl({"output", "4", "--", "-20"});
        QVERIFY2(r.status == 0, qPrintable(r.err));
        QCOMPARE(sim.device().itemValue(40, 4), 236);

        r = ctl({"monitor", "--cycles", "3", "--interval", "10"});
        QVERIFY2(r.status == 0, qPrintable(r.err));
        QCOMPARE(r.out.count(u'\n'), 3);

        const QString log = m_dir.filePath(QStringLiteral("ctl.txt"));
        r = ctl({"monitor", "--cycles", "2", "--log", log});
        QVERIFY2(r.status == 0, qPrintable(r.err));
        QVERIFY(r.out.isEmpty());
        QCOMPARE(fileLines(log).size(), 2);

        r = ctl({"stop-mapping"}); // the command would start one: not sent
        QCOMPARE(r.out, QStringLiteral("no mapping running\n"));
        QVERIFY(!sim.device().mappingActive());
        sim.device().operationCommand(0xAA);
        r = ctl({"stop-mapping"});
        QCOMPARE(r.out, QStringLiteral("mapping stopped\n"));
        QVERIFY(!sim.device().mappingActive());

        QCOMPARE(ctl({"monitor", "--interval", "5"}).status, 2);
        sim.silenceFrom(sim.server().requestCount() + 1);
        r = ctl({"status", "1"});
        QCOMPARE(r.status, 1);
        QVERIFY(r.err.contains(QStringLiteral("No communication possible")));
    }

    // q7400ctl edit: the control words of a configuration file.
    void editWords() {
        const QString file = m_dir.filePath(QStringLiteral("words.tvk"));
        ScriptedInteraction interaction;
        {
            Workspace ws(interaction, nullptr);
            LoadDefaultConfiguration(ws.image, ws.identification);
            QVERIFY(ws.SaveConfigurationFile(file).ok);
        }
        CtlRun r = runCtl({"edit", file, "word:2:alarm=49153", "word:2:ext=1", "copy-words:2=12"});
        QVERIFY2(r.status == 0, qPrintable(r.err));
        Workspace ws(interaction, nullptr);
        QVERIFY(ws.OpenConfigurationFile(file).ok);
        QCOMPARE(ws.image.value(28, 8), 49153.0);
        QCOMPARE(ws.image.value(52, 8), 1.0);
        QCOMPARE(ws.image.value(27, 8), 4.0); // the default configuration, copied along
        QCOMPARE(ws.image.value(28, 3), 0.0);

        for (const char* op : {"word:2:function=256", "word:9:function=1", "word:2:mode=1",
                               "copy-words:2=-1", "copy-words:0=1"}) {
            r = runCtl({"edit", file, op});
            QCOMPARE(r.status, 2);
            QVERIFY2(r.err.contains(QStringLiteral("nothing saved")), qPrintable(r.err));
        }
    }
};

QTEST_GUILESS_MAIN(tst_MonitorSim)
#include "tst_monitorsim.moc"
