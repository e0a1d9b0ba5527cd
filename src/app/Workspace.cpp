#include "app/Workspace.h"

#include "base/Interaction.h"

#include "device/DeviceServices.h"
#include "device/Transfers.h"
#include "link/Link.h"
#include "link/SerialPort.h"

#include <QFileInfo>

Workspace::Workspace(Interaction& interaction, SerialPort* port, QObject* parent)
    : DeviceData(interaction, parent), m_interaction(interaction) {
    m_link = std::make_unique<Link>(interaction, texts);
    m_link->setPort(port);
    m_services = std::make_unique<DeviceServices>(*m_link, table, image, memory, identification);
    m_transfers = std::make_unique<Transfers>(*m_services, *m_link, interaction, texts, gate(),
                                              table, image, memory, identification);
    connect(m_transfers.get(), &Transfers::attributesDecoded, this, [this] {
        UpdateInputNames(table, texts, identification);
        ShowFeatureCode();
        announceIdentificationChanged();
    });
    connect(m_transfers.get(), &Transfers::imageRead, this, &Workspace::announceImageReplaced);
    connect(&configuration, &ConfigurationModel::featureCodeChosen, this,
            &Workspace::ShowFeatureCode);
    connect(m_transfers.get(), &Transfers::configurationFileNameChanged, this,
            [this](const QString& shown) {
                ConfigurationFileName = shown;
                Q_EMIT configurationFileNameChanged(shown);
            });
    connect(m_services.get(), &DeviceServices::firmwareVersionRead, this,
            &Workspace::announceIdentificationChanged);
    connect(m_link.get(), &Link::deviceErrorsDecoded, this,
            [this] { setDeviceErrors(deviceErrorsOfWords(m_link->DeviceErrorWords)); });
}

Workspace::~Workspace() = default;

void Workspace::setPort(SerialPort* port) {
    m_link->setPort(port);
}

bool Workspace::openPort(SerialPort* port) {
    setPort(nullptr);
    port->setSettings(settings.SettingsText);
    // Stray bytes complete nothing until the first request sets the length it expects.
    m_link->ExpectedLength = 1000;
    const bool opened = port->open();
    if (opened)
        setPort(port);
    else
        m_interaction.inform(QStringLiteral("Error"),
                             openFailureMessage(port->errorNumber(), port->errorText()),
                             Interaction::Icon::Critical);
    PortUnavailable = !opened;
    Q_EMIT portStateChanged();
    return opened;
}

bool Workspace::portReady() const {
    return m_link->portReady();
}

void Workspace::setDeviceAddress(int address) {
    if (address < 0 || address > 255)
        address = 0;
    if (address == m_link->DeviceAddress && address == settings.DeviceAddress)
        return;
    m_link->DeviceAddress = address;
    settings.DeviceAddress = address;
    Q_EMIT deviceAddressChanged(address);
}

void Workspace::setLanguageOffset(int offset) {
    settings.LanguageOffset = Texts::normalisedOffset(offset);
    DeviceData::setLanguageOffset(offset);
}

void Workspace::DecodeAttributes(int attributes) {
    ::DecodeAttributes(identification, attributes);
    UpdateInputNames(table, texts, identification);
    ShowFeatureCode();
    announceIdentificationChanged();
}

void Workspace::ShowFeatureCode() {
    Q_EMIT featureCodeShown(featureCodeText(identification, texts),
                            featureMenuEntry(identification));
    if (featureCodeShowsFirmware(identification))
        Q_EMIT firmwareShown(firmwareText(identification.FirmwareVersion));
}

ConfigurationFileResult Workspace::OpenConfigurationFile(const QString& path) {
    ConfigurationFileResult result = ReadConfigurationFile(path, image, identification, table);
    if (result.attributesDecoded) {
        UpdateInputNames(table, texts, identification);
        ShowFeatureCode();
        announceIdentificationChanged();
    }
    if (result.ok) {
        ConfigurationFileName = ShortenedPath(path);
        announceImageReplaced();
        Q_EMIT configurationLoaded();
        Q_EMIT configurationFileNameChanged(ConfigurationFileName);
    }
    return result;
}

ConfigurationFileResult Workspace::SaveConfigurationFile(const QString& path) {
    // Attribute bit 5 clear = eight channels.
    const int attributes = cellByte(image.value(IdentificationRows::Attributes, 1));
    const bool eight = (identification.ModuleVariant & 2) != 0;
    DeviceImage saved = image;
    if (eight == ((attributes & 0x20) != 0))
        saved.setValue(IdentificationRows::Attributes, 1, attributes ^ 0x20);
    ConfigurationFileResult result = WriteConfigurationFile(path, saved, table);
    if (result.ok) {
        ConfigurationFileName = ShortenedPath(path);
        Q_EMIT configurationFileNameChanged(ConfigurationFileName);
    }
    return result;
}

bool Workspace::OpenConfigurationCommand() {
    const QString path =
        m_interaction.openFileName(texts.LoadText(151), ConfigurationFile::filter());
    if (path.isEmpty())
        return false;
    const ConfigurationFileResult result = OpenConfigurationFile(path);
    if (!result.ok)
        m_interaction.inform(QStringLiteral("Error"), result.message, Interaction::Icon::Critical);
    return result.ok;
}

bool Workspace::SaveConfigurationCommand() {
    QString path = m_interaction.saveFileName(texts.LoadText(152), ConfigurationFile::filter());
    if (path.isEmpty())
        return false;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".tvk");
    const ConfigurationFileResult result = SaveConfigurationFile(path);
    if (!result.ok)
        m_interaction.inform(QStringLiteral("Error"), result.message, Interaction::Icon::Critical);
    return result.ok;
}
