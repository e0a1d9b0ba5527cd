#include "device/DeviceData.h"
#include "device/Form.h"
#include "device/LongOperation.h"
#include "support/ScriptedInteraction.h"

#include <QSignalSpy>
#include <QTest>

namespace {
enum FieldIndex {
    Setpoint,
    MinSetpoint,
    MaxSetpoint,
    Delay,
    PowerLow,
    CtRatio,
    Kind,
    Sort,
    Manual,
    Autark,
    Boost
};

// A few fields of the channel editor and the control words over their real rows, with the
// setpoint cross-check of the channel editor as the window's own rule.
class ChannelForm : public Form {
public:
    explicit ChannelForm(DeviceData& data)
        : Form(data,
               {
                   {.name = "txtSetpoint",
                    .row = 0,
                    .display = DisplayKind::Scaled,
                    .minimum = -3200,
                    .maximum = 3200},
                   {.name = "txtMin", .row = 6, .display = DisplayKind::Scaled},
                   {.name = "txtMax", .row = 7, .display = DisplayKind::Scaled},
                   {.name = "txtDelay", .row = 16, .display = DisplayKind::Tenths},
                   {.name = "txtPowerLow",
                    .row = 22,
                    .display = DisplayKind::Percent,
                    .minimum = -100,
                    .maximum = 100},
                   {.name = "txtCtRatio",
                    .row = 38,
                    .columnRule = ColumnRule::Device,
                    .display = DisplayKind::Word,
                    .minimum = 0,
                    .maximum = 3200,
                    .outOfRange = OutOfRange::Refuse},
                   {.name = "cboKind",
                    .row = 27,
                    .display = DisplayKind::BitField,
                    .mask = 0x0007,
                    .choices = textList({355, 356, 357, 358, 359})},
                   {.name = "cboSort", .row = 27, .display = DisplayKind::BitField, .mask = 0x0038},
                   {.name = "chkManual", .row = 27, .display = DisplayKind::Bit, .mask = 0x8000},
                   {.name = "chkAutark",
                    .row = 32,
                    .columnRule = ColumnRule::Device,
                    .display = DisplayKind::Bit,
                    .mask = 0x02,
                    .shown = firmwareAbove(0x42)},
                   {.name = "txtBoost",
                    .row = 45,
                    .display = DisplayKind::Scaled,
                    .shown = firmwareAtLeast(0x30)},
               }) {}

protected:
    // The setpoint stays between the minimum and the maximum setpoint.
    void afterEdit(int field) override {
        if (field != Setpoint && field != MinSetpoint && field != MaxSetpoint)
            return;
        const double low = shownValue(MinSetpoint);
        const double high = shownValue(MaxSetpoint);
        const double v = shownValue(Setpoint);
        if (v < low)
            storeShown(Setpoint, low);
        else if (v > high)
            storeShown(Setpoint, high);
    }
};

struct Counting : LongOperation {
    Counting(OperationGate& gate, int steps) : LongOperation(gate), m_steps(steps) {}
    QString name() const override { return QStringLiteral("Counting"); }
    Step step() override {
        ++m_done;
        setProgress(m_done, m_steps);
        if (onStep)
            onStep(m_done);
        return m_done < m_steps ? Step::More : Step::Finished;
    }
    std::function<void(int)> onStep;
    int m_steps;
    int m_done = 0;
};
} // namespace

