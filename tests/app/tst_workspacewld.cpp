#include "app/Workspace.h"
#include "device/MemoryImageCodec.h"
#include "device/Transfers.h"
#include "services/WldEdit.h"
#include "support/ScriptedInteraction.h"
#include "support/SimWorkspace.h"
#include "support/TestFiles.h"

#include <QSignalSpy>
#include <QtTest>

// The Workspace's side of the parameter-set-ID window, the WLD window and the write from the
// window: what each OK, Cancel and take-over changes.
class tst_WorkspaceWld : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() {
        QVERIFY(m_dir.isValid());
        m_interaction = ScriptedInteraction();
        m_ws = std::make_unique<Workspace>(m_interaction, nullptr);
    }

    // A configuration saved as a WLD file and taken over by another program comes back row by
    // row; the other program's setpoints stay, the file's attributes decide feature code and
    // module variant.
    void saveAndTakeOver() {
        Workspace& a = *m_ws;
        a.image.setValue(31, 1, 0x41); // A1 B2: linear inputs, eight channels
        a.image.setValue(22, 3, 156);  // -100 %
        a.image.setValue(13, 2, 777);
        a.image.setValue(33, 4, 2);
        a.image.setValue(36, 20, 253);
        a.image.setValue(50, 6, 0x24);
        a.image.setValue(38, 1, 0); // CT ratio 0 saves too
        const DeviceImage saved = a.image;
        QVERIFY(a.PrepareWldSave());
        WldHeaderEdit edit(a.wld);
        edit.setBlockNumber(QStringLiteral("12"));
        const QString path = m_dir.filePath(QStringLiteral("plant.wld"));
        QVERIFY(a.SaveWldFile(path, edit.fields()));
        QCOMPARE(a.wld.BlockNumber, quint16(12));
        QCOMPARE(storedMemoryImageCrc(a.memory), memoryImageCrc(a.memory));

        ScriptedInteraction other;
        Workspace b(other, nullptr);
        b.image.setValue(0, 1, 1234);
        QSignalSpy loaded(&b, &Workspace::configurationLoaded);
        QSignalSpy shown(&b, &Workspace::configurationFileNameChanged);
        const auto content = b.OpenWldFile(path);
        QVERIFY(content);
        QCOMPARE(b.WldFileName, QString()); // nothing changes before the take-over
        b.TakeOverWld(*content, path);
        for (int row = 1; row <= ParameterCount; ++row)
            for (int column = 1; column <= b.table[row].Count; ++column)
                if (row != 30 && row != 34) // not in the memory image
                    QVERIFY2(b.image.value(row, column) == saved.value(row, column),
                             qPrintable(QStringLiteral("%1/%2").arg(row).arg(column)));
        QCOMPARE(b.image.value(0, 1), 1234.0);
        QCOMPARE(b.identification.FeatureA, 1);
        QCOMPARE(b.identification.ModuleVariant, 2);
        QCOMPARE(b.identification.ParameterSetId[5], quint8(0x24));
        QCOMPARE(b.memory.bytes, a.memory.bytes);
        QCOMPARE(b.wld, a.wld);
        QCOMPARE(loaded.size(), 1);
        QCOMPARE(shown.value(0).value(0).toString(), ShortenedPath(path));
    }

    // A file that is not a WLD file shows text 459 and changes nothing.
    void invalidFileChangesNothing() {
        Workspace& ws = *m_ws;
        const QString path = m_dir.filePath(QStringLiteral("bad.wld"));
        QVERIFY(writeFile(path, QByteArray(860, 'x')));
        const MemoryImage memory = ws.memory;
        QVERIFY(!ws.OpenWldFile(path));
        QCOMPARE(m_interaction.asked.size(), 1);
        QCOMPARE(m_interaction.asked[0].title, QStringLiteral("Ungültige WLD-Datei"));
        QCOMPARE(m_interaction.asked[0].text, m_interaction.asked[0].title);
        QCOMPARE(m_interaction.asked[0].buttons, Interaction::Buttons::Ok);
        QCOMPARE(ws.memory.bytes, memory.bytes);
        QCOMPARE(ws.wld, WldHeaderFields());
    }

    void refusedOrFailedSaveChangesNothing() {
        Workspace& ws = *m_ws;
        const MemoryImage memory = ws.memory;
        QCOMPARE(memory[0x30] + 256 * memory[0x31], 6000); // from start-up: max. setpoint
        ws.image.setValue(26, 2, 300);
        QVERIFY(!ws.PrepareWldSave());
        QVERIFY(m_interaction.asked.value(0).text.contains(QStringLiteral("(row 26), value 2")));
        QCOMPARE(ws.memory.bytes, memory.bytes);

        QVERIFY(!ws.SaveWldFile(m_dir.filePath(QStringLiteral("no/such/x.wld")), {}));
        QCOMPARE(ws.WldFileName, QString());
        QCOMPARE(ws.memory.bytes, memory.bytes);
    }

    // The ID window edits a copy: leaving it without OK changes nothing; OK stores the ID and
    // continues as its mode says.
    void parameterSetIdWindow() {
        Workspace& ws = *m_ws;
        const auto before = ws.identification.ParameterSetId;
        ParameterSetIdEdit edit(before, ParameterSetIdMode::SaveConfiguration);
        QCOMPARE(edit.setFieldText(5, QStringLiteral("123")), QStringLiteral("99"));
        QCOMPARE(edit.setFieldText(4, QStringLiteral("7")), QStringLiteral("07"));
        QCOMPARE(edit.setFieldText(3, QStringLiteral("x")), QStringLiteral("00"));
        QCOMPARE(edit.id()[5], quint8(0x99));
        QCOMPARE(edit.id()[4], quint8(0x07));
        QCOMPARE(ws.identification.ParameterSetId, before); // Cancel: nothing to undo

        QSignalSpy changed(&ws, &Workspace::parameterSetIdChanged);
        const QString path = m_dir.filePath(QStringLiteral("id"));
        m_interaction.fileNames << path;
        QCOMPARE(ws.CommitParameterSetId(edit), Workspace::Continuation::Done);
        QCOMPARE(changed.size(), 1);
        QCOMPARE(ws.identification.ParameterSetId, edit.id());
        QCOMPARE(ws.image.value(50, 6), double(0x99));
        QVERIFY(QFile::exists(path + QStringLiteral(".tvk")));

        edit.takeClock(QDateTime(QDate(2007, 3, 9), QTime(14, 5, 30)));
        QCOMPARE(
            ws.CommitParameterSetId(ParameterSetIdEdit(edit.id(), ParameterSetIdMode::SaveWld)),
            Workspace::Continuation::Done);
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(&ws.memory[0x19A]), 6),
                 QByteArray::fromHex("300514090307"));
    }

    // The write from the window: the preview comes before anything is sent; Cancel there
    // changes nothing, not even the ID, and drops a pending store.
    void writePreviewThenWrite() {
        SimWorkspace sim(SimOptions{3, 0x56, 0x10, QDateTime(), false});
        QVERIFY2(sim.started, qPrintable(sim.errorText()));
        Workspace& ws = *sim.workspace;
        ws.setLanguageOffset(1000);
        QCOMPARE(ws.transfers().ReadAll(false), Transfers::Outcome::Done);
        ws.image.setValue(7, 2, 777);
        ws.transfers().ParamSetCommand = 0x1E;
        const ParameterSetIdEdit edit({1, 2, 3, 4, 5, 6}, ParameterSetIdMode::WriteAll);
        sim.requests.clear();
        sim.interaction.answers = {Interaction::Answer::Cancel};
        QCOMPARE(ws.CommitParameterSetId(edit), Workspace::Continuation::Cancelled);
        QVERIFY(sim.requests.isEmpty());
        QCOMPARE(ws.transfers().ParamSetCommand, 0);
        QVERIFY(ws.identification.ParameterSetId != edit.id());
        const QString preview = sim.interaction.asked.last().text;
        QVERIFY2(preview.contains(QStringLiteral("7 Max. setpoint: 2: 600.0 -> 77.7")),
                 qPrintable(preview));
        QVERIFY2(preview.contains(QStringLiteral("50 Parameter set ID: 1: 0x30 -> 0x1")),
                 qPrintable(preview));

        sim.interaction.answers = {Interaction::Answer::Ok};
        QCOMPARE(ws.CommitParameterSetId(edit), Workspace::Continuation::Done);
        QCOMPARE(sim.device().itemValue(7, 2), 777);
        QCOMPARE(sim.device().item(63), (QVector<int>{1, 2, 3, 4, 5, 6}));
    }

    // A configuration file written without a read: the preview says nothing was read from this
    // controller, and the controller keeps its setpoints.
    void fileWrittenKeepsTheControllersSetpoints() {
        SimWorkspace sim(SimOptions{3, 0x56, 0x10, QDateTime(), false});
        QVERIFY2(sim.started, qPrintable(sim.errorText()));
        Workspace& ws = *sim.workspace;
        const QString path = m_dir.filePath(QStringLiteral("plant.tvk"));
        QVERIFY(ws.SaveConfigurationFile(path).ok);
        QVERIFY(ws.OpenConfigurationFile(path).ok);
        ws.identification.FirmwareVersion = 0x56;
        const ParameterSetIdEdit edit(ws.identification.ParameterSetId,
                                      ParameterSetIdMode::WriteAll);
        QCOMPARE(ws.CommitParameterSetId(edit), Workspace::Continuation::Done);
        QVERIFY2(sim.interaction.asked.first().text.contains(
                     QStringLiteral("nicht von diesem Regler gelesen")),
                 qPrintable(sim.interaction.asked.first().text));
        QCOMPARE(sim.device().item(0),
                 (QVector<int>{800, 1000, 1200, 1500, 1800, 2000, 2200, 2500}));
        QCOMPARE(sim.device().itemValue(16, 1), 500); // the file's Pb heating arrived
    }

private:
    QTemporaryDir m_dir;
    ScriptedInteraction m_interaction;
    std::unique_ptr<Workspace> m_ws;
};

QTEST_GUILESS_MAIN(tst_WorkspaceWld)
#include "tst_workspacewld.moc"
