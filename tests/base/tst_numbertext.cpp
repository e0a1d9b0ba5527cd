#include "base/ColumnText.h"
#include "base/NumberText.h"

#include <QTest>

class tst_NumberText : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // scaled: the text times 10^shift, rounded; -1000000 marks "not a number".
    void typedNumbers_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("shift");
        QTest::addColumn<qint64>("scaled");
        QTest::newRow("whole") << "123" << 0 << qint64(123);
        QTest::newRow("tenths") << "123.4" << 1 << qint64(1234);
        QTest::newRow("no artefact") << "12.34" << 2 << qint64(1234);
        QTest::newRow("tie to even down") << "12.345" << 2 << qint64(1234);
        QTest::newRow("tie to even up") << "1.015" << 2 << qint64(102);
        QTest::newRow("beyond the tie") << "12.3450001" << 2 << qint64(1235);
        QTest::newRow("negative") << "-5" << 1 << qint64(-50);
        QTest::newRow("-0") << "-0" << 1 << qint64(0);
        QTest::newRow("-0.04") << "-0.04" << 1 << qint64(0);
        QTest::newRow("blanks, plus") << "  +7.5 " << 0 << qint64(8);
        QTest::newRow("leading period") << ".5" << 1 << qint64(5);
        QTest::newRow("trailing period") << "5." << 0 << qint64(5);
        QTest::newRow("shift down") << "1234" << -2 << qint64(12);
        QTest::newRow("huge saturates") << "99999999999999999999" << 0 << qint64(1000000000000000);
        QTest::newRow("empty") << "" << 0 << qint64(-1000000);
        QTest::newRow("sign only") << "-" << 0 << qint64(-1000000);
        QTest::newRow("period only") << "." << 0 << qint64(-1000000);
        QTest::newRow("two periods") << "1.2.3" << 0 << qint64(-1000000);
        QTest::newRow("comma") << "1,5" << 0 << qint64(-1000000);
        QTest::newRow("exponent") << "1e3" << 0 << qint64(-1000000);
        QTest::newRow("hex") << "0x10" << 0 << qint64(-1000000);
        QTest::newRow("inner blank") << "1 2" << 0 << qint64(-1000000);
    }
    void typedNumbers() {
        QFETCH(QString, text);
        QFETCH(int, shift);
        const auto n = parseTypedNumber(text);
        QCOMPARE(IsNumericText(text), n.has_value());
        QTEST(n ? n->scaled(shift) : qint64(-1000000), "scaled");
    }

    void formatFixed_data() {
        QTest::addColumn<qint64>("units");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<QString>("text");
        QTest::newRow("tenths") << qint64(1234) << 1 << "123.4";
        QTest::newRow("-0.5") << qint64(-5) << 1 << "-0.5";
        QTest::newRow("-5.0") << qint64(-50) << 1 << "-5.0";
        QTest::newRow("zero") << qint64(0) << 2 << "0.00";
        QTest::newRow("four") << qint64(-1) << 4 << "-0.0001";
        QTest::newRow("whole") << qint64(20000) << 0 << "20000";
    }
    void formatFixed() {
        QFETCH(qint64, units);
        QFETCH(int, decimals);
        QTEST(::formatFixed(units, decimals), "text");
    }

    // -1: cannot be stored.
    void storedValues_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("word");
        QTest::addColumn<int>("byte");
        QTest::newRow("-5") << -5.0 << 65531 << 251;
        QTest::newRow("-20") << -20.0 << 65516 << 236;
        QTest::newRow("-0.4 is 0") << -0.4 << 0 << 0;
        QTest::newRow("-0.5 ties to 0") << -0.5 << 0 << 0;
        QTest::newRow("-1.5 ties to -2") << -1.5 << 65534 << 254;
        QTest::newRow("127") << 127.0 << 127 << 127;
        QTest::newRow("128") << 128.0 << 128 << -1;
        QTest::newRow("-128") << -128.0 << 65408 << 128;
        QTest::newRow("32767") << 32767.0 << 32767 << -1;
        QTest::newRow("32768") << 32768.0 << -1 << -1;
        QTest::newRow("-32768") << -32768.0 << 32768 << -1;
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
