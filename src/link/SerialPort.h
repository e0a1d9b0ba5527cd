#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

// The serial line to the controller. Protocol code never creates a port: it is handed one, so
// the same code runs on a real device, a pseudo-terminal or the in-memory FakePort of the tests.
class SerialPort : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~SerialPort() override = default;

    // Opens the device with the current settings. On failure errorNumber() (8000..8020) and
    // errorText() say why.
    virtual bool open() = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;

    // "19200,e,8,1": baud rate, parity (e, o, s, n), data bits, stop bits. Applies at once to an
    // open port (opening it again when the device takes the setting only when opened), else at
    // the next open(). False for a text that cannot be understood (the port is left as it was)
    // or a setting the device refuses (an open port is then closed and reported lost).
    virtual bool setSettings(const QString& settingsText) = 0;

    // Queues the bytes for sending; the number of bytes accepted, -1 on failure.
    virtual qint64 write(const QByteArray& bytes) = 0;
    // Received bytes waiting to be read.
    virtual qint64 bytesAvailable() const = 0;
    // Reads and removes every waiting byte.
    virtual QByteArray readAll() = 0;

    // After a failed open(): 8000..8020 and a description for the user.
    virtual int errorNumber() const = 0;
    virtual QString errorText() const = 0;

    // The device this port talks to ("/dev/ttyUSB0", "COM3", "fake").
    virtual QString deviceName() const = 0;

Q_SIGNALS:
    // Bytes have arrived.
    void readyRead();
    // The open port reported an error or a hang-up (the adapter was unplugged, the
    // pseudo-terminal's other side went away) and has been closed. `reason` is for the user.
    void lost(const QString& reason);
};

// "Error 8002  Permission denied ..." as shown in the error message box (title "Error").
QString openFailureMessage(int errorNumber, const QString& description);