class tst_Form : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() {
        m_data = std::make_unique<DeviceData>(m_interaction);
        m_data->setLanguageOffset(1000);
        m_data->image.clear();
        m_data->image.setValue(6, 3, 65536 - 1000); // setpoint limits of channel 3: -100.0
        m_data->image.setValue(7, 3, 32000);        // .. 3200.0
        m_data->image.setValue(16, 3, 500);
        m_data->image.setValue(38, 1, 1000);
        m_form = std::make_unique<ChannelForm>(*m_data);
        m_form->setChannel(2);
        m_interaction.asked.clear();
    }

    void editText_data() {
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<double>("raw");
        QTest::addColumn<int>("outcome");
        using R = Form::EditResult;
        QTest::newRow("tenths of a degree") << int(Setpoint) << "123.4"
                                            << "123.4" << 1234.0 << int(R::Stored);
        QTest::newRow("clamped to the limit") << int(Setpoint) << "4000"
                                              << "3200.0" << 32000.0 << int(R::Adjusted);
        QTest::newRow("moved by the window's rule (below the minimum)")
            << int(Setpoint) << "-200"
            << "-100.0" << 64536.0 << int(R::Adjusted);
        QTest::newRow("the same value") << int(Delay) << "50.00"
                                        << "50.0" << 500.0 << int(R::Unchanged);
        QTest::newRow("signed percent byte") << int(PowerLow) << "-20"
                                             << "-20" << 236.0 << int(R::Stored);
        QTest::newRow("not a number") << int(Delay) << "12abc"
                                      << "50.0" << 500.0 << int(R::Refused);
        QTest::newRow("outside limits that refuse") << int(CtRatio) << "5000"
                                                    << "1000" << 1000.0 << int(R::Refused);
        QTest::newRow("list position as text") << int(Sort) << "4"
                                               << "4" << 32.0 << int(R::Stored);
    }
    void editText() {
        QFETCH(int, field);
        QFETCH(QString, entry);
        QFETCH(int, outcome);
        const Form::EditResult result = m_form->editText(field, entry);
        QCOMPARE(int(result.outcome), outcome);
        QTEST(result.shown, "shown");
        QTEST(m_form->raw(field), "raw");
        QCOMPARE(result.message.isEmpty(), outcome != Form::EditResult::Refused);
        QCOMPARE(m_form->columnOf(field), field == CtRatio ? 1 : 3);
    }

    // Bits and bit fields of one word: each edit keeps the other bits.
    void bitsOfAWord() {
        m_data->image.setValue(27, 3, 0x0004); // PID
        QCOMPARE(m_form->position(Kind), 4);
        QCOMPARE(m_form->choices(Kind).at(4), QStringLiteral("PID"));
        QCOMPARE(m_form->editChecked(Manual, true).outcome, Form::EditResult::Stored);
        QCOMPARE(m_form->editPosition(Sort, 2).outcome, Form::EditResult::Stored);
        QCOMPARE(m_form->raw(Kind), double(0x8000 | 0x10 | 0x4));
        QVERIFY(m_form->checked(Manual));
        // Position 5 is not in the list of five; 8 does not fit three bits.
        QCOMPARE(m_form->editPosition(Kind, 5).outcome, Form::EditResult::Refused);
        QCOMPARE(m_form->editPosition(Sort, 8).outcome, Form::EditResult::Refused);
        QCOMPARE(m_form->raw(Kind), double(0x8014));
    }

    // An edit reports the other fields it changed; an element changed elsewhere reaches the
    // fields that show it; a replaced image or another language refreshes everything.
    void followsTheDeviceData() {
        m_form->editText(Setpoint, QStringLiteral("500"));
        QSignalSpy values(m_form.get(), &Form::valuesChanged);
        const Form::EditResult lowered = m_form->editText(MaxSetpoint, QStringLiteral("400"));
        QCOMPARE(lowered.changed, QList<int>{Setpoint});
        QCOMPARE(m_form->text(Setpoint), QStringLiteral("400.0"));
        QCOMPARE(values.size(), 2); // the maximum, then the setpoint

        values.clear();
        m_data->setValue(16, 3, 600);
        m_data->setValue(16, 4, 700); // another channel
        m_data->setValue(16, 3, 600); // no change
        QCOMPARE(values.size(), 1);
        QCOMPARE(values[0][0].value<QList<int>>(), QList<int>{Delay});

        QSignalSpy refreshed(m_form.get(), &Form::refreshed);
        m_data->announceImageReplaced();
        m_data->announceIdentificationChanged();
        m_data->setLanguageOffset(2000);
        QCOMPARE(refreshed.size(), 3);
    }

    void visibilityByFirmware_data() {
        QTest::addColumn<int>("firmware");
        QTest::addColumn<bool>("autark");
        QTest::addColumn<bool>("boost");
        QTest::newRow("0x2F") << 0x2F << false << false;
        QTest::newRow("0x30") << 0x30 << false << true;
        QTest::newRow("0x42") << 0x42 << false << true;
        QTest::newRow("0x43") << 0x43 << true << true;
    }
    void visibilityByFirmware() {
        QFETCH(int, firmware);
        m_data->identification.FirmwareVersion = firmware;
        QTEST(m_form->isVisible(Autark), "autark");
        QTEST(m_form->isVisible(Boost), "boost");
        QVERIFY(m_form->isVisible(Setpoint));
    }

    // One device operation at a time: a second is refused at once and the user is told; while
    // an operation on the image runs the editors are read-only.
    void operationGate() {
        OperationGate& gate = m_data->gate();
        QSignalSpy editable(m_form.get(), &Form::editableChanged);
        {
            const OperationGate::Ticket write =
                gate.enter(QStringLiteral("PC => Q7400"), OperationGate::Scope::Image);
            QVERIFY(write);
            QVERIFY(gate.imageLocked());
            QVERIFY(!m_form->isEditable(Delay));
            const Form::EditResult refused = m_form->editText(Delay, QStringLiteral("1"));
            QCOMPARE(refused.outcome, Form::EditResult::Refused);
            QVERIFY(refused.message.contains(QStringLiteral("PC => Q7400")));

            QVERIFY(!gate.tryEnter(QStringLiteral("activation read")));
            QVERIFY(m_interaction.asked.isEmpty());
            QVERIFY(!gate.enter(QStringLiteral("Read alarm / error")));
            QCOMPARE(m_interaction.asked.size(), 1);
            QCOMPARE(m_interaction.asked[0].text,
                     QStringLiteral("\"Read alarm / error\" was not started: the controller is "
                                    "still busy with \"PC => Q7400\". Please wait until it has "
                                    "finished."));
        }
        QVERIFY(!gate.busy());
        QVERIFY(m_form->isEditable(Delay));
        QCOMPARE(editable.size(), 2);
        QVERIFY(gate.enter(QStringLiteral("Read alarm / error")));
    }

    // A long operation reports progress, stops between two steps when asked and holds the gate
    // while it runs.
    void longOperation() {
        Counting op(m_data->gate(), 5);
        QSignalSpy progress(&op, &LongOperation::progress);
        QSignalSpy finished(&op, &LongOperation::finished);
        LongOperation::Outcome nested = LongOperation::Outcome::Done;
        op.onStep = [&](int step) {
            QVERIFY(m_data->gate().busy());
            if (step == 2) {
                Counting other(m_data->gate(), 1);
                nested = other.run();
                op.requestStop();
            }
        };
        QCOMPARE(op.run(), LongOperation::Outcome::Stopped);
        QCOMPARE(nested, LongOperation::Outcome::Refused);
        QCOMPARE(progress.size(), 2);
        QCOMPARE(finished.size(), 1);
        QVERIFY(!op.running());
        QVERIFY(!m_data->gate().busy());

        Counting whole(m_data->gate(), 3);
        QCOMPARE(whole.run(), LongOperation::Outcome::Done);
        QCOMPARE(whole.done(), 3);
    }

private:
    ScriptedInteraction m_interaction;
    std::unique_ptr<DeviceData> m_data;
    std::unique_ptr<ChannelForm> m_form;
};

QTEST_GUILESS_MAIN(tst_Form)
#include "tst_form.moc"
