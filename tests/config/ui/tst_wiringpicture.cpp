#include "app/Defaults.h"
#include "app/Workspace.h"
#include "config/ui/WiringParts.h"
#include "config/ui/WiringPicture.h"
#include "support/ScriptedInteraction.h"
#include "support/TestProgram.h"
#include "support/WiringSequences.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QTest>

namespace {
// The picture on a workspace with the default configuration of a freshly started program.
struct Picture {
    explicit Picture(int firmware = 0x99, int attributes = 0x10, int language = 1000)
        : ws(interaction, nullptr) {
        ws.setLanguageOffset(language);
        LoadDefaultConfiguration(ws.image, ws.identification);
        ws.identification.FirmwareVersion = firmware;
        ws.image.setValue(31, 1, attributes);
        ws.DecodeAttributes(attributes);
        picture = std::make_unique<WiringPicture>(ws.configuration, ws);
        ws.configuration.ConfigurationChanged();
        picture->show();
        QVERIFY(QTest::qWaitForWindowExposed(picture.get()));
    }
    template <typename T = QWidget> T* widget(const QString& name) const {
        return TestProgram::child<T>(picture.get(), name);
    }
    // A click as the user makes it.
    void click(const QString& click) {
        if (click == QLatin1String("empty")) {
            QTest::mouseClick(picture.get(), Qt::LeftButton, {},
                              QPoint(picture->width() - 3, picture->height() - 3));
        } else if (click.startsWith(QLatin1String("right:"))) {
            QTest::mouseClick(widget(click.mid(6)), Qt::RightButton);
        } else if (click.startsWith(QLatin1String("cbo"))) {
            auto* list = widget<QComboBox>(click.section(u'=', 0, 0));
            QVERIFY(list->isVisible());
            const int position = click.section(u'=', 1).toInt();
            list->setCurrentIndex(position);
            Q_EMIT list->activated(position);
        } else {
            QWidget* w = widget(click);
            QVERIFY2(w->isVisible(), qPrintable(click));
            QTest::mouseClick(w, Qt::LeftButton);
        }
    }
    QString text(const QString& name) const { return widget<QAbstractButton>(name)->text(); }

    ScriptedInteraction interaction;
    Workspace ws;
    std::unique_ptr<WiringPicture> picture;
};

// Whether an axis-parallel segment runs through the inside of a rectangle.
bool crosses(const QLineF& s, const QRectF& r) {
    const QRectF inner = r.adjusted(1, 1, -1, -1);
    if (s.y1() == s.y2())
        return s.y1() > inner.top() && s.y1() < inner.bottom() &&
               std::max(s.x1(), s.x2()) > inner.left() && std::min(s.x1(), s.x2()) < inner.right();
    return s.x1() > inner.left() && s.x1() < inner.right() &&
           std::max(s.y1(), s.y2()) > inner.top() && std::min(s.y1(), s.y2()) < inner.bottom();
}
} // namespace

