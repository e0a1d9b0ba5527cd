#include "device/DeviceImage.h"
#include "device/ParameterBlocks.h"

#include <QtTest>

using IdBytes = ParameterSetIdBytes;
Q_DECLARE_METATYPE(IdBytes)

class tst_ParameterBlocks : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void bcd_data() {
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("bcd");
        QTest::addColumn<int>("back");
        QTest::newRow("7") << 7 << 0x07 << 7;
        QTest::newRow("45") << 45 << 0x45 << 45;
        QTest::newRow("123 limited to 99") << 123 << 0x99 << 99;
        QTest::newRow("negative limited to 0") << -4 << 0x00 << 0;
    }
    void bcd() {
        QFETCH(int, value);
        QFETCH(int, bcd);
        QCOMPARE(int(toBcd(value)), bcd);
        QTEST(fromBcd(quint8(bcd)), "back");
    }

    void idFromClock() {
        const QDateTime when(QDate(2007, 3, 9), QTime(14, 5, 30));
        const IdBytes expected{0x30, 0x05, 0x14, 0x09, 0x03, 0x07};
        QCOMPARE(parameterSetIdFromDateTime(when), expected);
        DeviceImage image;
        image.clear();
        storeParameterSetId(image, expected);
        QCOMPARE(image.value(50, 1), double(0x30));
        QCOMPARE(image.value(50, 6), double(0x07));
    }

    void idFromText_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<IdBytes>("id");
        QTest::newRow("date and time")
            << "070309140530" << true << IdBytes{0x30, 0x05, 0x14, 0x09, 0x03, 0x07};
        QTest::newRow("too short") << "0703091405" << false << IdBytes{};
        QTest::newRow("not digits") << "07-3091405300" << false << IdBytes{};
    }
    void idFromText() {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        const auto id = parameterSetIdFromText(text);
        QCOMPARE(id.has_value(), valid);
        if (valid)
            QTEST(*id, "id");
    }
};

QTEST_GUILESS_MAIN(tst_ParameterBlocks)
#include "tst_parameterblocks.moc"
