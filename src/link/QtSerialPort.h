#pragma once

#include "link/SerialPort.h"

#include <QSerialPort>
#include <QStringList>

// A real serial device (or a pseudo-terminal) through QSerialPort.
class QtSerialPort : public SerialPort {
    Q_OBJECT
public:
    // `device` is a name such as "ttyUSB0" or a path such as "/dev/pts/3".
    explicit QtSerialPort(const QString& device, QObject* parent = nullptr);
    ~QtSerialPort() override;

    bool open() override;
    void close() override;
    bool isOpen() const override;
    bool setSettings(const QString& settingsText) override;
    qint64 write(const QByteArray& bytes) override;
    qint64 bytesAvailable() const override;
    QByteArray readAll() override;
    int errorNumber() const override { return m_errorNumber; }
    QString errorText() const override { return m_errorText; }
    QString deviceName() const override { return m_device; }

private:
    bool applySettings();
    void onError(QSerialPort::SerialPortError error);

    QSerialPort m_port;
    QString m_device;
    QString m_settings;
    int m_errorNumber = 0;
    QString m_errorText;
    bool m_losing = false; // a close for a lost line is on its way
};

// On Linux: how to get access to a device the user may not open (the group that owns it,
// usually dialout). Empty elsewhere.
QString permissionHint(const QString& devicePath);

// The folders Qt keeps port lock files in, in the order it looks.
QStringList portLockDirectories();

// Why a device that exists cannot be opened when the system says "permission": another
// program holds its lock file (named with the program and process), a lock file was left by a
// process that no longer runs (named, with what to do), the device is opened exclusively by
// another program, or the user may not use it (permissionHint). `lockDirectories` are the
// folders Qt keeps port locks in, searched in order.
QString portAccessProblem(const QString& devicePath,
                          const QStringList& lockDirectories = portLockDirectories());

// The device name with control characters shown as \xNN; empty when it has none. Such a name
// is refused before the port is touched (the lock file of a name with a NUL byte cannot be
// removed again).
QString controlCharactersShown(const QString& device);
