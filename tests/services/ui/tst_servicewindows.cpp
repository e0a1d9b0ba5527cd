// The extra-functions, device-parameter and password windows, opened through the window manager
// as the menu opens them, on the simulated controller.
#include "app/ui/WindowManager.h"
#include "device/DeviceServices.h"
#include "link/Link.h"
#include "services/ServiceCode.h"
#include "services/ui/frmDevice.h"
#include "services/ui/frmExtra.h"
#include "services/ui/frmPass.h"
#include "support/SimWorkspace.h"
#include "support/TestProgram.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QRadioButton>
#include <QSignalSpy>

namespace {
struct Program : SimWorkspace {
    explicit Program(int firmware = 0x56, int attributes = 0x10, qint64 transferMs = 3000)
        : SimWorkspace(SimOptions{3, firmware, attributes, {}, false, transferMs}, 20),
          windows(*workspace) {
        if (!started)
            qFatal("simulator: %s", qPrintable(errorText()));
        workspace->identification.FirmwareVersion = firmware;
        registerWindows(windows);
    }
    template <typename W> W* open(WindowId id) { return qobject_cast<W*>(windows.open(id)); }
    template <typename T> static T* widget(QWidget* w, const QString& name) {
        return TestProgram::child<T>(w, name);
    }
    WindowManager windows;
};

} // namespace

