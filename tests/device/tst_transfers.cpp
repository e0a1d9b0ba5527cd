#include "app/Workspace.h"
#include "device/ParameterBlocks.h"
#include "device/Transfers.h"
#include "link/Link.h"
#include "link/QtSerialPort.h"
#include "link/Telegram.h"
#include "support/ScriptedInteraction.h"
#include "support/SimWorkspace.h"

#include <QSignalSpy>
#include <QtTest>

#include <memory>

namespace {
// The simulator's record of every request is the trace the tests check.
struct SimBench : SimWorkspace {
    explicit SimBench(int firmware, int attributes = 0x10)
        : SimWorkspace(SimOptions{3, firmware, attributes, QDateTime(), false}) {}
    // Reads the controller once, so that a write finds the image the controller has, and
    // forgets the requests of that read.
    bool readOnce() {
        const bool done = workspace->transfers().ReadAll(false) == Transfers::Outcome::Done;
        requests.clear();
        return done;
    }
};

constexpr int kSentinel = 4242;

// What a write reads before it sends anything: the attributes, then the firmware and every row
// for the as-found backup.
QList<int> asFoundReads(const Workspace& ws, int firmware) {
    QList<int> codes{49, 53};
    for (int row = 0; row <= highestRowForFirmware(firmware); ++row)
        codes << ws.table[row].FunctionCode;
    return codes;
}
} // namespace

