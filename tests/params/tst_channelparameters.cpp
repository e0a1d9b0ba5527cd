#include "app/Defaults.h"
#include "device/DeviceImage.h"
#include "device/Identification.h"
#include "params/ChannelParameters.h"

#include <QTest>

namespace {
constexpr int Channel = 3;

struct Editor {
    DeviceImage image;
    Identification id;
    std::unique_ptr<ChannelParameters> editor;
    // fullScale < 0: temperature module.
    explicit Editor(double fullScale = -1) {
        LoadDefaultConfiguration(image, id);
        id.ModuleVariant = fullScale < 0 ? 3 : 2;
        if (fullScale >= 0)
            image.setValue(FullScaleRow, Channel, fullScale);
        editor = std::make_unique<ChannelParameters>(image, id, Channel);
        editor->ShowParameters();
    }
    double stored(int row) const {
        const ChannelParameterRow& r = ChannelRows::rows()[size_t(row)];
        return image.value(r.parameter, r.kind == ParameterClass::DeviceTenths ? 1 : Channel);
    }
    void set(int row, double raw) {
        image.setValue(ChannelRows::rows()[size_t(row)].parameter, Channel, raw);
        editor->ShowParameters();
    }
    QString text(int row) const { return editor->texts[size_t(row)]; }
};
} // namespace

