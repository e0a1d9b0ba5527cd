#include "app/SimulatorProcess.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QTimer>

#ifdef Q_OS_LINUX
#include <csignal>
#include <sys/prctl.h>
#endif

SimulatorProcess::SimulatorProcess(QObject* parent) : QObject(parent) {
    // The simulator's diagnostics go where ours go.
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
#ifdef Q_OS_LINUX
    // The simulator ends with us even when we are killed.
    m_process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
#endif
}

SimulatorProcess::~SimulatorProcess() {
    stop();
}

QString SimulatorProcess::defaultProgram() {
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("q7400-sim"));
}

bool SimulatorProcess::start(const QString& program, const QStringList& arguments, int timeoutMs) {
    m_portPath.clear();
    m_error.clear();
    const QString path = program.isEmpty() ? defaultProgram() : program;
    if (!QFileInfo(path).isExecutable()) {
        m_error = QStringLiteral("The simulator %1 was not found.").arg(path);
        return false;
    }

    QEventLoop loop;
    QTimer timeout;
    timeout.setSingleShot(true);
    connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
    auto lineOrEnd = [&] {
        if (m_process.canReadLine() || m_process.state() == QProcess::NotRunning)
            loop.quit();
    };
    const auto c1 = connect(&m_process, &QProcess::readyReadStandardOutput, &loop, lineOrEnd);
    const auto c2 = connect(&m_process, &QProcess::finished, &loop, &QEventLoop::quit);
    const auto c3 = connect(&m_process, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
    m_process.start(path, arguments);
    timeout.start(timeoutMs);
    if (!m_process.canReadLine() && m_process.state() != QProcess::NotRunning)
        loop.exec();
    disconnect(c1);
    disconnect(c2);
    disconnect(c3);

    if (m_process.canReadLine())
        m_portPath = QString::fromLocal8Bit(m_process.readLine()).trimmed();
    if (m_portPath.isEmpty()) {
        m_error = m_process.state() == QProcess::NotRunning
                      ? QStringLiteral("The simulator %1 did not start: %2")
                            .arg(path, m_process.errorString())
                      : QStringLiteral("The simulator %1 did not report its port.").arg(path);
        stop();
        return false;
    }
    return true;
}

void SimulatorProcess::stop() {
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(2000)) {
        m_process.kill();
        m_process.waitForFinished(1000);
    }
}