class tst_Transfers : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void readAll_data() {
        QTest::addColumn<int>("firmware");
        QTest::addColumn<int>("highestRow");
        QTest::addColumn<bool>("rawBlockRead");
        QTest::newRow("0x35: rows 0..52, default block table") << 0x35 << 52 << false;
        QTest::newRow("0x40: block table read") << 0x40 << 54 << true;
        QTest::newRow("0x99: everything") << 0x99 << 55 << true;
    }
    void readAll() {
        QFETCH(int, firmware);
        QFETCH(int, highestRow);
        QFETCH(bool, rawBlockRead);
        SimBench bench(firmware, 0x41);
        QVERIFY2(bench.started, qPrintable(bench.errorText()));
        QVERIFY(bench.device().setItem(61, 1, {0x77})); // differs from the default table
        Workspace& ws = *bench.workspace;
        ws.image.clear();
        for (int r = 0; r <= ParameterCount; ++r)
            ws.image.setValue(r, 1, kSentinel);
        ws.memory.bytes.fill(0x55);
        QSignalSpy started(&ws.transfers(), &Transfers::progressStarted);
        QSignalSpy steps(&ws.transfers(), &Transfers::progress);
        QSignalSpy feature(&ws, &Workspace::featureCodeShown);
        QSignalSpy fileName(&ws, &Workspace::configurationFileNameChanged);

        QCOMPARE(ws.transfers().ReadAll(true), Transfers::Outcome::Done);

        // The question first, with the menu's caption.
        QCOMPARE(bench.interaction.asked.size(), 1);
        QCOMPARE(bench.interaction.asked[0].title, QStringLiteral("Q7400 => PC"));
        QVERIFY(bench.interaction.asked[0].text.endsWith(QStringLiteral("\n\n   =>   PC")));

        QCOMPARE(ws.identification.FirmwareVersion, firmware);
        QList<int> expectedCodes{53};
        for (int r = 0; r <= highestRow; ++r)
            expectedCodes << ws.table[r].FunctionCode;
        if (rawBlockRead)
            expectedCodes << 61;
        QCOMPARE(bench.sentCodes(Telegram::ReadControl), expectedCodes);
        QCOMPARE(bench.shortRequests(0x7A), 1);

        for (int r = 0; r <= highestRow; ++r) {
            const QVector<int> values = bench.device().readValues(ws.table[r].FunctionCode);
            const int count = r == 31 || r == 33 ? 1 : int(values.size()); // decoded rows below
            for (int k = 1; k <= qMin(count, 20); ++k)
                QCOMPARE(ws.image.value(r, k), double(values[k - 1]));
            if (r != 10 && r != 41) // renamed for the input kind after the read
                QCOMPARE(ws.image.cell(r, 0).toString(), ws.table[r].Name);
        }
        for (int r = highestRow + 1; r <= ParameterCount; ++r)
            QCOMPARE(ws.image.value(r, 1), double(kSentinel));

        QCOMPARE(ws.identification.ModuleVariant, 2);
        QCOMPARE(ws.identification.FeatureA, 1);
        QVERIFY(!feature.isEmpty());
        QCOMPARE(feature.last().at(1).toInt(), 4);
        QCOMPARE(ws.table[10].Name, ws.texts.LoadText(227));

        QCOMPARE(started.size(), 1);
        QCOMPARE(started[0][0].toInt(), highestRow + 1);
        QCOMPARE(steps.size(), highestRow + 1);
        QCOMPARE(steps.last()[0].toInt(), highestRow + 1);

        for (int i = 0; i < 96; ++i) {
            const int expected =
                rawBlockRead ? bench.device().itemValue(61, i + 1) : DefaultRawBlock[size_t(i)];
            QCOMPARE(int(ws.memory[640 + i]), expected);
        }
        QCOMPARE(ws.memory[639], quint8(0x55));
        QCOMPARE(fileName.last()[0].toString(), ws.texts.LoadText(225));
        QVERIFY(!ws.transfers().TransferRunning());
    }

    void readQuestionCancelled() {
        SimBench bench(0x56);
        QVERIFY2(bench.started, qPrintable(bench.errorText()));
        bench.interaction.answers = {Interaction::Answer::Cancel};
        QSignalSpy hide(&bench.workspace->transfers(), &Transfers::channelErrorTableHideRequested);
        QCOMPARE(bench.workspace->transfers().ReadAll(true), Transfers::Outcome::Cancelled);
        QVERIFY(bench.requests.isEmpty());
        QVERIFY(hide.isEmpty());
    }

    void readStopsWhenTheControllerFallsSilent() {
        SimBench bench(0x56);
        QVERIFY2(bench.started, qPrintable(bench.errorText()));
        Workspace& ws = *bench.workspace;
        ws.image.clear();
        for (int r = 0; r <= ParameterCount; ++r)
            ws.image.setValue(r, 1, kSentinel);
        ws.memory.bytes.fill(0x55);
        bench.silenceFrom(1 + 20 + 1); // the firmware version and rows 0..19 are answered
        QSignalSpy derived(&ws.transfers(), &Transfers::derivedRefreshRequested);

        QCOMPARE(ws.transfers().ReadAll(false), Transfers::Outcome::Failed);

        const QList<int> codes = bench.sentCodes(Telegram::ReadControl);
        QCOMPARE(codes.size(), 1 + 20 + 4); // row 20 sent once and repeated three times
        QCOMPARE(codes.last(), ws.table[20].FunctionCode);
        QCOMPARE(ws.image.value(19, 1), double(bench.device().readValues(24 - 1)[0]));
        for (int r = 20; r <= ParameterCount; ++r)
            QCOMPARE(ws.image.value(r, 1), double(kSentinel));
        QVERIFY(derived.isEmpty());
        QCOMPARE(bench.interaction.asked.size(), 1); // one give-up message, no second one
        QCOMPARE(bench.interaction.asked[0].title, ws.texts.LoadText(456));
        QCOMPARE(bench.shortRequests(0x7A), 1); // the errors are still read
        QCOMPARE(ws.memory[640], quint8(0x55)); // the block table is left as it was
        QVERIFY(!ws.transfers().TransferRunning());

        // The image is marked incomplete; a write asks first, and Cancel sends nothing.
        QVERIFY(ws.record.imageIncomplete());
        QCOMPARE(ws.record.incompleteFrom(), 20);
        QCOMPARE(ws.record.incompleteTo(), ParameterCount);
        bench.server().clearFaults();
        bench.requests.clear();
        bench.interaction.answers = {Interaction::Answer::Cancel};
        QCOMPARE(ws.transfers().WriteAll(), Transfers::Outcome::Cancelled);
        QVERIFY(bench.interaction.asked.last().text.contains(QStringLiteral("20")));
        QVERIFY(bench.requests.isEmpty());
        // A complete read ends the mark.
        QCOMPARE(ws.transfers().ReadAll(false), Transfers::Outcome::Done);
        QVERIFY(!ws.record.imageIncomplete());
    }

    // Setpoints the program has not read from this controller in this session are never sent:
    // the controller's own are read first and written back.
    void writeKeepsSetpointsNotReadFromThisController_data() {
        QTest::addColumn<bool>("readFirst");
        QTest::addColumn<bool>("otherController");
        QTest::addColumn<bool>("kept");
        QTest::newRow("defaults, never read") << false << false << true;
        QTest::newRow("read from another controller") << true << true << true;
        QTest::newRow("read from this controller") << true << false << false;
    }
    void writeKeepsSetpointsNotReadFromThisController() {
        QFETCH(bool, readFirst);
        QFETCH(bool, otherController);
        QFETCH(bool, kept);
        SimBench bench(0x56);
        QVERIFY2(bench.started, qPrintable(bench.errorText()));
        QVERIFY(bench.device().setItem(0, 1, {1111, 2222}));
        Workspace& ws = *bench.workspace;
        if (readFirst)
            QVERIFY(bench.readOnce());
        if (otherController) {
            bench.device().setAddress(4);
            ws.setDeviceAddress(4);
        }
        for (int k = 1; k <= 8; ++k)
            ws.image.setValue(0, k, 500 + k);
        QSignalSpy notice(&ws.transfers(), &Transfers::notice);

        QCOMPARE(ws.transfers().WriteAll(), Transfers::Outcome::Done);

        QCOMPARE(notice.size(), kept ? 2 : 1); // and where the as-found backup is
        // The setpoints kept come from the as-found read: no read of their own.
        QCOMPARE(bench.sentCodes(Telegram::ReadControl), asFoundReads(ws, 0x56));
        QCOMPARE(bench.device().itemValue(0, 1), kept ? 1111 : 501);
        QCOMPARE(bench.device().itemValue(0, 2), kept ? 2222 : 502);
        QCOMPARE(ws.image.value(0, 1), kept ? 1111.0 : 501.0);
        QVERIFY(ws.record.imageHoldsReadValues(ws.link().controller(), 0));
    }

    void sensorTypes_data() {
        QTest::addColumn<int>("firmware");
        QTest::addColumn<int>("attributes");
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("kept");
        QTest::addColumn<int>("shown");
        QTest::addColumn<bool>("message");
        QTest::newRow("temperature, code in the list") << 0x56 << 0x10 << 16 << 16 << 16 << false;
        QTest::newRow("temperature, code 17") << 0x56 << 0x10 << 17 << 17 << 0 << true;
        QTest::newRow("temperature, code 14 before 70") << 69 << 0x10 << 14 << 14 << 0 << true;
        QTest::newRow("linear, reduced to two bits") << 0x56 << 0x11 << 6 << 2 << 2 << false;
    }
    void sensorTypes() {
        QFETCH(int, firmware);
        QFETCH(int, attributes);
        QFETCH(int, stored);
        SimBench bench(firmware, attributes);
        QVERIFY2(bench.started, qPrintable(bench.errorText()));
        QVERIFY(bench.device().setItem(51, 3, {stored}));
        QSignalSpy selected(&bench.workspace->transfers(), &Transfers::sensorTypeSelected);
        QCOMPARE(bench.workspace->transfers().ReadAll(false), Transfers::Outcome::Done);
        QTEST(int(bench.workspace->image.value(33, 3)), "kept");
        QCOMPARE(selected.size(), 8);
        QCOMPARE(selected[2][0].toInt(), 3);
        QTEST(selected[2][1].toInt(), "shown");
        QFETCH(bool, message);
        QCOMPARE(bench.interaction.asked.size(), message ? 1 : 0);
        if (message)
            QCOMPARE(bench.interaction.asked[0].text,
                     bench.workspace->texts.LoadText(453) + QStringLiteral("3"));
    }

    void secondTransferIsRefused() {
        SimBench bench(0x56);
        QVERIFY2(bench.started, qPrintable(bench.errorText()));
        Transfers& t = bench.workspace->transfers();
        QList<Transfers::Outcome> nested;
        connect(&t, &Transfers::progress, this, [&](int value) {
            if (value == 5) {
                nested << t.ReadAll(false) << t.WriteAll();
            }
        });
        QCOMPARE(t.ReadAll(false), Transfers::Outcome::Done);
        QCOMPARE(nested,
                 (QList<Transfers::Outcome>{Transfers::Outcome::Busy, Transfers::Outcome::Busy}));
        QVERIFY(bench.sent(Telegram::WriteControl).isEmpty());
    }

    // Rows 27..N first, then 6, 7, 0..5 and 8..26; the read-only rows 30, 31, 34 and the outputs
    // (row 40) are not written.
    void writeOrderOnTheWire_data() {
        QTest::addColumn<int>("firmware");
        QTest::addColumn<int>("highestRow");
        QTest::newRow("0x35, N = 52") << 0x35 << 52;
        QTest::newRow("0x56, N = 55") << 0x56 << 55;
    }
    void writeOrderOnTheWire() {
        QFETCH(int, firmware);
        QFETCH(int, highestRow);
        SimBench bench(firmware);
        QVERIFY2(bench.started, qPrintable(bench.errorText()));
        QVERIFY(bench.readOnce());
        Workspace& ws = *bench.workspace;
        for (int k = 1; k <= 8; ++k)
            ws.image.setValue(0, k, 100 + k); // new setpoints
        QSignalSpy steps(&ws.transfers(), &Transfers::progress);

        QCOMPARE(ws.transfers().WriteAll(), Transfers::Outcome::Done);

        QList<int> rows;
        for (int r = 27; r <= highestRow; ++r)
            rows << r;
        rows << 6 << 7 << 0 << 1 << 2 << 3 << 4 << 5;
        for (int r = 8; r <= 26; ++r)
            rows << r;
        QList<int> expected;
        for (int r : rows)
            if (r != 30 && r != 31 && r != 34 && r != 40)
                expected << ws.table[r].FunctionCode;
        QCOMPARE(bench.sentCodes(Telegram::WriteControl), expected);
        QCOMPARE(bench.sentCodes(Telegram::ReadControl), asFoundReads(ws, firmware));
        QCOMPARE(steps.size(), 2 * (highestRow + 1)); // the as-found read, then the write
        QCOMPARE(bench.shortRequests(0x7A), 1);
        for (int k = 1; k <= 8; ++k)
            QCOMPARE(bench.device().itemValue(0, k), 100 + k);
        QVERIFY(!ws.transfers().TransferRunning());
    }

    void valueThatDoesNotFitWritesNothing_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("problem");
        QTest::addColumn<int>("pendingStore");
        QTest::newRow("byte") << 18 << 3 << "300"
                              << "value 3: 300 does not fit a byte" << 0;
        // A store as parameter set 2 waiting for this write must not save the old parameters.
        QTest::newRow("word, store pending") << 5 << 8 << "70000"
                                             << "value 8: 70000 does not fit a word" << 0x2E;
        QTest::newRow("beyond any range, as loaded from a file")
            << 7 << 3 << "1e400"
            << "value 3: 1e400 does not fit a word" << 0;
    }
    void valueThatDoesNotFitWritesNothing() {
        QFETCH(int, row);
        QFETCH(int, column);
        QFETCH(QString, value);
        QFETCH(QString, problem);
        QFETCH(int, pendingStore);
        SimBench bench(0x56);
        QVERIFY2(bench.started, qPrintable(bench.errorText()));
        QVERIFY(bench.readOnce());
        Workspace& ws = *bench.workspace;
        ws.image.setText(row, column, value);
        ws.image.setText(0, 1, QStringLiteral("no number")); // a text is sent as 0, not refused
        ws.transfers().ParamSetCommand = pendingStore;

        QCOMPARE(ws.transfers().WriteAll(), Transfers::Outcome::Refused);
        QVERIFY(bench.sent(Telegram::WriteControl).isEmpty());
        QCOMPARE(ws.transfers().ParamSetCommand, 0);
        QCOMPARE(bench.interaction.asked.size(), 1);
        QVERIFY2(bench.interaction.asked[0].text.contains(problem),
                 qPrintable(bench.interaction.asked[0].text));
        QVERIFY(bench.interaction.asked[0].text.contains(QStringLiteral("(row %1)").arg(row)));
        QCOMPARE(bench.shortRequests(0x7A), 1);
        QVERIFY(!ws.transfers().TransferRunning());
    }

    void attributesMismatch_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("written");
        QTest::newRow("OK writes") << int(Interaction::Answer::Ok) << true;
        QTest::newRow("Cancel writes nothing") << int(Interaction::Answer::Cancel) << false;
    }
    void attributesMismatch() {
        QFETCH(int, answer);
        QFETCH(bool, written);
        SimBench bench(0x56, 0x10);
        QVERIFY2(bench.started, qPrintable(bench.errorText()));
        QVERIFY(bench.readOnce());
        Workspace& ws = *bench.workspace;
        ws.identification.FeatureA = 2; // the configuration was made for A2
        bench.interaction.answers = {Interaction::Answer(answer)};

        const Transfers::Outcome outcome = ws.transfers().WriteAll();

        QCOMPARE(bench.interaction.asked.size(), 1);
        QCOMPARE(bench.interaction.asked[0].icon, Interaction::Icon::Critical);
        QCOMPARE(bench.interaction.asked[0].title, ws.texts.LoadText(456));
        QCOMPARE(bench.interaction.asked[0].text, ws.texts.LoadText(454));
        QCOMPARE(outcome, written ? Transfers::Outcome::Done : Transfers::Outcome::Cancelled);
        QCOMPARE(bench.sent(Telegram::WriteControl).isEmpty(), !written);
        QCOMPARE(bench.shortRequests(0x7A), 1); // the errors are read either way
    }

    // The plain "PC => Q7400" command never stores a set, even one chosen before.
    void plainWriteStoresNoSet() {
        SimBench bench(0x56);
        QVERIFY2(bench.started, qPrintable(bench.errorText()));
        Transfers& t = bench.workspace->transfers();
        QSignalSpy confirm(&t, &Transfers::writeConfirmationRequested);
        t.ParamSetCommand = 0x2E;
        bench.interaction.answers = {Interaction::Answer::Ok};
        QCOMPARE(t.RequestWriteAll(), Transfers::Outcome::Done);
        QCOMPARE(bench.interaction.asked.last().title, QStringLiteral("PC => Q7400"));
        QVERIFY(bench.interaction.asked.last().text.endsWith(QStringLiteral("\n\n =>   Q7400")));
        QCOMPARE(confirm.size(), 1);
        QCOMPARE(t.ParamSetCommand, 0);
    }

    // A store chosen while a write runs is refused at once (no question, nothing queued): the
    // write goes on and stores nothing.
    void storeDuringAWriteIsRefused() {
        SimBench bench(0x56);
        QVERIFY2(bench.started, qPrintable(bench.errorText()));
        QVERIFY(bench.readOnce());
        Transfers& t = bench.workspace->transfers();
        Transfers::Outcome nested = Transfers::Outcome::Done;
        bool tried = false;
        connect(&t, &Transfers::progress, this, [&](int value) {
            if (value == 10 && !tried) {
                tried = true;
                nested = t.ParameterSetMenu(2);
            }
        });
        QCOMPARE(t.WriteAll(), Transfers::Outcome::Done);
        QCOMPARE(nested, Transfers::Outcome::Busy);
        QCOMPARE(bench.interaction.asked.size(), 1);
        QVERIFY(bench.interaction.asked[0].text.contains(QStringLiteral("PC => Q7400")));
        const auto frames = bench.sent(Telegram::WriteControl);
        QVERIFY(!frames.contains(qMakePair(0x32, QByteArray(1, char(0x1E)))));
        QCOMPARE(t.ParamSetCommand, 0);
    }

    void factoryDefaultThenReadQuestion() {
        SimBench bench(0x56);
        QVERIFY2(bench.started, qPrintable(bench.errorText()));
        bench.interaction.answers = {Interaction::Answer::Ok, Interaction::Answer::Cancel};
        QCOMPARE(bench.workspace->transfers().ParameterSetMenu(4), Transfers::Outcome::Cancelled);
        QCOMPARE(bench.interaction.asked.size(), 2);
        QCOMPARE(bench.interaction.asked[0].title, bench.workspace->texts.LoadText(189));
        QCOMPARE(bench.interaction.asked[0].text, bench.workspace->texts.LoadText(460));
        QCOMPARE(bench.interaction.asked[1].title, QStringLiteral("Q7400 => PC"));
        const auto commands = bench.sent(Telegram::WriteControl);
        QCOMPARE(commands.size(), 1);
        QCOMPARE(commands[0].first, 0x32);
        QCOMPARE(commands[0].second, QByteArray(1, char(0x0F)));
        QVERIFY(bench.sent(Telegram::ReadControl).isEmpty()); // the read was cancelled
    }
};

QTEST_GUILESS_MAIN(tst_Transfers)
#include "tst_transfers.moc"
