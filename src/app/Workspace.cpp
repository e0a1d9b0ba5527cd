#include "app/Workspace.h"

#include "app/AsFound.h"
#include "app/Compare.h"
#include "app/Defaults.h"
#include "base/Interaction.h"
#include "device/DeviceServices.h"
#include "device/MemoryImageCodec.h"
#include "device/ParameterBlocks.h"
#include "device/Transfers.h"
#include "link/Link.h"
#include "link/SerialPort.h"
#include "params/Monitor.h"

#include <QFileInfo>

Workspace::Workspace(Interaction& interaction, SerialPort* port, QObject* parent)
    : DeviceData(interaction, parent), m_interaction(interaction) {
    m_link = std::make_unique<Link>(interaction, texts);
    m_link->setPort(port);
    m_services = std::make_unique<DeviceServices>(*m_link, table, image, memory, identification);
    m_transfers = std::make_unique<Transfers>(*m_services, *m_link, interaction, texts, gate(),
                                              table, image, memory, identification, record);
    m_monitor = std::make_unique<Monitor>(*this, *m_services, interaction);
    // Every way out of monitoring is its one complete stop; a mapping the controller runs is
    // polled (without a log) unless monitoring runs already.
    connect(this, &Workspace::monitoringStopRequested, m_monitor.get(), &Monitor::stop);
    connect(this, &Workspace::mappingStarted, m_monitor.get(), [this] {
        if (!m_monitor->isRunning())
            m_monitor->start();
    });
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
    // What the shown values came from, for the marks of stale and incomplete data.
    connect(m_services.get(), &DeviceServices::firmwareVersionRead, this, [this] {
        announceIdentificationChanged();
        if (!m_link->CommError) {
            identificationSource = m_link->controller();
            Q_EMIT dataStateChanged();
        }
    });
    connect(m_link.get(), &Link::deviceErrorsDecoded, this, [this] {
        errorsSource = m_link->controller();
        setDeviceErrors(deviceErrorsOfWords(m_link->DeviceErrorWords));
        Q_EMIT dataStateChanged();
    });
    connect(m_link.get(), &Link::controllerChanged, this, &Workspace::dataStateChanged);
    // A port that closed itself: device operations are disabled until another is opened.
    connect(m_link.get(), &Link::portLost, this, [this] {
        PortUnavailable = true;
        Q_EMIT portStateChanged();
    });
    connect(m_transfers.get(), &Transfers::progressFinished, this, &Workspace::dataStateChanged);
    m_transfers->setAsFoundKeeper(
        [this](const DeviceImage& asFound, int lastRow, int firmware, QString* error) {
            return keepAsFoundConfiguration(table, asFound, lastRow, m_link->DeviceAddress,
                                            firmware, error);
        });
    LoadStartupValues();
}

bool Workspace::identificationStale() const {
    return identificationSource.isValid() && identificationSource != m_link->controller();
}

bool Workspace::errorsStale() const {
    return errorsSource.isValid() && errorsSource != m_link->controller();
}

Workspace::~Workspace() = default;

void Workspace::LoadStartupValues() {
    SetStartupValues(identification, memory);
    LoadDefaultRawBlock(memory);
    LoadDefaultConfiguration(image, identification);
    UpdateExternalCurrentInputs(identification, image);
    CopyParameterSetId(identification, image);
    record.imageReplaced(0, DeviceImage::Rows - 1);
    // The memory image starts as the default configuration's (every default value fits).
    encodeMemoryImage(table, image, memory);
}

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
    m_link->setDeviceAddress(address);
    settings.DeviceAddress = address;
    Q_EMIT deviceAddressChanged(address);
}

void Workspace::setLanguageOffset(int offset) {
    settings.LanguageOffset = Texts::normalisedOffset(offset);
    m_qtTranslations.setLanguage(settings.LanguageOffset / 1000);
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
        record.imageReplaced(ConfigurationFile::FirstEntry, ConfigurationFile::LastEntry);
        Q_EMIT dataStateChanged();
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
    if (!result.ok) {
        m_interaction.inform(QStringLiteral("Error"), result.message, Interaction::Icon::Critical);
        return false;
    }
    const QString notNumbers = valuesNotNumbersText(result, table, texts);
    if (!notNumbers.isEmpty())
        m_interaction.inform(ShortenedPath(path), notNumbers, Interaction::Icon::Exclamation);
    return true;
}

