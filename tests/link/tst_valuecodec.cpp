#include "link/ValueCodec.h"

#include <QTest>

#include <limits>

class TestValueCodec : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void roundHalfEven_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<qint64>("rounded");
        QTest::newRow("0.5") << 0.5 << qint64(0);
        QTest::newRow("1.5") << 1.5 << qint64(2);
        QTest::newRow("2.5") << 2.5 << qint64(2);
        QTest::newRow("2.51") << 2.51 << qint64(3);
        QTest::newRow("-0.5") << -0.5 << qint64(0);
        QTest::newRow("-1.5") << -1.5 << qint64(-2);
        QTest::newRow("-2.5") << -2.5 << qint64(-2);
        QTest::newRow("-2.49") << -2.49 << qint64(-2);
        QTest::newRow("254.5") << 254.5 << qint64(254);
        QTest::newRow("255.5") << 255.5 << qint64(256);
    }
    void roundHalfEven() {
        QFETCH(double, value);
        QFETCH(qint64, rounded);
        QCOMPARE(ValueCodec::roundHalfEven(value), std::optional<qint64>(rounded));
    }

    void notANumber() {
        QVERIFY(!ValueCodec::roundHalfEven(std::numeric_limits<double>::quiet_NaN()));
        QVERIFY(!ValueCodec::toByte(std::numeric_limits<double>::infinity()));
        QVERIFY(!ValueCodec::toWord(1e300));
    }

    void bytes_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("byte"); // -1 = refused
        QTest::newRow("0") << 0.0 << 0;
        QTest::newRow("255") << 255.0 << 255;
        QTest::newRow("254.5 rounds down") << 254.5 << 254;
        QTest::newRow("255.5 rounds to 256") << 255.5 << -1;
        QTest::newRow("256") << 256.0 << -1;
        QTest::newRow("-0.5 rounds to 0") << -0.5 << 0;
        QTest::newRow("-1") << -1.0 << -1;
    }
    void bytes() {
        QFETCH(double, value);
        QFETCH(int, byte);
        const auto b = ValueCodec::toByte(value);
        QCOMPARE(b.has_value(), byte >= 0);
        if (b)
            QCOMPARE(int(*b), byte);
    }

    void words_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("low"); // -1 = refused
        QTest::addColumn<int>("high");
        QTest::newRow("1000") << 1000.0 << 0xE8 << 0x03;
        QTest::newRow("-20") << -20.0 << 0xEC << 0xFF;
        QTest::newRow("-1") << -1.0 << 0xFF << 0xFF;
        QTest::newRow("-32768") << -32768.0 << 0x00 << 0x80;
        QTest::newRow("65535") << 65535.0 << 0xFF << 0xFF;
        QTest::newRow("-0.5") << -0.5 << 0 << 0;
        QTest::newRow("65535.5") << 65535.5 << -1 << -1;
        QTest::newRow("-32769") << -32769.0 << -1 << -1;
    }
    void words() {
        QFETCH(double, value);
        QFETCH(int, low);
        QFETCH(int, high);
        const auto w = ValueCodec::toWord(value);
        QCOMPARE(w.has_value(), low >= 0);
        if (!w)
            return;
        QCOMPARE(int(w->low), low);
        QCOMPARE(int(w->high), high);
        const int rounded = int(*ValueCodec::roundHalfEven(value));
        QCOMPARE(ValueCodec::signedWord(low, high), rounded > 32767 ? rounded - 65536 : rounded);
    }
};

QTEST_GUILESS_MAIN(TestValueCodec)
#include "tst_valuecodec.moc"
