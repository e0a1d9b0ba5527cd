#include "device/DeviceImage.h"
#include "device/MemoryImageCodec.h"
#include "device/ParameterTable.h"
#include "i18n/StringTable.h"

#include <QtTest>

// The memory image codec: layout and round trips per storage format, the Fahrenheit rule and
// the refusal of values that do not fit.
class tst_MemoryImageCodec : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() {
        m_table.BuildParameterTable(Texts());
        m_image.clear();
        m_image.setValue(31, 1, 0x10); // temperature module
        m_image.setValue(38, 1, 1000); // CT ratio
        m_memory.bytes.fill(0xAA);
    }

    void formatsBothWays_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("ctRatio");
        QTest::addColumn<int>("address");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<double>("decoded");
        // clang-format off
        QTest::newRow("byte") << 26 << 3 << 64.0 << 1000 << 0x1F2 << QByteArray("\x40") << 64.0;
        QTest::newRow("sensor type") << 33 << 8 << 12.0 << 1000 << 0x21B << QByteArray("\x0C") << 12.0;
        QTest::newRow("word") << 41 << 2 << 1000.0 << 1000 << 0x242 << QByteArray("\xE8\x03") << 1000.0;
        QTest::newRow("word at an odd address") << 55 << 1 << 515.0 << 1000 << 0x279 << QByteArray("\x03\x02") << 515.0;
        QTest::newRow("word, tie to even") << 9 << 1 << 2.5 << 1000 << 0x170 << QByteArray("\x02\x00", 2) << 2.0;
        QTest::newRow("word, tie to even up") << 9 << 1 << 3.5 << 1000 << 0x170 << QByteArray("\x04\x00", 2) << 4.0;
        QTest::newRow("negative word") << 9 << 1 << -2.0 << 1000 << 0x170 << QByteArray("\xFE\xFF") << 65534.0;
        QTest::newRow("percent -100") << 22 << 1 << 156.0 << 1000 << 0x0C0 << QByteArray("\x18\xFC") << 156.0;
        QTest::newRow("percent 127") << 18 << 1 << 127.0 << 1000 << 0x0A0 << QByteArray("\xF6\x04") << 127.0;
        QTest::newRow("percent -128") << 18 << 1 << 128.0 << 1000 << 0x0A0 << QByteArray("\x00\xFB", 2) << 128.0;
        QTest::newRow("temperature -5.0") << 3 << 2 << 65486.0 << 1000 << 0x012 << QByteArray("\xCE\xFF") << 65486.0;
        QTest::newRow("signed temperature") << 3 << 2 << -50.0 << 1000 << 0x012 << QByteArray("\xCE\xFF") << 65486.0;
        QTest::newRow("difference") << 13 << 8 << 500.0 << 1000 << 0x04E << QByteArray("\xF4\x01") << 500.0;
        QTest::newRow("current, ratio 1000") << 47 << 1 << 37.0 << 1000 << 0x250 << QByteArray("\x25") << 37.0;
        QTest::newRow("current, ratio 2500") << 48 << 2 << 100.0 << 2500 << 0x259 << QByteArray("\x28") << 100.0;
        QTest::newRow("current, ratio 0") << 47 << 1 << 37.0 << 0 << 0x250 << QByteArray("\x00", 1) << 0.0;
        // clang-format on
    }
    void formatsBothWays() {
        QFETCH(int, row);
        QFETCH(int, column);
        QFETCH(double, value);
        QFETCH(int, ctRatio);
        QFETCH(int, address);
        QFETCH(QByteArray, bytes);
        m_image.setValue(row, column, value);
        m_image.setValue(38, 1, ctRatio);
        WriteRefusal refusal;
        QVERIFY2(encodeMemoryImage(m_table, m_image, m_memory, &refusal), qPrintable(refusal.text));
        for (int i = 0; i < bytes.size(); ++i)
            QCOMPARE(int(m_memory[address + i]), int(quint8(bytes[i])));

        DeviceImage decoded;
        decoded.clear();
        decodeMemoryImage(m_table, m_memory, 0x56, decoded);
        QTEST(decoded.value(row, column), "decoded");
        QCOMPARE(decoded.value(38, 1), double(ctRatio));
    }

    // Bytes 0..639 are made anew (the setpoints are not carried), the block table stays, the
    // unused tail is 0xFF.
    void encodeLayout() {
        QVERIFY(encodeMemoryImage(m_table, m_image, m_memory));
        QCOMPARE(int(m_memory[0]), 0);
        QCOMPARE(int(m_memory[639]), 0);
        QCOMPARE(int(m_memory[640]), 0xAA);
        QCOMPARE(int(m_memory[735]), 0xAA);
        QCOMPARE(int(m_memory[736]), 0xFF);
        QCOMPARE(int(m_memory[0x27D]), 0x10);
        storeMemoryImageCrc(m_memory);
        QCOMPARE(storedMemoryImageCrc(m_memory), memoryImageCrc(m_memory));
    }

    void refusal_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");
        QTest::addColumn<double>("value");
        QTest::newRow("byte 300") << 26 << 3 << 300.0;
        QTest::newRow("byte 255.5 rounds to 256") << 26 << 1 << 255.5;
        QTest::newRow("word 70000") << 41 << 2 << 70000.0;
        QTest::newRow("negative percentage byte") << 22 << 4 << -1.0;
        QTest::newRow("current beyond a byte") << 47 << 5 << 300.0;
        QTest::newRow("not a number") << 13 << 6 << qQNaN();
    }
    void refusal() {
        QFETCH(int, row);
        QFETCH(int, column);
        QFETCH(double, value);
        m_image.setValue(row, column, value);
        const MemoryImage before = m_memory;
        WriteRefusal refusal;
        QVERIFY(!encodeMemoryImage(m_table, m_image, m_memory, &refusal));
        QCOMPARE(m_memory.bytes, before.bytes);
        QCOMPARE(refusal.row, row);
        QCOMPARE(refusal.column, column);
        QVERIFY2(refusal.text.contains(QStringLiteral("(row %1), value %2").arg(row).arg(column)),
                 qPrintable(refusal.text));
    }

    // Fahrenheit: the memory image holds tenths of a degree Celsius; the image shows tenths of
    // a degree Fahrenheit on temperature modules whose dimension says so.
    void fahrenheit_data() {
        QTest::addColumn<int>("attributes");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("celsius"); // signed tenths in the memory image
        QTest::addColumn<int>("configuration");
        QTest::addColumn<int>("alarmFunction");
        QTest::addColumn<int>("shown"); // signed tenths in the device image
        QTest::newRow("setpoint -5.0 C") << 0x10 << 3 << -50 << 0 << 0 << 230;
        QTest::newRow("setpoint -40.0 C") << 0x10 << 3 << -400 << 0 << 0 << -400;
        QTest::newRow("setpoint without offset") << 0x10 << 3 << -50 << 0x08 << 0 << -90;
        QTest::newRow("difference") << 0x10 << 13 << 500 << 0 << 0 << 900;
        QTest::newRow("AL1 absolute") << 0x10 << 1 << 100 << 0 << 1 << 500;
        QTest::newRow("AL1 relative") << 0x10 << 1 << 100 << 0 << 4 << 180;
        QTest::newRow("AL2 absolute") << 0x10 << 4 << -100 << 0 << 4 << 140;
        QTest::newRow("AL2 relative") << 0x10 << 4 << -100 << 0 << 1 << -180;
        QTest::newRow("linear module") << 0x11 << 3 << -50 << 0 << 0 << -50;
    }
    void fahrenheit() {
        QFETCH(int, attributes);
        QFETCH(int, row);
        QFETCH(int, celsius);
        QFETCH(int, configuration);
        QFETCH(int, alarmFunction);
        QFETCH(int, shown);
        m_memory.bytes.fill(0);
        m_memory[0x21C] = 1; // dimension: Fahrenheit
        m_memory[0x27D] = quint8(attributes);
        m_memory[0x1E4] = quint8(configuration); // channel 3
        m_memory[0x1FA] = quint8(alarmFunction);
        const int address = m_table[row].Address + 4;
        m_memory[address] = quint8(celsius & 0xFF);
        m_memory[address + 1] = quint8((celsius >> 8) & 0xFF);

        decodeMemoryImage(m_table, m_memory, 0x56, m_image);
        QCOMPARE(int(m_image.value(row, 3)), shown & 0xFFFF);
        // Back again, the memory image is what it was: from raw words and from signed numbers.
        const MemoryImage original = m_memory;
        QVERIFY(encodeMemoryImage(m_table, m_image, m_memory));
        QCOMPARE(m_memory[address] + 256 * m_memory[address + 1], celsius & 0xFFFF);
        m_image.setValue(row, 3, shown);
        QVERIFY(encodeMemoryImage(m_table, m_image, m_memory));
        for (int i = 0; i < MemoryImageLayout::CrcStart; ++i)
            QVERIFY2(m_memory[i] == original[i], qPrintable(QString::number(i)));
    }

    void sensorTypeTheFirmwareKnows_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("firmware");
        QTest::addColumn<int>("decoded");
        QTest::newRow("12 on 0x45") << 12 << 0x45 << 12;
        QTest::newRow("13 on 0x45") << 13 << 0x45 << 0;
        QTest::newRow("16 on 0x46") << 16 << 0x46 << 16;
        QTest::newRow("17 on 0x56") << 17 << 0x56 << 0;
    }
    void sensorTypeTheFirmwareKnows() {
        QFETCH(int, code);
        QFETCH(int, firmware);
        m_memory[0x214] = quint8(code);
        decodeMemoryImage(m_table, m_memory, firmware, m_image);
        QTEST(int(m_image.value(33, 1)), "decoded");
    }

private:
    ParameterTable m_table;
    DeviceImage m_image;
    MemoryImage m_memory;
};

QTEST_GUILESS_MAIN(tst_MemoryImageCodec)
#include "tst_memoryimagecodec.moc"
