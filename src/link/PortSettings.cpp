#include "link/PortSettings.h"

#include "base/NumberText.h"
#include "base/SafeRead.h"
#include "base/SafeWrite.h"
#include "i18n/StringTable.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>

#include <algorithm>
#include <tuple>

#ifdef Q_OS_LINUX
#include <QSerialPortInfo>
#endif

namespace {
// Four short lines; anything far longer is not a settings file.
constexpr qint64 kMaxSettingsFileSize = 64 * 1024;
} // namespace

QString PortSettings::BaudRate() const {
    return SettingsText.section(u',', 0, 0);
}

QString PortSettings::Parity() const {
    const int comma = int(SettingsText.indexOf(u','));
    return comma < 0 ? QString() : SettingsText.mid(comma + 1, 1);
}

void PortSettings::setBaudRate(const QString& baud) {
    SettingsText = baud + u',' + Parity() + QStringLiteral(",8,1");
}

void PortSettings::setParity(const QString& parity) {
    SettingsText = BaudRate() + u',' + parity + QStringLiteral(",8,1");
}

const QStringList& baudRates() {
    static const QStringList list = {QStringLiteral("4800"), QStringLiteral("9600"),
                                     QStringLiteral("19200"), QStringLiteral("38400")};
    return list;
}

const QStringList& parityCodes() {
    static const QStringList list = {QStringLiteral("e"), QStringLiteral("o"), QStringLiteral("s"),
                                     QStringLiteral("n")};
    return list;
}

bool parseSettingsText(const QString& text, SerialLineSettings* out) {
    const QStringList parts = text.trimmed().split(u',');
    if (parts.size() != 4)
        return false;
    bool ok = false;
    const int baud = parts[0].trimmed().toInt(&ok);
    if (!ok || baud <= 0)
        return false;
    const QString parity = parts[1].trimmed().toLower();
    if (parity.size() != 1 || !QStringLiteral("eosn").contains(parity))
        return false;
    const int dataBits = parts[2].trimmed().toInt(&ok);
    if (!ok || dataBits < 5 || dataBits > 8)
        return false;
    const int stopBits = parts[3].trimmed().toInt(&ok);
    if (!ok || (stopBits != 1 && stopBits != 2))
        return false;
    if (out)
        *out = {baud, char(parity[0].toLatin1()), dataBits, stopBits};
    return true;
}

PortSettings readPortSettings(const QString& path, bool* complete, QString* problem) {
    if (complete)
        *complete = false;
    if (problem)
        problem->clear();
    const SafeReadResult read = readRegularFile(path, kMaxSettingsFileSize);
    if (!read.ok) {
        if (problem && !read.missing)
            *problem = QStringLiteral("The settings file cannot be used: %1").arg(read.reason);
        return {};
    }
    return parsePortSettings(read.bytes, complete);
}

PortSettings parsePortSettings(const QByteArray& bytes, bool* complete) {
    if (complete)
        *complete = false;
    // The first four lines; the rest is not looked at.
    QStringList lines;
    qsizetype from = 0;
    while (lines.size() < 4 && from < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', from);
        if (end < 0)
            end = bytes.size();
        lines.append(QString::fromUtf8(bytes.mid(from, end - from)).trimmed());
        from = end + 1;
    }
    if (lines.size() < 4)
        return {};

    PortSettings s;
    s.SettingsText = lines[0];
    // A device path is kept as it is; a number is taken by its numeric value.
    const QString port = lines[1];
    s.PortNumber = port.isEmpty() || port.startsWith(u'/') || !port[0].isDigit()
                       ? port
                       : QString::number(truncatedInt(ValueOfText(port)));
    s.LanguageOffset = Texts::normalisedOffset(truncatedInt(ValueOfText(lines[2])));
    const double address = ValueOfText(lines[3]);
    s.DeviceAddress = address >= 0 && address <= 255 ? int(address) : PortSettings{}.DeviceAddress;
    if (complete)
        *complete = true;
    return s;
}

PortSettings loadPortSettings(const QString& path, QString* error) {
    bool complete = false;
    QString problem;
    PortSettings s = readPortSettings(path, &complete, &problem);
    if (!problem.isEmpty()) {
        // Not a file that can be rewritten (a FIFO, a device, a huge file): left alone.
        if (error)
            *error = problem;
        return PortSettings{};
    }
    if (!complete) {
        s = PortSettings{};
        savePortSettings(path, s, error);
    }
    return s;
}

