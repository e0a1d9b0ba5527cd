#include "app/ui/FormBinder.h"
#include "app/ui/SecondaryWindow.h"
#include "config/ui/DipSwitches.h"
#include "device/Transfers.h"
#include "link/Link.h"
#include "link/PortSettings.h"
#include "link/Telegram.h"
#include "params/ui/frmRegler.h"
#include "support/TestFiles.h"
#include "support/TestProgram.h"

#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QSet>
#include <QSignalSpy>
#include <QTableWidget>
#include <QToolButton>

namespace {

// One program instance on fake ports: workspace, window and the ports it made.
struct Program : TestProgram {
    Program() = default;
    // Started at once on the two default fake ports.
    explicit Program(const QString& settingsPath) { start(settingsPath); }

    QList<QPointer<FakePort>> ports;
    QHash<QString, int> failing; // device -> error number
    QString simulatorPath;       // the bundled simulator's pseudo-terminal, if it runs

    void start(const QString& settingsPath, QStringList devices = {"/dev/fakeA", "/dev/fakeB"},
               std::function<void(FakePort&)> prepare = {}) {
        FrameOptions options;
        options.settingsPath = settingsPath;
        options.portOverride = simulatorPath;
        options.simulator = !simulatorPath.isEmpty();
        options.listDevices = [devices] {
            return devices;
        };
        options.makePort = [this, prepare](const QString& device) -> SerialPort* {
            auto* port = new FakePort;
            if (failing.contains(device))
                port->failOpen(failing.value(device), QStringLiteral("Permission denied"));
            if (prepare)
                prepare(*port);
            ports.append(port);
            return port;
        };
        TestProgram::start(options);
    }
    QMenu* menu(const QString& name) const { return child<QMenu>(window.get(), name); }
    template <typename T> T* widget(const QString& name) const {
        return child<T>(window.get(), name);
    }
};

// The program on the simulated controller's pseudo-terminal, with real transmission times so
// that a read takes a while.
struct SimProgram : TestProgram {
    explicit SimProgram(const QString& settingsPath, const SimOptions& simOptions = {})
        : TestProgram(simOptions) {
        started = sim.start();
        sim.server().setWireTiming(true);
        FrameOptions options;
        options.settingsPath = settingsPath;
        options.portOverride = sim.slavePath();
        options.simulator = true;
        start(options, 0, Link::PauseMs);
    }
    bool started = false;
};

// A secondary window as the window issues make them; it counts how it is opened.
struct CountingWindow : SecondaryWindow {
    CountingWindow(Workspace& ws, const QString& name) : SecondaryWindow(ws, name) {}
    void openFor(int argument) override { arguments.append(argument); }
    QList<int> arguments;
};

// A caption as the user reads it, without the mnemonic mark.
QString shown(const QAction* action) {
    return withoutMnemonic(action->text());
}
QString shown(const QMenu* menu) {
    return withoutMnemonic(menu->title());
}

// The device error block as the controller sends it: 32 bytes, words from position 7 on.
QByteArray errorBlock(int address, const std::array<int, 12>& words) {
    QByteArray data;
    for (int w : words) {
        data.append(char(w & 0xFF));
        data.append(char((w >> 8) & 0xFF));
    }
    return Telegram::buildLong(0x08, quint8(address), quint8(data.at(0)), data.mid(1));
}

} // namespace

