#include "cli/CliLink.h"

#include "link/QtSerialPort.h"

void addLinkOptions(OptionList& options) {
    options.addOption({QStringLiteral("port"),
                       QStringLiteral("Serial port: a number 1..16 or a device such as /dev/pts/3 "
                                      "(default: the settings file)."),
                       QStringLiteral("DEVICE|NUMBER")});
    options.addOption({QStringLiteral("baud"),
                       QStringLiteral("Baud rate (default: the settings file)."),
                       QStringLiteral("4800|9600|19200|38400")});
    options.addOption({QStringLiteral("parity"),
                       QStringLiteral("Parity: e (even), o (odd), s (space) or n (none) (default: "
                                      "the settings file)."),
                       QStringLiteral("e|o|s|n")});
    options.addOption({QStringLiteral("address"),
                       QStringLiteral("Bus address of the controller 0..255 (default: the "
                                      "settings file)."),
                       QStringLiteral("0..255")});
    options.addOption(
        {QStringLiteral("settings"),
         QStringLiteral("Settings file to use instead of the program's own Q7400n.cfg."),
         QStringLiteral("FILE")});
}

PortSettings linkSettings(CliContext& cli, int* status) {
    *status = ExitStatus::Ok;
    PortSettings s = readPortSettings(cli.settingsFilePath());
    const QCommandLineParser& p = cli.parser;
    const auto usage = [&](const QString& message) {
        cli.err << "q7400ctl: " << message << '\n';
        *status = ExitStatus::Usage;
        return s;
    };
    if (p.isSet(QStringLiteral("port"))) {
        const QString port = p.value(QStringLiteral("port")).trimmed();
        bool isNumber = false;
        const int number = port.toInt(&isNumber);
        if (port.isEmpty() || (isNumber && (number < 1 || number > 16)))
            return usage(QStringLiteral("--port takes a number 1..16 or a device"));
        s.PortNumber = port;
    }
    if (p.isSet(QStringLiteral("baud"))) {
        const QString baud = p.value(QStringLiteral("baud"));
        if (!baudRates().contains(baud))
            return usage(QStringLiteral("--baud takes 4800, 9600, 19200 or 38400"));
        s.setBaudRate(baud);
    }
    if (p.isSet(QStringLiteral("parity"))) {
        const QString parity = p.value(QStringLiteral("parity"));
        if (!parityCodes().contains(parity))
            return usage(QStringLiteral("--parity takes e, o, s or n"));
        s.setParity(parity);
    }
    if (p.isSet(QStringLiteral("address"))) {
        bool ok = false;
        const int address = p.value(QStringLiteral("address")).toInt(&ok);
        if (!ok || address < 0 || address > 255)
            return usage(QStringLiteral("--address takes a number 0..255"));
        s.DeviceAddress = address;
    }
    return s;
}

CliLink::CliLink(CliContext& cli)
    : interaction(cli.err), m_cli(cli), m_workspace(interaction, nullptr) {
    QObject::connect(&m_workspace.link(), &Link::gaveUp, &m_workspace, [this] { m_gaveUp = true; });
    QObject::connect(&m_workspace.link(), &Link::portLost, &m_workspace,
                     [this](const QString& reason) {
                         m_cli.err << "q7400ctl: the port was closed: " << reason << '\n';
                         m_cli.err.flush();
                     });
}

CliLink::~CliLink() {
    m_workspace.setPort(nullptr);
    if (m_port)
        m_port->close();
}

int CliLink::open() {
    int status = ExitStatus::Ok;
    m_workspace.settings = linkSettings(m_cli, &status);
    if (status != ExitStatus::Ok)
        return status;
    const PortSettings& settings = m_workspace.settings;
    m_workspace.setLanguageOffset(m_cli.languageOffset());
    m_workspace.link().DeviceAddress = settings.DeviceAddress;

    const QString device = resolvePortDevice(settings.PortNumber);
    m_port = std::make_unique<QtSerialPort>(device);
    m_port->setSettings(settings.SettingsText);
    if (!m_port->open()) {
        m_cli.err << "q7400ctl: " << openFailureMessage(m_port->errorNumber(), m_port->errorText())
                  << '\n';
        return ExitStatus::NoAnswer;
    }
    m_workspace.setPort(m_port.get());
    return ExitStatus::Ok;
}

int CliLink::openAndReadFirmware() {
    if (const int status = open())
        return status;
    m_workspace.services().PrepareLink();
    return m_workspace.services().ReadFirmwareVersion() ? ExitStatus::Ok : noAnswer();
}

int CliLink::noAnswer() {
    if (!m_gaveUp)
        m_cli.err << "q7400ctl: " << m_workspace.texts.LoadText(455) << '\n';
    return ExitStatus::NoAnswer;
}
