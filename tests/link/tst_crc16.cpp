#include "device/DeviceServices.h"
#include "link/Crc16.h"

#include <QtTest>

class tst_Crc16 : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void crc_data() {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<int>("crc");
        QTest::newRow("catalogue check string") << QByteArray("123456789") << 0x4B37;
        QTest::newRow("link preparation frame")
            << QByteArray::fromHex("0010D0057D010100") << 0x66C6;
        QTest::newRow("empty memory image") << QByteArray(638, '\0') << 0xF10E;
        QTest::newRow("nothing") << QByteArray() << 0xFFFF;
    }
    void crc() {
        QFETCH(QByteArray, data);
        QTEST(int(crc16Modbus(data)), "crc");
    }

    // The Modbus frame that returns a controller from a foreign protocol carries the CRC low
    // byte first.
    void linkPreparationFrame() {
        QCOMPARE(prepareLinkFrames(0x42, 3).value(0), QByteArray::fromHex("0010D0057D010100C666"));
    }
};

QTEST_GUILESS_MAIN(tst_Crc16)
#include "tst_crc16.moc"
