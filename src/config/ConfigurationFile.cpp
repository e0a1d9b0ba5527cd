#include "config/ConfigurationFile.h"

#include "base/SafeRead.h"
#include "base/SafeWrite.h"
#include "device/DeviceImage.h"
#include "device/Identification.h"
#include "device/ParameterTable.h"
#include "i18n/StringTable.h"

#include <QDir>
#include <QStringDecoder>

#include <algorithm>
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

bool isDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

// An optional sign, digits with at most one period (at least one digit), and an optional
// exponent with digits: "12", "-12.5", ".5", "5.", "1e-05".
bool isDecimalNumber(QStringView s) {
    qsizetype i = 0;
    const qsizetype n = s.size();
    const auto skipDigits = [&] {
        const qsizetype from = i;
        while (i < n && isDigit(s[i]))
            ++i;
        return i - from;
    };
    if (i < n && (s[i] == u'+' || s[i] == u'-'))
        ++i;
    qsizetype digits = skipDigits();
    if (i < n && s[i] == u'.') {
        ++i;
        digits += skipDigits();
    }
    if (digits == 0)
        return false;
    if (i < n && (s[i] == u'e' || s[i] == u'E')) {
        ++i;
        if (i < n && (s[i] == u'+' || s[i] == u'-'))
            ++i;
        if (skipDigits() == 0)
            return false;
    }
    return i == n;
}