bool savePortSettings(const QString& path, const PortSettings& s, QString* error) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    const QString text = s.SettingsText + u'\n' + s.PortNumber + u'\n' +
                         QString::number(s.LanguageOffset) + u'\n' +
                         QString::number(s.DeviceAddress) + u'\n';
    const SafeWriteResult written = writeFileSafely(path, text.toUtf8(), QIODevice::Text);
    if (!written.ok && error)
        *error = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), written.reason);
    return written.ok;
}

bool settingsBesideProgram(const QString& programDir) {
    // An installed program never writes into its own folder, even where it may: root may
    // write to /usr/bin, a user to a prefix in the home folder.
    const bool installed = QFileInfo::exists(
        QDir(programDir).filePath(QStringLiteral("../share/applications/q7400-config.desktop")));
    return !installed && QFileInfo(programDir).isWritable();
}

QString defaultSettingsPath(const QString& deviceType) {
    const QString name = deviceType + QStringLiteral("n.cfg");
    if (QCoreApplication::instance()) {
        const QString dir = QCoreApplication::applicationDirPath();
        if (settingsBesideProgram(dir))
            return QDir(dir).filePath(name);
    }
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return QDir(config).filePath(QStringLiteral("q7400/") + name);
}

namespace {
// Sort key of a device path: family (ttyUSB, ttyACM, ttyS, others), then number, then name.
struct DeviceKey {
    int family;
    qint64 number;
    QString name;
    bool operator<(const DeviceKey& o) const {
        return std::tie(family, number, name) < std::tie(o.family, o.number, o.name);
    }
};

DeviceKey keyOf(const QString& device) {
    static const QRegularExpression pattern(QStringLiteral("^(.*?)(\\d*)$"));
    const QString name = QFileInfo(device).fileName();
    const auto m = pattern.match(name);
    const QString stem = m.captured(1);
    const qint64 number = m.captured(2).isEmpty() ? -1 : m.captured(2).toLongLong();
    int family = 3;
    if (stem == QLatin1String("ttyUSB"))
        family = 0;
    else if (stem == QLatin1String("ttyACM"))
        family = 1;
    else if (stem == QLatin1String("ttyS"))
        family = 2;
    return {family, number, name};
}
} // namespace

QStringList orderSerialDevices(const QStringList& devices,
                               const QList<QPair<QString, QString>>& byId) {
    QStringList ordered = devices;
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](const QString& a, const QString& b) { return keyOf(a) < keyOf(b); });
    for (QString& device : ordered) {
        for (const auto& link : byId) {
            if (link.first == device) {
                device = link.second;
                break;
            }
        }
    }
    return ordered;
}

QStringList serialPortDevices() {
#ifdef Q_OS_LINUX
    QStringList devices;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        devices.append(info.systemLocation());
    QList<QPair<QString, QString>> byId;
    const QDir dir(QStringLiteral("/dev/serial/by-id"));
    for (const QFileInfo& link : dir.entryInfoList(QDir::Files | QDir::System, QDir::Name)) {
        const QString target = link.canonicalFilePath();
        if (!target.isEmpty())
            byId.append({target, link.absoluteFilePath()});
    }
    return orderSerialDevices(devices, byId);
#else
    QStringList devices;
    for (int i = 1; i <= 16; ++i)
        devices.append(QStringLiteral("COM%1").arg(i));
    return devices;
#endif
}

QString serialPortDevice(int number) {
    if (number < 1 || number > 16)
        return {};
    const QStringList devices = serialPortDevices();
    return number <= devices.size() ? devices[number - 1] : QString();
}

QString resolvePortDevice(const QString& portNumber) {
    return resolvePortDevice(portNumber, serialPortDevices());
}

QString resolvePortDevice(const QString& portNumber, const QStringList& devices) {
    const QString text = portNumber.trimmed();
    bool isNumber = false;
    const int number = text.toInt(&isNumber);
    if (isNumber)
        return number >= 1 && number <= std::min<int>(16, int(devices.size())) ? devices[number - 1]
                                                                               : QString();
    return text;
}
