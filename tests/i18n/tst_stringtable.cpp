#include "i18n/StringTable.h"

#include <QSet>
#include <QtTest>

namespace {
// Base numbers that carry no text ("-"), as English has them.
QSet<int> placeholderNumbers() {
    QSet<int> set;
    for (int base = StringTable::FirstBase; base <= StringTable::LastBase; ++base)
        if (StringTable::builtIn().entry(base + 1000) == QLatin1String("-"))
            set.insert(base);
    return set;
}
} // namespace

class tst_StringTable : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void everyNumberInEveryLanguage() {
        const StringTable& t = StringTable::builtIn();
        QCOMPARE(t.size(), StringTable::BaseCount * StringTable::LanguageCount);
        for (int language = 0; language < StringTable::LanguageCount; ++language)
            for (int base = StringTable::FirstBase; base <= StringTable::LastBase; ++base)
                QVERIFY2(t.contains(base + 1000 * language),
                         qPrintable(QStringLiteral("%1 missing in %2")
                                        .arg(base)
                                        .arg(StringTable::languageCode(language))));
    }

    void placeholdersAtTheSamePlaces() {
        const StringTable& t = StringTable::builtIn();
        const QSet<int> expected = placeholderNumbers();
        QCOMPARE(expected.size(), 108); // a text lost in every language shows here
        for (int language = 0; language < StringTable::LanguageCount; ++language) {
            QSet<int> found;
            for (int base = StringTable::FirstBase; base <= StringTable::LastBase; ++base)
                if (t.entry(base + 1000 * language) == QLatin1String("-"))
                    found.insert(base);
            QCOMPARE(found, expected);
        }
    }

    void translationsDifferFromEnglish_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<QList<int>>("sameAsEnglish");
        // Numbers, port names, model and function names a translator keeps as they are.
        const QList<int> common = {145, 161, 162, 164, 165, 166, 167, 207, 208, 311, 359, 505};
        QTest::newRow("fr") << 2 << (common + QList<int>{154});
        QTest::newRow("it") << 3 << (common + QList<int>{150, 257, 296});
    }
    void translationsDifferFromEnglish() {
        QFETCH(int, language);
        QFETCH(QList<int>, sameAsEnglish);
        const StringTable& t = StringTable::builtIn();
        const QSet<int> placeholders = placeholderNumbers();
        for (int base = StringTable::FirstBase; base <= StringTable::LastBase; ++base) {
            if (placeholders.contains(base))
                continue;
            const bool same = t.entry(base + 1000 * language) == t.entry(base + 1000);
            QVERIFY2(same == sameAsEnglish.contains(base),
                     qPrintable(QStringLiteral("%1: \"%2\"").arg(base).arg(t.entry(base + 1000))));
        }
    }

    void translationsKeepBlanksAndLineBreaks() {
        // Texts are joined into messages and columns; the translations must keep the padding and
        // line breaks of the English text.
        const StringTable& t = StringTable::builtIn();
        auto blanks = [](const QString& s) {
            qsizetype head = 0, tail = 0;
            while (head < s.size() && s[head] == u' ')
                ++head;
            while (tail < s.size() - head && s[s.size() - 1 - tail] == u' ')
                ++tail;
            return qMakePair(head, tail);
        };
        for (int base = StringTable::FirstBase; base <= StringTable::LastBase; ++base) {
            const QString en = t.entry(base + 1000);
            for (int language : {2, 3}) {
                const QString tr = t.entry(base + 1000 * language);
                QVERIFY2(blanks(tr) == blanks(en), qPrintable(QString::number(base)));
                QCOMPARE(tr.count(u'\n'), en.count(u'\n'));
            }
        }
    }

    void loadText_data() {
        QTest::addColumn<int>("offset");
        QTest::addColumn<int>("base");
        QTest::addColumn<QString>("expected");
        QTest::newRow("German") << 0 << 100 << "Sollwert";
        QTest::newRow("English") << 1000 << 455 << "No communication possible";
        QTest::newRow("blanks kept") << 1000 << 236 << "Device feature code:  ";
        QTest::newRow("line break") << 1000 << 543 << " => PC], \nor load with [File open], ";
        QTest::newRow("umlaut") << 0 << 189 << "Parametersätze";
        QTest::newRow("below the table") << 1000 << 99 << "#99";
        QTest::newRow("above the table") << 3000 << 999 << "#999";
    }
    void loadText() {
        QFETCH(int, offset);
        QFETCH(int, base);
        QFETCH(QString, expected);
        Texts texts;
        texts.setLanguageOffset(offset);
        QCOMPARE(texts.LoadText(base), expected);
    }

    void languageOffsetFallsBackToGerman_data() {
        QTest::addColumn<int>("offset");
        QTest::addColumn<int>("expected");
        QTest::newRow("3000") << 3000 << 3000;
        QTest::newRow("500") << 500 << 0;
        QTest::newRow("4000") << 4000 << 0;
        QTest::newRow("-1000") << -1000 << 0;
    }
    void languageOffsetFallsBackToGerman() {
        QFETCH(int, offset);
        QFETCH(int, expected);
        Texts texts;
        texts.setLanguageOffset(offset);
        QCOMPARE(texts.LanguageOffset, expected);
    }

    void parseRejectsMalformedLines_data() {
        QTest::addColumn<QString>("source");
        QTest::newRow("unknown language") << "100 xx \"a\"";
        QTest::newRow("number out of range") << "557 de \"a\"";
        QTest::newRow("missing quotes") << "100 de a";
        QTest::newRow("bad escape") << "100 de \"a\\t\"";
        QTest::newRow("duplicate") << "100 de \"a\"\n100 de \"b\"";
    }
    void parseRejectsMalformedLines() {
        QFETCH(QString, source);
        QString error;
        const StringTable t = StringTable::parse(source, &error);
        QVERIFY(!error.isEmpty());
        QCOMPARE(t.size(), 0);
    }

    void parseUndoesEscapes() {
        QString error;
        const StringTable t = StringTable::parse(
            QStringLiteral("# comment\r\n\r\n100 en \"  a \\\"b\\\"\\nc\\\\ \"\r\n"), &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QCOMPARE(t.entry(1100), QStringLiteral("  a \"b\"\nc\\ "));
    }
};

QTEST_GUILESS_MAIN(tst_StringTable)
#include "tst_stringtable.moc"
