#include "app/ui/WindowManager.h"
#include "device/DeviceServices.h"
#include "params/ControlWordForm.h"
#include "params/Monitor.h"
#include "params/ui/TrendChart.h"
#include "params/ui/frmSteuer.h"
#include "params/ui/frmZyklus.h"
#include "support/TestFiles.h"
#include "support/TestProgram.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMenuBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

// The control-word and monitoring windows in the program, against the simulator.
class tst_MonitorWindows : public QObject {
    Q_OBJECT

    struct Program : TestProgram {
        explicit Program(int firmware = 0x56)
            : TestProgram(SimOptions{3, firmware, 0x10, {}, false}) {}
        bool startOn(const QString& settings) {
            if (!startSimulated(settings))
                return false;
            window->show();
            workspace->identification.FirmwareVersion = sim.device().firmware();
            workspace->announceIdentificationChanged();
            return workspace->portReady();
        }
        bool mainEnabled() const {
            return window->menuBar()->isEnabled() && window->centralWidget()->isEnabled();
        }
    };

    QTemporaryDir m_dir;
    QString settings() const { return m_dir.filePath(QStringLiteral("Q7400n.cfg")); }

private Q_SLOTS:
    void initTestCase() { QVERIFY(writeFile(settings(), "19200,e,8,1\r\n1\r\n1000\r\n3\r\n")); }

    // Boxes, lists and fields of one channel; edits keep the bits nothing shows.
    void controlWordEdits() {
        Program p(0x48);
        QVERIFY(p.startOn(settings()));
        Workspace& ws = *p.workspace;
        ws.setValue(27, 2, 0x0A4C);
        ws.setValue(28, 2, 0xC001);
        auto* w = p.open<frmSteuer>(WindowId::frmSteuer, 1);
        QVERIFY(w && w->isVisible() && !w->parentWidget());
        QCOMPARE(p.child<QLabel>(w, "lblSRegnr")->text(), QStringLiteral("2"));
        QCOMPARE(p.child<QComboBox>(w, "cboRegTyp")->currentText(), QStringLiteral("PID"));
        QCOMPARE(p.child<QComboBox>(w, "cboPartner")->currentText(), QStringLiteral("2"));
        QVERIFY(p.child<QCheckBox>(w, "chkRegkonf_0")->isChecked());
        QCOMPARE(p.child<QComboBox>(w, "cboRegArt")->count(), 5); // no ratio at 0x48
        QCOMPARE(p.child<QCheckBox>(w, "chkRegFunc_3")->text(), QStringLiteral("Boost"));
        QVERIFY(p.child<QCheckBox>(w, "chkAlarm_12")->isVisible());
        QVERIFY(!p.child<QCheckBox>(w, "chkAlarm_13")->isVisible());
        QVERIFY(!p.child<QCheckBox>(w, "chkFehler_13")->isVisible());

        auto* sort = p.child<QComboBox>(w, "cboRegArt");
        sort->setCurrentIndex(2);
        Q_EMIT sort->activated(2);
        QCOMPARE(ws.image.value(27, 2), double(0x0A54));
        QVERIFY(!p.child<QComboBox>(w, "cboPartner")->isVisible());
        QCOMPARE(p.child<QLineEdit>(w, "txtSteuer_1")->text(), QStringLiteral("2644"));

        p.child<QCheckBox>(w, "chkAlarm_1")->click();
        QCOMPARE(ws.image.value(28, 2), double(0xC003));

        auto* word = p.child<QLineEdit>(w, "txtSteuer_4");
        for (const char* typed : {"300", "3.7", "x"}) {
            word->setText(QLatin1String(typed));
            Q_EMIT word->editingFinished();
            QCOMPARE(word->text(), QStringLiteral("0"));
        }
        word->setText(QStringLiteral("129"));
        Q_EMIT word->editingFinished();
        QCOMPARE(ws.image.value(35, 2), 129.0);
        QVERIFY(p.child<QCheckBox>(w, "chkGrenzFunc_7")->isChecked());

        // Copy: a target above 8 turns into a red 8; text is cleared.
        auto* target = p.child<QLineEdit>(w, "txtCopyKan");
        QTest::keyClicks(target, "12");
        QCOMPARE(target->text(), QStringLiteral("8"));
        QCOMPARE(target->palette().color(QPalette::Text), QColor(255, 0, 0));
        p.click(w, "cmdCopy");
        QCOMPARE(ws.image.value(27, 8), double(0x0A54));
        QCOMPARE(ws.image.value(27, 7), 4.0); // the default configuration
        target->setText(QStringLiteral("x"));
        p.click(w, "cmdCopy");
        QVERIFY(target->text().isEmpty());
    }