class tst_ChannelParameters : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Typing into one row and leaving it: what the field shows and what is stored.
    void leave_data() {
        QTest::addColumn<double>("fullScale"); // -1: temperature module
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<double>("stored");
        QTest::newRow("thermo 123.4") << -1.0 << 0 << "123.4"
                                      << "123.4" << 1234.0;
        QTest::newRow("thermo -5") << -1.0 << 24 << "-5"
                                   << "-5.0" << 65486.0;
        QTest::newRow("thermo rounds") << -1.0 << 24 << "1.25"
                                       << "1.2" << 12.0;
        QTest::newRow("thermo -0") << -1.0 << 24 << "-0"
                                   << "0.0" << 0.0;
        QTest::newRow("thermo -0.0") << -1.0 << 24 << "-0.0"
                                     << "0.0" << 0.0;
        QTest::newRow("thermo -0.04") << -1.0 << 24 << "-0.04"
                                      << "0.0" << 0.0;
        QTest::newRow("thermo limit") << -1.0 << 25 << "4000"
                                      << "3200.0" << 32000.0;
        QTest::newRow("fsv 2000: none") << 2000.0 << 24 << "-1234"
                                        << "-1234" << 64302.0;
        QTest::newRow("fsv 1000: one") << 1000.0 << 24 << "-0.5"
                                       << "-0.5" << 65531.0;
        QTest::newRow("fsv 100: two") << 100.0 << 24 << "12.34"
                                      << "12.34" << 1234.0;
        QTest::newRow("fsv 100: limit") << 100.0 << 24 << "300"
                                        << "200.00" << 20000.0;
        QTest::newRow("fsv 100: -limit") << 100.0 << 24 << "-300"
                                         << "-200.00" << 45536.0;
        QTest::newRow("fsv 10: three") << 10.0 << 24 << "-1.5"
                                       << "-1.500" << 64036.0;
        QTest::newRow("fsv 1: four") << 1.0 << 24 << "1.23456"
                                     << "1.2346" << 12346.0;
        QTest::newRow("fsv 1: limit") << 1.0 << 24 << "3"
                                      << "2.0000" << 20000.0;
        QTest::newRow("fsv linear -0") << 100.0 << 24 << "-0"
                                       << "0.00" << 0.0;
        QTest::newRow("power 150") << -1.0 << 18 << "150"
                                   << "100" << 100.0;
        QTest::newRow("power -20") << -1.0 << 18 << "-20"
                                   << "-20" << 236.0;
        QTest::newRow("power -0") << -1.0 << 18 << "-0"
                                  << "0" << 0.0;
        QTest::newRow("power -150") << 100.0 << 23 << "-150"
                                    << "-100" << 156.0;
        QTest::newRow("dwell time") << -1.0 << 11 << "12.5"
                                    << "12.5" << 125.0;
        QTest::newRow("dwell time -0") << -1.0 << 11 << "-0.0"
                                       << "0.0" << 0.0;
        QTest::newRow("oscillation 30") << -1.0 << 32 << "30"
                                        << "25.5" << 255.0;
        QTest::newRow("oscillation -1") << -1.0 << 32 << "-1"
                                        << "0.0" << 0.0;
        QTest::newRow("CT ratio -5") << -1.0 << 27 << "-5"
                                     << "0.0" << 0.0;
        QTest::newRow("CT ratio 250") << 100.0 << 27 << "250"
                                      << "250.0" << 2500.0;
        QTest::newRow("fsv thermo") << -1.0 << 29 << "-5"
                                    << "-5.0" << 65486.0;
        QTest::newRow("fsv linear 0") << 100.0 << 29 << "0"
                                      << "1" << 1.0;
        QTest::newRow("fsv linear 30000") << 100.0 << 29 << "30000"
                                          << "20000" << 20000.0;
        QTest::newRow("not a number") << -1.0 << 24 << "1e3"
                                      << "1e3" << 0.0;
        QTest::newRow("empty") << -1.0 << 24 << ""
                               << "" << 0.0;
    }
    void leave() {
        QFETCH(double, fullScale);
        QFETCH(int, row);
        QFETCH(QString, typed);
        Editor e(fullScale);
        const auto changes = e.editor->leave(row, typed);
        QTEST(e.text(row), "shown");
        QTEST(e.stored(row), "stored");
        QCOMPARE(changes.fields.contains(row), e.text(row) != typed);
    }

    void storesIntoItsOwnColumnOnly() {
        Editor e;
        const DeviceImage before = e.image;
        const auto changes = e.editor->leave(12, "7.5");
        QCOMPARE(changes.cells, (QList<ImageCell>{{13, Channel}}));
        for (int row = 0; row < DeviceImage::Rows; ++row)
            for (int k = 0; k < DeviceImage::Columns; ++k)
                if (row != 13 || k != Channel)
                    QCOMPARE(e.image.cell(row, k), before.cell(row, k));
        // The CT ratio lives in column 1 whatever the channel.
        e.editor->leave(27, "50");
        QCOMPARE(e.image.value(38, 1), 500.0);
        QCOMPARE(e.image.value(38, Channel), 0.0);
    }

    void setpointCrossChecks() {
        Editor e;
        e.editor->leave(ChannelRows::MinSetpoint, "10");
        // Setpoints 0 were raised with the minimum.
        for (int row : {0, 3, 4})
            QCOMPARE(e.text(row), QString("10.0"));
        e.editor->leave(ChannelRows::Setpoint, "5");
        QCOMPARE(e.text(0), QString("10.0"));
        e.editor->leave(ChannelRows::Setpoint, "700");
        QCOMPARE(e.text(0), QString("600.0"));
        QCOMPARE(e.stored(0), 6000.0);
        e.editor->leave(ChannelRows::SoftStartSetpoint, "300");
        const auto changes = e.editor->leave(ChannelRows::MaxSetpoint, "200");
        QCOMPARE(e.text(0), QString("200.0"));
        QCOMPARE(e.text(3), QString("200.0"));
        QCOMPARE(e.text(4), QString("10.0"));
        QCOMPARE(changes.fields, (QList<int>{2, 0, 3}));
        QCOMPARE(e.stored(0), 2000.0);
    }

    // A new full-scale value keeps the shown values and stores them at the new scale.
    void fullScaleChangeRestoresEveryRow() {
        Editor e(100);
        e.editor->leave(0, "12.34");
        e.editor->leave(24, "-1.5");
        e.editor->leave(18, "50");
        const auto changes = e.editor->leave(ChannelRows::FullScale, "1000");
        QCOMPARE(e.stored(0), 123.0);
        QCOMPARE(e.text(0), QString("12.3"));
        QCOMPARE(e.stored(24), 65536.0 - 15);
        QCOMPARE(e.text(24), QString("-1.5"));
        QCOMPARE(e.text(2), QString("60.0")); // max. setpoint 6000 at two decimals was 60.00
        QCOMPARE(e.stored(18), 50.0);
        QVERIFY(changes.fields.contains(0) && changes.fields.contains(2));
        // Back to a finer scale: values beyond the word are capped.
        e.editor->leave(ChannelRows::FullScale, "10");
        QCOMPARE(e.stored(2), 32000.0);
        QCOMPARE(e.text(2), QString("32.000"));
        QCOMPARE(e.text(0), QString("12.300"));
    }

    void saveparaStoresTypedFieldsOnly() {
        Editor e;
        e.image.setValue(13, Channel, 12.5); // an edited cell from a file, not a whole number
        e.image.setValue(15, Channel, 999);  // changed underneath after the fill
        e.editor->texts[0] = "42";
        const auto changes = e.editor->Savepara();
        QCOMPARE(e.stored(0), 420.0);
        QCOMPARE(e.image.value(13, Channel), 12.5);
        QCOMPARE(e.image.value(15, Channel), 999.0);
        QCOMPARE(changes.cells, (QList<ImageCell>{{0, Channel}}));
    }

    void copy_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("shownTarget");
        QTest::addColumn<QList<int>>("channels"); // empty: refused
        QTest::newRow("one channel") << "5"
                                     << "" << QList<int>{5};
        QTest::newRow("9 becomes 8") << "9"
                                     << "8" << QList<int>{8};
        QTest::newRow("0: all") << "0"
                                << "" << QList<int>{1, 2, 4, 5, 6, 7, 8};
        QTest::newRow("-1") << "-1"
                            << "" << QList<int>{};
        QTest::newRow("2.5") << "2.5"
                             << "" << QList<int>{};
        QTest::newRow("text") << "x"
                              << "" << QList<int>{};
    }
    void copy() {
        QFETCH(QString, target);
        QFETCH(QList<int>, channels);
        Editor e;
        e.editor->leave(0, "55");
        e.editor->leave(27, "2");
        e.editor->texts[18] = "90"; // typed, not left: stored before the copy
        QString shown;
        const auto changes = e.editor->copyTo(target, &shown);
        QTEST(shown, "shownTarget");
        QCOMPARE(changes.has_value(), !channels.isEmpty());
        for (int k = 1; k <= 8; ++k) {
            const bool copied = channels.contains(k) || k == Channel;
            QCOMPARE(e.image.value(0, k), copied ? 550.0 : 0.0);
            QCOMPARE(e.image.value(23, k), changes && copied ? 90.0 : 100.0);
        }
        // The device-wide CT ratio stays where it is.
        QCOMPARE(e.image.value(38, 1), 20.0);
    }

    void units_data() {
        QTest::addColumn<int>("variant");
        QTest::addColumn<int>("dimension");
        QTest::addColumn<int>("configuration");
        QTest::addColumn<int>("sensor");
        QTest::addColumn<QStringList>("units"); // rows 0, 1, 9 (+/min), 11, 18, 26, 27, 29
        QTest::newRow("celsius") << 3 << 0 << 4 << 0
                                 << QStringList{"°C", "°C", "°C/min", "sec", "%", "A", "", "%"};
        QTest::newRow("fahrenheit, linear mV")
            << 3 << 1 << 4 << 10 << QStringList{"°F", "°F", "°F/min", "sec", "%", "A", "", "°F"};
        QTest::newRow("switching controller")
            << 3 << 0 << 0x20 << 0 << QStringList{"%", "°C", "°C/min", "sec", "%", "A", "", "%"};
        QTest::newRow("linear module")
            << 2 << 1 << 4 << 10 << QStringList{"", "", "/min", "sec", "%", "A", "", ""};
    }
    void units() {
        QFETCH(int, variant);
        Editor e;
        e.id.ModuleVariant = variant;
        QFETCH(int, dimension);
        QFETCH(int, configuration);
        QFETCH(int, sensor);
        e.image.setValue(32, 1, dimension);
        e.image.setValue(27, Channel, configuration);
        e.image.setValue(33, Channel, sensor);
        QStringList units;
        for (int row : {0, 1, 9, 11, 18, 26, 27, 29})
            units << e.editor->unit(row) + e.editor->minuteUnit(row);
        QTEST(units, "units");
    }

    void firmwareRows() {
        QVERIFY(!ChannelRows::shown(29, 0x10));
        QVERIFY(ChannelRows::shown(29, 0x11));
        QVERIFY(ChannelRows::shown(30, 0x30) && ChannelRows::shown(31, 0x30));
        QVERIFY(!ChannelRows::shown(32, 0x30));
        QVERIFY(!ChannelRows::shown(31, 0x2F) && ChannelRows::shown(32, 0x36));
    }
};

QTEST_GUILESS_MAIN(tst_ChannelParameters)
#include "tst_channelparameters.moc"
