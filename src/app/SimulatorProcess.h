#pragma once

#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>

// The bundled controller simulator as a child process: q7400-sim serves a pseudo-terminal and
// prints its path as the first line of its output. The configurator then talks to that path
// for this run only. The child is ended when this object goes.
class SimulatorProcess : public QObject {
    Q_OBJECT
public:
    explicit SimulatorProcess(QObject* parent = nullptr);
    ~SimulatorProcess() override;

    // Starts `program` (default: q7400-sim beside the running executable) and waits, yielding
    // to the event loop, until it has printed its port path or `timeoutMs` has passed.
    // False with errorText() when it did not start or printed no path.
    bool start(const QString& program = QString(), const QStringList& arguments = {},
               int timeoutMs = 5000);
    void stop();

    QString portPath() const { return m_portPath; }
    QString errorText() const { return m_error; }
    bool isRunning() const { return m_process.state() != QProcess::NotRunning; }

    static QString defaultProgram();

private:
    QProcess m_process;
    QString m_portPath;
    QString m_error;
};
