#include "device/ParameterBlocks.h"
#include "link/Telegram.h"
#include "services/BlockTable.h"
#include "support/SimWorkspace.h"

#include <QtTest>

// The parameter-block window's buttons against a simulated controller.
class tst_BlockTable : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void fieldByte_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("byte"); // -1: refused
        QTest::newRow("one digit") << "0" << 0;
        QTest::newRow("blanks around, lower case") << " ff " << 255;
        QTest::newRow("three digits") << "1FF" << -1;
        QTest::newRow("not hexadecimal") << "g" << -1;
        QTest::newRow("empty") << "" << -1;
        QTest::newRow("sign") << "-1" << -1;
    }
    void fieldByte() {
        QFETCH(QString, text);
        QFETCH(int, byte);
        const auto b = blockTableFieldByte(text);
        QCOMPARE(b ? int(*b) : -1, byte);
    }

    void textForm() {
        const QStringList lines = blockTableLines(DefaultRawBlock);
        QCOMPARE(lines.size(), 6);
        QCOMPARE(lines[3], QStringLiteral("20 B0 6C B6 20 00 21 03 28 27 07 06 10 11 14 15"));
        QCOMPARE(blockTableOfText(lines.join(u'\n')), std::optional<BlockTable>(DefaultRawBlock));
        QString why;
        QVERIFY(!blockTableOfText(lines.mid(1).join(u' '), &why));
        QCOMPARE(why, QStringLiteral("80 bytes given, the table has 96"));
    }

    void saveAsksThenStoresThenSends_data() {
        QTest::addColumn<QList<Interaction::Answer>>("answers");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<bool>("stored");
        QTest::addColumn<bool>("sent");
        using A = Interaction::Answer;
        using O = BlockTableEdit::SaveOutcome;
        QTest::newRow("Cancel") << QList<A>{A::Cancel} << int(O::Cancelled) << false << false;
        QTest::newRow("OK, No") << QList<A>{A::Ok, A::No} << int(O::Stored) << true << false;
        QTest::newRow("OK, Yes") << QList<A>{A::Ok, A::Yes} << int(O::Sent) << true << true;
    }
    void saveAsksThenStoresThenSends() {
        QFETCH(QList<Interaction::Answer>, answers);
        QFETCH(bool, stored);
        QFETCH(bool, sent);
        SimWorkspace sim(SimOptions{3, 0x56, 0x10, QDateTime(), false});
        QVERIFY2(sim.started, qPrintable(sim.errorText()));
        Workspace& ws = *sim.workspace;
        ws.identification.FirmwareVersion = 0x56;
        ws.memory[640] = 0x11;
        BlockTableEdit edit(ws, ws.services(), sim.interaction);
        QCOMPARE(edit.fieldTexts().value(0), QStringLiteral("11"));
        edit.loadDefaults(); // "Default"
        QStringList fields = edit.fieldTexts();
        fields[95] = QStringLiteral("a");
        sim.interaction.answers = answers;
        QTEST(int(edit.save(fields)), "outcome");
        QCOMPARE(ws.memory[735], quint8(stored ? 0x0A : 0xFF));
        const auto writes = sim.sent(Telegram::WriteControl);
        QCOMPARE(writes.size(), sent ? 1 : 0);
        if (sent) {
            QCOMPARE(writes[0].first, 0x3D);
            QCOMPARE(writes[0].second.size(), 99);
            QCOMPARE(sim.device().rawBlock().at(95), char(0x0A));
        }
    }

    // Every field is checked before anything is asked, stored or sent.
    void invalidFieldStoresNothing() {
        SimWorkspace sim(SimOptions{3, 0x56, 0x10, QDateTime(), false});
        Workspace& ws = *sim.workspace;
        BlockTableEdit edit(ws, ws.services(), sim.interaction);
        QStringList fields = edit.fieldTexts();
        fields[3] = QStringLiteral("1FF");
        fields[90] = QString();
        const MemoryImage before = ws.memory;
        QList<int> invalid;
        QCOMPARE(edit.save(fields, &invalid), BlockTableEdit::SaveOutcome::Invalid);
        QCOMPARE(invalid, (QList<int>{3, 90}));
        QCOMPARE(sim.interaction.asked.size(), 1);
        QVERIFY(sim.interaction.asked[0].text.contains(QStringLiteral("3, 90")));
        QCOMPARE(ws.memory.bytes, before.bytes);
        QVERIFY(sim.requests.isEmpty());
    }

    // From firmware 0x90 on the table is neither read nor sent.
    void newerFirmwareExchangesNothing() {
        SimWorkspace sim(SimOptions{3, 0x90, 0x10, QDateTime(), false});
        Workspace& ws = *sim.workspace;
        ws.identification.FirmwareVersion = 0x90;
        BlockTableEdit edit(ws, ws.services(), sim.interaction);
        QVERIFY(!edit.canTransfer());
        QVERIFY(!edit.readFromController());
        QCOMPARE(edit.save(edit.fieldTexts()), BlockTableEdit::SaveOutcome::Stored);
        QCOMPARE(sim.interaction.asked.size(), 1); // the caution only
        QVERIFY(sim.requests.isEmpty());
    }
};

QTEST_GUILESS_MAIN(tst_BlockTable)
#include "tst_blocktable.moc"
