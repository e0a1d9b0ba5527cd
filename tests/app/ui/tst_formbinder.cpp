#include "app/Workspace.h"
#include "app/ui/FormBinder.h"
#include "app/ui/SecondaryWindow.h"
#include "app/ui/WidgetInteraction.h"
#include "app/ui/WindowManager.h"
#include "device/LongOperation.h"
#include "support/ScriptedInteraction.h"
#include "support/TestProgram.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

namespace {
enum { Delay, Autark, Kind, Unit, Status };

QList<Field> deviceFields() {
    return {
        {.name = "txtDelay",
         .row = 16,
         .display = DisplayKind::Tenths,
         .minimum = -3200,
         .maximum = 3200,
         .caption = 116,
         .label = "lblDelay",
         .companions = {"lblSec"}},
        {.name = "chkAutark",
         .row = 32,
         .columnRule = ColumnRule::Device,
         .display = DisplayKind::Bit,
         .mask = 0x02,
         .shown = firmwareAbove(0x42),
         .caption = 513},
        {.name = "cboKind",
         .row = 27,
         .display = DisplayKind::BitField,
         .mask = 0x0007,
         .choices = textList({355, 356, 357, 358, 359, 360, 361})},
        {.name = "optDim",
         .row = 32,
         .columnRule = ColumnRule::Device,
         .display = DisplayKind::BitField,
         .mask = 0x01},
        {.name = "txtStatus", .row = 27, .display = DisplayKind::Hex, .readOnly = true},
    };
}

// A window as the window issues build them: a layout with objectNames, a form, a caption table.
class TestWindow : public SecondaryWindow {
    Q_OBJECT
public:
    explicit TestWindow(Workspace& ws)
        : SecondaryWindow(ws, QStringLiteral("frmTest")), form(ws, deviceFields()) {
        auto* layout = new QVBoxLayout(this);
        for (const char* name : {"lblDelay", "lblSec", "txtStatus", "lblHeading"}) {
            auto* label = new QLabel(this);
            label->setObjectName(QString::fromLatin1(name));
            layout->addWidget(label);
        }
        delay = new QLineEdit(this);
        delay->setObjectName(QStringLiteral("txtDelay"));
        autark = new QCheckBox(this);
        autark->setObjectName(QStringLiteral("chkAutark"));
        kind = new QComboBox(this);
        kind->setObjectName(QStringLiteral("cboKind"));
        for (QWidget* w : {static_cast<QWidget*>(delay), static_cast<QWidget*>(autark),
                           static_cast<QWidget*>(kind)})
            layout->addWidget(w);
        for (int i = 0; i < 2; ++i) {
            options[i] = new QRadioButton(QStringLiteral("°C°F").mid(2 * i, 2), this);
            options[i]->setObjectName(indexedName(u"optDim", i));
            layout->addWidget(options[i]);
        }
        setCaptions({{"frmTest", 283, "Q7400"}, {"lblHeading", 285}});
        binder = bind(form);
    }
    void openFor(int argument) override {
        form.setChannel(argument < 0 ? 0 : argument);
        openedFor = argument;
    }
    void activated() override { ++activations; }

    Form form;
    FormBinder* binder = nullptr;
    QLineEdit* delay = nullptr;
    QCheckBox* autark = nullptr;
    QComboBox* kind = nullptr;
    QRadioButton* options[2] = {};
    int activations = 0;
    int openedFor = -2;
};

// A long operation whose steps take a while, as exchanges with the controller do.
struct SlowOperation : LongOperation {
    explicit SlowOperation(OperationGate& gate) : LongOperation(gate) {}
    QString name() const override { return QStringLiteral("Logger"); }
    Step step() override {
        QTest::qWait(20);
        setProgress(++steps, 50);
        if (onStep)
            onStep(steps);
        return steps < 50 ? Step::More : Step::Finished;
    }
    std::function<void(int)> onStep;
    int steps = 0;
};

struct ReadingWindow : SecondaryWindow {
    explicit ReadingWindow(Workspace& ws)
        : SecondaryWindow(ws, QStringLiteral("frmLogger")), operation(ws.gate()) {
        watch(operation);
    }
    SlowOperation operation;
};

} // namespace