class tst_WiringPicture : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The same sequences as the model test, clicked: the same bytes.
    void sequences_data() { addWiringSequenceRows(); }
    void sequences() {
        QFETCH(int, n);
        const WiringSequence s = wiringSequences().at(n);
        Picture p(s.firmware, s.attributes);
        const DeviceImage before = p.ws.image;
        for (const QString& click : s.clicks)
            p.click(click);
        const ConfigurationModel& m = p.ws.configuration;
        const QString mismatch = wiringMismatch(s, before, p.ws.image, m.TerminalLink);
        QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch));
        for (const auto& link : s.links)
            QCOMPARE(p.picture->linePath(link.first).isEmpty(), link.second == 255);
    }

    void rowsShowTheirBytes() {
        Picture p(0x43, 0x90); // A2: I/O 17..20 continuous
        QCOMPARE(p.text("Label1_16"), QStringLiteral("Cont"));
        QVERIFY(p.widget("CheckA_19")->isVisible());
        p.click("lblSpezial_16");
        QCOMPARE(p.text("lblSpezial_16"), QStringLiteral("S"));
        QCOMPARE(p.text("lblRAStrom_16"), QStringLiteral(" free / dead"));
        p.click("Label1_3");
        QCOMPARE(p.text("Label1_3"), QStringLiteral("In"));
        QVERIFY(p.widget("cboSpezialIn_3")->isVisible());
        QCOMPARE(p.widget<QComboBox>("cboSpezialIn_3")->count(), 8);
        p.click("lblSpezial_3");
        QCOMPARE(p.widget<QComboBox>("cboSpezialIn_3")->count(), 21);
        QCOMPARE(p.text("Label2_2"), QStringLiteral("C"));
        QCOMPARE(p.widget("Label2_3")->toolTip(),
                 QStringLiteral("Controller module cooling output\n"
                                "Cooling output: linear 4-20 / close valve"));

        // A0: I/O 17..20 disappear; the extended view shows I/O 17..24 only.
        p.interaction.answers = {Interaction::Answer::Ok};
        QVERIFY(p.ws.configuration.SelectFeatureCode(0, p.interaction));
        QVERIFY(!p.widget("CheckA_16")->isVisible());
        p.click("cmd17bis24");
        QCOMPARE(p.text("CheckA_0"), QStringLiteral("17"));
        QVERIFY(!p.widget("CheckA_8")->isVisible());
        QVERIFY(p.widget("cmd1bis20")->isVisible());
        QVERIFY(!p.widget("cmd17bis24")->isVisible());
        p.click("chkIO_0");
        QCOMPARE(p.text("CheckA_0"), QStringLiteral("22")); // back to the normal view
    }

    // Dragging from a terminal links where the mouse is let go.
    void dragLinks() {
        Picture p;
        QWidget* terminal = p.widget("CheckA_5");
        QWidget* slot = p.widget("Label2_9");
        const QPoint target = terminal->mapFromGlobal(slot->mapToGlobal(slot->rect().center()));
        QTest::mousePress(terminal, Qt::LeftButton);
        QMouseEvent move(QEvent::MouseMove, QPointF(target), terminal->mapToGlobal(QPointF(target)),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(terminal, &move);
        QTest::mouseRelease(terminal, Qt::LeftButton, {}, target);
        QCOMPARE(p.ws.image.value(36, 6), 0x26);
        QCOMPARE(p.ws.configuration.SelectedTerminal, Wiring::NoTerminal);
    }

    // While a terminal is chosen the slots it fits are offered; a slot clicked without one
    // highlights its lines; Escape drops the choice, Delete unlinks.
    void keyboard() {
        Picture p;
        QWidget* terminal = p.widget("CheckA_4");
        terminal->setFocus();
        QTest::keyClick(terminal, Qt::Key_Space);
        QCOMPARE(p.ws.configuration.SelectedTerminal, 4);
        QTest::keyClick(terminal, Qt::Key_Escape);
        QCOMPARE(p.ws.configuration.SelectedTerminal, Wiring::NoTerminal);
        QCOMPARE(p.ws.image.value(36, 5), 18.0);
        QTest::keyClick(terminal, Qt::Key_Space);
        QTest::keyClick(terminal, Qt::Key_Delete);
        QCOMPARE(p.ws.image.value(36, 5), 0.0);
        QAbstractButton* slot = p.widget<QAbstractButton>("Label2_2");
        slot->setFocus();
        QTest::keyClick(slot, Qt::Key_Space); // highlights, changes nothing
        QCOMPARE(p.ws.image.value(36, 9), 34.0);
        QVERIFY(p.widget<TerminalButton>("CheckA_8")->highlighted());
        QVERIFY(!p.widget<TerminalButton>("CheckA_9")->highlighted());
    }

    void sensorList() {
        Picture p(0x56, 0x41); // 20 mA inputs
        QCOMPARE(p.text("Label5_2"), QStringLiteral("MW3 0-20mA"));
        p.click("Label5_2");
        auto* list = p.widget<QListWidget>("lstSensor");
        QVERIFY(list->isVisible());
        QCOMPARE(list->count(), 6);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(5)).center());
        QVERIFY(!list->isVisible());
        QCOMPARE(p.ws.image.value(33, 3), 5.0);
        QCOMPARE(p.text("Label5_2"), QStringLiteral("MW3 Pt-4-20mA"));
    }

    // What other windows store shows at once; a transfer that writes the image makes the
    // picture read-only.
    void followsTheDeviceData() {
        Picture p;
        p.ws.setValue(33, 4, 2);
        QCOMPARE(p.text("Label5_3"), QStringLiteral("MW4 Typ K (NiCr-Ni)"));
        QCOMPARE(p.text("lblOnOff_1"), QStringLiteral("off"));
        p.ws.setValue(26, 2, 0x40);
        QCOMPARE(p.text("lblOnOff_1"), QStringLiteral("on"));
        QVERIFY(!p.widget("lblErw_0")->isVisible());
        p.ws.setValue(52, 1, 1);
        QVERIFY(p.widget("lblErw_0")->isVisible());
        {
            const OperationGate::Ticket ticket =
                p.ws.gate().enter(QStringLiteral("PC => Q7400"), OperationGate::Scope::Image);
            QVERIFY(!p.picture->isEnabled());
        }
        QVERIFY(p.picture->isEnabled());
    }

    void channelWindowsGreyedUntilAvailable() {
        Picture p;
        auto* prm = p.widget<QAbstractButton>("lblPrm_2");
        QVERIFY(prm->toolTip().contains(QStringLiteral("Not available yet")));
        int opened = -1;
        p.picture->setChannelWindowHandler(WiringPicture::ChannelWindow::Parameters,
                                           [&opened](int channel) { opened = channel; });
        QVERIFY(!prm->toolTip().contains(QStringLiteral("Not available yet")));
        p.click("lblPrm_2");
        QCOMPARE(opened, 2);
        opened = -1;
        p.click("lblStat_2"); // still without its window
        QCOMPARE(opened, -1);
    }

    // No line runs through a caption, a list or a terminal: in both views, with lines to
    // groups and continuous outputs, and in German, whose captions are longer.
    void linesCrossNoText_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<QStringList>("clicks");
        QTest::newRow("default") << 1000 << QStringList{};
        QTest::newRow("mixed, German")
            << 0 << QStringList{"Label1_2", "lblSpezial_2", "CheckA_2",  "Label2_59", "Label1_3",
                                "CheckA_3", "Label2_53",    "CheckA_16", "Label2_51", "CheckA_12",
                                "Label2_6", "CheckA_0",     "Label2_48"};
        QTest::newRow("extended") << 1000
                                  << QStringList{"cmd17bis24", "CheckA_7", "Label2_0", "CheckA_0",
                                                 "Label2_55"};
    }
    void linesCrossNoText() {
        QFETCH(int, language);
        QFETCH(QStringList, clicks);
        Picture p(0x99, 0x90, language);
        for (const QString& click : std::as_const(clicks))
            p.click(click);
        QList<QRectF> texts;
        for (QWidget* w : p.picture->findChildren<QWidget*>())
            if (w->isVisible() && (qobject_cast<QAbstractButton*>(w) || qobject_cast<QLabel*>(w) ||
                                   qobject_cast<QComboBox*>(w)))
                texts << QRectF(w->mapTo(p.picture.get(), QPoint(0, 0)), w->size());
        int lines = 0;
        for (int row = 0; row < 20; ++row) {
            const QPolygonF path = p.picture->linePath(row);
            if (path.isEmpty())
                continue;
            ++lines;
            for (int n = 0; n + 1 < path.size(); ++n)
                for (const QRectF& r : std::as_const(texts))
                    QVERIFY2(!crosses(QLineF(path[n], path[n + 1]), r),
                             qPrintable(QStringLiteral("row %1, leg %2").arg(row).arg(n)));
        }
        QVERIFY(lines > 0);
    }
};

QTEST_MAIN(tst_WiringPicture)
#include "tst_wiringpicture.moc"
