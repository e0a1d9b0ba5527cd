// The alarm-history and logger windows on the simulated controller, opened from the main
// window's menu as the user does.
#include "params/ui/TrendChart.h"
#include "services/AlarmHistory.h"
#include "services/DataLogger.h"
#include "services/ui/frmHist.h"
#include "services/ui/frmLogger.h"
#include "support/RecordSeeds.h"
#include "support/TestFiles.h"
#include "support/TestProgram.h"

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QTableView>
#include <QTimer>
#include <QtCharts/QAbstractSeries>
#include <QtCharts/QChart>
#include <QtCharts/QDateTimeAxis>

namespace {
constexpr int Samples = 5;

// The program in English on a frozen simulated controller with the seeded history (three
// entries) and five logger samples 5 s apart.
struct Program : TestProgram {
    Program()
        : TestProgram(
              SimOptions{3, 0x56, 0x10, QDateTime(QDate(2024, 12, 5), QTime(13, 45, 10)), false}) {
        QList<LoggerSample> samples;
        for (int s = 0; s < Samples; ++s)
            samples.append(seedSample(s));
        sim.device().setLoggerSamples(samples);
        sim.device().setHistory(seedHistory());
        if (!sim.device().setItem(146, 1, {50}) || !startSimulated({}, 100))
            qFatal("simulator: %s", qPrintable(sim.errorText()));
        window->setLanguage(1);
        window->show();
    }
    // The give-up messages of the link so far.
    int giveUps() const { return askedContaining(QStringLiteral("No communication possible")); }
};

QString text(QWidget* w, const QString& name) {
    if (auto* label = w->findChild<QLabel*>(name))
        return label->text();
    return TestProgram::child<QAbstractButton>(w, name)->text();
}

// The user brings `w` forward from the main window.
void bringForward(Program& p, QWidget* w) {
    p.window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(p.window.get()));
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w));
}

// A message box of the window's own comes and goes.
void ownBoxComesAndGoes(QWidget* w) {
    {
        QDialog box(w);
        box.show();
        QVERIFY(QTest::qWaitForWindowActive(&box));
    }
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w));
}
} // namespace

class tst_RecordWindows : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void alarmHistory() {
        Program p;
        auto* w = p.open<frmHist>(MenuEntry::mnuHistory_2, WindowId::frmHist);
        QVERIFY(w && w->isVisible());
        QCOMPARE(w->windowTitle(), QString("Q7400 Alarm history"));
        const TextTableModel& table = w->table();
        QCOMPARE(table.rowCount(), 3);
        QCOMPARE(table.header().value(0), QString("   3 entries"));
        QCOMPARE(table.cell(1, 0), QString(" 10:30:00   01.01.2024"));
        QCOMPARE(table.cell(1, 9), QString("1000"));
        QCOMPARE(text(w, "cmdHolmal"), QString("Read alarm history"));

        // The first word is explained at once; another cell when the user moves to it.
        QCOMPARE(text(w, "lblWas"), QString("Channel 1"));
        QCOMPARE(text(w, "lblBit_3"), QString("AL 1, high"));
        auto* grid = p.child<QTableView>(w, "grdAlarm");
        grid->setFocus();
        QTest::keyClick(grid, Qt::Key_Down);
        for (int c = 1; c < 9; ++c)
            QTest::keyClick(grid, Qt::Key_Right);
        QCOMPARE(text(w, "lblWas"), QString(" Device"));
        QCOMPARE(text(w, "lblBit_12"), QString("24 V missing"));
        QCOMPARE(text(w, "lblBit_3"), QString("---"));
        QTest::keyClick(grid, Qt::Key_Home);
        QCOMPARE(text(w, "lblWas"), QString());

        // The timeline: one band per channel, the device and the wiring; a box hides its band.
        QChart* chart = w->chart()->chart();
        QVERIFY(qobject_cast<QDateTimeAxis*>(chart->axes(Qt::Horizontal).value(0)));
        QCOMPARE(chart->series().size(), 10 + 1); // and the marker of the selected entry
        p.child<QCheckBox>(w, "chkTrend_0")->click();
        QVERIFY(!chart->series()[0]->isVisible());
        QVERIFY(chart->series()[8]->isVisible());

        // The change log and the CSV through the file dialogs (the suffix is added).
        p.interaction.fileNames = {p.path("changes"), p.path("history.csv"),
                                   p.path("missing/changes.txt")};
        p.click(w, "cmdFile");
        QCOMPARE(QString::fromUtf8(readFile(p.path("changes.txt"))),
                 historyChangeLog(w->history().entries, p.workspace->texts));
        p.click(w, "cmdTrendCsv");
        QVERIFY(readFile(p.path("history.csv")).startsWith("Q7400 alarm history,3 entries"));
        const qsizetype asked = p.interaction.asked.size();
        p.click(w, "cmdFile");
        QCOMPARE(p.interaction.asked.size(), asked + 1);
        QVERIFY(p.interaction.asked.last().text.contains("changes.txt"));

