#include "link/QtSerialPort.h"

#include "link/PortSettings.h"

#include "base/SafeRead.h"

#include <QDir>
#include <QFile>

#ifdef Q_OS_LINUX
#include <cerrno>
#include <csignal>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {
// Opening failures are numbered 8000 + QSerialPort's error code (8001 device not found,
// 8002 permission denied, 8003 already open elsewhere, ...).
constexpr int ErrorBase = 8000;

// The device QSerialPort opens for a port name: a path as it is, a name below /dev.
QString systemLocation(const QString& device) {
    return device.startsWith(u'/') ? device : QStringLiteral("/dev/") + device;
}
} // namespace

QtSerialPort::QtSerialPort(const QString& device, QObject* parent)
    : SerialPort(parent), m_device(device) {
    m_port.setPortName(device);
    connect(&m_port, &QSerialPort::readyRead, this, &SerialPort::readyRead);
    connect(&m_port, &QSerialPort::errorOccurred, this, &QtSerialPort::onError);
}

void QtSerialPort::onError(QSerialPort::SerialPortError error) {
    // A device that went away keeps reporting itself readable: left open, it would be polled
    // without end. It is closed once the handler that reported it has returned.
    const bool fatal = error == QSerialPort::ResourceError || error == QSerialPort::ReadError ||
                       error == QSerialPort::WriteError;
    if (!fatal || !m_port.isOpen() || m_losing)
        return;
    m_losing = true;
    const QString reason =
        QStringLiteral("%1: the device reported an error or hang-up (%2); it has been closed.")
            .arg(m_device, m_port.errorString());
    QMetaObject::invokeMethod(
        this,
        [this, reason] {
            m_losing = false;
            if (!m_port.isOpen())
                return;
            m_port.close();
            Q_EMIT lost(reason);
        },
        Qt::QueuedConnection);
}

QtSerialPort::~QtSerialPort() {
    if (m_port.isOpen())
        m_port.close();
}

bool QtSerialPort::open() {
    m_errorNumber = 0;
    m_errorText.clear();
    if (m_port.isOpen())
        return true;
    if (m_device.isEmpty()) {
        m_errorNumber = ErrorBase + QSerialPort::DeviceNotFoundError;
        m_errorText = QStringLiteral("There is no serial port with this number.");
        return false;
    }
    if (const QString shown = controlCharactersShown(m_device); !shown.isEmpty()) {
        m_errorNumber = ErrorBase + QSerialPort::DeviceNotFoundError;
        m_errorText = QStringLiteral("The port name \"%1\" contains control characters. Choose the "
                                     "port in the Interface menu, or correct line 2 of the "
                                     "settings file.")
                          .arg(shown);
        return false;
    }
    if (!m_settings.isEmpty() && !applySettings())
        return false;
    if (!m_port.open(QIODevice::ReadWrite)) {
        m_errorNumber = ErrorBase + int(m_port.error());
        m_errorText = QStringLiteral("%1: %2").arg(m_device, m_port.errorString());
        if (m_port.error() == QSerialPort::PermissionError) {
            // Qt reports a lock held by another program, a stale lock and a missing right
            // alike; tell them apart.
            const QString problem = portAccessProblem(systemLocation(m_device));
            if (!problem.isEmpty())
                m_errorText = problem;
        }
        return false;
    }
    return true;
}

void QtSerialPort::close() {
    if (m_port.isOpen())
        m_port.close();
}

bool QtSerialPort::isOpen() const {
    return m_port.isOpen();
}

bool QtSerialPort::setSettings(const QString& settingsText) {
    m_settings = settingsText;
    m_errorNumber = 0;
    m_errorText.clear();
    if (applySettings())
        return true;
    if (!m_port.isOpen() || !parseSettingsText(settingsText, nullptr))
        return false;
    // Some devices refuse a change while open but take the same settings when opened with them
    // (a pseudo-terminal refuses even parity): the port is opened again. When that fails too,
    // the port is closed and reported lost, like one that went away.
    m_port.close();
    if (open())
        return true;
    Q_EMIT lost(m_errorText);
    return false;
}

