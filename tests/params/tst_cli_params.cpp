#include "app/Defaults.h"
#include "config/ConfigurationFile.h"
#include "device/DeviceImage.h"
#include "device/Identification.h"
#include "device/ParameterTable.h"
#include "i18n/StringTable.h"
#include "support/CtlRun.h"
#include "support/TestFiles.h"

#include <QTemporaryDir>
#include <QTest>

// The channel editor, overview and mask operations of q7400ctl on a configuration file with
// the default configuration of a freshly started program (temperature module).
class tst_CliParams : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_plant;

    QString path(const QString& name) const { return m_dir.filePath(name); }
    QStringList lines(const CtlRun& r) const { return r.out.split(u'\n', Qt::SkipEmptyParts); }

private Q_SLOTS:
    void initTestCase() {
        DeviceImage image;
        Identification id;
        LoadDefaultConfiguration(image, id);
        image.setValue(3, 3, 1234); // setpoint 2 (setpoints are not kept in the file)
        ParameterTable table;
        table.BuildParameterTable(Texts());
        m_plant = path("plant.tvk");
        QVERIFY(WriteConfigurationFile(m_plant, image, table).ok);
    }

    void editThenShow() {
        const QString out = path("edited.tvk");
        const CtlRun r = runCtl({"edit", m_plant, "-o", out, "param:3:18=150", "param:3:1=200",
                                 "copy-params:3=9", "mask:3=0x8001"});
        QCOMPARE(r.status, 0);
        const QStringList l = lines(r);
        QVERIFY(l.contains("channel 3 row 18: 150 -> 100"));
        QVERIFY(l.contains("channel 3 row 4: 123.4 -> 200.0"));
        QVERIFY(l.contains("copy target: 9 -> 8"));
        QVERIFY(l.contains("29\tSammel-Alarmmaske\t3\t0 -> 32769"));
        // The channel as the editor shows it; V3.0 has no oscillation suppression.
        const CtlRun shown = runCtl({"channel", out, "8", "--lang", "en", "--firmware", "0x30"});
        QCOMPARE(lines(shown).size(), 32);
        QCOMPARE(lines(shown).value(4), QString("4\tSetpoint 2\t200.0\t°C"));
        QCOMPARE(lines(shown).value(9), QString("9\tSP ramp up\t0.0\t°C/min"));
    }

    void refusedEdits_data() {
        QTest::addColumn<QString>("op");
        QTest::addColumn<QString>("why");
        QTest::newRow("not a number") << "param:3:4=1e3"
                                      << "'1e3': Not a number";
        QTest::newRow("row") << "param:3:33=1"
                             << "row 0..32";
        QTest::newRow("hidden row") << "param:3:32=1"
                                    << "not shown for firmware 0x30";
        QTest::newRow("copy target") << "copy-params:3=2.5"
                                     << "0 for all channels";
        QTest::newRow("mask value") << "mask:9=1"
                                    << "a mask 1..8";
    }
    void refusedEdits() {
        QFETCH(QString, op);
        QFETCH(QString, why);
        const QByteArray before = readFile(m_plant);
        const CtlRun r =
            runCtl({"edit", m_plant, "--lang", "en", "--firmware", "0x30", "param:3:4=50", op});
        QCOMPARE(r.status, 2);
        QVERIFY2(r.err.contains(why), qPrintable(r.err));
        QCOMPARE(readFile(m_plant), before);
    }

    void overviewForms() {
        const CtlRun tsv = runCtl({"overview", m_plant, "--lang", "en", "--firmware", "0x36"});
        QCOMPARE(tsv.status, 0);
        QCOMPARE(lines(tsv).size(), 1 + 54);
        QVERIFY(lines(tsv)[0].startsWith("\tChannel  1\tChannel  2"));
        QVERIFY(lines(tsv)[4].startsWith("Setpoint 2\t0.0\t0.0\t123.4\t"));

        const CtlRun text = runCtl(
            {"overview", m_plant, "--lang", "en", "--print-text", "--date", "2024-05-12 14:30"});
        QCOMPARE(text.out.split(u'\n').value(1),
                 QString(53, u' ') + "Configuration of the Q7400   2024-05-12   14:30");

        const QString pdf = path("overview.pdf");
        const CtlRun rendered = runCtl({"overview", m_plant, "--pdf", pdf});
        QCOMPARE(rendered.status, 0);
        QVERIFY(readFile(pdf).startsWith("%PDF"));
        const CtlRun nowhere = runCtl({"overview", m_plant, "--pdf", path("no/dir/x.pdf")});
        QCOMPARE(nowhere.status, 1);
        QVERIFY(nowhere.err.contains("x.pdf"));
        QCOMPARE(runCtl({"overview", m_plant, "--csv", "--print-text"}).status, 2);
    }
};

QTEST_GUILESS_MAIN(tst_CliParams)
#include "tst_cli_params.moc"
