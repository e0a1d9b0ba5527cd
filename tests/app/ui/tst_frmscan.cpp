#include "app/Workspace.h"
#include "app/ui/frmCompare.h"
#include "app/ui/frmKonfig.h"
#include "app/ui/frmScan.h"
#include "device/Transfers.h"
#include "link/Link.h"
#include "link/PortSettings.h"
#include "link/Telegram.h"
#include "support/ScriptedInteraction.h"
#include "support/SimHarness.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

// The scan window of the Interface menu and the File menu's comparisons, on the simulator.
class tst_frmScan : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() {
        QVERIFY(m_dir.isValid());
        qputenv("XDG_DATA_HOME", m_dir.filePath(QStringLiteral("data")).toUtf8());
        m_settings = m_dir.filePath(QStringLiteral("Q7400n.cfg"));
        QFile::remove(m_settings);
        m_sim = std::make_unique<SimHarness>(SimOptions{11, 0x56, 0x10, QDateTime(), false});
        QVERIFY2(m_sim->start(), qPrintable(m_sim->errorText()));
        m_ws = std::make_unique<Workspace>(m_interaction, nullptr);
        m_ws->link().setPauseInterval(1);
        m_ws->link().setReplyTimeout(50);
        FrameOptions options;
        options.settingsPath = m_settings;
        options.portOverride = m_sim->slavePath();
        options.simulator = true;
        m_window = std::make_unique<frmKonfig>(*m_ws, m_interaction, options);
        m_window->setLanguage(1);
        m_window->show();
    }
    void cleanup() {
        m_window.reset();
        m_ws.reset();
        m_sim.reset();
    }

    // Found at address 11 although the settings file says 3; "Use this controller" takes its
    // address and line settings and saves them.
    void scanAndUseTheController() {
        QAction* entry = m_window->findChild<QAction*>(QStringLiteral("mnuScan"));
        QVERIFY(entry && entry->isEnabled());
        QCOMPARE(entry->text().remove(u'&'), QStringLiteral("Scan the line..."));
        entry->trigger();
        auto* scan = m_window->findChild<frmScan*>(QStringLiteral("frmScan"));
        QVERIFY(scan && scan->isVisible());
        scan->findChild<QSpinBox*>(QStringLiteral("txtFrom"))->setValue(10);
        scan->findChild<QSpinBox*>(QStringLiteral("txtTo"))->setValue(12);
        scan->scan().setObjectName(QStringLiteral("scan"));

        scan->findChild<QPushButton*>(QStringLiteral("cmdStart"))->click();

        QCOMPARE(scan->scan().finds().size(), 1);
        QCOMPARE(scan->findChild<QLabel*>(QStringLiteral("lblScanState"))->text(),
                 QStringLiteral("Controllers found: 1"));
        QVERIFY(m_sim->sent(Telegram::WriteControl).isEmpty());
        QPushButton* use = scan->findChild<QPushButton*>(QStringLiteral("cmdUse"));
        QVERIFY(use->isEnabled());
        m_window->setLanguage(2); // the list and its choice stay
        QCOMPARE(scan->findChild<QLabel*>(QStringLiteral("lblScanState"))->text(),
                 QStringLiteral("Régulateurs trouvés : 1"));
        use->click();
        QCOMPARE(m_ws->link().DeviceAddress, 11);
        QCOMPARE(readPortSettings(m_settings).DeviceAddress, 11);
        QCOMPARE(readPortSettings(m_settings).SettingsText, QStringLiteral("19200,e,8,1"));
        QVERIFY(!scan->isVisible());
    }

    // Cancel stops the scan before its next probe.
    void cancelStopsTheScan() {
        m_window->findChild<QAction*>(QStringLiteral("mnuScan"))->trigger();
        auto* scan = m_window->findChild<frmScan*>(QStringLiteral("frmScan"));
        scan->findChild<QCheckBox*>(QStringLiteral("chkAllSettings"))->setChecked(true);
        int probes = 0;
        connect(&scan->scan(), &LineScan::progress, this, [&] {
            if (++probes == 3)
                scan->findChild<QPushButton*>(QStringLiteral("cmdCancel"))->click();
        });
        scan->findChild<QPushButton*>(QStringLiteral("cmdStart"))->click();
        QCOMPARE(probes, 3);
        QVERIFY(scan->findChild<QLabel*>(QStringLiteral("lblScanState"))
                    ->text()
                    .startsWith(QStringLiteral("Cancelled.")));
        QVERIFY(scan->findChild<QPushButton*>(QStringLiteral("cmdStart"))->isEnabled());
    }

    // The program's configuration against a file and against the controller: the values that
    // differ, as the windows show them.
    void compare() {
        m_ws->setDeviceAddress(11);
        m_interaction.answers = {Interaction::Answer::Ok};
        QCOMPARE(m_ws->transfers().ReadAll(false), Transfers::Outcome::Done);
        const QString file = m_dir.filePath(QStringLiteral("plant.tvk"));
        QVERIFY(m_ws->SaveConfigurationFile(file).ok);
        m_ws->setValue(7, 2, 777);

        m_interaction.fileNames = {file};
        m_window->findChild<QAction*>(QStringLiteral("mnuCompareFile"))->trigger();
        auto* compare = m_window->findChild<frmCompare*>(QStringLiteral("frmCompare"));
        QVERIFY(compare && compare->isVisible());
        QCOMPARE(compare->table().rows(),
                 (QList<QStringList>{{"7", "Max. setpoint", "2", "600.0", "77.7"}}));
        QCOMPARE(compare->table().header().value(4), QStringLiteral("In the program"));

        m_window->findChild<QAction*>(QStringLiteral("mnuCompareDevice"))->trigger();
        QCOMPARE(compare->table().rows(),
                 (QList<QStringList>{{"7", "Max. setpoint", "2", "600.0", "77.7"}}));
        QCOMPARE(compare->table().header().value(3), QStringLiteral("Controller"));
        m_window->setLanguage(0); // the open comparison follows the language
        QCOMPARE(compare->table().header().value(2), QStringLiteral("Spalte"));
        QCOMPARE(compare->windowTitle(), compareWithControllerCaption(m_ws->texts));
        m_window->setLanguage(1);
        QCOMPARE(m_ws->image.value(7, 2), 777.0); // the program's configuration stays
        QVERIFY(m_sim->sent(Telegram::WriteControl).isEmpty());
    }

private:
    QTemporaryDir m_dir;
    QString m_settings;
    ScriptedInteraction m_interaction;
    std::unique_ptr<SimHarness> m_sim;
    std::unique_ptr<Workspace> m_ws;
    std::unique_ptr<frmKonfig> m_window;
};

QTEST_MAIN(tst_frmScan)
#include "tst_frmscan.moc"
