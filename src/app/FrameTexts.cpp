#include "app/FrameTexts.h"

#include "device/DeviceImage.h"
#include "device/ParameterBlocks.h"
#include "i18n/StringTable.h"

QString programVersionText(int major, int minor) {
    return QStringLiteral("Version: %1.%2").arg(major).arg(minor);
}

QString parameterSetIdPanelText(const std::array<quint8, 6>& id) {
    return QStringLiteral("Param ID:  ") + parameterSetIdText(id);
}

QStringList deviceErrorLines(const Texts& texts, int errorWord) {
    QStringList lines;
    for (int bit = 0; bit < 16; ++bit)
        if (errorWord & (1 << bit))
            lines.append(texts.LoadText(370 + bit));
    return lines;
}

QString deviceErrorText(const Texts& texts, int errorWord) {
    QString text;
    for (const QString& line : deviceErrorLines(texts, errorWord))
        text += line + u'\n';
    return text;
}

QStringList channelErrorLines(const Texts& texts, int channel, int errorWord) {
    QStringList lines{texts.LoadText(254) + QString::number(channel)};
    for (int bit = 0; bit < 16; ++bit)
        if (errorWord & (1 << bit))
            lines.append(texts.LoadText(334 + bit));
    return lines;
}

QString welcomeText(const Texts& texts, const QString& deviceType) {
    return texts.LoadText(542) + deviceType + texts.LoadText(543) + texts.LoadText(545);
}

MenuVisibility menuVisibility(int firmwareVersion, int attributesByte) {
    MenuVisibility v;
    v.parameterBlocks = firmwareVersion > 0x48 && (attributesByte & 0x10) != 0;
    v.featureB2 = firmwareVersion > 0x52;
    v.password = firmwareVersion == 0;
    v.alarmHistory = firmwareVersion >= 0x30;
    return v;
}

ChannelOverview channelOverview(const DeviceImage& image, int channel) {
    const int function = truncatedInt(image.value(26, channel)) & 0xFFFF;
    const int configuration = truncatedInt(image.value(27, channel)) & 0xFFFF;
    ChannelOverview o;
    o.group = (configuration & 0x600) / 512;
    o.optimising = (function & 0x80) != 0;
    o.on = (function & 0x40) != 0;
    return o;
}

QString groupText(int group) {
    return group == 0 ? QStringLiteral("no") : QString::number(group);
}

QString readCaption(const QString& deviceType) {
    return deviceType + QStringLiteral(" => PC");
}

QString writeCaption(const QString& deviceType) {
    return QStringLiteral("PC => ") + deviceType;
}

QString notAvailableText(const Texts& texts) {
    static const char* const text[] = {"Noch nicht verfügbar", "Not available yet",
                                       "Pas encore disponible", "Non ancora disponibile"};
    return QString::fromUtf8(text[texts.languageIndex()]);
}

QString staleDataMark(const Texts& texts) {
    static const char* const text[] = {"Vorheriger Regler", "Previous controller",
                                       "Régulateur précédent", "Regolatore precedente"};
    return texts.inLanguage(text);
}

QString staleDataText(const Texts& texts, const QString& controller) {
    static const char* const text[] = {
        "Angezeigt vom vorherigen Regler (%1): Firmware, Parametersatz-ID und Fehlermarken. "
        "Neu lesen, um sie zu aktualisieren.",
        "Shown from the previous controller (%1): firmware, parameter set ID and error marks. "
        "Read again to refresh them.",
        "Affiché du régulateur précédent (%1) : firmware, ID du jeu de paramètres et marques "
        "d'erreur. Relire pour les actualiser.",
        "Mostrato dal regolatore precedente (%1): firmware, ID del set di parametri e segni di "
        "errore. Rileggere per aggiornarli."};
    return texts.inLanguage(text).arg(controller);
}

QString simulatorNoticeText(const Texts& texts) {
    static const char* const text[] = {
        "SIMULATOR – kein echter Regler", "SIMULATOR – not a real controller",
        "SIMULATEUR – pas un vrai régulateur", "SIMULATORE – non è un vero regolatore"};
    return QString::fromUtf8(text[texts.languageIndex()]);
}
