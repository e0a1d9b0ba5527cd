#include "app/ui/frmCompare.h"
#include "app/ui/frmScan.h"
#include "device/Transfers.h"
#include "link/PortSettings.h"
#include "link/Telegram.h"
#include "support/TestProgram.h"

#include <QCheckBox>
#include <QLabel>
#include <QSpinBox>

namespace {
// The program in English on a controller at address 11, with the settings file's address 3.
struct Program : TestProgram {
    Program() : TestProgram(SimOptions{11, 0x56, 0x10, QDateTime(), false}) {
        qputenv("XDG_DATA_HOME", path(QStringLiteral("data")).toUtf8());
        if (!startSimulated({}, 50))
            qFatal("simulator: %s", qPrintable(sim.errorText()));
        window->setLanguage(1);
        window->show();
    }
    QString settings() const { return path(QStringLiteral("Q7400n.cfg")); }
    QString scanState(frmScan* scan) const { return child<QLabel>(scan, "lblScanState")->text(); }
};
} // namespace

// The scan window of the Interface menu and the File menu's comparisons, on the simulator.
class tst_frmScan : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Found at address 11 although the settings file says 3; "Use this controller" takes its
    // address and line settings and saves them.
    void scanAndUseTheController() {
        Program p;
        QAction* entry = p.action("mnuScan");
        QVERIFY(entry->isEnabled());
        QCOMPARE(entry->text().remove(u'&'), QStringLiteral("Scan the line..."));
        entry->trigger();
        auto* scan = p.child<frmScan>(p.window.get(), "frmScan");
        QVERIFY(scan->isVisible());
        p.child<QSpinBox>(scan, "txtFrom")->setValue(10);
        p.child<QSpinBox>(scan, "txtTo")->setValue(12);

        p.click(scan, "cmdStart");

        QCOMPARE(scan->scan().finds().size(), 1);
        QCOMPARE(p.scanState(scan), QStringLiteral("Controllers found: 1"));
        QVERIFY(p.sim.sent(Telegram::WriteControl).isEmpty());
        auto* use = p.child<QPushButton>(scan, "cmdUse");
        QVERIFY(use->isEnabled());
        p.window->setLanguage(2); // the list and its choice stay
        QCOMPARE(p.scanState(scan), QStringLiteral("Régulateurs trouvés : 1"));
        use->click();
        QCOMPARE(p.workspace->link().DeviceAddress, 11);
        QCOMPARE(readPortSettings(p.settings()).DeviceAddress, 11);
        QCOMPARE(readPortSettings(p.settings()).SettingsText, QStringLiteral("19200,e,8,1"));
        QVERIFY(!scan->isVisible());
    }

    // Cancel stops the scan before its next probe.
    void cancelStopsTheScan() {
        Program p;
        p.trigger("mnuScan");
        auto* scan = p.child<frmScan>(p.window.get(), "frmScan");
        p.child<QCheckBox>(scan, "chkAllSettings")->setChecked(true);
        int probes = 0;
        connect(&scan->scan(), &LineScan::progress, this, [&] {
            if (++probes == 3)
                p.click(scan, "cmdCancel");
        });
        p.click(scan, "cmdStart");
        QCOMPARE(probes, 3);
        QVERIFY(p.scanState(scan).startsWith(QStringLiteral("Cancelled.")));
        QVERIFY(p.child<QPushButton>(scan, "cmdStart")->isEnabled());
    }

    // The program's configuration against a file and against the controller: the values that
    // differ, as the windows show them.
    void compare() {
        Program p;
        Workspace& ws = *p.workspace;
        ws.setDeviceAddress(11);
        p.interaction.answers = {Interaction::Answer::Ok};
        QCOMPARE(ws.transfers().ReadAll(false), Transfers::Outcome::Done);
        const QString file = p.path(QStringLiteral("plant.tvk"));
        QVERIFY(ws.SaveConfigurationFile(file).ok);
        ws.setValue(7, 2, 777);
        const QList<QStringList> differ{{"7", "Max. setpoint", "2", "600.0", "77.7"}};

        p.interaction.fileNames = {file};
        p.trigger("mnuCompareFile");
        auto* compare = p.child<frmCompare>(p.window.get(), "frmCompare");
        QVERIFY(compare->isVisible());
        QCOMPARE(compare->table().rows(), differ);
        QCOMPARE(compare->table().header().value(4), QStringLiteral("In the program"));

        p.trigger("mnuCompareDevice");
        QCOMPARE(compare->table().rows(), differ);
        QCOMPARE(compare->table().header().value(3), QStringLiteral("Controller"));
        p.window->setLanguage(0); // the open comparison follows the language
        QCOMPARE(compare->table().header().value(2), QStringLiteral("Spalte"));
        QCOMPARE(compare->windowTitle(), compareWithControllerCaption(ws.texts));
        QCOMPARE(ws.image.value(7, 2), 777.0); // the program's configuration stays
        QVERIFY(p.sim.sent(Telegram::WriteControl).isEmpty());
    }
};

QTEST_MAIN(tst_frmScan)
#include "tst_frmscan.moc"