class tst_FormBinder : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() {
        m_ws = std::make_unique<Workspace>(m_interaction, nullptr);
        m_ws->setLanguageOffset(1000);
        m_ws->image.clear();
        m_ws->image.setValue(16, 2, 500);
        m_ws->image.setValue(27, 2, 0x8004);
        m_ws->identification.FirmwareVersion = 0x56;
        m_windows = std::make_unique<WindowManager>(*m_ws);
        m_windows->add(WindowId::frmDevice, [this](Workspace& ws, WindowManager&) {
            ++m_made;
            return new TestWindow(ws);
        });
        m_made = 0;
    }
    void cleanup() {
        m_windows.reset();
        m_ws.reset();
    }

    // The binder shows the form, takes the user's edits through it and follows the data.
    void bindsWidgetsByName() {
        auto* w = m_windows->window<TestWindow>(WindowId::frmDevice);
        QVERIFY(!w);
        w = static_cast<TestWindow*>(m_windows->open(WindowId::frmDevice, 1));
        QVERIFY(QTest::qWaitForWindowExposed(w));
        QCOMPARE(w->openedFor, 1);
        QCOMPARE(w->windowTitle(), QStringLiteral("Q7400 Device"));
        QCOMPARE(w->findChild<QLabel*>("lblDelay")->text(), m_ws->table[16].Name);
        QCOMPARE(w->delay->text(), QStringLiteral("50.0"));
        QCOMPARE(w->kind->count(), 7);
        QCOMPARE(w->kind->currentText(), QStringLiteral("PID"));
        QCOMPARE(w->findChild<QLabel*>("txtStatus")->text(), QStringLiteral("8004"));
        QVERIFY(w->options[0]->isChecked());

        // Line edit: stored in tenths; refused entries leave the value and say why.
        TestProgram::type(w->delay, QStringLiteral("12.5"));
        QCOMPARE(m_ws->image.value(16, 2), 125.0);
        TestProgram::type(w->delay, QStringLiteral("abc"));
        QCOMPARE(m_ws->image.value(16, 2), 125.0);
        QCOMPARE(w->delay->text(), QStringLiteral("12.5"));
        QCOMPARE(w->delay->toolTip(), QStringLiteral("Not a number"));
        // An entry not left yet is taken before a command uses the fields.
        w->delay->setFocus();
        w->delay->selectAll();
        QTest::keyClicks(w->delay, QStringLiteral("7"));
        w->binder->commitPending();
        QCOMPARE(m_ws->image.value(16, 2), 70.0);

        // Check box, combo box, option buttons: the user's clicks only.
        QTest::mouseClick(w->autark, Qt::LeftButton);
        QCOMPARE(m_ws->image.value(32, 1), 2.0);
        w->kind->setCurrentIndex(1); // a programmatic change stores nothing
        QCOMPARE(m_ws->image.value(27, 2), double(0x8004));
        Q_EMIT w->kind->activated(1);
        QCOMPARE(m_ws->image.value(27, 2), double(0x8001));
        QCOMPARE(w->findChild<QLabel*>("txtStatus")->text(), QStringLiteral("8001"));
        w->options[1]->click();
        QCOMPARE(m_ws->image.value(32, 1), 3.0);

        // A change made elsewhere reaches the open window.
        m_ws->setValue(16, 2, 300);
        QCOMPARE(w->delay->text(), QStringLiteral("30.0"));
        m_ws->image.setValue(32, 1, 0);
        m_ws->announceImageReplaced();
        QVERIFY(!w->autark->isChecked());
        QVERIFY(w->options[0]->isChecked());

        // Visibility by firmware, with the label and the companions.
        m_ws->identification.FirmwareVersion = 0x42;
        m_ws->announceIdentificationChanged();
        QVERIFY(w->autark->isHidden());
        QVERIFY(!w->delay->isHidden());

        // Read-only while an operation on the image runs.
        {
            const OperationGate::Ticket ticket =
                m_ws->gate().enter(QStringLiteral("PC => Q7400"), OperationGate::Scope::Image);
            QVERIFY(w->delay->isReadOnly());
            QVERIFY(!w->kind->isEnabled());
        }
        QVERIFY(!w->delay->isReadOnly());
        QVERIFY(w->kind->isEnabled());

        // Captions and list entries follow the language; the label keeps its widest width.
        const int width = w->findChild<QLabel*>("lblDelay")->minimumWidth();
        m_ws->setLanguageOffset(0);
        QCOMPARE(w->windowTitle(), QStringLiteral("Q7400") + m_ws->texts.LoadText(283));
        QCOMPARE(w->kind->itemText(0), m_ws->texts.LoadText(355));
        QCOMPARE(w->findChild<QLabel*>("lblDelay")->minimumWidth(), width);
    }

    // A name that names no widget, or a widget that cannot show the field, is reported by name.
    void misspeltNamesFailLoudly() {
        QStringList errors;
        const BindingErrorHandler previous =
            setBindingErrorHandler([&errors](const QString& e) { errors.append(e); });
        QWidget root;
        root.setObjectName(QStringLiteral("frmBroken"));
        auto* edit = new QLineEdit(&root);
        edit->setObjectName(QStringLiteral("txtDelay"));
        auto* check = new QLineEdit(&root);
        check->setObjectName(QStringLiteral("chkAutark"));
        QList<Field> fields = deviceFields().mid(0, 2);
        Form form(*m_ws, fields);
        FormBinder binder(&root, form, {{"cmdClose", 242}});
        setBindingErrorHandler(previous);
        const QString all = errors.join(u'\n');
        for (const char* name : {"'lblDelay'", "'lblSec'", "'chkAutark'", "'cmdClose'"})
            QVERIFY2(all.contains(QLatin1String(name)), name);
    }

    // Created on first use, brought back when opened again, told only when the user brings it
    // forward, not a child of the main window, closed at shutdown.
    void windowManager() {
        QWidget main;
        main.setObjectName(QStringLiteral("frmKonfig"));
        m_windows->setMainWindow(&main);
        main.show();
        QVERIFY(QTest::qWaitForWindowActive(&main));
        QVERIFY(!m_windows->open(WindowId::frmHist)); // not registered

        auto* w = static_cast<TestWindow*>(m_windows->open(WindowId::frmDevice));
        QVERIFY(QTest::qWaitForWindowActive(w));
        QCOMPARE(w->activations, 1);
        QCOMPARE(m_windows->open(WindowId::frmDevice, 3), w);
        QCOMPARE(m_made, 1);
        QCOMPARE(w->form.channel(), 3);
        QCOMPARE(w->activations, 2);

        // The focus coming back from a dialog of our own is no activation.
        {
            QDialog box(w);
            box.show();
            QVERIFY(QTest::qWaitForWindowActive(&box));
        }
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w));
        QCOMPARE(w->activations, 2);

        // From the main window to this one is.
        main.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&main));
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w));
        QCOMPARE(w->activations, 3);

        main.setEnabled(false);
        QVERIFY(w->isEnabled());
        QVERIFY(m_windows->closeAll());
        QVERIFY(!w->isVisible());
        QCOMPARE(m_windows->window(WindowId::frmDevice), w);
    }

    // Closing a window while its operation runs stops the operation after the step in progress
    // and closes the window then; nothing is destroyed under the running operation.
    void closingWhileAnOperationRuns() {
        m_windows->add(WindowId::frmLogger,
                       [](Workspace& ws, WindowManager&) { return new ReadingWindow(ws); });
        auto* w = static_cast<ReadingWindow*>(m_windows->open(WindowId::frmLogger));
        bool closedAtOnce = true;
        w->operation.onStep = [&](int step) {
            if (step == 2) {
                closedAtOnce = w->close();
                QVERIFY(w->isVisible());
            }
        };
        QCOMPARE(w->operation.run(), LongOperation::Outcome::Stopped);
        QVERIFY(!closedAtOnce);
        QCOMPARE(w->operation.steps, 2);
        QVERIFY(!w->isVisible());
        QVERIFY(!m_ws->gate().busy());
    }

    // In the program a refusal is told by a box without an event loop of its own: the refused
    // handler returns at once, so it cannot hold up an exchange that waits below it.
    void refusalDoesNotWait() {
        WidgetInteraction boxes;
        Workspace ws(boxes, nullptr);
        const OperationGate::Ticket running = ws.gate().enter(QStringLiteral("Q7400 => PC"));
        QVERIFY(!ws.gate().enter(QStringLiteral("Read alarm / error")));
        QMessageBox* box = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* b = qobject_cast<QMessageBox*>(w); b && b->isVisible())
                box = b;
        QVERIFY(box);
        QVERIFY(box->text().contains(QStringLiteral("Q7400 => PC")));
        box->close();
    }

private:
    ScriptedInteraction m_interaction;
    std::unique_ptr<Workspace> m_ws;
    std::unique_ptr<WindowManager> m_windows;
    int m_made = 0;
};

QTEST_MAIN(tst_FormBinder)
#include "tst_formbinder.moc"
