#include "support/CtlRun.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

// What the programs tell about themselves comes from one source: every option --help shows is
// in the manual page, and every command of q7400ctl is in the manual page and the shell
// completion and has its own help.
namespace {
// The standard output of one of the three programs (offscreen, in an empty home folder).
QString output(const QString& program, const QStringList& args) {
    QTemporaryDir home;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(qEnvironmentVariable("Q7400_BIN_DIR") + u'/' + program, args);
    if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

QString roff(QString text) {
    return text.replace(u'-', QStringLiteral("\\-"));
}
} // namespace

class tst_CliDocs : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void manualHasEveryOption_data() {
        QTest::addColumn<QString>("program");
        QTest::newRow("q7400ctl") << "q7400ctl";
        QTest::newRow("q7400-sim") << "q7400-sim";
        QTest::newRow("q7400-config") << "q7400-config";
    }
    void manualHasEveryOption() {
        QFETCH(QString, program);
        const QString help = output(program, {"--help"});
        const QString man = output(program, {"--man"});
        QVERIFY(help.contains("Options:"));
        QVERIFY(man.startsWith(".\\\""));
        static const QRegularExpression option(QStringLiteral("^  (-\\w, )?(--[\\w-]+)"),
                                               QRegularExpression::MultilineOption);
        int count = 0;
        for (auto it = option.globalMatch(help.mid(help.indexOf("Options:"))); it.hasNext();) {
            const QString name = it.next().captured(2);
            QVERIFY2(man.contains(QStringLiteral("\\fB%1\\fR").arg(roff(name))), qPrintable(name));
            ++count;
        }
        QVERIFY(count >= 4);
        QVERIFY(!man.contains("\\-\\-man")); // the build's own option stays hidden
    }

    void everyCommandDocumented() {
        const QString help = runCtl({"--help"}).out;
        const QString man = runCtl({"--man"}).out;
        const QString completion = runCtl({"--bash-completion"}).out;
        // The command list: "  name usage  summary" lines up to the next blank line.
        const QString list = help.section(QStringLiteral("Commands"), 1).section("\n\n", 0, 0);
        static const QRegularExpression command(QStringLiteral("^  ([a-z][a-z-]*)"),
                                                QRegularExpression::MultilineOption);
        QStringList names;
        for (auto it = command.globalMatch(list); it.hasNext();)
            names.append(it.next().captured(1));
        names.removeDuplicates();
        QVERIFY(names.contains("read") && names.contains("write") && names.contains("edit"));
        // What bash offers for "q7400ctl <Tab>".
        QTemporaryDir dir;
        QFile script(dir.filePath("q7400ctl"));
        QVERIFY(script.open(QIODevice::WriteOnly) && script.write(completion.toUtf8()) > 0);
        script.close();
        QProcess bash;
        bash.start("bash", {"-c",
                            "source \"$0\"; COMP_WORDS=(q7400ctl ''); COMP_CWORD=1; _q7400ctl; "
                            "echo \"${COMPREPLY[*]}\"",
                            script.fileName()});
        QVERIFY(bash.waitForFinished(30000));
        const QStringList completed =
            QString::fromUtf8(bash.readAllStandardOutput()).trimmed().split(u' ');
        for (const QString& name : names) {
            QVERIFY2(man.contains(QStringLiteral(".TP\n\\fB%1\\fR").arg(roff(name))),
                     qPrintable(name));
            QVERIFY2(completed.contains(name), qPrintable(name));
            const CtlRun own = runCtl({name, "--help"});
            QCOMPARE(own.status, 0);
            QVERIFY2(own.out.startsWith("Usage: q7400ctl " + name), qPrintable(own.out));
        }
        QCOMPARE(completed.size(), names.size());
        for (const char* status : {"0", "1", "2", "3"})
            QVERIFY(man.section(".SH \"EXIT STATUS\"", 1)
                        .contains(QStringLiteral(".TP\n\\fB%1\\fR\n").arg(status)));
        QVERIFY(man.section(".SH \"EXAMPLES\"", 1).contains("q7400ctl read plant.tvk"));
    }
};

QTEST_GUILESS_MAIN(tst_CliDocs)
#include "tst_cli_docs.moc"
