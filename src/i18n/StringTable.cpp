#include "i18n/StringTable.h"

#include <QFile>
#include <QRegularExpression>

namespace {
const char* const kLanguageCodes[] = {"de", "en", "fr", "it"};

// Undoes the escapes of the text form: \n, \" and \\.
bool unescape(QStringView quoted, QString* out) {
    out->clear();
    out->reserve(quoted.size());
    for (qsizetype i = 0; i < quoted.size(); ++i) {
        const QChar c = quoted[i];
        if (c != u'\\') {
            out->append(c);
            continue;
        }
        if (++i >= quoted.size())
            return false;
        switch (quoted[i].unicode()) {
        case u'n':
            out->append(u'\n');
            break;
        case u'"':
            out->append(u'"');
            break;
        case u'\\':
            out->append(u'\\');
            break;
        default:
            return false;
        }
    }
    return true;
}
} // namespace

QString StringTable::languageCode(int languageIndex) {
    if (languageIndex < 0 || languageIndex >= LanguageCount)
        return {};
    return QString::fromLatin1(kLanguageCodes[languageIndex]);
}

int StringTable::languageIndex(const QString& code) {
    for (int i = 0; i < LanguageCount; ++i)
        if (code == QLatin1String(kLanguageCodes[i]))
            return i;
    return -1;
}

StringTable StringTable::parse(const QString& source, QString* error) {
    static const QRegularExpression line(QStringLiteral(R"re(^(\d+)\s+([a-z]{2})\s+"(.*)"\s*$)re"));
    StringTable table;
    const QStringList lines = source.split(u'\n');
    for (int i = 0; i < lines.size(); ++i) {
        QString text = lines[i];
        if (text.endsWith(u'\r'))
            text.chop(1);
        if (text.trimmed().isEmpty() || text.trimmed().startsWith(u'#'))
            continue;
        const auto m = line.match(text);
        QString value;
        const int language = m.hasMatch() ? languageIndex(m.captured(2)) : -1;
        const int base = m.hasMatch() ? m.captured(1).toInt() : 0;
        const int number = base + 1000 * language;
        if (language < 0 || base < FirstBase || base > LastBase ||
            !unescape(m.capturedView(3), &value) || table.m_entries.contains(number)) {
            if (error)
                *error = QStringLiteral("line %1: %2").arg(i + 1).arg(text);
            return {};
        }
        table.m_entries.insert(number, value);
    }
    if (error)
        error->clear();
    return table;
}

const StringTable& StringTable::builtIn() {
    static const StringTable table = [] {
        QFile file(QStringLiteral(":/i18n/strings.txt"));
        if (!file.open(QIODevice::ReadOnly))
            qFatal("The built-in text table is missing from the program.");
        QString error;
        StringTable parsed = parse(QString::fromUtf8(file.readAll()), &error);
        if (!error.isEmpty())
            qFatal("The built-in text table is damaged at %s", qPrintable(error));
        return parsed;
    }();
    return table;
}

int Texts::normalisedOffset(int offset) {
    return (offset == 0 || offset == 1000 || offset == 2000 || offset == 3000) ? offset : 0;
}

QString Texts::LoadText(int base) const {
    const int number = base + LanguageOffset;
    if (!m_table->contains(number))
        return QStringLiteral("#%1").arg(base);
    return m_table->entry(number);
}
