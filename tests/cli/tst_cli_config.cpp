#include "app/Defaults.h"
#include "app/Workspace.h"
#include "support/CtlRun.h"
#include "support/ScriptedInteraction.h"
#include "support/TestFiles.h"

#include <QTemporaryDir>
#include <QtTest>

// q7400ctl config and the wiring picture's operations of q7400ctl edit on a file with the
// default configuration of a freshly started program.
class tst_CliConfig : public QObject {
    Q_OBJECT

    QString defaultFile(const QString& name) {
        ScriptedInteraction interaction;
        Workspace ws(interaction, nullptr);
        LoadDefaultConfiguration(ws.image, ws.identification);
        const QString path = m_dir.filePath(name);
        if (!ws.SaveConfigurationFile(path).ok)
            return {};
        return path;
    }

    static QStringList lines(const CtlRun& r) { return r.out.split(u'\n', Qt::SkipEmptyParts); }

private Q_SLOTS:
    void init() { QVERIFY(m_dir.isValid()); }

    void editThenShow() {
        const QString in = defaultFile(QStringLiteral("in.tvk"));
        const QString out = m_dir.filePath(QStringLiteral("out.tvk"));
        CtlRun r = runCtl({"edit", in, "-o", out, "--lang", "en", "io:5=link:9", "io:3=dir",
                           "io:3=list:6", "io:3=link:25", "feature=2", "io:17=kind", "sensor:3=2"});
        QVERIFY2(r.status == 0, qPrintable(r.err));
        // Every changed value, in the order of the image.
        QCOMPARE(lines(r),
                 (QStringList{"31\tAttributes\t1\t16 -> 144", "33\tSensor type\t3\t0 -> 2",
                              "36\tI/O config.\t3\t10 -> 207", "36\tI/O config.\t5\t18 -> 38",
                              "36\tI/O config.\t17\t0 -> 64"}));
        QVERIFY(
            r.err.contains(QStringLiteral("I/O configuration channel 17 - 20 will be cleared")));
        QCOMPARE(readFile(in), readFile(defaultFile(QStringLiteral("again.tvk"))));

        r = runCtl({"config", out, "--lang", "en"});
        QCOMPARE(r.status, 0);
        const QStringList shown = lines(r);
        QCOMPARE(shown.first(),
                 QString::fromUtf8("Device feature code:\tA2 B1\tA2 B1  (16 bin. I/O + 4 cont. "
                                   "Out  –  Thermo)"));
        QVERIFY(shown.contains(QStringLiteral("3\tMW3 Typ K (NiCr-Ni)\t-")));
        QVERIFY(shown.contains(
            QStringLiteral("3\t3\tIn\tN\t-\t6 Automatic mode\tchannel 4 Input (slot 25)")));
        QVERIFY(shown.contains(QStringLiteral("5\t5\tOut\tN\tNorm\t-\tchannel 2 C (slot 9)")));
        QVERIFY(shown.contains(QStringLiteral("17\t17\tCont\tS\tfree / dead\t-\t-")));

        r = runCtl({"config", out, "--lang", "en", "--extended"});
        QVERIFY(lines(r).contains(QStringLiteral("8\t24\tOut\tN\t-\t-\t-")));
    }

    // An action the window refuses is refused: exit 2, the file untouched.
    void refusals_data() {
        QTest::addColumn<QStringList>("ops");
        QTest::addColumn<QString>("message");
        QTest::newRow("special output linked")
            << QStringList{"io:2=kind", "io:2=link:9"} << "special function";
        QTest::newRow("output on the input slot") << QStringList{"io:2=link:4"} << "input slot";
        QTest::newRow("free continuous on 0x42")
            << QStringList{"--firmware", "0x42", "feature=2", "io:17=kind"} << "above 0x42";
        QTest::newRow("20 mA entry on 0x52")
            << QStringList{"--firmware", "0x52", "feature=4"} << "0x53";
        QTest::newRow("no such row") << QStringList{"io:21=dir"} << "1..20";
        QTest::newRow("hidden row") << QStringList{"io:18=dir"} << "not shown";
        QTest::newRow("unknown operation") << QStringList{"wire:3"} << "unknown operation";
    }
    void refusals() {
        QFETCH(QStringList, ops);
        const QString path = defaultFile(QStringLiteral("r.tvk"));
        const QByteArray before = readFile(path);
        const CtlRun r = runCtl(QStringList{"edit", path} + ops);
        QCOMPARE(r.status, 2);
        QFETCH(QString, message);
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        QCOMPARE(readFile(path), before);
    }

private:
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(tst_CliConfig)
#include "tst_cli_config.moc"
