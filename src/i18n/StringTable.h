#pragma once

#include <QHash>
#include <QString>

// The program's four-language text table. Entry numbers are base number + language offset:
// German 100..556, English 1100..1556, French 2100..2556, Italian 3100..3556.
class StringTable {
public:
    static constexpr int FirstBase = 100;
    static constexpr int LastBase = 556;
    static constexpr int BaseCount = LastBase - FirstBase + 1;
    static constexpr int LanguageCount = 4;

    // The table compiled into the program.
    static const StringTable& builtIn();

    // Parses the text form: `<base> <de|en|fr|it> "<text>"` per line, '#' comments, blank lines.
    // On a malformed line the result is empty and *error says where.
    static StringTable parse(const QString& source, QString* error = nullptr);

    bool contains(int entry) const { return m_entries.contains(entry); }
    QString entry(int entry) const { return m_entries.value(entry); }
    int size() const { return int(m_entries.size()); }

    static QString languageCode(int languageIndex);
    static int languageIndex(const QString& code); // -1 when unknown

private:
    QHash<int, QString> m_entries;
};

// The language in use: `LoadText`(base) = entry base + `LanguageOffset`.
class Texts {
public:
    explicit Texts(const StringTable& table = StringTable::builtIn()) : m_table(&table) {}

    int LanguageOffset = 0;

    // A base number without an entry is a programming error; it shows as "#<base>" so it is
    // visible on screen instead of crashing or showing nothing.
    QString LoadText(int base) const;

    // Offsets other than 0, 1000, 2000 and 3000 fall back to German.
    static int normalisedOffset(int offset);
    void setLanguageOffset(int offset) { LanguageOffset = normalisedOffset(offset); }
    int languageIndex() const { return LanguageOffset / 1000; }

    const StringTable& table() const { return *m_table; }

    // A text of this program that the table does not hold, given in the four languages in
    // table order (de, en, fr, it), UTF-8.
    QString inLanguage(const char* const (&byLanguage)[StringTable::LanguageCount]) const {
        return QString::fromUtf8(byLanguage[languageIndex()]);
    }

private:
    const StringTable* m_table;
};