    // The status read when the window comes forward, sending the function, the phase help; the
    // monitoring's error block reaches the alarm status of the window's own channel.
    void controlWordDevice() {
        Program p;
        QVERIFY(p.startOn(settings()));
        Workspace& ws = *p.workspace;
        p.sim.device().setSensorBroken(3, true);
        p.sim.device().advance(200);
        auto* w = p.open<frmSteuer>(WindowId::frmSteuer, 2);
        QCOMPARE(p.child<QLineEdit>(w, "txtStatus_4")->text(), QStringLiteral("---"));
        ws.setValue(26, 3, 65);
        p.click(w, "cmdRegfunc");
        QCOMPARE(p.sim.device().itemValue(32, 3), 65);
        QCOMPARE(p.child<QLineEdit>(w, "txtSteuer_5")->text(), QStringLiteral("1"));
        QVERIFY(p.child<QCheckBox>(w, "chkFehler_0")->isChecked());
        QVERIFY(
            p.child<QPushButton>(w, "cmdRegfunc")->text().contains(QStringLiteral("Channel 3")));

        QTest::mouseClick(p.child<QLabel>(w, "lblStatus_0"), Qt::LeftButton);
        QCOMPARE(p.interaction.asked.last().title, QStringLiteral("Auto-tuning phase"));

        p.sim.device().setSensorBroken(3, false);
        p.sim.device().setSensorBroken(5, true);
        p.sim.device().clearErrors();
        ws.monitor().pollOnce();
        const auto words = p.sim.device().errorWords();
        QVERIFY(words[2] != words[4]);
        QCOMPARE(p.child<QLineEdit>(w, "txtSteuer_5")->text(), QString::number(words[2]));
        QCOMPARE(w->channel(), 2); // the monitoring's error list changes no window's channel
    }

    // At their smallest, in each language, with the extended layout, every text fits and every
    // control is reached with the Tab key.
    void readableAndReachable_data() {
        QTest::addColumn<int>("window");
        QTest::addColumn<int>("language");
        for (int l = 0; l < 4; ++l) {
            const char* lang = std::array{"de", "en", "fr", "it"}[size_t(l)];
            QTest::addRow("control words, %s", lang) << int(WindowId::frmSteuer) << l;
            QTest::addRow("monitoring, %s", lang) << int(WindowId::frmZyklus) << l;
        }
    }
    void readableAndReachable() {
        QFETCH(int, window);
        QFETCH(int, language);
        // Settings of its own: the language chosen here is kept in them.
        const QString own = m_dir.filePath(QStringLiteral("language.cfg"));
        QVERIFY(writeFile(own, "19200,e,8,1\r\n1\r\n1000\r\n3\r\n"));
        Program p;
        QVERIFY(p.startOn(own));
        p.workspace->identification.ExternalCurrentInputs = true;
        p.workspace->announceIdentificationChanged();
        p.window->setLanguage(language);
        QWidget* w = p.window->windows().open(WindowId(window), 0);
        QVERIFY(w);
        QCOMPARE(cutOffAtMinimumSize(w, w->objectName() + QString::number(language)),
                 QStringList());
        QCOMPARE(keyboardUnreachable(w), QStringList());
    }

    // Start and Stop: the main window takes no input while polling, the other windows do;
    // each way out is the same complete stop.
    void startStopAndWaysOut() {
        Program p;
        QVERIFY(p.startOn(settings()));
        auto* steuer = p.open<frmSteuer>(WindowId::frmSteuer, 0);
        auto* z = p.open<frmZyklus>(WindowId::frmZyklus);
        auto* start = p.child<QPushButton>(z, "cmdZyklus");
        Monitor& m = z->monitor();
        QSignalSpy polled(&m, &Monitor::polled);
        start->click();
        QCOMPARE(start->text(), QStringLiteral("Stop"));
        QVERIFY(!p.mainEnabled());
        QVERIFY(z->isEnabled() && steuer->isEnabled());
        QVERIFY(!p.child<QLineEdit>(z, "txtZZeit")->isEnabled());
        QVERIFY(polled.wait());
        QCOMPARE(p.child<QLineEdit>(z, "txtSollw_0")->text(), QStringLiteral("80.0"));
        QVERIFY(!p.child<QLineEdit>(z, "txtZyklus_0")->text().isEmpty());
        QCOMPARE(p.child<QLineEdit>(z, "Meldung")->text(), QStringLiteral("1 0 0 0 0 0 0 0 "));
        // Channel 1 is far below its setpoint: its mark opens the list of its alarms.
        auto* mark = p.child<QLabel>(z, "imgError_0");
        QVERIFY(mark->isVisible());
        QTest::mouseClick(mark, Qt::LeftButton);
        auto* grid = p.child<QTableView>(z, "Grid1");
        QVERIFY(grid->isVisible());
        QCOMPARE(grid->model()->headerData(0, Qt::Horizontal).toString(),
                 QStringLiteral("Channel 1"));
        QCOMPARE(grid->model()->index(0, 0).data().toString(), QStringLiteral("AL 1, low"));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton);
        QVERIFY(!grid->isVisible());
        start->click();
        QCOMPARE(start->text(), QStringLiteral("Start"));
        QVERIFY(p.mainEnabled());