class tst_ServiceWindows : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void extraShowsWhatTheControllerHas_data() {
        QTest::addColumn<int>("firmware");
        QTest::addColumn<bool>("interface");
        QTest::addColumn<bool>("baud4800");
        QTest::addColumn<bool>("clock");
        QTest::newRow("0x46: interface fixed") << 0x46 << false << false << true;
        QTest::newRow("0x51: 9600 and 19200") << 0x51 << true << false << true;
        QTest::newRow("0x2F: no clock") << 0x2F << true << true << false;
    }
    void extraShowsWhatTheControllerHas() {
        QFETCH(int, firmware);
        QFETCH(bool, interface);
        QFETCH(bool, baud4800);
        QFETCH(bool, clock);
        // The image says attributes 0x10; the controller has 0x04: the CAN group and the protocol
        // button follow the controller, and the button sends what it says.
        Program p(firmware, 0x04);
        p.workspace->image.setValue(31, 1, 0x10);
        auto* w = p.open<frmExtra>(WindowId::frmExtra);
        QVERIFY(w);
        QCOMPARE(w->windowTitle(), QStringLiteral("Q7400 Extra"));
        QCOMPARE(p.widget<QGroupBox>(w, "fraBaud")->isVisible(), interface);
        QCOMPARE(p.widget<QRadioButton>(w, "optBaud_0")->isEnabled(), baud4800);
        QCOMPARE(p.widget<QLineEdit>(w, "txtTimeDate_3")->isVisible(), clock);
        QVERIFY(p.widget<QGroupBox>(w, "fraCanBaud")->isVisible());
        QVERIFY(!p.widget<QLineEdit>(w, "txtModAdr")->isVisible());
        QVERIFY(p.widget<QRadioButton>(w, "optCanBaud_4")->isChecked());
        auto* protocol = p.widget<QPushButton>(w, "cmdModbus");
        const QString expected = protocolCaption(protocolFor(firmware, 0x04));
        QCOMPARE(protocol->text(), expected);
        p.requests.clear();
        protocol->click();
        QCOMPARE(p.trace().last().right(2),
                 QStringLiteral("%1").arg(int(protocolFor(firmware, 0x04)), 2, 10, QChar(u'0')));

        // F5 among the CAN options asks for the rate again, as a click on their frame does.
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w));
        auto* can = p.widget<QRadioButton>(w, "optCanBaud_0");
        can->setFocus();
        p.requests.clear();
        QTest::keyClick(can, Qt::Key_F5);
        QCOMPARE(p.trace(), (QStringList{"prep", "RA1"}));
    }

    void clockSetSendsAPossibleDate() {
        Program p;
        auto* w = p.open<frmExtra>(WindowId::frmExtra);
        const QStringList typed = {"10", "75", "13", "31", "2", "2023"};
        for (int i = 0; i < 6; ++i)
            p.widget<QLineEdit>(w, QStringLiteral("txtTimeDate_%1").arg(i))->setText(typed[i]);
        p.requests.clear();
        p.widget<QPushButton>(w, "cmdSetTime")->click();
        QCOMPARE(p.trace(), (QStringList{"prep", "W90 0000000A3B0D1C0217"}));
        QCOMPARE(p.widget<QLineEdit>(w, "txtTimeDate_1")->text(), QStringLiteral("59"));
        QCOMPARE(p.widget<QLineEdit>(w, "txtTimeDate_3")->text(), QStringLiteral("28"));
        QCOMPARE(p.device().clock().date(), QDate(2023, 2, 28));
    }

    void mappingAskedAndAnnounced() {
        Program p;
        auto* w = p.open<frmExtra>(WindowId::frmExtra);
        QSignalSpy started(p.workspace.get(), &Workspace::mappingStarted);
        auto* mapping = p.widget<QPushButton>(w, "cmdMapping");
        QCOMPARE(mapping->text(), p.workspace->texts.LoadText(470));
        p.requests.clear();
        p.interaction.answers = {Interaction::Answer::Cancel};
        mapping->click();
        QVERIFY(p.requests.isEmpty());
        mapping->click();
        QVERIFY(p.device().mappingActive());
        QCOMPARE(started.size(), 1);
        QCOMPARE(mapping->text(), p.workspace->texts.LoadText(471));
        QCOMPARE(p.interaction.asked.size(), 2);
        QCOMPARE(p.interaction.asked.last().title, QStringLiteral("Mapping"));
    }

    void transferButtonsFollowTheTransfer() {
        Program p(0x56, 0x10, 600);
        auto* w = p.open<frmExtra>(WindowId::frmExtra);
        QSignalSpy stop(p.workspace.get(), &Workspace::monitoringStopRequested);
        auto* toChannels = p.widget<QPushButton>(w, "cmdR2CPU");
        auto* toParamDb = p.widget<QPushButton>(w, "cmdR2DB100");
        QVERIFY(toChannels->isVisible() && toChannels->isEnabled());
        toChannels->click();
        QCOMPARE(stop.size(), 1);
        QVERIFY(!toChannels->isEnabled() && !toParamDb->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(toChannels->isEnabled() && toParamDb->isEnabled(), 10000);
        QVERIFY(p.trace().count(QStringLiteral("R32")) >= 2);
    }

    void closedWhileWaitingClosesAfterwards() {
        Program p;
        auto* w = p.open<frmExtra>(WindowId::frmExtra);
        p.silenceFrom(1);
        QTimer::singleShot(20, w, &QWidget::close);
        p.widget<QPushButton>(w, "cmdGetTime")->click();
        QVERIFY(!w->isVisible());
        QVERIFY(!w->busy());
    }

    void silentControllerToldOnce() {
        Program p;
        p.silenceFrom(1);
        p.open<frmExtra>(WindowId::frmExtra);
        QCOMPARE(p.interaction.asked.size(), 1);
    }

    void deviceParametersStoreLeftFieldsOnly() {
        Program p(0x56);
        DeviceImage& image = p.workspace->image;
        image.setValue(38, 1, 500);
        image.setValue(54, 1, 150); // shows "Off", is not rewritten as 0
        const DeviceImage before = image;
        QSignalSpy units(p.workspace.get(), &Workspace::temperatureUnitChanged);
        auto* w = p.open<frmDevice>(WindowId::frmDevice);
        QCOMPARE(w->windowTitle(), QStringLiteral("Q7400") + p.workspace->texts.LoadText(283));
        for (int i = 16; i < DeviceParameterForm::TextFields; ++i)
            if (auto* field = p.widget<QLineEdit>(w, QStringLiteral("txtDevice_%1").arg(i));
                field->isVisible()) {
                field->setFocus();
                field->clearFocus();
            }
        w->close();
        for (int r = 0; r < DeviceImage::Rows; ++r)
            for (int c = 0; c < DeviceImage::Columns; ++c)
                QCOMPARE(image.cell(r, c), before.cell(r, c));

        p.windows.open(WindowId::frmDevice);
        TestProgram::type(w, "txtDevice_21", "60");
        QCOMPARE(image.value(54, 1), 62.0);
        QCOMPARE(p.widget<QLineEdit>(w, "txtDevice_21")->text(), QStringLiteral("62"));
        // Typed but not left when the window closes: stored all the same.
        auto* ct = p.widget<QLineEdit>(w, "txtDevice_16");
        ct->setFocus();
        ct->selectAll();
        QTest::keyClicks(ct, QStringLiteral("40"));
        w->close();
        QCOMPARE(image.value(38, 1), 400.0);

        p.windows.open(WindowId::frmDevice);
        p.widget<QRadioButton>(w, "optDim_1")->click();
        QCOMPARE(units.size(), 1);
        for (const char* name : {"chkAutark", "chkAmp"})
            p.widget<QCheckBox>(w, name)->click();
        auto* store = p.widget<QCheckBox>(w, "chkFuncStore");
        store->click();
        QVERIFY(!store->isChecked());
        QCOMPARE(int(image.value(32, 1)) & 0x0F, 0x07);
        QVERIFY(!store->toolTip().isEmpty());
        QVERIFY(p.requests.isEmpty()); // the window works on the image only
    }

    // At its smallest, in each language and with the most the firmware shows, every text fits
    // and every control is reached with the Tab key.
    void readableAndReachable_data() {
        QTest::addColumn<int>("window");
        QTest::addColumn<int>("firmware");
        QTest::addColumn<int>("attributes");
        QTest::addColumn<int>("moduleVariant");
        QTest::addColumn<bool>("external");
        QTest::addColumn<int>("language");
        const int extra = int(WindowId::frmExtra), device = int(WindowId::frmDevice);
        for (int l = 0; l < 4; ++l) {
            const char* lang = std::array{"de", "en", "fr", "it"}[size_t(l)];
            QTest::addRow("extra, interface and CAN, %s", lang)
                << extra << 0x45 << 0 << 3 << false << l;
            QTest::addRow("extra, transfers, %s", lang) << extra << 0x56 << 0x10 << 3 << false << l;
            QTest::addRow("device, temperature, %s", lang)
                << device << 0x99 << 0x10 << 3 << false << l;
            QTest::addRow("device, linear, external currents, %s", lang)
                << device << 0x99 << 0x10 << 2 << true << l;
            QTest::addRow("password, %s", lang)
                << int(WindowId::frmPass) << 0x56 << 0x10 << 3 << false << l;
        }
    }
    void readableAndReachable() {
        QFETCH(int, window);
        QFETCH(int, firmware);
        QFETCH(int, attributes);
        QFETCH(int, moduleVariant);
        QFETCH(bool, external);
        QFETCH(int, language);
        Program p(firmware, attributes);
        Identification& id = p.workspace->identification;
        id.ModuleVariant = moduleVariant;
        id.ExternalCurrentInputs = external;
        p.workspace->image.setValue(31, 1, attributes);
        p.workspace->setLanguageOffset(1000 * language);
        p.workspace->announceIdentificationChanged();
        QWidget* w = p.windows.open(WindowId(window));
        QVERIFY(w);
        const QString shot =
            QStringLiteral("%1-%2-%3").arg(w->objectName()).arg(firmware, 2, 16).arg(language);
        QCOMPARE(cutOffAtMinimumSize(w, shot), QStringList());
        QCOMPARE(keyboardUnreachable(w), QStringList());
        // Another controller that no longer offers the option Tab entered at.
        id.FirmwareVersion = 0x56;
        p.workspace->announceIdentificationChanged();
        QCOMPARE(keyboardUnreachable(w), QStringList());
    }

    void serviceCodeWindow() {
        Program p;
        auto* w = p.open<frmPass>(WindowId::frmPass);
        QCOMPARE(w->windowTitle(), QStringLiteral("Passwort"));
        auto* text1 = p.widget<QLineEdit>(w, "Text1");
        QCOMPARE(text1->echoMode(), QLineEdit::Password);
        const QString code = serviceCode(QDate::currentDate());
        QTest::keyClicks(text1, code.left(code.size() - 1) + u'x');
        QVERIFY(w->isVisible());
        QVERIFY(p.requests.isEmpty());
        QVERIFY(p.interaction.asked.isEmpty());
        text1->clear();
        QTest::keyClicks(text1, code);
        QVERIFY(!w->isVisible());
        QCOMPARE(p.trace(), (QStringList{"prep", "W3C 77", "R35"}));
    }
};

QTEST_MAIN(tst_ServiceWindows)
#include "tst_servicewindows.moc"
