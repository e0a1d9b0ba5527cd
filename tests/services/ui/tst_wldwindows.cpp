// The parameter-set-ID, WLD and parameter-block windows, and the main window's commands that go
// through them (write to the controller, store a parameter set, save a configuration or WLD
// file), on the simulated controller.
#include "device/Transfers.h"
#include "link/Telegram.h"
#include "services/ui/frmBlock.h"
#include "services/ui/frmID.h"
#include "services/ui/frmWLD.h"
#include "support/TestFiles.h"
#include "support/TestProgram.h"

#include <QProgressBar>
#include <QRegularExpression>
#include <QSignalSpy>

namespace {
using Answer = Interaction::Answer;

// The whole program in English on the simulator's pseudo-terminal.
struct Program : TestProgram {
    explicit Program(int firmware = 0x56, int attributes = 0x10)
        : TestProgram(SimOptions{3, firmware, attributes, {}, false}) {
        if (!startSimulated({}, 60))
            qFatal("simulator: %s", qPrintable(sim.errorText()));
        window->setLanguage(1);
    }
};
} // namespace

class tst_WldWindows : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // However the ID window is left without OK, nothing changes: not the ID, not the device
    // image, not the status bar; the write, the save or the store it was opened for does not
    // happen.
    void idWindowCancelChangesNothing_data() {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<int>("how"); // 0 Close, 1 Escape, 2 the title bar
        QTest::newRow("PC => Q7400, Close") << "mnuSave" << 0;
        QTest::newRow("Write paraset 1, Escape") << "mnuParaset_2" << 1;
        QTest::newRow("Save, title bar") << "mnuSpeichern" << 2;
        QTest::newRow("WLD Save, Close") << "mnuWLDspei" << 0;
        QTest::newRow("Parameter ID, Escape") << "mnuDevice_3" << 1;
    }
    void idWindowCancelChangesNothing() {
        QFETCH(QString, entry);
        QFETCH(int, how);
        Program p;
        Workspace& ws = *p.workspace;
        const auto id = ws.identification.ParameterSetId;
        const DeviceImage image = ws.image;
        const MemoryImage memory = ws.memory;
        const QString panel = p.window->statusPanelText(4);
        QSignalSpy changed(&ws, &Workspace::parameterSetIdChanged);
        p.trigger(entry); // OK, Yes
        auto* w = p.existing<frmID>(WindowId::frmID);
        QVERIFY(w && w->isVisible());
        QCOMPARE(w->windowTitle(), QStringLiteral("Q7400     ID"));
        p.sim.requests.clear();
        p.type(w, "txtID_5", "123");
        QCOMPARE(p.child<QLineEdit>(w, "txtID_5")->text(), QStringLiteral("99"));
        p.click(w, "cmdGetPC");
        if (how == 0)
            p.click(w, "cmdAbbruch");
        else if (how == 1) {
            w->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(w));
            QTest::keyClick(w->focusWidget(), Qt::Key_Escape);
        } else
            w->close();
        QVERIFY(!w->isVisible());
        QCOMPARE(ws.identification.ParameterSetId, id);
        QVERIFY(ws.image.value(50, 1) == image.value(50, 1));
        QCOMPARE(ws.memory.bytes, memory.bytes);
        QCOMPARE(p.window->statusPanelText(4), panel);
        QCOMPARE(changed.size(), 0);
        QCOMPARE(ws.transfers().ParamSetCommand, 0);
        QVERIFY(p.sim.requests.isEmpty());
        QCOMPARE(p.interaction.asked.size(), entry == u"mnuSave" || entry == u"mnuParaset_2");
        QVERIFY(!p.existing<frmWLD>(WindowId::frmWLD));
    }

    // "PC => Q7400": the question, the ID window, the preview, then the write with its progress
    // bar. A controller with other attributes asks first; Cancel there writes no row. The
    // controller keeps its own setpoints, also when the image came from a configuration file.
    void writeFromTheMenu_data() {
        QTest::addColumn<int>("attributes");
        QTest::addColumn<bool>("fromFile");
        QTest::addColumn<QList<Answer>>("answers"); // direction, preview, attributes
        QTest::addColumn<bool>("written");
        const QList<Answer> ok = {Answer::Ok, Answer::Ok, Answer::Ok};
        QTest::newRow("same attributes") << 0x10 << false << ok << true;
        QTest::newRow("other attributes, OK") << 0x50 << false << ok << true;
        QTest::newRow("other attributes, Cancel")
            << 0x50 << false << QList<Answer>{Answer::Ok, Answer::Ok, Answer::Cancel} << false;
        QTest::newRow("a configuration file") << 0x10 << true << ok << true;
        QTest::newRow("preview cancelled")
            << 0x10 << false << QList<Answer>{Answer::Ok, Answer::Cancel, Answer::Ok} << false;
    }
    void writeFromTheMenu() {
        QFETCH(int, attributes);
        QFETCH(bool, fromFile);
        QFETCH(QList<Answer>, answers);
        QFETCH(bool, written);
        Program p(0x56, attributes);
        Workspace& ws = *p.workspace;
        const QVector<int> setpoints = p.sim.device().item(0);
        if (fromFile) {
            const QString file = p.path(QStringLiteral("plant.tvk"));
            ws.image.setValue(13, 2, 321); // Pb heating
            ws.image.setValue(0, 1, 4444); // a setpoint the file does not carry
            QVERIFY(ws.SaveConfigurationFile(file).ok);
            ws.image.setValue(13, 2, 500);
            p.interaction.fileNames = {file};
            p.trigger("mnuOeffnen");
            QCOMPARE(ws.image.value(13, 2), 321.0);
        } else {
            ws.image.setValue(13, 2, 321);
        }
        QSignalSpy progress(&ws.transfers(), &Transfers::progress);
        p.interaction.asked.clear();
        p.interaction.answers = {answers.first()};
        p.trigger("mnuSave");
        QCOMPARE(p.interaction.asked.first().title, QStringLiteral("PC => Q7400"));
        auto* w = p.existing<frmID>(WindowId::frmID);
        QVERIFY(w && w->isVisible());
        QCOMPARE(w->mode(), ParameterSetIdMode::WriteAll);
        p.type(w, "txtID_5", "42");
        p.interaction.answers = answers.mid(1);
        p.click(w, "cmdOK");
        QVERIFY(!w->isVisible());

        // The attribute question only where the controller has other attributes.
        QCOMPARE(p.interaction.asked.size(), answers.size() - (attributes == 0x10));
        QCOMPARE(p.interaction.asked.last().title == QStringLiteral("Interface message"),
                 attributes != 0x10);
        QCOMPARE(p.sim.device().itemValue(0x10, 2), written ? 321 : 500);
        QCOMPARE(p.sim.device().item(0), setpoints);
        QCOMPARE(p.sim.device().itemValue(63, 6) == 0x42, written);
        QCOMPARE(ws.identification.ParameterSetId[5] == 0x42, answers[1] == Answer::Ok);
        if (written) {
            QCOMPARE(progress.size(), 2 * 56); // the as-found read, then the write
            QCOMPARE(p.window->findChild<QProgressBar*>()->maximum(), 56);
        }
        QVERIFY(!p.window->findChild<QProgressBar*>()->isVisible());
    }

    // "Write paraset 1" and "2": Yes writes the image first (through the ID window) and stores
    // at the end; No stores what the controller has at once; Cancel does nothing.
    void storeParameterSet_data() {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<Answer>("answer");
        QTest::addColumn<bool>("window");
        QTest::addColumn<QStringList>("commands");
        QTest::newRow("set 1, Yes")
            << "mnuParaset_2" << Answer::Yes << true << QStringList{"W32 1E"};
        QTest::newRow("set 2, No")
            << "mnuParaset_3" << Answer::No << false << QStringList{"W32 2E"};
        QTest::newRow("set 2, Cancel")
            << "mnuParaset_3" << Answer::Cancel << false << QStringList{};
    }
    void storeParameterSet() {
        QFETCH(QString, entry);
        QFETCH(Answer, answer);
        QFETCH(bool, window);
        QFETCH(QStringList, commands);
        Program p;
        p.workspace->image.setValue(13, 2, 321);
        p.interaction.answers = {answer};
        p.trigger(entry);
        QCOMPARE(p.interaction.asked.first().text, QStringLiteral("PC => Q7400 ?"));
        QCOMPARE(p.interaction.asked.first().buttons, Interaction::Buttons::YesNoCancel);
        auto* w = p.existing<frmID>(WindowId::frmID);
        QCOMPARE(w != nullptr && w->isVisible(), window);
        if (w) {
            p.interaction.answers = {Answer::Ok};
            p.click(w, "cmdOK");
        }
        // Exactly one store command, after the rows when they are written; none left pending.
        const QStringList trace = p.sim.trace();
        QCOMPARE(trace.filter(QRegularExpression(QStringLiteral("^W32 [12]E$"))), commands);
        if (!commands.isEmpty())
            QCOMPARE(trace.last(), commands.last());
        QCOMPARE(p.workspace->transfers().ParamSetCommand, 0);
        QCOMPARE(p.sim.device().itemValue(0x10, 2), window ? 321 : 500);
    }

    // Save goes through the ID window above firmware 52; its OK stores the ID and asks for the
    // file.
    void saveConfigurationThroughTheId_data() {
        QTest::addColumn<int>("firmware");
        QTest::newRow("52: at once") << 52;
        QTest::newRow("53: ID window first") << 53;
    }
    void saveConfigurationThroughTheId() {
        QFETCH(int, firmware);
        Program p;
        p.workspace->identification.FirmwareVersion = firmware;
        const QString file = p.path(QStringLiteral("saved.tvk"));
        QFile::remove(file);
        p.interaction.fileNames = {file};
        p.trigger("mnuSpeichern");
        auto* w = p.existing<frmID>(WindowId::frmID);
        QCOMPARE(w != nullptr, firmware > 52);
        if (w) {
            QVERIFY(!QFile::exists(file));
            p.type(w, "txtID_4", "12");
            p.click(w, "cmdOK");
            QCOMPARE(p.workspace->image.value(50, 5), double(0x12));
            QVERIFY(p.window->statusPanelText(4).contains(QStringLiteral(".12.")));
        }
        QVERIFY(QFile::exists(file));
        QCOMPARE(p.window->statusPanelText(5), ShortenedPath(file));
    }

    // WLD save: ID window, then the WLD window in save mode with the PC's time; its fields limit
    // what is typed and keep it across window switches; Save writes the file. Open shows the file
    // in take-over mode and changes nothing until Accept.
    void wldSaveAndTakeOver() {
        Program p;
        Workspace& ws = *p.workspace;
        ws.image.setValue(13, 3, 654);
        p.trigger("mnuWLDspei");
        auto* id = p.existing<frmID>(WindowId::frmID);
        QVERIFY(id && id->isVisible());
        p.type(id, "txtID_5", "31");
        p.click(id, "cmdOK");
        auto* w = p.existing<frmWLD>(WindowId::frmWLD);
        QVERIFY(w && w->isVisible());
        QCOMPARE(w->mode(), frmWLD::Mode::Save);
        QCOMPARE(w->windowTitle(), QStringLiteral("Q7400 WLD"));
        QCOMPARE(ws.memory[0x19A + 5], quint8(0x31)); // the ID is in the memory image
        QCOMPARE(p.child<QLineEdit>(w, "txtTime_5")->text(),
                 QString::number(QDate::currentDate().year()));
        QVERIFY(!p.child<QPushButton>(w, "cmdGet")->isEnabled());
        p.type(w, "txtBstNr", "70000");
        p.type(w, "txtTime_2", "24");
        p.type(w, "txtAutor", "A B");
        auto* author = p.child<QLineEdit>(w, "txtAutor");
        QCOMPARE(author->text(), QString());
        QVERIFY(!author->toolTip().isEmpty());
        p.type(w, "txtAutor", "ABCDEFGHIJ");
        p.type(w, "txtTime_5", "2031");
        // Typed but not left when Save is pressed: taken too.
        auto* name = p.child<QLineEdit>(w, "txtName");
        name->setFocus();
        QTest::keyClicks(name, QStringLiteral("Line7"));

        // Another window of the program in front and back again: nothing is refilled.
        p.window->windows().open(WindowId::frmBlock);
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w));
        QCOMPARE(p.child<QLineEdit>(w, "txtBstNr")->text(), QStringLiteral("65535"));

        const QString file = p.path(QStringLiteral("block"));
        p.interaction.fileNames = {file};
        p.click(w, "cmdPut");
        QVERIFY(!w->isVisible());
        QCOMPARE(QFileInfo(file + QStringLiteral(".wld")).size(), 860);
        QCOMPARE(p.window->statusPanelText(5), ShortenedPath(file + QStringLiteral(".wld")));
        QCOMPARE(ws.wld.BlockNumber, quint16(65535));
        QCOMPARE(ws.wld.BlockAuthor, QByteArray("ABCDEFGH"));
        QCOMPARE(ws.wld.BlockName, QByteArray("Line7"));
        QCOMPARE(ws.wld.BlockTime[2], quint8(23));
        QCOMPARE(ws.wld.BlockTime[5], quint8(2031 - 1984));

        // Another configuration in the program; opening the file changes nothing yet.
        ws.image.setValue(13, 3, 500);
        ws.image.setValue(50, 6, 0);
        LoadDefaultRawBlock(ws.memory);
        ws.memory.bytes[700] = 0x5A;
        const MemoryImage before = ws.memory;
        ws.wld = WldHeaderFields();
        p.interaction.fileNames = {file + QStringLiteral(".wld")};
        p.trigger("mnuWLDauf");
        QVERIFY(w->isVisible());
        QCOMPARE(w->mode(), frmWLD::Mode::TakeOver);
        QVERIFY(!p.child<QPushButton>(w, "cmdPut")->isEnabled());
        QCOMPARE(p.child<QLineEdit>(w, "txtAutor")->text(), QStringLiteral("ABCDEFGH"));
        QCOMPARE(p.child<QLineEdit>(w, "txtTime_2")->text(), QStringLiteral("23"));
        QCOMPARE(ws.memory.bytes, before.bytes);
        QCOMPARE(ws.image.value(13, 3), 500.0);
        p.click(w, "cmdGet");
        QVERIFY(!w->isVisible());
        QCOMPARE(ws.image.value(13, 3), 654.0);
        QCOMPARE(ws.identification.ParameterSetId[5], quint8(0x31));
        QCOMPARE(ws.wld.BlockNumber, quint16(65535));
        QVERIFY(ws.memory[700] != 0x5A);
        QVERIFY(p.window->statusPanelText(4).contains(QStringLiteral(".31 ")));
        QVERIFY(p.sim.requests.isEmpty());
    }

    // The block window checks every field before it stores anything; below firmware 0x90 it
    // offers to send the table, from 0x90 on it neither reads nor sends.
    void blockWindow_data() {
        QTest::addColumn<int>("firmware");
        QTest::addColumn<QString>("typed"); // into field 5
        QTest::addColumn<Answer>("send");
        QTest::addColumn<int>("stored"); // -1: nothing stored
        QTest::addColumn<bool>("sent");
        QTest::newRow("stored, not sent") << 0x56 << " 7 " << Answer::No << 0x07 << false;
        QTest::newRow("stored and sent") << 0x56 << "e1" << Answer::Yes << 0xE1 << true;
        QTest::newRow("not hexadecimal") << 0x56 << "G" << Answer::Yes << -1 << false;
        QTest::newRow("too large") << 0x56 << "1FF" << Answer::Yes << -1 << false;
        QTest::newRow("empty") << 0x56 << "" << Answer::Yes << -1 << false;
        QTest::newRow("firmware 0x90") << 0x90 << "7" << Answer::Yes << 0x07 << false;
    }
    void blockWindow() {
        QFETCH(int, firmware);
        QFETCH(QString, typed);
        QFETCH(Answer, send);
        QFETCH(int, stored);
        QFETCH(bool, sent);
        Program p(firmware);
        Workspace& ws = *p.workspace;
        ws.identification.FirmwareVersion = firmware;
        QVector<int> table;
        for (char c : SimDevice::defaultRawBlock())
            table << quint8(c);
        table[0] = 0x44;
        p.sim.device().setItem(61, 1, table);
        auto* w = p.open<frmBlock>(WindowId::frmBlock);
        QCOMPARE(w->windowTitle(), QStringLiteral("Q7400  Block"));
        auto* field0 = p.child<QLineEdit>(w, "txtBL_0");
        QCOMPARE(field0->text(), QStringLiteral("21"));
        auto* readAgain = p.child<QPushButton>(w, "cmdNeu");
        QCOMPARE(readAgain->isEnabled(), firmware < 0x90);
        if (firmware < 0x90) {
            readAgain->click();
            QCOMPARE(field0->text(), QStringLiteral("44"));
        }
        p.sim.requests.clear();
        const MemoryImage before = ws.memory;
        auto* field5 = p.child<QLineEdit>(w, "txtBL_5");
        field5->setText(typed); // past the field's own input check
        p.interaction.asked.clear();
        p.interaction.answers = {Answer::Ok, send};
        p.click(w, "cmdSave");
        if (stored < 0) {
            QCOMPARE(ws.memory.bytes, before.bytes);
            QCOMPARE(p.interaction.asked.size(), 1); // the field is named, nothing asked
            QVERIFY(!field5->styleSheet().isEmpty());
            QCOMPARE(field5->text(), typed);
        } else {
            QCOMPARE(ws.memory[640 + 5], quint8(stored));
            QCOMPARE(ws.memory[640], quint8(firmware < 0x90 ? 0x44 : 0x21));
            QCOMPARE(p.interaction.asked.size(), firmware < 0x90 ? 2 : 1);
            QCOMPARE(p.interaction.asked.first().text,
                     QStringLiteral("Attention !  Entry must match data blocks !"));
            QCOMPARE(field5->text(), QString::number(stored, 16).toUpper());
        }
        QCOMPARE(!p.sim.requests.isEmpty(), sent);
        if (sent)
            QCOMPARE(quint8(p.sim.device().rawBlock().at(5)), quint8(stored));

        // Default, then o.k. without sending: the default table, no traffic.
        p.sim.requests.clear();
        p.click(w, "cmdBLstd");
        QCOMPARE(field0->text(), QStringLiteral("21"));
        p.interaction.answers = {Answer::Ok, Answer::No};
        p.click(w, "cmdSave");
        QCOMPARE(ws.memory[640], quint8(0x21));
        QVERIFY(p.sim.requests.isEmpty());
    }
};

QTEST_MAIN(tst_WldWindows)
#include "tst_wldwindows.moc"
