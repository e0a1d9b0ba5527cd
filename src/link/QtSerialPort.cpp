#include "link/QtSerialPort.h"

#include "link/PortSettings.h"

#include <QFile>

#ifdef Q_OS_LINUX
#include <grp.h>
#include <sys/stat.h>
#endif

namespace {
// Opening failures are numbered 8000 + QSerialPort's error code (8001 device not found,
// 8002 permission denied, 8003 already open elsewhere, ...).
constexpr int ErrorBase = 8000;
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
    if (!m_settings.isEmpty() && !applySettings())
        return false;
    if (!m_port.open(QIODevice::ReadWrite)) {
        m_errorNumber = ErrorBase + int(m_port.error());
        m_errorText = QStringLiteral("%1: %2").arg(m_device, m_port.errorString());
        if (m_port.error() == QSerialPort::PermissionError) {
            const QString hint = permissionHint(m_port.portName().startsWith(u'/')
                                                    ? m_port.portName()
                                                    : QStringLiteral("/dev/") + m_port.portName());
            if (!hint.isEmpty())
                m_errorText += u'\n' + hint;
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
    return applySettings();
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
