#include "base/ColumnText.h"
#include "base/NumberText.h"

#include <QTest>

// Stored bytes and words of signed values, and the column writer.
class tst_NumberText : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // -1: cannot be stored.
    void storedValues_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("word");
        QTest::addColumn<int>("byte");
        QTest::newRow("-5") << -5.0 << 65531 << 251;
        QTest::newRow("-20") << -20.0 << 65516 << 236;
        QTest::newRow("-0.4 is 0") << -0.4 << 0 << 0;
        QTest::newRow("-1.5 ties to -2") << -1.5 << 65534 << 254;
        QTest::newRow("128") << 128.0 << 128 << -1;
        QTest::newRow("-128") << -128.0 << 65408 << 128;
        QTest::newRow("32768") << 32768.0 << -1 << -1;
    }
    void storedValues() {
        QFETCH(double, value);
        QTEST(storedWord(value).value_or(-1), "word");
        QTEST(storedByte(value).value_or(-1), "byte");
        QFETCH(int, word);
        if (word >= 0)
            QCOMPARE(signedWordValue(word), roundHalfEven(value).value());
    }

    void columnText() {
        ColumnText t;
        t.at(3, "ab").at(6, "cd").endLine();
        t.blankLines(1);
        t.at(4, "long text").at(6, "next").append("!");
        QCOMPARE(t.lines(), QStringList({"  ab cd", "", "   long text", "     next!"}));
        QCOMPARE(t.joined("\r\n"), QString("  ab cd\r\n\r\n   long text\r\n     next!\r\n"));
        // Text that ends right before the column is followed directly.
        ColumnText u;
        u.at(1, "abc").at(4, "d").at(0, "e");
        QCOMPARE(u.lines(), QStringList({"abcd", "e"}));
    }
};

QTEST_GUILESS_MAIN(tst_NumberText)
#include "tst_numbertext.moc"
