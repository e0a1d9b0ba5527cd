#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

// The settings file `DeviceType` + "n.cfg" (Q7400n.cfg), four lines:
//   1. port settings text "19200,e,8,1"
//   2. port: a number 1..16, or a device path starting with "/" (pseudo-terminals, by-id names)
//   3. language offset 0, 1000, 2000 or 3000
//   4. controller address 0..255
struct PortSettings {
    QString SettingsText = QStringLiteral("19200,e,8,1");
    QString PortNumber = QStringLiteral("1");
    int LanguageOffset = 0;
    int DeviceAddress = 3;

    // The parts of SettingsText: baud rate before the first comma, parity the one character
    // after it.
    QString BaudRate() const;
    QString Parity() const;
    void setBaudRate(const QString& baud);
    void setParity(const QString& parity);

    bool operator==(const PortSettings&) const = default;
};

// Baud rates and parity codes the controller offers, in menu order.
const QStringList& baudRates();   // "4800", "9600", "19200", "38400"
const QStringList& parityCodes(); // "e", "o", "s", "n"

// Understood parts of a settings text; false for anything else.
struct SerialLineSettings {
    int baud = 19200;
    char parity = 'e';
    int dataBits = 8;
    int stopBits = 1;
};
bool parseSettingsText(const QString& text, SerialLineSettings* out);

// Reads the file without changing it. *complete is false when the file is missing, has fewer
// than four lines or cannot be used; the defaults are returned then. *problem says why a file
// that exists cannot be used: it is not a regular file, it is too large (64 KiB), it cannot be
// read.
PortSettings readPortSettings(const QString& path, bool* complete = nullptr,
                              QString* problem = nullptr);

// The same for the file's contents already in memory.
PortSettings parsePortSettings(const QByteArray& bytes, bool* complete = nullptr);

// Start-up reading: like readPortSettings, but a missing or short file is (re)written with the
// defaults. *error is set when that write fails, or when the file cannot be used (it is then
// left alone); the defaults are used in either case.
PortSettings loadPortSettings(const QString& path, QString* error = nullptr);

// Writes the four lines atomically.
bool savePortSettings(const QString& path, const PortSettings& settings, QString* error = nullptr);

// Where the settings file lives: the program's folder when it is writable and the program is
// not installed (a portable build), otherwise the user's configuration folder
// ($XDG_CONFIG_HOME/q7400, ~/.config/q7400 by default).
QString defaultSettingsPath(const QString& deviceType = QStringLiteral("Q7400"));
// Whether a program in `programDir` keeps its settings file there: the folder is writable and
// is not the bin folder of an installed tree (one with our desktop entry in
// ../share/applications).
bool settingsBesideProgram(const QString& programDir);

// Port numbers 1..16. On Linux, number i is the i-th serial device of the machine in a stable
// order: USB adapters (ttyUSB*), then modems/CDC devices (ttyACM*), then built-in ports
// (ttyS*), then anything else, each family by its number; a device with a stable name under
// /dev/serial/by-id is given by that name. On Windows number i is COMi.
QStringList serialPortDevices();
// The device of port number `number`, empty when there is none.
QString serialPortDevice(int number);
// The device a PortNumber text means: a path (starts with "/") or name as it is, a number
// through serialPortDevice(). Empty when the number has no device.
QString resolvePortDevice(const QString& portNumber);
// The same over a given list of serial devices (element 0 = port 1).
QString resolvePortDevice(const QString& portNumber, const QStringList& devices);

// The ordering rule of serialPortDevices() on given device paths; `byId` maps a device path
// (e.g. "/dev/ttyUSB0") to its stable name.
QStringList orderSerialDevices(const QStringList& devices,
                               const QList<QPair<QString, QString>>& byId = {});