        // The main window brought forward.
        start->click();
        z->activateWindow();
        QTRY_VERIFY(QGuiApplication::focusWindow() == z->windowHandle());
        p.window->activateWindow();
        QTRY_VERIFY(!m.isRunning());
        QCOMPARE(start->text(), QStringLiteral("Start"));
        QVERIFY(p.mainEnabled());

        // A mapping started from the extra functions polls without a log choice; their
        // internal transfers and reset stop it like the Stop button.
        Q_EMIT p.workspace->mappingStarted();
        QVERIFY(m.isRunning() && !m.logOpen());
        QVERIFY(!p.child<QCheckBox>(z, "chkSpeichern")->isVisible());
        QCOMPARE(start->text(), QStringLiteral("Stop"));
        Q_EMIT p.workspace->monitoringStopRequested();
        QVERIFY(!m.isRunning() && p.mainEnabled());
        QVERIFY(p.child<QCheckBox>(z, "chkSpeichern")->isVisible());

        // Closing the window while a poll waits for its reply.
        z = p.open<frmZyklus>(WindowId::frmZyklus);
        bool closed = false;
        const auto c = connect(&p.workspace->link(), &Link::stateChanged, z, [&] {
            if (m.isPolling() && p.workspace->link().LinkState == 1 && !closed) {
                closed = true;
                z->close();
            }
        });
        start->click();
        QTRY_VERIFY(closed);
        disconnect(c);
        QVERIFY(!m.isRunning() && p.mainEnabled());
        QTRY_VERIFY(!m.isPolling());
    }

    // The controller goes silent in the middle of a poll while recording: one message, the
    // main window takes input again, the log is closed.
    void giveUpWhileRecording() {
        Program p;
        QVERIFY(p.startOn(settings()));
        p.workspace->link().setReplyTimeout(60);
        auto* z = p.open<frmZyklus>(WindowId::frmZyklus);
        const QString log = m_dir.filePath(QStringLiteral("window.txt"));
        p.child<QCheckBox>(z, "chkSpeichern")->setChecked(true);
        p.interaction.fileNames = {log};
        QSignalSpy polled(&z->monitor(), &Monitor::polled);
        p.click(z, "cmdZyklus");
        QVERIFY(polled.wait());
        p.sim.silenceFrom(p.sim.server().requestCount() + 3);
        QTRY_VERIFY_WITH_TIMEOUT(!z->monitor().isRunning(), 10000);
        QTRY_VERIFY(!z->monitor().isPolling());
        QTest::qWait(300);
        QCOMPARE(p.askedWithTitle(p.workspace->texts.LoadText(456)), 1);
        QCOMPARE(p.child<QPushButton>(z, "cmdZyklus")->text(), QStringLiteral("Start"));
        QVERIFY(p.mainEnabled());
        QVERIFY(!z->monitor().logOpen());
        QVERIFY(fileLines(log).size() >= 1);

        // A log file that cannot be created: told, not started.
        p.interaction.fileNames = {m_dir.filePath(QStringLiteral("no/such/dir/x.txt"))};
        p.click(z, "cmdZyklus");
        QVERIFY(!z->monitor().isRunning());
        QVERIFY(p.interaction.asked.last().text.contains(QStringLiteral("cannot be created")));
        // Cancelling the dialog starts nothing either.
        p.click(z, "cmdZyklus");
        QVERIFY(!z->monitor().isRunning());
    }

    // Typing a setpoint freezes the eight fields until "Transfer setpoint"; a field that is not
    // a number is never sent.
    void setpointAndOutputTransfer() {
        Program p;
        QVERIFY(p.startOn(settings()));
        for (int k = 1; k <= 8; ++k)
            p.workspace->setValue(6, k, 65036); // min. setpoint -50.0
        auto* z = p.open<frmZyklus>(WindowId::frmZyklus);
        auto* interval = p.child<QLineEdit>(z, "txtZZeit");
        interval->setText(QStringLiteral("abc"));
        Q_EMIT interval->editingFinished();
        QCOMPARE(interval->text(), QStringLiteral("300"));
        interval->setText(QStringLiteral("20"));
        Q_EMIT interval->editingFinished();

        QSignalSpy polled(&z->monitor(), &Monitor::polled);
        p.click(z, "cmdZyklus");
        QVERIFY(polled.wait());
        auto* sp = p.child<QLineEdit>(z, "txtSollw_1");
        auto* send = p.child<QPushButton>(z, "cmdSwwrite");
        sp->clear();
        QTest::keyClicks(sp, "abc");
        QVERIFY(send->isEnabled());
        QCOMPARE(sp->palette().color(QPalette::Text), QColor(255, 0, 0));
        QVERIFY(!z->monitor().setpointRefresh());
        send->click();
        QVERIFY(p.interaction.asked.last().text.contains(QStringLiteral("Channel 2")));
        QVERIFY(send->isEnabled());
        QCOMPARE(sp->palette().color(QPalette::Text), QColor(255, 0, 0));
        QVERIFY(polled.wait());
        QCOMPARE(p.sim.device().itemValue(0, 2), 1000);

        sp->clear();
        QTest::keyClicks(sp, "-5.0");
        send->click();
        QVERIFY(!send->isEnabled());
        QTRY_COMPARE(p.sim.device().itemValue(0, 2), 65486);
        auto* out = p.child<QLineEdit>(z, "txtED_3");
        out->clear();
        QTest::keyClicks(out, "-150");
        p.click(z, "cmdEDwrite");
        QCOMPARE(out->text(), QStringLiteral("-100"));
        QTRY_COMPARE(p.sim.device().itemValue(40, 4), 156);
        p.click(z, "cmdZyklus");

        // Stopped before the next poll wrote it: shown as not sent, sent later at once.
        interval->setText(QStringLiteral("60000"));
        Q_EMIT interval->editingFinished();
        p.click(z, "cmdZyklus");
        QVERIFY(polled.wait());
        sp->clear();
        QTest::keyClicks(sp, "-7.5");
        send->click();
        QVERIFY(z->monitor().setpointWritePending());
        p.click(z, "cmdZyklus");
        QVERIFY(send->isEnabled());
        QCOMPARE(sp->palette().color(QPalette::Text), QColor(255, 0, 0));
        QCOMPARE(p.sim.device().itemValue(0, 2), 65486);
        send->click();
        QCOMPARE(p.sim.device().itemValue(0, 2), 65461);
    }

    // The trend records while paused and saves its values and its picture.
    void trend() {
        Program p;
        QVERIFY(p.startOn(settings()));
        auto* z = p.open<frmZyklus>(WindowId::frmZyklus);
        TrendChart& trend = z->trend();
        QSignalSpy polled(&z->monitor(), &Monitor::polled);
        p.click(z, "cmdZyklus");
        QVERIFY(polled.wait());
        p.click(z, "cmdTrendPause");
        QVERIFY(trend.paused());
        const qsizetype before = trend.buffer().samples().size();
        QVERIFY(polled.wait());
        QVERIFY(trend.buffer().samples().size() > before);
        QVERIFY(z->monitor().isRunning());
        p.click(z, "cmdTrendPause");
        QVERIFY(!trend.paused());
        p.click(z, "cmdZyklus");

        const QString csv = m_dir.filePath(QStringLiteral("trend"));
        p.interaction.fileNames = {csv};
        p.click(z, "cmdTrendCsv");
        const QStringList lines = fileLines(csv + QStringLiteral(".csv"));
        QCOMPARE(lines.size(), trend.buffer().samples().size() + 1);
        QVERIFY(lines[0].startsWith(QStringLiteral("Time [s],1 Actual value [°C],1 Setpoint")));
        QVERIFY(lines[1].section(u',', 2, 2) == QStringLiteral("80"));
        const QString png = m_dir.filePath(QStringLiteral("trend.png"));
        QVERIFY(trend.savePngTo(png));
        QVERIFY(readFile(png).startsWith("\x89PNG"));
    }
};

QTEST_MAIN(tst_MonitorWindows)
#include "tst_monitorwindows.moc"