        // German: the texts of the controller, the window's own and the explanation.
        grid->setCurrentIndex(table.index(1, 9));
        p.window->setLanguage(0);
        QCOMPARE(w->windowTitle(), QString("Q7400 Alarm-Historie"));
        QCOMPARE(table.header().value(0), QString("   3 Eintragungen"));
        QCOMPARE(text(w, "lblWas"), QString(" Gerät"));
        QCOMPARE(text(w, "lblBit_12"), QString("24 V fehlt"));
        QCOMPARE(text(w, "cmdTrendCsv"), QString("Als CSV speichern"));
        QVERIFY(!p.child<QCheckBox>(w, "chkTrend_0")->isChecked()); // the user's choice stays
        QCOMPARE(p.largerThanScreen(w, 1), QStringList());
    }

    // Closing the window while it reads stops the read after the entry in progress; nothing
    // crashes and the window goes when the read has ended.
    void historyClosedWhileReading() {
        Program p;
        auto* w = p.open<frmHist>(MenuEntry::mnuHistory_2, WindowId::frmHist);
        auto* read = w->findChild<AlarmHistoryRead*>();
        QVERIFY(read);
        connect(read, &LongOperation::progress, w, [w](int done, int) {
            if (done == 1)
                w->close();
        });
        p.sim.requests.clear();
        p.click(w, "cmdHolmal");
        QVERIFY(!w->isVisible());
        QVERIFY(!read->running());
        QCOMPARE(w->history().entries.size(), 1);
        QCOMPARE(p.sim.sentCodes(0x7B), (QList<int>{0x2F, 0x2E}));
        QCOMPARE(w->table().rowCount(), 3);
        QCOMPARE(w->table().cell(1, 0), QString());
    }

    // Closed while the link waits for a controller that fell silent: the read ends with its
    // failure, then the window goes.
    void historyClosedWhileWaiting() {
        Program p;
        p.sim.silenceFrom(1);
        frmHist* closed = nullptr;
        QTimer::singleShot(30, p.window.get(), [&] {
            closed = p.window->windows().window<frmHist>(WindowId::frmHist);
            QVERIFY(closed && closed->busy());
            closed->close();
        });
        auto* w = p.open<frmHist>(MenuEntry::mnuHistory_2, WindowId::frmHist);
        QCOMPARE(closed, w);
        QVERIFY(!w->isVisible());
        QVERIFY(!w->busy());
        QCOMPARE(p.giveUps(), 1);
        QCOMPARE(text(w, "cmdHolmal"), QString("8-("));
    }

    // A controller that does not answer is asked once per user action: its give-up message
    // closing does not read again, bringing the window forward does.
    void historySilentControllerAskedOnce() {
        Program p;
        p.sim.silenceFrom(1);
        auto* w = p.open<frmHist>(MenuEntry::mnuHistory_2, WindowId::frmHist);
        QVERIFY(QTest::qWaitForWindowActive(w));
        QCOMPARE(p.giveUps(), 1);
        QCOMPARE(text(w, "cmdHolmal"), QString("8-("));
        QCOMPARE(w->table().rowCount(), 0);
        ownBoxComesAndGoes(w);
        QCOMPARE(p.giveUps(), 1);
        bringForward(p, w);
        QCOMPARE(p.giveUps(), 2);
    }

    void logger() {
        Program p;
        Workspace& ws = *p.workspace;
        auto* w = p.open<frmLogger>(MenuEntry::mnuHistory_1, WindowId::frmLogger);
        QVERIFY(w && w->isVisible());
        QCOMPARE(w->windowTitle(), QString("Q7400 Logger"));
        auto* store = p.child<QPushButton>(w, "cmdSpeichern");
        auto* stop = p.child<QPushButton>(w, "cmdStop");
        QCOMPARE(store->text(), QString("Store all logger data in table"));
        QVERIFY(!stop->isVisible());

        // Cancel in the file dialog: nothing is asked of the controller.
        p.sim.requests.clear();
        store->click();
        QVERIFY(p.sim.requests.isEmpty());
        QCOMPARE(store->text(), QString("Store all logger data in table"));

        // The caption counts down; Stop shows and Close waits while the samples come.
        auto* transfer = w->findChild<LoggerTransfer*>();
        QVERIFY(transfer);
        QStringList captions;
        bool stopShown = true;
        bool closeDisabled = true;
        int stopAt = -1;
        connect(transfer, &LongOperation::progress, w, [&](int done, int) {
            captions << store->text().section(u'\n', 0, 0);
            stopShown = stopShown && stop->isVisible();
            closeDisabled = closeDisabled && !p.child<QPushButton>(w, "cmdAbbruch")->isEnabled();
            if (done == stopAt)
                stop->click();
        });
        p.interaction.fileNames = {p.path("logger")};
        store->click();
        QCOMPARE(captions, (QStringList{"5 / 5", "5 / 5", "4 / 5", "3 / 5", "2 / 5", "1 / 5"}));
        QVERIFY(stopShown && closeDisabled);
        const QString table = QString::fromUtf8(readFile(p.path("logger.txt")));
        QVERIFY(table.startsWith("5 Abtastungen  von  1.1.07 0:00:00  bis  1.1.07 0:00:20\r\n"));
        QCOMPARE(table, loggerTableText(w->recording()));
        // The window stays open with the samples in the grid and the plot.
        QVERIFY(w->isVisible());
        QCOMPARE(store->text(), QString("Store all logger data in table"));
        QVERIFY(!stop->isVisible());
        QCOMPARE(w->table().rowCount(), Samples);
        QCOMPARE(w->table().cell(1, 1), QString("20.1"));
        QCOMPARE(w->table().header().value(9), QString("Y1"));
        QVERIFY(text(w, "lblFile").startsWith("5 of 5 samples in "));
        QChart* chart = w->chart()->chart();
        QVERIFY(qobject_cast<QDateTimeAxis*>(chart->axes(Qt::Horizontal).value(0)));
        QCOMPARE(chart->series().size(), 8 + 8 + 1);

        // Stop after the second sample: two rows in file and grid, the window stays.
        stopAt = 2;
        captions.clear();
        p.interaction.fileNames = {p.path("stopped.txt"), p.path("samples.csv")};
        store->click();
        QCOMPARE(w->recording().samples.size(), 2);
        QCOMPARE(w->table().rowCount(), 2);
        QCOMPARE(fileLines(p.path("stopped.txt")).size(), 2 + 2); // the heading, an empty line
        QVERIFY(w->isVisible());
        p.click(w, "cmdTrendCsv");
        QVERIFY(readFile(p.path("samples.csv")).startsWith("Q7400 logger,5 samples,cycle 5.0 s"));

        // Closed while the samples come: acts as Stop, the window goes afterwards.
        stopAt = -1;
        connect(transfer, &LongOperation::progress, w, [w](int done, int) {
            if (done == 1)
                w->close();
        });
        p.interaction.fileNames = {p.path("closed.txt")};
        store->click();
        QVERIFY(!w->isVisible());
        QVERIFY(!transfer->running());
        QCOMPARE(fileLines(p.path("closed.txt")).size(), 2 + 1);

        // A file that cannot be written is told by name; the caption says it failed.
        p.window->windows().open(WindowId::frmLogger);
        p.interaction.fileNames = {p.path("missing/logger.txt")};
        const qsizetype asked = p.interaction.asked.size();
        store->click();
        QCOMPARE(p.interaction.asked.size(), asked + 1);
        QVERIFY(p.interaction.asked.last().text.contains("missing"));
        QCOMPARE(store->text(), QString("8-("));

        // Clear asks nothing.
        p.click(w, "cmdClear");
        QCOMPARE(p.interaction.asked.size(), asked + 1);
        QVERIFY(p.sim.device().loggerSamples().isEmpty());

        // German, and a controller without a logger.
        p.window->setLanguage(0);
        QCOMPARE(text(w, "cmdAbbruch"), QString("Schließen"));
        QCOMPARE(store->text(), QString("8-(")); // until the window is brought forward
        ws.identification.FirmwareVersion = 0x27;
        ws.announceIdentificationChanged();
        QCOMPARE(store->text(), QString("Kein Logger"));
        QVERIFY(!store->isEnabled());
        QVERIFY(!p.child<QPushButton>(w, "cmdClear")->isEnabled());
        QCOMPARE(p.largerThanScreen(w, 1), QStringList());
    }

    // A silent controller: the caption says so until the user brings the window forward again,
    // which reads nothing by itself.
    void loggerSilentController() {
        Program p;
        auto* w = p.open<frmLogger>(MenuEntry::mnuHistory_1, WindowId::frmLogger);
        QVERIFY(QTest::qWaitForWindowActive(w));
        p.sim.silenceFrom(1);
        p.interaction.fileNames = {p.path("logger.txt")};
        p.click(w, "cmdSpeichern");
        QCOMPARE(p.giveUps(), 1);
        QVERIFY(!QFile::exists(p.path("logger.txt")));
        QCOMPARE(text(w, "cmdSpeichern"), QString("8-("));
        ownBoxComesAndGoes(w);
        QCOMPARE(text(w, "cmdSpeichern"), QString("8-("));
        bringForward(p, w);
        QCOMPARE(text(w, "cmdSpeichern"), QString("Store all logger data in table"));
        QCOMPARE(p.giveUps(), 1);
    }
};

QTEST_MAIN(tst_RecordWindows)
#include "tst_recordwindows.moc"
