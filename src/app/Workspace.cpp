#include "app/Workspace.h"

#include "base/Interaction.h"

#include "device/DeviceServices.h"
#include "device/Transfers.h"
#include "link/Link.h"
#include "params/Monitor.h"

#include <QFileInfo>

Workspace::Workspace(Interaction& interaction, SerialPort* port, QObject* parent)
    : QObject(parent), m_interaction(interaction) {
    table.BuildParameterTable(texts);
    m_link = std::make_unique<Link>(interaction, texts);
    m_link->setPort(port);
    m_services = std::make_unique<DeviceServices>(*m_link, table, image, memory, identification);
    m_transfers = std::make_unique<Transfers>(*m_services, *m_link, interaction, texts, table,
                                              image, memory, identification);
    m_monitor = std::make_unique<Monitor>(*m_services, image, identification, interaction, texts);
    connect(m_transfers.get(), &Transfers::attributesDecoded, this, [this] {
        UpdateInputNames(table, texts, identification);
        ShowFeatureCode();
    });
    connect(m_transfers.get(), &Transfers::configurationFileNameChanged, this,
            [this](const QString& shown) {
                ConfigurationFileName = shown;
                Q_EMIT configurationFileNameChanged(shown);
            });
}

Workspace::~Workspace() = default;

void Workspace::setPort(SerialPort* port) {
    m_link->setPort(port);
}

void Workspace::setLanguageOffset(int offset) {
    texts.setLanguageOffset(offset);
    settings.LanguageOffset = texts.LanguageOffset;
    table.BuildParameterTable(texts);
    UpdateInputNames(table, texts, identification);
}

void Workspace::DecodeAttributes(int attributes) {
    ::DecodeAttributes(identification, attributes);
    UpdateInputNames(table, texts, identification);
    ShowFeatureCode();
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
    }
    if (result.ok) {
        ConfigurationFileName = ShortenedPath(path);
        Q_EMIT configurationLoaded();
        Q_EMIT configurationFileNameChanged(ConfigurationFileName);
    }
    return result;
}

ConfigurationFileResult Workspace::SaveConfigurationFile(const QString& path) {
    ConfigurationFileResult result = WriteConfigurationFile(path, image, table);
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