bool Workspace::SaveConfigurationCommand() {
    if (record.imageIncomplete()) {
        static const char* const saveAnyway[] = {"Trotzdem speichern?", "Save anyway?",
                                                 "Enregistrer quand même ?", "Salvare comunque?"};
        if (m_interaction.ask(Interaction::Icon::Exclamation, Interaction::Buttons::OkCancel,
                              texts.LoadText(152),
                              incompleteReadText(record, texts) + QStringLiteral("\n\n") +
                                  texts.inLanguage(saveAnyway)) != Interaction::Answer::Ok)
            return false;
    }
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

namespace {
constexpr int kTextInvalidWld = 459;
constexpr int kWldSaveEntry = 152;
constexpr int kWldOpenEntry = 151;

QString wldCaption(const Texts& texts, int entry) {
    return QStringLiteral("WLD  ") + texts.LoadText(entry);
}
} // namespace

Workspace::Continuation Workspace::CommitParameterSetId(const ParameterSetIdEdit& edit) {
    if (edit.mode() == ParameterSetIdMode::WriteAll) {
        DeviceImage toWrite = image;
        storeParameterSetId(toWrite, edit.id());
        if (!ConfirmWrite(toWrite)) {
            CancelParameterSetId();
            return Continuation::Cancelled;
        }
    }
    for (int i = 0; i < ParameterSetIdEdit::Fields; ++i)
        setValue(IdentificationRows::ParameterSetId, i + 1, edit.id()[size_t(i)]);
    CopyParameterSetId(identification, image);
    announceIdentificationChanged();
    Q_EMIT parameterSetIdChanged();
    switch (edit.mode()) {
    case ParameterSetIdMode::EditOnly:
        return Continuation::Done;
    case ParameterSetIdMode::WriteAll:
        switch (transfers().WriteAll()) {
        case Transfers::Outcome::Done:
            return Continuation::Done;
        case Transfers::Outcome::Cancelled:
            return Continuation::Cancelled;
        default:
            return Continuation::Failed;
        }
    case ParameterSetIdMode::SaveConfiguration:
        return SaveConfigurationCommand() ? Continuation::Done : Continuation::Cancelled;
    case ParameterSetIdMode::SaveWld:
        return PrepareWldSave() ? Continuation::Done : Continuation::Failed;
    }
    return Continuation::Done;
}

void Workspace::CancelParameterSetId() {
    // A store of the parameter set waits for the write it was asked with.
    transfers().ParamSetCommand = 0;
}

bool Workspace::ConfirmWrite(const DeviceImage& toWrite) {
    static const char* const heading[] = {
        "Zeilen, die das Schreiben im Regler ändert:", "Rows the write changes in the controller:",
        "Lignes que l'écriture change dans le régulateur :",
        "Righe che la scrittura modifica nel regolatore:"};
    const QString text = texts.inLanguage(heading) + QStringLiteral("\n\n") +
                         transfers()
                             .previewWrite(toWrite)
                             .lines(texts, writePreviewValueText(*this, toWrite))
                             .join(u'\n');
    return m_interaction.ask(Interaction::Icon::Exclamation, Interaction::Buttons::OkCancel,
                             QStringLiteral("PC => ") + identification.DeviceType,
                             text) == Interaction::Answer::Ok;
}

bool Workspace::PrepareWldSave() {
    WriteRefusal refusal;
    if (encodeMemoryImage(table, image, memory, &refusal))
        return true;
    static const char* const notMade[] = {
        "Das Speicherabbild wurde nicht erstellt: ", "The memory image was not made: ",
        "L'image mémoire n'a pas été créée : ", "L'immagine di memoria non è stata creata: "};
    m_interaction.inform(wldCaption(texts, kWldSaveEntry), texts.inLanguage(notMade) + refusal.text,
                         Interaction::Icon::Critical);
    return false;
}

std::optional<WldContent> Workspace::OpenWldFile(const QString& path) {
    WldFileResult read = readWldFile(path);
    if (read.ok)
        return std::move(read.content);
    if (read.invalid) {
        const QString invalid = texts.LoadText(kTextInvalidWld);
        m_interaction.inform(invalid, invalid, Interaction::Icon::None);
    } else {
        m_interaction.inform(QStringLiteral("Error"), read.message, Interaction::Icon::Critical);
    }
    return std::nullopt;
}

std::optional<WldContent> Workspace::OpenWldCommand(QString* path) {
    *path = m_interaction.openFileName(wldCaption(texts, kWldOpenEntry), WldFile::filter());
    if (path->isEmpty())
        return std::nullopt;
    return OpenWldFile(*path);
}

void Workspace::TakeOverWld(const WldContent& content, const QString& path) {
    memory = content.memory;
    const WldBlockTime time = wld.BlockTime;
    wld = content.fields;
    if (!content.hasTime)
        wld.BlockTime = time;
    WldFileName = ShortenedPath(path);

    record.imageReplaced(1, ParameterCount);
    const int attributes = memory[MemoryImageLayout::Attributes];
    image.setValue(IdentificationRows::Attributes, 1, attributes);
    ::DecodeAttributes(identification, attributes);
    decodeMemoryImage(table, memory, identification.FirmwareVersion, image);
    ShowFeatureCode();
    LimitSensorTypesToModule(identification, image);
    UpdateExternalCurrentInputs(identification, image);
    UpdateInputNames(table, texts, identification);
    CopyParameterSetId(identification, image);
    announceIdentificationChanged();
    announceImageReplaced();
    Q_EMIT parameterSetIdChanged();
    Q_EMIT configurationLoaded();
    Q_EMIT configurationFileNameChanged(WldFileName);
}

bool Workspace::SaveWldFile(const QString& path, const WldHeaderFields& fields) {
    MemoryImage withCrc = memory;
    storeMemoryImageCrc(withCrc);
    const WldFileResult written = writeWldFile(path, withCrc, fields);
    if (!written.ok) {
        m_interaction.inform(QStringLiteral("Error"), written.message, Interaction::Icon::Critical);
        return false;
    }
    memory = withCrc;
    wld = fields;
    WldFileName = ShortenedPath(path);
    Q_EMIT configurationFileNameChanged(WldFileName);
    return true;
}

bool Workspace::SaveWldCommand(const WldHeaderFields& fields) {
    QString path = m_interaction.saveFileName(wldCaption(texts, kWldSaveEntry), WldFile::filter());
    if (path.isEmpty())
        return false;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".wld");
    return SaveWldFile(path, fields);
}