class tst_frmKonfig : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() {
        QVERIFY(m_dir.isValid());
        m_settings = m_dir.filePath(QStringLiteral("Q7400n.cfg"));
        QFile::remove(m_settings);
        QFile::remove(m_dir.filePath(QStringLiteral("Q7400.zyk")));
    }

    void startUpValuesAndWelcomeOnce() {
        QVERIFY(writeFile(m_dir.filePath("Q7400.zyk"), "Nozzle 1\nNozzle 2\n"));
        Program p(m_settings);
        Workspace& ws = *p.workspace;
        frmKonfig& w = *p.window;

        // First run: the settings file is created with the defaults and port 1 is open.
        QCOMPARE(fileLines(m_settings), (QStringList{"19200,e,8,1", "1", "0", "3"}));
        QVERIFY(w.portOpen());
        QCOMPARE(p.ports.last()->settings(), QStringLiteral("19200,e,8,1"));
        QCOMPARE(ws.identification.FirmwareVersion, 0x99);
        QCOMPARE(ws.memory[767], quint8(0xFF));
        QCOMPARE(ws.memory[640], quint8(0x21)); // default parameter-block table
        QCOMPARE(ws.image.value(36, 9), 34.0);
        QCOMPARE(ws.image.value(31, 1), 16.0);
        QCOMPARE(ws.link().DeviceAddress, 3);
        QCOMPARE(w.statusPanelText(1), QStringLiteral("Version: 4.21"));
        QCOMPARE(w.statusPanelText(2), QStringLiteral("Merkmal:  A0 B1"));
        QCOMPARE(w.statusPanelText(5), QStringLiteral("kein File"));
        QCOMPARE(w.windowTitle(), QStringLiteral("Q7400 Konfigurator"));
        QCOMPARE(p.widget<QLineEdit>("txtGAdress")->text(), QStringLiteral("3"));
        QVERIFY(p.action("mnuBaudrate_3")->isChecked());
        QVERIFY(p.action("mnuPar_1")->isChecked());
        QVERIFY(p.action("mnuMerk_0")->isChecked());
        QVERIFY(!p.widget<QLabel>("Image1")->pixmap().isNull());
        QCOMPARE(ws.channelNames.names.mid(0, 3), (QStringList{"Nozzle 1", "Nozzle 2", "3"}));
        QVERIFY(p.interaction.asked.isEmpty());

        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QTRY_COMPARE(p.askedWithTitle(QStringLiteral("Wichtiger Hinweis")), 1);
        QVERIFY(!p.widget<QProgressBar>("ProgressBar1")->isVisible());
        QVERIFY(!p.widget<QLabel>("lblGerFehler")->isVisible());
        const auto& welcome = p.interaction.asked.first();
        QCOMPARE(welcome.icon, Interaction::Icon::Exclamation);
        QVERIFY(welcome.text.contains(QStringLiteral("[Q7400 => PC]")));

        // Another activation shows no second remark.
        QWidget other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QTest::qWait(20);
        QCOMPARE(p.askedWithTitle(QStringLiteral("Wichtiger Hinweis")), 1);
        QVERIFY(w.WelcomeShown);
    }

    void menuVisibilityByFirmware_data() {
        QTest::addColumn<int>("firmware");
        QTest::addColumn<bool>("blocks");
        QTest::addColumn<bool>("b2");
        QTest::addColumn<bool>("password");
        QTest::addColumn<bool>("historyMessage");
        QTest::newRow("0x99 before any read") << 0x99 << true << true << false << false;
        QTest::newRow("0x2F") << 0x2F << false << false << false << true;
        QTest::newRow("0x00") << 0x00 << false << false << true << true;
    }
    void menuVisibilityByFirmware() {
        QFETCH(int, firmware);
        Program p(m_settings);
        p.window->setLanguage(1);
        p.workspace->identification.FirmwareVersion = firmware;
        p.window->refreshActivation();

        QTEST(p.action("mnuDevice_4")->isVisible(), "blocks");
        for (int i = 3; i <= 5; ++i)
            QTEST(p.action(QStringLiteral("mnuMerk_%1").arg(i))->isVisible(), "b2");
        QVERIFY(p.action("mnuMerk_2")->isVisible());
        QTEST(p.action("mnuDevice_5")->isVisible(), "password");

        // Below firmware 0x30 the entry says there is no history instead of opening the window.
        QFETCH(bool, historyMessage);
        QAction* history = p.action("mnuHistory_2");
        QVERIFY(history->isEnabled());
        if (historyMessage) {
            p.interaction.asked.clear();
            history->trigger();
            QCOMPARE(p.interaction.asked.size(), 1);
            QCOMPARE(p.interaction.asked[0].title, QStringLiteral("Q7400"));
            QCOMPARE(p.interaction.asked[0].text, QStringLiteral("No alarm history"));
            QCOMPARE(p.interaction.asked[0].buttons, Interaction::Buttons::Ok);
            QVERIFY(!p.window->windows().window(WindowId::frmHist));
        }
    }

    // Every menu entry of the enum has its action. An entry is available once its window is
    // registered (or it has a handler); the window is made once, as a window of its own.
    void menuEntriesAndWindows() {
        Program p(m_settings);
        frmKonfig& w = *p.window;
        w.setLanguage(1);
        for (int i = 0; i < MenuEntryCount; ++i) {
            QAction* a = w.entryAction(MenuEntry(i));
            QVERIFY2(a, qPrintable(menuEntryName(MenuEntry(i))));
            QCOMPARE(a->objectName(), menuEntryName(MenuEntry(i)));
            QCOMPARE(p.action(menuEntryName(MenuEntry(i))), a);
        }
        QCOMPARE(shown(w.entryAction(MenuEntry::mnuSFehl_8)), QStringLiteral("Collective alarm H"));
        for (MenuEntry e : {MenuEntry::mnuGetPara, MenuEntry::mnuSave, MenuEntry::mnuParaset_0,
                            MenuEntry::mnuParaset_2, MenuEntry::mnuWLDauf, MenuEntry::mnuWLDspei,
                            MenuEntry::mnuDevice_1, MenuEntry::mnuDevice_3, MenuEntry::mnuDevice_4,
                            MenuEntry::mnuExtra, MenuEntry::mnuHistory_1})
            QVERIFY2(w.entryAction(e)->isEnabled(), qPrintable(menuEntryName(e)));

        int made = 0;
        w.windows().add(WindowId::frmSFehler, [&made](Workspace& ws, WindowManager&) {
            ++made;
            return new CountingWindow(ws, QStringLiteral("frmSFehler"));
        });
        QAction* mask3 = w.entryAction(MenuEntry::mnuSFehl_3);
        QVERIFY(mask3->isEnabled());
        QVERIFY(mask3->toolTip() != QStringLiteral("Not available yet"));
        mask3->trigger();
        w.entryAction(MenuEntry::mnuSFehl_8)->trigger();
        auto* window = static_cast<CountingWindow*>(w.windows().window(WindowId::frmSFehler));
        QCOMPARE(made, 1);
        QCOMPARE(window->arguments, (QList<int>{3, 8}));
        QVERIFY(window->isVisible());
        QVERIFY(!window->parentWidget());

        int features = 0;
        w.setEntryHandler(MenuEntry::mnuMerk_2, [&features] { ++features; });
        w.entryAction(MenuEntry::mnuMerk_2)->trigger();
        QCOMPARE(features, 1);
    }

    void deviceErrorLinesFromAReadError() {
        Program p;
        p.start(m_settings, {"/dev/fakeA"}, [](FakePort& port) {
            port.responder = [](const QByteArray& written) {
                FakePort::Reaction r;
                if (written == Telegram::buildShort(0x7A, 3))
                    r.chunks = {errorBlock(3, {0, 0, 0x0004, 0, 0, 0, 0, 0, 0x1001, 0, 0, 0})};
                return r;
            };
        });
        p.window->setLanguage(1);
        p.window->show();
        QPushButton* read = p.widget<QPushButton>("cmdReadError");
        QCOMPARE(read->text(), QStringLiteral("Read alarm / error"));
        QVERIFY(read->isEnabled());
        QSignalSpy decoded(&p.workspace->link(), &Link::deviceErrorsDecoded);
        read->click();
        QTRY_COMPARE(decoded.size(), 1);

        QLabel* text = p.widget<QLabel>("lblGerFehler");
        QVERIFY(text->isVisible());
        QCOMPARE(text->text().split(u'\n'), (QStringList{"Analog error", "24 V missing"}));
        QVERIFY(p.widget<QLabel>("imgError_2")->isVisible());
        QVERIFY(!p.widget<QLabel>("imgError_0")->isVisible());
        QVERIFY(p.widget<QLabel>("imgError_8")->isVisible());
        QVERIFY(!p.widget<QLabel>("imgError_8")->pixmap().isNull());

        // The text follows the language; a cleared word hides it again.
        p.window->setLanguage(0);
        QCOMPARE(text->text(), QStringLiteral("Analogteil-Fehler\n24 V fehlt"));
        p.workspace->setDeviceErrors({});
        QVERIFY(!text->isVisible());
        QVERIFY(!p.widget<QLabel>("imgError_2")->isVisible());
        QVERIFY(p.widget<QLabel>("imgError_8")->pixmap().isNull());
    }

    void cancellingShutdownKeepsEveryWindow() {
        Program p(m_settings);
        frmKonfig& w = *p.window;
        w.show();
        w.windows().add(WindowId::frmDevice, [](Workspace& ws, WindowManager&) {
            return new CountingWindow(ws, QStringLiteral("frmDevice"));
        });
        QWidget* secondary = w.windows().open(WindowId::frmDevice);
        p.interaction.asked.clear();

        p.interaction.answers = {Interaction::Answer::Cancel};
        w.entryAction(MenuEntry::mnuEnd)->trigger();
        QVERIFY(w.isVisible());
        QVERIFY(secondary->isVisible());
        QCOMPARE(p.interaction.asked.size(), 1);
        QCOMPARE(p.interaction.asked[0].title, QStringLiteral("Konfiguration"));
        QCOMPARE(p.interaction.asked[0].text, QStringLiteral("Konfiguration geht verloren !"));
        QCOMPARE(p.interaction.asked[0].buttons, Interaction::Buttons::OkCancel);
        QCOMPARE(p.interaction.asked[0].icon, Interaction::Icon::Exclamation);

        p.interaction.answers = {Interaction::Answer::Ok};
        QVERIFY(w.close());
        QVERIFY(!w.isVisible());
        QVERIFY(!secondary->isVisible());
    }

    void languageSwitchRewritesCaptionsAndPersists() {
        {
            Program p(m_settings);
            QSignalSpy changed(p.workspace.get(), &Workspace::languageChanged);
            QCOMPARE(shown(p.menu("mnuDatei")), QStringLiteral("Datei"));
            p.widget<QToolButton>("cmdSprache_2")->click();
            QCOMPARE(changed.size(), 1);
            QCOMPARE(shown(p.menu("mnuDatei")), QStringLiteral("Fichier"));
            QCOMPARE(shown(p.action("mnuOeffnen")), QStringLiteral("Ouvrir"));
            QCOMPARE(shown(p.action("mnuWLDauf")), QStringLiteral("WLD  Ouvrir"));
            QCOMPARE(shown(p.menu("mnuSchnitt")), QStringLiteral("Interface série"));
            QCOMPARE(shown(p.action("mnuGetPara")), QStringLiteral("Q7400 => PC"));
            QCOMPARE(p.widget<QPushButton>("cmdReadError")->text(),
                     p.workspace->texts.table().entry(2212));
            QCOMPARE(p.window->statusPanelText(5), p.workspace->texts.table().entry(2225));
            QVERIFY(
                p.window->statusPanelText(2).startsWith(p.workspace->texts.table().entry(2236)));
            QCOMPARE(p.workspace->table[0].Name, p.workspace->texts.table().entry(2100));
            QVERIFY(p.widget<QToolButton>("cmdSprache_2")->isChecked());
            QVERIFY(!p.widget<QToolButton>("cmdSprache_0")->isChecked());
            QCOMPARE(fileLines(m_settings), (QStringList{"19200,e,8,1", "1", "2000", "3"}));
        }
        Program again(m_settings);
        QCOMPARE(again.window->windowTitle(),
                 QStringLiteral("Q7400") + again.workspace->texts.LoadText(210));
        QCOMPARE(again.workspace->texts.LanguageOffset, 2000);
        QCOMPARE(shown(again.menu("mnuDatei")), QStringLiteral("Fichier"));
        QCOMPARE(shown(again.menu("mnuPSätze")), again.workspace->texts.table().entry(2189));
    }

    // The feature codes read exactly so in every language; every menu entry has a mnemonic of its
    // own and F10 opens the menu bar.
    void keyboardAndFixedCaptions() {
        Program p(m_settings);
        frmKonfig& w = *p.window;
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        const auto features = [&w] {
            QStringList captions;
            for (int i = 0; i < 6; ++i)
                captions << shown(w.entryAction(menuEntryAt(MenuEntry::mnuMerk_0, i)));
            return captions;
        };
        const QStringList fixed = {"A0 B1  (16 bin. I/O  –  Thermo)",
                                   "A1 B1  (20 bin. I/O  –  Thermo)",
                                   "A2 B1  (16 bin. I/O + 4 cont. Out  –  Thermo)",
                                   "A0 B2  (16 bin. I/O  –  20 mA)",
                                   "A1 B2  (20 bin. I/O  –  20 mA)",
                                   "A2 B2  (16 bin. I/O + 4 cont. Out  –  20 mA)"};
        QCOMPARE(w.findChildren<QWidget*>(QStringLiteral("fraIoArea")).size(), 1);
        for (int language = 0; language < 4; ++language) {
            w.setLanguage(language);
            QCOMPARE(features(), fixed);
            QList<QList<QAction*>> menus = {w.menuBar()->actions()};
            for (QMenu* menu : w.findChildren<QMenu*>())
                menus.append(menu->actions());
            for (const QList<QAction*>& actions : menus) {
                QSet<QChar> keys;
                for (QAction* a : actions) {
                    if (a->isSeparator() || a->objectName() == QLatin1String("mnucom_0"))
                        continue;
                    const QKeySequence key = QKeySequence::mnemonic(a->text());
                    QVERIFY2(!key.isEmpty(), qPrintable(a->text()));
                    QVERIFY2(!keys.contains(a->text().at(a->text().indexOf(u'&') + 1).toLower()),
                             qPrintable(a->text()));
                    keys.insert(a->text().at(a->text().indexOf(u'&') + 1).toLower());
                }
            }
        }
        QVERIFY(!w.menuBar()->activeAction());
        QTest::keyClick(&w, Qt::Key_F10);
        QVERIFY(w.menuBar()->activeAction());
        QTest::keyClick(w.menuBar(), Qt::Key_Escape);
        QTest::keyClick(w.menuBar(), Qt::Key_Escape);
        QVERIFY(!w.menuBar()->activeAction());
        QTest::keyPress(&w, Qt::Key_Alt, Qt::AltModifier);
        QTest::keyRelease(&w, Qt::Key_Alt);
        QVERIFY(w.menuBar()->activeAction());
    }

    // At its minimum size no two visible controls overlap, in any language, and switching the
    // language moves nothing.
    void layoutAtMinimumSize() {
        Program p(m_settings);
        frmKonfig& w = *p.window;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        p.workspace->setDeviceErrors({{1, 0, 0, 0, 0, 0, 0, 1}, 0xFFFF}); // every error line
        w.resize(200, 200);
        QVERIFY(w.width() >= w.minimumSizeHint().width() && w.width() < 1100);
        const auto geometry = [&w](const char* name) {
            QWidget* widget = w.findChild<QWidget*>(QLatin1String(name));
            return QRect(widget->mapTo(&w, QPoint()), widget->size());
        };
        const QRect address = geometry("txtGAdress");
        const QRect flag = geometry("cmdSprache_0");
        const QRect button = geometry("cmdClearErr");
        for (int language = 0; language < 4; ++language) {
            w.setLanguage(language);
            w.resize(200, 200);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
            QCOMPARE(geometry("txtGAdress"), address);
            QCOMPARE(geometry("cmdSprache_0"), flag);
            QCOMPARE(geometry("cmdClearErr"), button);
            QList<QWidget*> controls;
            for (QWidget* c : w.findChildren<QWidget*>())
                if (c->isVisible() && !c->isWindow() &&
                    c->findChildren<QWidget*>(Qt::FindDirectChildrenOnly).isEmpty())
                    controls.append(c);
            for (int i = 0; i < controls.size(); ++i)
                for (int j = i + 1; j < controls.size(); ++j) {
                    // What shows of each (a label in a scroll area shows only in part).
                    const QRect a = controls[i]->visibleRegion().boundingRect().translated(
                        controls[i]->mapTo(&w, QPoint()));
                    const QRect b = controls[j]->visibleRegion().boundingRect().translated(
                        controls[j]->mapTo(&w, QPoint()));
                    QVERIFY2(!a.intersects(b),
                             qPrintable(controls[i]->objectName() + QStringLiteral(" / ") +
                                        controls[j]->objectName() + QStringLiteral(" in ") +
                                        QString::number(language)));
                }
        }
    }

    void unknownLanguageOffsetStartsInGerman() {
        QVERIFY(writeFile(m_settings, "9600,o,8,1\n2\n500\n7\n"));
        Program p(m_settings);
        QCOMPARE(p.workspace->texts.LanguageOffset, 0);
        QCOMPARE(shown(p.menu("mnuDatei")), QStringLiteral("Datei"));
        QCOMPARE(p.widget<QLineEdit>("txtGAdress")->text(), QStringLiteral("7"));
        QVERIFY(p.action("mnuBaudrate_2")->isChecked());
        QVERIFY(p.action("mnuPar_2")->isChecked());
        QCOMPARE(p.ports.last()->settings(), QStringLiteral("9600,o,8,1"));
    }

    void portFailureDisablesDeviceOperations() {
        Program p;
        p.failing.insert(QStringLiteral("/dev/fakeA"), 8002);
        p.start(m_settings);
        QCOMPARE(p.interaction.asked.size(), 1);
        QCOMPARE(p.interaction.asked[0].title, QStringLiteral("Error"));
        QCOMPARE(p.interaction.asked[0].text, QStringLiteral("Error 8002  Permission denied"));
        QVERIFY(p.workspace->PortUnavailable);
        QVERIFY(!p.window->portOpen());
        for (const char* name : {"mnuGetPara", "mnuParaset_0"})
            QVERIFY2(!p.action(QString::fromLatin1(name))->isEnabled(), name);
        QVERIFY(!p.menu("mnuPSätze")->menuAction()->isEnabled());
        QVERIFY(!p.menu("mnuHist")->menuAction()->isEnabled());
        QVERIFY(!p.widget<QPushButton>("cmdReadError")->isEnabled());
        QVERIFY(!p.widget<QPushButton>("cmdClearErr")->isEnabled());
        // Offline work goes on: the file menu and the options stay usable.
        QVERIFY(p.menu("mnuDatei")->menuAction()->isEnabled());
        QVERIFY(p.action("mnuEnd")->isEnabled());
    }

    void interfaceMenu() {
        Program p;
        p.failing.insert(QStringLiteral("/dev/fakeB"), 8002);
        p.start(m_settings, {"/dev/fakeA", "/dev/fakeB", "/dev/fakeC"});
        frmKonfig& w = *p.window;
        QPointer<FakePort> open = p.ports.last();
        QVERIFY(open->isOpen());

        Q_EMIT p.menu("mnuSchnitt")->aboutToShow();
        QAction* com1 = p.action("mnucom_1");
        QAction* com2 = p.action("mnucom_2");
        QAction* com3 = p.action("mnucom_3");
        QVERIFY(com1 && com2 && com3);
        QVERIFY(com1->isChecked() && com1->isEnabled());
        QCOMPARE(shown(com1), QStringLiteral("COM1   /dev/fakeA"));
        QVERIFY(!com2->isEnabled());
        QVERIFY(com2->toolTip().contains(QStringLiteral("8002")));
        QVERIFY(com3->isEnabled() && !com3->isChecked());
        QVERIFY(!p.action("mnucom_0")->isVisible());
        QCOMPARE(w.ActivePort, 1);
        QVERIFY(open && open->isOpen()); // the open port was not disturbed

        // Baud rate and parity: check marks, the open port and the settings file follow.
        p.action("mnuBaudrate_4")->trigger();
        QVERIFY(p.action("mnuBaudrate_4")->isChecked());
        QVERIFY(!p.action("mnuBaudrate_3")->isChecked());
        QCOMPARE(open->settings(), QStringLiteral("38400,e,8,1"));
        p.action("mnuPar_4")->trigger();
        QCOMPARE(open->settings(), QStringLiteral("38400,n,8,1"));
        QCOMPARE(fileLines(m_settings), (QStringList{"38400,n,8,1", "1", "0", "3"}));

        // Choosing port 3 reopens there and remembers it.
        com3->trigger();
        QVERIFY(w.portOpen());
        QCOMPARE(p.ports.last()->settings(), QStringLiteral("38400,n,8,1"));
        QCOMPARE(fileLines(m_settings).at(1), QStringLiteral("3"));
        Q_EMIT p.menu("mnuSchnitt")->aboutToShow();
        QVERIFY(p.action("mnucom_3")->isChecked());
        QVERIFY(!p.action("mnucom_1")->isChecked());

        // A device path in the settings file is offered as it is.
        w.choosePort(QStringLiteral("/dev/pts/77"));
        QVERIFY(w.portOpen());
        QCOMPARE(fileLines(m_settings).at(1), QStringLiteral("/dev/pts/77"));
        Q_EMIT p.menu("mnuSchnitt")->aboutToShow();
        QVERIFY(p.action("mnucomPath"));
        QVERIFY(p.action("mnucomPath")->isChecked());
        QVERIFY(p.action("mnuGetPara")->isEnabled());
    }

    // The simulator of this run stays in the Interface menu after another port was chosen, and
    // choosing it again does not change the settings file's port.
    void simulatorStaysListed() {
        Program p;
        p.simulatorPath = QStringLiteral("/dev/pts/sim");
        p.start(m_settings);
        frmKonfig& w = *p.window;
        QVERIFY(w.simulatorInUse());
        QVERIFY(w.windowTitle().contains(QStringLiteral("SIMULATOR")));
        for (const char* choice : {"mnucom_2", "mnucomSim"}) {
            Q_EMIT p.menu("mnuSchnitt")->aboutToShow();
            QAction* sim = p.action("mnucomSim");
            QVERIFY(sim);
            QCOMPARE(sim->isChecked(), w.simulatorInUse());
            p.action(QLatin1String(choice))->trigger();
            QCOMPARE(w.simulatorInUse(), choice == QLatin1String("mnucomSim"));
            QCOMPARE(w.windowTitle().contains(QStringLiteral("SIMULATOR")), w.simulatorInUse());
            QCOMPARE(fileLines(m_settings).at(1), QStringLiteral("2"));
            QVERIFY(w.portOpen());
        }
    }

    // The address typed into the field, or set with the switches (each switch has an on and
    // an off side), is taken and kept for the next start.
    void address_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("switches");
        QTest::addColumn<int>("address");
        QTest::newRow("highest") << "255" << QStringList() << 255;
        QTest::newRow("too large") << "300" << QStringList() << 0;
        QTest::newRow("empty") << "" << QStringList() << 0;
        QTest::newRow("letters are not taken") << "1x2" << QStringList() << 12;
        QTest::newRow("switches on") << "0" << QStringList{"lblDip2_0", "lblDip1_3"} << 9;
        QTest::newRow("switch on, then off")
            << "0" << QStringList{"lblDip2_0", "lblDip1_3", "lblDip1_0"} << 8;
    }
    void address() {
        QFETCH(QString, typed);
        QFETCH(QStringList, switches);
        QFETCH(int, address);
        Program p(m_settings);
        QLineEdit* field = p.widget<QLineEdit>("txtGAdress");
        p.window->show();
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, typed);
        if (typed.isEmpty())
            QTest::keyClick(field, Qt::Key_Backspace);
        QTest::keyClick(field, Qt::Key_Return);
        for (const QString& name : switches)
            QTest::mouseClick(p.widget<QWidget>(name), Qt::LeftButton);
        QCOMPARE(p.workspace->link().DeviceAddress, address);
        QCOMPARE(field->text(), QString::number(address));
        QCOMPARE(fileLines(m_settings).at(3), QString::number(address));
        QCOMPARE(p.widget<DipSwitches>("fraDip")->address(), address);
    }

    // The feature-code menu: the warning, Cancel keeps everything including the check mark, OK
    // shows the new equipment in the picture and the status bar.
    void featureCodeMenu() {
        Program p(m_settings);
        p.window->setLanguage(1);
        p.interaction.answers = {Interaction::Answer::Cancel};
        p.action("mnuMerk_2")->trigger();
        QVERIFY(p.action("mnuMerk_0")->isChecked());
        QVERIFY(!p.action("mnuMerk_2")->isChecked());
        QCOMPARE(p.interaction.asked.last().text,
                 QStringLiteral("Warning, I/O configuration channel 17 - 20 will be cleared!"));
        p.action("mnuMerk_2")->trigger();
        QVERIFY(p.action("mnuMerk_2")->isChecked());
        QCOMPARE(p.window->statusPanelText(2), QStringLiteral("Device feature code:  A2 B1"));
        QCOMPARE(p.widget<QAbstractButton>("Label1_17")->text(), QStringLiteral("Cont"));
    }

    // "Param" of a channel block opens the channel parameters for that channel; the
    // collective-alarm window, which shares the channel, closes first.
    void channelBlocksOpenTheirWindows() {
        Program p(m_settings);
        p.window->show();
        WindowManager& windows = p.window->windows();
        windows.open(WindowId::frmSFehler, 1);
        QTest::mouseClick(p.widget<QAbstractButton>("lblPrm_2"), Qt::LeftButton);
        auto* regler = windows.window<frmRegler>(WindowId::frmRegler);
        QVERIFY(regler && regler->isVisible());
        QCOMPARE(regler->channel(), 3);
        QVERIFY(!windows.window(WindowId::frmSFehler)->isVisible());
    }

    // A click on a channel's error mark lists its errors; a click on the list hides it.
    void channelErrorTable() {
        Program p(m_settings);
        p.window->setLanguage(1);
        p.window->show();
        DeviceErrors errors;
        errors.channel[2] = 0x0009;
        p.workspace->setDeviceErrors(errors);
        QTest::mouseClick(p.widget<QLabel>("imgError_2"), Qt::LeftButton);
        auto* grid = p.widget<QTableWidget>("Grid1");
        QVERIFY(grid->isVisible());
        QStringList lines;
        for (int r = 0; r < grid->rowCount(); ++r)
            lines << grid->item(r, 0)->text();
        QCOMPARE(lines, (QStringList{"Channel 3", "Broken sensor", "AL 1, high"}));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton);
        QVERIFY(!grid->isVisible());
    }

    void readFromSimulator() {
        SimOptions simOptions;
        simOptions.attributes = 0x41; // A1 B2
        simOptions.firmware = 0x56;
        SimProgram p(m_settings, simOptions);
        QVERIFY2(p.started, qPrintable(p.sim.errorText()));
        p.sim.device().raiseDeviceError(0x1001);
        ScriptedInteraction& interaction = p.interaction;
        Workspace& ws = *p.workspace;
        frmKonfig& w = *p.window;
        w.setLanguage(1);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QVERIFY(w.portOpen());
        QVERIFY(w.windowTitle().contains(QStringLiteral("SIMULATOR")));
        QVERIFY(w.findChild<QLabel*>("lblSimulator")->isVisible());
        QCOMPARE(fileLines(m_settings).at(1), QStringLiteral("1")); // the pty is not remembered

        Q_EMIT ws.transfers().configurationFileNameChanged(QStringLiteral("plant.tvk"));
        QCOMPARE(w.statusPanelText(5), QStringLiteral("plant.tvk"));
        const QString panel2Before = w.statusPanelText(2);

        // Count paints of the progress bar and ticks of a timer while the read runs.
        struct PaintCounter : QObject {
            int paints = 0;
            bool eventFilter(QObject*, QEvent* e) override {
                paints += e->type() == QEvent::Paint;
                return false;
            }
        } counter;
        QProgressBar* bar = w.findChild<QProgressBar*>("ProgressBar1");
        bar->installEventFilter(&counter);
        int ticks = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
        ticker.start(10);
        QSignalSpy progress(&ws.transfers(), &Transfers::progress);

        interaction.asked.clear();
        interaction.answers = {Interaction::Answer::Ok};
        w.findChild<QAction*>("mnuGetPara")->trigger();
        ticker.stop();

        QCOMPARE(interaction.asked.first().title, QStringLiteral("Q7400 => PC"));
        QCOMPARE(ws.identification.FirmwareVersion, 0x56);
        QCOMPARE(progress.size(), 56); // rows 0..55 for firmware 0x56
        QVERIFY2(counter.paints >= 5, qPrintable(QString::number(counter.paints)));
        QVERIFY2(ticks >= 5, qPrintable(QString::number(ticks)));
        QVERIFY(!bar->isVisible());

        QCOMPARE(w.statusPanelText(2), QStringLiteral("Device feature code:  A1 B2"));
        QVERIFY(w.statusPanelText(2) != panel2Before);
        QCOMPARE(w.statusPanelText(3), QStringLiteral("Firmware: V5.6"));
        QVERIFY(w.statusPanelText(4).startsWith(QStringLiteral("Param ID:  ")));
        QVERIFY(w.statusPanelText(4) != QStringLiteral("Param ID:  00.00.00  00:00:00"));
        QCOMPARE(w.statusPanelText(5), QStringLiteral("No File"));
        QCOMPARE(w.findChild<QLabel*>("lblGerFehler")->text().split(u'\n'),
                 (QStringList{"Analog error", "24 V missing"}));
        QVERIFY(w.findChild<QLabel*>("imgError_8")->isVisible());
        // Firmware 0x56 offers the B2 entries; attributes 0x41 have no parameter blocks.
        QVERIFY(w.findChild<QAction*>("mnuMerk_4")->isVisible());
        QVERIFY(w.findChild<QAction*>("mnuMerk_4")->isChecked());
        QVERIFY(!w.findChild<QAction*>("mnuDevice_4")->isVisible());

        // Clearing the controller's errors reads them again.
        QSignalSpy decoded(&ws.link(), &Link::deviceErrorsDecoded);
        w.findChild<QPushButton*>("cmdClearErr")->click();
        QCOMPARE(decoded.size(), 1);
        QVERIFY(!w.findChild<QLabel*>("lblGerFehler")->isVisible());
        QVERIFY(!w.findChild<QLabel*>("imgError_8")->isVisible());
    }

    // The menus stay live while a read waits for the controller: the shutdown question can be
    // answered then, and the read ends without harm.
    void closingDuringAReadIsSafe() {
        SimProgram p(m_settings);
        QVERIFY2(p.started, qPrintable(p.sim.errorText()));
        ScriptedInteraction& interaction = p.interaction;
        Workspace& ws = *p.workspace;
        frmKonfig& w = *p.window;
        w.windows().add(WindowId::frmExtra, [](Workspace& ws, WindowManager&) {
            return new CountingWindow(ws, QStringLiteral("frmExtra"));
        });
        QWidget* secondary = w.windows().open(WindowId::frmExtra);
        w.show();
        bool closed = false;
        QTimer::singleShot(300, &w, [&] {
            QVERIFY(ws.transfers().TransferRunning());
            // Another device operation meanwhile is refused at once: it sends nothing and does
            // not wait, so it cannot hold up the read that waits below it.
            const qsizetype requests = p.sim.requests.size();
            w.findChild<QPushButton*>("cmdReadError")->click();
            QCOMPARE(ws.transfers().ReadAll(false), Transfers::Outcome::Busy);
            QCOMPARE(p.sim.requests.size(), requests);
            QVERIFY(ws.transfers().TransferRunning());
            int refusals = 0;
            for (const auto& asked : interaction.asked)
                refusals += asked.title == ws.texts.LoadText(456) &&
                            asked.text.contains(QStringLiteral("Q7400 => PC"));
            QCOMPARE(refusals, 2);
            closed = w.close();
        });
        interaction.answers = {Interaction::Answer::Ok, Interaction::Answer::Ok};
        w.findChild<QAction*>("mnuGetPara")->trigger();
        QVERIFY(closed);
        QVERIFY(!w.isVisible());
        QVERIFY(!secondary->isVisible());
        QVERIFY(!ws.transfers().TransferRunning());
        QCOMPARE(ws.identification.FirmwareVersion, 0x56);
    }

    // A read that stops part-way marks the image incomplete, and saving it asks first; values
    // shown from the controller at another address are marked as the previous controller's.
    void staleAndIncompleteDataAreMarked() {
        SimProgram p(m_settings);
        QVERIFY2(p.started, qPrintable(p.sim.errorText()));
        p.sim.server().setWireTiming(false);
        p.sim.silenceFrom(12); // the firmware version and rows 0..9 are answered
        Workspace& ws = *p.workspace;
        ws.link().setReplyTimeout(50);
        frmKonfig& w = *p.window;
        w.setLanguage(1);
        w.show();
        QLabel* stale = w.findChild<QLabel*>("lblStale");
        QLabel* incomplete = w.findChild<QLabel*>("lblIncomplete");
        QVERIFY(!stale->isVisible());
        QVERIFY(!incomplete->isVisible());

        p.interaction.answers = {Interaction::Answer::Ok, Interaction::Answer::Ok};
        w.findChild<QAction*>("mnuGetPara")->trigger();
        QVERIFY(incomplete->isVisible());
        QCOMPARE(incomplete->text(), QStringLiteral("Incomplete read"));
        QVERIFY2(incomplete->toolTip().contains(QStringLiteral("stopped at row 10")),
                 qPrintable(incomplete->toolTip()));
        QVERIFY(!stale->isVisible());
        QCOMPARE(w.statusPanelText(3), QStringLiteral("Firmware: V5.6"));
        QVERIFY(w.findChild<QLabel*>("sbPanel_3")->isEnabled());

        p.interaction.answers = {Interaction::Answer::Cancel};
        p.interaction.fileNames = {m_dir.filePath(QStringLiteral("half.tvk"))};
        w.findChild<QAction*>("mnuSpeichern")->trigger();
        w.windows().window(WindowId::frmID)->findChild<QPushButton*>("cmdOK")->click();
        QVERIFY(p.interaction.asked.last().text.contains(QStringLiteral("row 10")));
        QVERIFY(p.interaction.asked.last().text.contains(QStringLiteral("Save anyway?")));
        QVERIFY(!QFile::exists(m_dir.filePath(QStringLiteral("half.tvk"))));

        p.sim.server().clearFaults();
        w.findChild<QPushButton*>("cmdReadError")->click();
        QVERIFY(!ws.link().CommError);
        w.setDeviceAddressText(QStringLiteral("4"));
        QVERIFY(stale->isVisible());
        QCOMPARE(stale->text(), QStringLiteral("Previous controller"));
        QVERIFY(stale->toolTip().contains(QStringLiteral("Adr. 3, ") + p.sim.slavePath()));
        QVERIFY(!w.findChild<QLabel*>("sbPanel_3")->isEnabled());
        QVERIFY(!w.findChild<QLabel*>("sbPanel_4")->isEnabled());
        QVERIFY(!w.findChild<QLabel*>("imgError_8")->isEnabled());
        w.setLanguage(2);
        QCOMPARE(stale->text(), QStringLiteral("Régulateur précédent"));

        w.setDeviceAddressText(QStringLiteral("3"));
        QVERIFY(!stale->isVisible());
        QVERIFY(w.findChild<QLabel*>("sbPanel_3")->isEnabled());
    }

private:
    QTemporaryDir m_dir;
    QString m_settings;
};

QTEST_MAIN(tst_frmKonfig)
#include "tst_frmkonfig.moc"
