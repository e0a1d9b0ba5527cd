#include "device/DeviceImage.h"
#include "device/Identification.h"
#include "params/ChannelFormats.h"

#include <QTest>

class tst_ChannelFormats : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // A stored word shown on a linear module at every decimal count, and on a temperature
    // module (full scale -1).
    void formats_data() {
        QTest::addColumn<double>("fullScale");
        QTest::addColumn<double>("stored");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("text");
        QTest::newRow("thermo") << -1.0 << 1234.0 << "##0.0"
                                << "123.4";
        QTest::newRow("thermo negative") << -1.0 << 65486.0 << "##0.0"
                                         << "-5.0";
        QTest::newRow("2000: none") << 2000.0 << 65535.0 << "##0"
                                    << "-1";
        QTest::newRow("1999: one") << 1999.0 << 1234.0 << "##0.0"
                                   << "123.4";
        QTest::newRow("200: one") << 200.0 << 65531.0 << "##0.0"
                                  << "-0.5";
        QTest::newRow("100: two") << 100.0 << 1234.0 << "##0.00"
                                  << "12.34";
        QTest::newRow("20: two") << 20.0 << 20000.0 << "##0.00"
                                 << "200.00";
        QTest::newRow("19: three") << 19.0 << 65535.0 << "##0.000"
                                   << "-0.001";
        QTest::newRow("2: three") << 2.0 << 1234.0 << "##0.000"
                                  << "1.234";
        QTest::newRow("1: four") << 1.0 << 45536.0 << "##0.0000"
                                 << "-2.0000";
        QTest::newRow("0 counts as 1000") << 0.0 << 1234.0 << "##0.0"
                                          << "123.4";
        QTest::newRow("non-whole stored value rounds") << 100.0 << 12.5 << "##0.00"
                                                       << "0.12";
    }
    void formats() {
        QFETCH(double, fullScale);
        QFETCH(double, stored);
        DeviceImage image;
        Identification id;
        id.ModuleVariant = fullScale < 0 ? 3 : 2;
        for (int k = 1; k <= 8; ++k)
            image.setValue(FullScaleRow, k, k == 3 ? fullScale : 2000);
        QList<int> repaired;
        const ChannelFormats f = SetChannelFormats(image, id, &repaired);
        QTEST(f.ChannelPattern(2), "pattern");
        QTEST(f.text(3, stored), "text");
        QCOMPARE(f.ChannelScale(2), std::pow(10.0, -f.decimalsOf(3)));
        // Only an unusable full-scale value of a linear module is repaired.
        const bool repair = fullScale >= 0 && fullScale < 1;
        QCOMPARE(repaired, repair ? QList<int>{3} : QList<int>{});
        QCOMPARE(image.value(FullScaleRow, 3), repair ? 1000.0 : fullScale);
    }
};

QTEST_GUILESS_MAIN(tst_ChannelFormats)
#include "tst_channelformats.moc"
