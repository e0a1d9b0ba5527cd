#include "link/ValueCodec.h"

#include <QTest>

#include <limits>

class TestValueCodec : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // -1 in the expected columns: refused.
    void encode_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("byte");
        QTest::addColumn<int>("word");
        QTest::newRow("2.5 ties to even") << 2.5 << 2 << 0x0002;
        QTest::newRow("3.5 ties to even") << 3.5 << 4 << 0x0004;
        QTest::newRow("2.51") << 2.51 << 3 << 0x0003;
        QTest::newRow("-0.5 is 0") << -0.5 << 0 << 0x0000;
        QTest::newRow("254.5") << 254.5 << 254 << 0x00FE;
        QTest::newRow("255.5 rounds to 256") << 255.5 << -1 << 0x0100;
        QTest::newRow("-1") << -1.0 << -1 << 0xFFFF;
        QTest::newRow("-2.5 ties to even") << -2.5 << -1 << 0xFFFE;
        QTest::newRow("-32768") << -32768.0 << -1 << 0x8000;
        QTest::newRow("-32769") << -32769.0 << -1 << -1;
        QTest::newRow("65535") << 65535.0 << -1 << 0xFFFF;
        QTest::newRow("65535.5") << 65535.5 << -1 << -1;
        QTest::newRow("NaN") << std::numeric_limits<double>::quiet_NaN() << -1 << -1;
        QTest::newRow("infinity") << std::numeric_limits<double>::infinity() << -1 << -1;
    }
    void encode() {
        QFETCH(double, value);
        QFETCH(int, byte);
        QFETCH(int, word);
        const auto b = ValueCodec::toByte(value);
        QCOMPARE(b ? int(*b) : -1, byte);
        const auto w = ValueCodec::toWord(value);
        QCOMPARE(w ? int(w->low) + 256 * int(w->high) : -1, word);
    }

    void decodeWord() {
        QCOMPARE(ValueCodec::word(0xE8, 0x03), 1000);
        QCOMPARE(ValueCodec::signedWord(0xEC, 0xFF), -20);
        QCOMPARE(ValueCodec::signedWord(0xFF, 0x7F), 32767);
    }
};

QTEST_GUILESS_MAIN(TestValueCodec)
#include "tst_valuecodec.moc"
