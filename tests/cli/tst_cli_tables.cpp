#include <QProcess>
#include <QtTest>

namespace {
struct Run {
    int status = -1;
    QString out;
    QString err;
};

Run q7400ctl(const QStringList& args) {
    QProcess p;
    // No settings file in a fresh folder: the language must come from --lang or be German.
    QTemporaryDir home;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path());
    p.setProcessEnvironment(env);
    p.start(qEnvironmentVariable("Q7400_BIN_DIR") + QStringLiteral("/q7400ctl"), args);
    if (!p.waitForFinished(20000))
        return {};
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}
} // namespace

class tst_CliTables : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void texts_data();
    void texts();
    void parameters();
    void usageErrors_data();
    void usageErrors();
    void helpAndVersion();
};

void tst_CliTables::texts_data() {
    QTest::addColumn<QString>("lang");
    QTest::addColumn<QString>("line543");
    QTest::newRow("en") << "en"
                        << "543\t => PC], \\nor load with [File open], ";
    QTest::newRow("de") << "de"
                        << "543\t => PC] einzulesen, \\nmit [Datei öffnen] zu laden, ";
}

void tst_CliTables::texts() {
    QFETCH(QString, lang);
    const Run r = q7400ctl({QStringLiteral("texts"), QStringLiteral("--lang"), lang});
    QCOMPARE(r.status, 0);
    const QStringList lines = r.out.split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 457);
    QVERIFY(lines.first().startsWith(QStringLiteral("100\t")));
    QVERIFY(lines.last().startsWith(QStringLiteral("556\t")));
    QTEST(lines[543 - 100], "line543");
}

void tst_CliTables::parameters() {
    const Run r =
        q7400ctl({QStringLiteral("parameters"), QStringLiteral("--lang"), QStringLiteral("en")});
    QCOMPARE(r.status, 0);
    const QStringList lines = r.out.split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 81);
    QCOMPARE(lines[10], QStringLiteral("10\tMeasuring offset\t12\t8\t0x1D0\t4"));
    QCOMPARE(lines[51], QStringLiteral("51\t---\t56\t8\t0x260\t1"));
    QCOMPARE(lines[60], QStringLiteral("60\t\t0\t0\t0x000\t0"));
    // Without --lang and without a settings file the names are German.
    const Run german = q7400ctl({QStringLiteral("parameters")});
    QCOMPARE(german.out.split(u'\n').value(3), QStringLiteral("3\tTauschsollwert\t3\t8\t0x010\t3"));
}

void tst_CliTables::usageErrors_data() {
    QTest::addColumn<QStringList>("args");
    QTest::newRow("no command") << QStringList{};
    QTest::newRow("unknown command") << QStringList{QStringLiteral("frobnicate")};
    QTest::newRow("unknown language")
        << QStringList{QStringLiteral("texts"), QStringLiteral("--lang"), QStringLiteral("es")};
    QTest::newRow("unknown option")
        << QStringList{QStringLiteral("texts"), QStringLiteral("--bogus")};
    QTest::newRow("extra argument") << QStringList{QStringLiteral("texts"), QStringLiteral("x")};
}

void tst_CliTables::usageErrors() {
    QFETCH(QStringList, args);
    const Run r = q7400ctl(args);
    QCOMPARE(r.status, 2);
    QVERIFY(!r.err.isEmpty());
}

void tst_CliTables::helpAndVersion() {
    const Run help = q7400ctl({QStringLiteral("--help")});
    QCOMPARE(help.status, 0);
    QVERIFY(help.out.contains(QStringLiteral("parameters")));
    const Run version = q7400ctl({QStringLiteral("--version")});
    QCOMPARE(version.status, 0);
    QVERIFY(version.out.contains(QStringLiteral("4.21")));
}

QTEST_GUILESS_MAIN(tst_CliTables)
#include "tst_cli_tables.moc"
