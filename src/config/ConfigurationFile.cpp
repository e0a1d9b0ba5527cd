#include "config/ConfigurationFile.h"

#include "base/SafeWrite.h"
#include "device/DeviceImage.h"
#include "device/Identification.h"
#include "device/ParameterTable.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStringDecoder>

#include <cmath>

namespace {
constexpr int kCtRatioEntry = 38;
constexpr int kCtRatioLines = 8;
// Far more than any configuration file; protects against opening something else by mistake.
constexpr qint64 kMaxFileSize = 1 << 20;

QString shown(const QString& path) {
    return QDir::toNativeSeparators(path);
}

// Names are written as UTF-8; files of older tools use a Windows code page, which is read as
// Latin-1 (the names are not used when loading anyway).
QString decodeText(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8(bytes);
    if (!utf8.hasError())
        return text;
    return QString::fromLatin1(bytes);
}

QString failure(ConfigurationFileResult* r, const QString& message) {
    r->ok = false;
    r->message = message;
    return message;
}
} // namespace

QString ConfigurationFile::filter() {
    return QStringLiteral("TVK Files (*.tvk);;All Files (*)");
}

int ConfigurationFile::valueCount(const ParameterTable& table, int p) {
    return p == kCtRatioEntry ? kCtRatioLines : table[p].Count;
}

QString ConfigurationFile::formatNumber(double v) {
    if (!std::isfinite(v))
        return QStringLiteral("0");
    if (v == std::trunc(v) && std::fabs(v) < 1e15)
        return QString::number(qint64(v));
    return QString::number(v, 'g', QLocale::FloatingPointShortest);
}

QVariant ConfigurationFile::parseItem(const QString& line) {
    const QString item = line.trimmed();
    if (item.startsWith(u'"')) {
        const qsizetype end = item.indexOf(u'"', 1);
        return end < 0 ? item.mid(1) : item.mid(1, end - 1);
    }
    static const QRegularExpression number(
        QStringLiteral("^[+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?$"));
    if (!number.match(item).hasMatch())
        return item;
    bool ok = false;
    const int whole = item.toInt(&ok);
    if (ok)
        return whole;
    const double v = item.toDouble(&ok);
    return ok && std::isfinite(v) ? QVariant(v) : QVariant(item);
}

QList<ConfigurationFileEntry> ReadConfigurationEntries(const QString& path,
                                                       const ParameterTable& table,
                                                       ConfigurationFileResult* result) {
    ConfigurationFileResult local;
    ConfigurationFileResult* r = result ? result : &local;
    *r = ConfigurationFileResult{};
    QList<ConfigurationFileEntry> entries;

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        failure(r, QStringLiteral("The configuration file \"%1\" could not be opened: %2.")
                       .arg(shown(path), file.errorString()));
        return entries;
    }
    if (file.size() > kMaxFileSize) {
        failure(r, QStringLiteral("\"%1\" is not a configuration file: it is too large.")
                       .arg(shown(path)));
        return entries;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        failure(r, QStringLiteral("The configuration file \"%1\" could not be read: %2.")
                       .arg(shown(path), file.errorString()));
        return entries;
    }
    QStringList lines = decodeText(bytes).split(u'\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast(); // the line break after the last item
    for (QString& line : lines)
        if (line.endsWith(u'\r'))
            line.chop(1);

    qsizetype next = 0;
    for (int p = ConfigurationFile::FirstEntry; p <= ConfigurationFile::LastEntry; ++p) {
        const int count = ConfigurationFile::valueCount(table, p);
        if (next + 1 + count > lines.size()) {
            failure(r, QStringLiteral("The configuration file \"%1\" ends early: entry %2 (%3) "
                                      "is incomplete.")
                           .arg(shown(path))
                           .arg(p)
                           .arg(table[p].Name));
            return entries;
        }
        ConfigurationFileEntry e;
        e.entry = p;
        e.name = ConfigurationFile::parseItem(lines[next++]).toString();
        for (int i = 0; i < count; ++i)
            e.values.append(ConfigurationFile::parseItem(lines[next++]));
        entries.append(e);
        r->entriesRead = p;
    }
    r->ok = true;
    return entries;
}

ConfigurationFileResult ReadConfigurationFile(const QString& path, DeviceImage& image,
                                              Identification& identification,
                                              const ParameterTable& table) {
    ConfigurationFileResult result;
    const QList<ConfigurationFileEntry> entries = ReadConfigurationEntries(path, table, &result);
    for (const ConfigurationFileEntry& e : entries) {
        for (int i = 0; i < e.values.size(); ++i)
            image.cell(e.entry, i + 1) = e.values[i];
        if (e.entry == IdentificationRows::Attributes) {
            DecodeAttributes(identification,
                             int(image.value(IdentificationRows::Attributes, 1)) & 0xFF);
            result.attributesDecoded = true;
        }
    }
    if (!result.ok) {
        if (result.entriesRead > 0)
            result.message += QStringLiteral(" The entries before it were loaded; the later ones "
                                             "are unchanged.");
        return result;
    }
    if (!hasTemperatureInputs(identification))
        for (int k = 1; k <= 8; ++k)
            image.setValue(IdentificationRows::SensorType, k,
                           int(image.value(IdentificationRows::SensorType, k)) & 3);
    UpdateExternalCurrentInputs(identification, image);
    return result;
}

ConfigurationFileResult WriteConfigurationFile(const QString& path, const DeviceImage& image,
                                               const ParameterTable& table) {
    ConfigurationFileResult result;
    QByteArray text;
    for (int p = ConfigurationFile::FirstEntry; p <= ConfigurationFile::LastEntry; ++p) {
        QString name = table[p].Name;
        name.replace(u'"', u'\''); // a quote would end the item early
        text += '"' + name.toUtf8() + "\"\r\n";
        const int count = ConfigurationFile::valueCount(table, p);
        for (int i = 1; i <= count; ++i)
            text += ConfigurationFile::formatNumber(image.value(p, i)).toLatin1() + "\r\n";
    }

    const SafeWriteResult written = writeFileSafely(path, text);
    if (!written.opened) {
        failure(&result, QStringLiteral("The configuration file \"%1\" could not be written: %2.")
                             .arg(shown(path), written.reason));
        return result;
    }
    if (!written.ok) {
        failure(&result, QStringLiteral("The configuration file \"%1\" could not be written: %2. "
                                        "An existing file of that name was left unchanged.")
                             .arg(shown(path), written.reason));
        return result;
    }
    result.ok = true;
    result.entriesRead = ConfigurationFile::LastEntry;
    return result;
}

QString ShortenedPath(const QString& path) {
    if (path.size() > 28)
        return QStringLiteral("...") + path.right(25);
    return path;
}
