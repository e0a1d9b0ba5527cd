#include "support/CtlRun.h"

#include <QtTest>

// q7400ctl runs without a settings file (runCtl starts it in an empty home folder): the
// language comes from --lang or is German.
class tst_CliTables : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void texts_data() {
        QTest::addColumn<QString>("lang");
        QTest::addColumn<QString>("line543");
        QTest::newRow("en") << "en"
                            << "543\t => PC], \\nor load with [File open], ";
        QTest::newRow("de") << "de"
                            << "543\t => PC] einzulesen, \\nmit [Datei öffnen] zu laden, ";
    }
    void texts() {
        QFETCH(QString, lang);
        const CtlRun r = runCtl({"texts", "--lang", lang});
        QCOMPARE(r.status, 0);
        const QStringList lines = r.out.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 457);
        QVERIFY(lines.first().startsWith("100\t"));
        QVERIFY(lines.last().startsWith("556\t"));
        QTEST(lines[543 - 100], "line543");
    }

    void parameters() {
        const CtlRun r = runCtl({"parameters", "--lang", "en"});
        QCOMPARE(r.status, 0);
        const QStringList lines = r.out.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 81);
        QCOMPARE(lines[10], QStringLiteral("10\tMeasuring offset\t12\t8\t0x1D0\t4"));
        QCOMPARE(lines[51], QStringLiteral("51\t---\t56\t8\t0x260\t1"));
        QCOMPARE(lines[60], QStringLiteral("60\t\t0\t0\t0x000\t0"));
        // Without --lang and without a settings file the names are German.
        const CtlRun german = runCtl({"parameters"});
        QCOMPARE(german.out.split(u'\n').value(3),
                 QStringLiteral("3\tTauschsollwert\t3\t8\t0x010\t3"));
    }

    void usageErrors_data() {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("no command") << QStringList{};
        QTest::newRow("unknown command") << QStringList{"frobnicate"};
        QTest::newRow("unknown language") << QStringList{"texts", "--lang", "es"};
        QTest::newRow("unknown option") << QStringList{"texts", "--bogus"};
        QTest::newRow("extra argument") << QStringList{"texts", "x"};
    }
    void usageErrors() {
        QFETCH(QStringList, args);
        const CtlRun r = runCtl(args);
        QCOMPARE(r.status, 2);
        QVERIFY(!r.err.isEmpty());
    }

    void helpAndVersion() {
        const CtlRun help = runCtl({"--help"});
        QCOMPARE(help.status, 0);
        QVERIFY(help.out.contains("parameters"));
        const CtlRun version = runCtl({"--version"});
        QCOMPARE(version.status, 0);
        QVERIFY(version.out.contains("4.21"));
    }
};

QTEST_GUILESS_MAIN(tst_CliTables)
#include "tst_cli_tables.moc"