bool QtSerialPort::applySettings() {
    SerialLineSettings s;
    if (!parseSettingsText(m_settings, &s)) {
        m_errorNumber = ErrorBase + QSerialPort::UnsupportedOperationError;
        m_errorText = QStringLiteral("Port settings \"%1\" not understood.").arg(m_settings);
        return false;
    }
    QSerialPort::Parity parity = QSerialPort::EvenParity;
    switch (s.parity) {
    case 'o':
        parity = QSerialPort::OddParity;
        break;
    case 's':
        parity = QSerialPort::SpaceParity;
        break;
    case 'n':
        parity = QSerialPort::NoParity;
        break;
    default:
        break;
    }
    const bool ok =
        m_port.setBaudRate(s.baud) && m_port.setDataBits(QSerialPort::DataBits(s.dataBits)) &&
        m_port.setParity(parity) &&
        m_port.setStopBits(s.stopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop) &&
        m_port.setFlowControl(QSerialPort::NoFlowControl);
    if (!ok) {
        m_errorNumber = ErrorBase + int(m_port.error());
        m_errorText = QStringLiteral("%1: settings \"%2\" refused: %3")
                          .arg(m_device, m_settings, m_port.errorString());
    }
    return ok;
}

qint64 QtSerialPort::write(const QByteArray& bytes) {
    return m_port.write(bytes);
}

qint64 QtSerialPort::bytesAvailable() const {
    return m_port.bytesAvailable();
}

QByteArray QtSerialPort::readAll() {
    return m_port.readAll();
}

QString controlCharactersShown(const QString& device) {
    bool found = false;
    QString shown;
    for (const QChar c : device) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F) {
            found = true;
            shown += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        } else {
            shown += c;
        }
    }
    return found ? shown : QString();
}

QStringList portLockDirectories() {
    return {QStringLiteral("/var/lock"), QStringLiteral("/etc/locks"),
            QStringLiteral("/var/spool/locks"), QStringLiteral("/var/spool/uucp"),
            QDir::tempPath()};
}

QString portAccessProblem(const QString& devicePath, const QStringList& lockDirectories) {
#ifdef Q_OS_LINUX
    // The lock file as Qt names it: "LCK.." and the name below /dev with '/' as '_'.
    QString name = devicePath.startsWith(QLatin1String("/dev/")) ? devicePath.mid(5) : devicePath;
    name.replace(u'/', u'_');
    for (const QString& folder : lockDirectories) {
        const QString lock = QDir(folder).filePath(QStringLiteral("LCK..") + name);
        const SafeReadResult read = readRegularFile(lock, 4096);
        if (!read.ok)
            continue;
        // A lock holds the owner's process number, then (Qt) its program name.
        const QList<QByteArray> lines = read.bytes.split('\n');
        const qint64 pid = lines.value(0).trimmed().toLongLong();
        const QString program = QString::fromLocal8Bit(lines.value(1).trimmed());
        const QString owner = program.isEmpty()
                                  ? QStringLiteral("process %1").arg(pid)
                                  : QStringLiteral("%1 (process %2)").arg(program).arg(pid);
        if (pid > 0 && (::kill(pid_t(pid), 0) == 0 || errno == EPERM))
            return QStringLiteral("%1 is in use by another program: %2 holds its lock %3.")
                .arg(devicePath, owner, lock);
        QString user;
        struct stat info {};
        if (::stat(QFile::encodeName(lock).constData(), &info) == 0)
            if (const struct passwd* p = ::getpwuid(info.st_uid))
                user =
                    QStringLiteral(" (it belongs to %1)").arg(QString::fromLocal8Bit(p->pw_name));
        return QStringLiteral("%1 is locked by the stale lock file %2, left by %3, which no longer "
                              "runs. Remove that file%4 and try again.")
            .arg(devicePath, lock, owner, user);
    }
    if (::access(QFile::encodeName(devicePath).constData(), R_OK | W_OK) != 0 && errno == EACCES)
        return QStringLiteral("%1: permission denied.\n%2")
            .arg(devicePath, permissionHint(devicePath));
    return QStringLiteral("%1 is in use by another program, which has opened it exclusively.")
        .arg(devicePath);
#else
    Q_UNUSED(devicePath);
    Q_UNUSED(lockDirectories);
    return {};
#endif
}

QString permissionHint(const QString& devicePath) {
#ifdef Q_OS_LINUX
    struct stat info {};
    if (::stat(QFile::encodeName(devicePath).constData(), &info) != 0)
        return {};
    QString group = QStringLiteral("dialout");
    if (const struct group* g = ::getgrgid(info.st_gid))
        group = QString::fromLocal8Bit(g->gr_name);
    return QStringLiteral("Your user account may not use %1. Make it a member of the group "
                          "\"%2\" that owns the device (sudo usermod -aG %2 $USER), then log "
                          "out and in again.")
        .arg(devicePath, group);
#else
    Q_UNUSED(devicePath);
    return {};
#endif
}
