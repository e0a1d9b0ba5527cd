#include "app/ui/FormBinder.h"
#include "params/ui/frmPara.h"
#include "params/ui/frmRegler.h"
#include "params/ui/frmSFehler.h"
#include "support/TestFiles.h"
#include "support/TestProgram.h"

#include <QCheckBox>
#include <QLabel>
#include <QPrinter>
#include <QTableView>

namespace {
// The program on a fake port, as the user starts it (German, the default configuration).
struct Program : TestProgram {
    Program() { start(); }
};
} // namespace

class tst_ParamWindows : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void channelEditor() {
        Program p;
        Workspace& ws = *p.workspace;
        // The wiring picture's channel blocks open it through the window manager.
        auto* w = static_cast<frmRegler*>(p.window->windows().open(WindowId::frmRegler, 2));
        QVERIFY(w && w->isVisible());
        QCOMPARE(p.child<QLabel>(w, "lblRegnr")->text(), QString("3"));
        QCOMPARE(p.child<QLabel>(w, "lblTBenenn_0")->text(), QString("°C"));

        p.type(w, "txtParameter_0", "123.4");
        QCOMPARE(ws.image.value(0, 3), 1234.0);
        p.type(w, "txtParameter_18", "150");
        QCOMPARE(p.child<QLineEdit>(w, "txtParameter_18")->text(), QString("100"));
        // Changed underneath (another window, a read): the field follows.
        ws.setCell(13, 3, 75);
        QCOMPARE(p.child<QLineEdit>(w, "txtParameter_12")->text(), QString("7.5"));
        // Typed but not left when the window closes: stored all the same, into channel 3.
        auto* pb = p.child<QLineEdit>(w, "txtParameter_12");
        pb->setFocus();
        pb->selectAll();
        QTest::keyClicks(pb, "9");
        w->close();
        QCOMPARE(ws.image.value(13, 3), 90.0);

        // Opened for channel 5, then copied to channel 9 = 8.
        p.window->windows().open(WindowId::frmRegler, 4);
        QCOMPARE(p.child<QLabel>(w, "lblRegnr")->text(), QString("5"));
        p.type(w, "txtParameter_5", "250");
        auto* target = p.child<QLineEdit>(w, "txtpCopyKan");
        target->setFocus();
        QTest::keyClicks(target, "9");
        QCOMPARE(target->text(), QString("8"));
        QVERIFY(target->styleSheet().contains("red"));
        p.click(w, "cmdpCopyKan");
        QCOMPARE(ws.image.value(1, 8), 2500.0);
        QVERIFY(target->styleSheet().isEmpty());
        target->setText("2.5");
        p.click(w, "cmdpCopyKan");
        QCOMPARE(p.interaction.asked.last().text,
                 QString("Kopieren nach: Kanal 1 bis 8, oder 0 für alle Kanäle"));
        QCOMPARE(ws.image.value(1, 2), 0.0);

        // While a transfer writes the image nothing is edited or copied.
        {
            const auto ticket = ws.gate().enter("PC => Q7400", OperationGate::Scope::Image);
            QVERIFY(p.child<QLineEdit>(w, "txtParameter_0")->isReadOnly());
            QVERIFY(!p.child<QPushButton>(w, "cmdpCopyKan")->isEnabled());
            QVERIFY(!w->form().copyTo("0"));
        }
        QVERIFY(p.child<QPushButton>(w, "cmdpCopyKan")->isEnabled());

        // Firmware V3.0: boost rows, no oscillation suppression.
        ws.identification.FirmwareVersion = 0x30;
        ws.announceIdentificationChanged();
        QVERIFY(!p.child<QLabel>(w, "lblZBenenn_5")->isVisibleTo(w));
        QVERIFY(p.child<QLineEdit>(w, "txtParameter_31")->isVisibleTo(w));

