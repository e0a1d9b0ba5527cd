#include "CtlRun.h"

#include <QEventLoop>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

CtlRun runCtl(const QStringList& args, int timeoutMs, const QString& input) {
    QTemporaryDir home;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path());
    QProcess p;
    p.setProcessEnvironment(env);
    if (!input.isEmpty())
        p.setStandardInputFile(input);
    QEventLoop loop;
    QObject::connect(&p, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&p, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    p.start(qEnvironmentVariable("Q7400_BIN_DIR") + QStringLiteral("/q7400ctl"), args);
    loop.exec();
    if (p.state() != QProcess::NotRunning) {
        p.kill();
        p.waitForFinished();
        return {};
    }
    return {p.exitCode(), p.exitStatus() == QProcess::CrashExit,
            QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

CtlRun runCtlOn(const QString& port, const QStringList& args, int timeoutMs, const QString& input) {
    const QTemporaryDir settings;
    QStringList options{QStringLiteral("--settings"),
                        settings.filePath(QStringLiteral("none.cfg"))};
    if (!port.isEmpty())
        options << QStringLiteral("--port") << port;
    if (!args.contains(QStringLiteral("--lang")))
        options << QStringLiteral("--lang") << QStringLiteral("en");
    return runCtl(options + args, timeoutMs, input);
}