ConfigurationFileResult unreadable(const SafeReadResult& read) {
    ConfigurationFileResult result;
    failure(&result,
            QStringLiteral("The configuration file could not be read: %1").arg(read.reason));
    return result;
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

QVariant ConfigurationFile::parseItem(QStringView line) {
    const QStringView item = line.trimmed();
    if (item.startsWith(u'"')) {
        const qsizetype end = item.indexOf(u'"', 1);
        return (end < 0 ? item.mid(1) : item.mid(1, end - 1)).toString();
    }
    if (!isDecimalNumber(item))
        return item.toString();
    bool ok = false;
    const int whole = item.toInt(&ok);
    if (ok)
        return whole;
    const double v = item.toDouble(&ok);
    return ok && std::isfinite(v) ? QVariant(v) : QVariant(item.toString());
}

QList<ConfigurationFileEntry> ReadConfigurationEntries(const QString& path,
                                                       const ParameterTable& table,
                                                       ConfigurationFileResult* result) {
    const SafeReadResult read = readRegularFile(path, kMaxFileSize);
    if (!read.ok) {
        if (result)
            *result = unreadable(read);
        return {};
    }
    return ParseConfigurationEntries(read.bytes, path, table, result);
}

QList<ConfigurationFileEntry> ParseConfigurationEntries(const QByteArray& bytes,
                                                        const QString& path,
                                                        const ParameterTable& table,
                                                        ConfigurationFileResult* result) {
    ConfigurationFileResult local;
    ConfigurationFileResult* r = result ? result : &local;
    *r = ConfigurationFileResult{};
    QList<ConfigurationFileEntry> entries;
    entries.reserve(ConfigurationFile::LastEntry);
    // The lines as views into the text; a line break after the last item ends it.
    const QString text = decodeText(bytes);
    QList<QStringView> lines;
    lines.reserve(text.count(u'\n') + 1);
    for (qsizetype from = 0; from < text.size();) {
        qsizetype end = text.indexOf(u'\n', from);
        if (end < 0)
            end = text.size();
        QStringView line = QStringView(text).mid(from, end - from);
        if (line.endsWith(u'\r'))
            line.chop(1);
        lines.append(line);
        from = end + 1;
    }

    qsizetype next = 0;
    for (int p = ConfigurationFile::FirstEntry; p <= ConfigurationFile::LastEntry; ++p) {
        const int count = ConfigurationFile::valueCount(table, p);
        if (next + 1 + count > lines.size()) {
            failure(r, QStringLiteral("The configuration file \"%1\" ends early: entry %2 (%3) "
                                      "is incomplete.")
                           .arg(shown(path))
                           .arg(p)
                           .arg(table[p].Name.trimmed()));
            return entries;
        }
        ConfigurationFileEntry e;
        e.entry = p;
        e.name = ConfigurationFile::parseItem(lines[next++]).toString();
        e.values.reserve(count);
        for (int i = 0; i < count; ++i) {
            const QVariant value = ConfigurationFile::parseItem(lines[next++]);
            if (value.typeId() == QMetaType::QString) {
                const QString item = value.toString();
                bool overflow = false;
                ValueOfText(item, &overflow);
                (overflow ? r->tooLarge : r->notNumbers).append({p, i + 1, item});
            }
            e.values.append(value);
        }
        entries.append(std::move(e));
        r->entriesRead = p;
    }
    r->ok = true;
    return entries;
}

ConfigurationFileResult ReadConfigurationFile(const QString& path, DeviceImage& image,
                                              Identification& identification,
                                              const ParameterTable& table) {
    const SafeReadResult read = readRegularFile(path, kMaxFileSize);
    if (!read.ok)
        return unreadable(read);
    return LoadConfiguration(read.bytes, path, image, identification, table);
}

ConfigurationFileResult LoadConfiguration(const QByteArray& bytes, const QString& path,
                                          DeviceImage& image, Identification& identification,
                                          const ParameterTable& table) {
    ConfigurationFileResult result;
    const QList<ConfigurationFileEntry> entries =
        ParseConfigurationEntries(bytes, path, table, &result);
    if (!result.ok)
        return result; // nothing has changed
    for (const ConfigurationFileEntry& e : entries)
        for (int i = 0; i < e.values.size(); ++i)
            image.cell(e.entry, i + 1) = e.values[i];
    DecodeAttributes(identification,
                     truncatedInt(image.value(IdentificationRows::Attributes, 1)) & 0xFF);
    result.attributesDecoded = true;
    LimitSensorTypesToModule(identification, image);
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
        for (int i = 1; i <= count; ++i) {
            const double value = image.value(p, i);
            if (!std::isfinite(value)) {
                failure(&result,
                        QStringLiteral("The configuration file \"%1\" was not written: entry %2 "
                                       "(%3), value %4: \"%5\" is not a number the file can "
                                       "hold.")
                            .arg(shown(path), QString::number(p), table[p].Name.trimmed(),
                                 QString::number(i), image.cell(p, i).toString()));
                return result;
            }
            text += ConfigurationFile::formatNumber(value).toLatin1() + "\r\n";
        }
    }

    const SafeWriteResult written = writeFileSafely(path, text);
    if (!written.opened) {
        failure(&result, QStringLiteral("The configuration file \"%1\" could not be written: %2")
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

QString valuesNotNumbersText(const ConfigurationFileResult& result, const ParameterTable& table,
                             const Texts& texts) {
    static const char* const notNumbers[] = {
        "Diese Werte der Datei sind keine Zahlen; sie bleiben Text und zählen als die Zahl, mit "
        "der sie beginnen (sonst 0):",
        "These values of the file are not numbers; they stay text and count as the number they "
        "begin with (else 0):",
        "Ces valeurs du fichier ne sont pas des nombres ; elles restent du texte et comptent "
        "comme le nombre par lequel elles commencent (sinon 0) :",
        "Questi valori del file non sono numeri; restano testo e valgono il numero con cui "
        "iniziano (altrimenti 0):"};
    static const char* const tooLarge[] = {
        "Diese Werte der Datei sind zu groß; Schreiben und Speichern lehnen sie ab:",
        "These values of the file are too large; writing and saving refuse them:",
        "Ces valeurs du fichier sont trop grandes ; l'écriture et l'enregistrement les "
        "refusent :",
        "Questi valori del file sono troppo grandi; la scrittura e il salvataggio li "
        "rifiutano:"};
    // At most this many values are listed per kind; a damaged file could have thousands.
    constexpr int kListed = 12;
    const auto list = [&](const QList<ConfigurationFileValue>& values, const QString& heading) {
        if (values.isEmpty())
            return QString();
        QString text = heading;
        for (int i = 0; i < std::min<int>(kListed, int(values.size())); ++i) {
            const ConfigurationFileValue& v = values[i];
            QString value = v.text;
            if (value.size() > 24)
                value = value.left(20) + QStringLiteral("...");
            text += QStringLiteral("\n  %1 %2, %3: \"%4\"")
                        .arg(QString::number(v.entry), table[v.entry].Name.trimmed(),
                             QString::number(v.number), value);
        }
        if (values.size() > kListed)
            text += QStringLiteral("\n  ... (%1)").arg(values.size());
        return text + u'\n';
    };
    return (list(result.notNumbers, texts.inLanguage(notNumbers)) +
            list(result.tooLarge, texts.inLanguage(tooLarge)))
        .trimmed();
}

QString ShortenedPath(const QString& path) {
    if (path.size() > 28)
        return QStringLiteral("...") + path.right(25);
    return path;
}