        p.window->setLanguage(1);
        QCOMPARE(w->windowTitle(), QString("Q7400 Channel"));
        QCOMPARE(p.child<QLabel>(w, "lblParameter_18")->text(), QString("PWR out high limit"));
        QCOMPARE(p.largerThanScreen(w), QStringList());
    }

    void overview() {
        Program p;
        Workspace& ws = *p.workspace;
        auto* w = p.open<frmPara>(MenuEntry::mnuDevice_2, WindowId::frmPara);
        QVERIFY(w && w->isVisible());
        auto* grid = p.child<QTableView>(w, "grdPara");
        QCOMPARE(grid->model()->rowCount(), 56);
        ws.setCell(0, 2, 1234);
        QTRY_COMPARE(w->table().cell(0, 2), QString("123.4"));

        p.window->setLanguage(1);
        QCOMPARE(w->windowTitle(), QString("Q7400 Parameter"));
        QTRY_COMPARE(w->table().header().value(1), QString("Channel  1"));
        QCOMPARE(w->table().cell(0, 0), QString("Setpoint"));

        // Printing: a cancelled dialog prints nothing; a printer that prints into a file.
        const QString printed = p.path("printed.pdf");
        p.click(w, "cmdPrint");
        QCOMPARE(p.interaction.printerTitles, QStringList{"Q7400 Parameter"});
        bool landscape = false;
        p.interaction.printer = [printed, &landscape](QPrinter& printer) {
            landscape = printer.pageLayout().orientation() == QPageLayout::Landscape;
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(printed);
            return true;
        };
        p.click(w, "cmdPrint");
        QVERIFY(landscape);
        QVERIFY(readFile(printed).startsWith("%PDF"));

        // Save as PDF: the suffix is added; a folder that does not exist is reported.
        p.interaction.fileNames = {p.path("record"), p.path("no/dir/x.pdf")};
        auto* pdf = p.child<QPushButton>(w, "cmdPdf");
        QCOMPARE(pdf->text(), QString("Save as PDF"));
        pdf->click();
        QVERIFY(readFile(p.path("record.pdf")).startsWith("%PDF"));
        const qsizetype before = p.interaction.asked.size();
        pdf->click();
        QCOMPARE(p.interaction.asked.size(), before + 1);
        QVERIFY(p.interaction.asked.last().text.contains("x.pdf"));
        QCOMPARE(p.largerThanScreen(w), QStringList());
    }

    void collectiveMask() {
        Program p;
        Workspace& ws = *p.workspace;
        ws.setCell(29, 3, 0x8001);
        auto* w = p.open<frmSFehler>(MenuEntry::mnuSFehl_3, WindowId::frmSFehler);
        QVERIFY(w && w->isVisible());
        QCOMPARE(p.child<QLabel>(w, "lblSFehlnr")->text(), QString("C"));
        QVERIFY(p.child<QCheckBox>(w, "chkSammel_15")->isChecked());
        p.child<QCheckBox>(w, "chkSammel_0")->click();
        p.child<QCheckBox>(w, "chkSammel_15")->click();
        QCOMPARE(ws.image.value(29, 3), 0.0);
        QCOMPARE(p.child<QLineEdit>(w, "txtSFehler")->text(), QString("0"));
        p.type(w, "txtSFehler", "4096");
        QVERIFY(p.child<QCheckBox>(w, "chkSammel_12")->isChecked());

        // Opening the channel editor does not move the mask.
        p.window->windows().open(WindowId::frmRegler, 6);
        w->show();
        p.child<QCheckBox>(w, "chkSammel_1")->click();
        QCOMPARE(ws.image.value(29, 3), 4098.0);
        QCOMPARE(ws.image.value(29, 7), 0.0);
        // Another menu entry shows the window for its mask.
        p.open<frmSFehler>(MenuEntry::mnuSFehl_8, WindowId::frmSFehler);
        QCOMPARE(p.child<QLabel>(w, "lblSFehlnr")->text(), QString("H"));

        p.window->setLanguage(1);
        QCOMPARE(w->windowTitle(), QString("Q7400 Collective alarm"));
        QCOMPARE(withoutMnemonic(p.child<QCheckBox>(w, "chkSammel_15")->text()),
                 QString("I/O wireing error"));
        QCOMPARE(p.largerThanScreen(w), QStringList());
    }
};

QTEST_MAIN(tst_ParamWindows)
#include "tst_paramwindows.moc"
