#include "app/Defaults.h"
#include "device/DeviceData.h"
#include "params/ChannelFormats.h"
#include "params/ChannelParameterForm.h"
#include "params/CollectiveMasks.h"
#include "support/ScriptedInteraction.h"

#include <QSignalSpy>
#include <QTest>

namespace {
constexpr int Channel = 3;

struct Editor {
    ScriptedInteraction interaction;
    DeviceData data{interaction};
    ChannelParameterForm form{data};
    // fullScale < 0: temperature module.
    explicit Editor(double fullScale = -1) {
        LoadDefaultConfiguration(data.image, data.identification);
        data.identification.ModuleVariant = fullScale < 0 ? 3 : 2;
        if (fullScale >= 0)
            data.image.setValue(FullScaleRow, Channel, fullScale);
        form.setChannel(Channel - 1);
    }
    double stored(int row) const {
        const ChannelParameterRow& r = ChannelRows::rows()[size_t(row)];
        return data.image.value(r.parameter, r.kind == ParameterClass::DeviceTenths ? 1 : Channel);
    }
    QString text(int row) const { return form.text(row); }
    Form::EditResult leave(int row, const QString& text) { return form.editText(row, text); }
};
} // namespace

class tst_ChannelParameterForm : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Typing into one row and leaving it: what the field shows and what is stored.
    void leave_data() {
        QTest::addColumn<double>("fullScale"); // -1: temperature module
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<double>("stored");
        struct Case {
            const char* tag;
            double fullScale;
            int row;
            const char* typed;
            const char* shown;
            double stored;
        };
        static const Case cases[] = {
            {"thermo 123.4", -1, 0, "123.4", "123.4", 1234},
            {"thermo -5", -1, 24, "-5", "-5.0", 65486},
            {"thermo ties to even", -1, 24, "1.25", "1.2", 12},
            {"thermo -0", -1, 24, "-0", "0.0", 0},
            {"thermo -0.0", -1, 24, "-0.0", "0.0", 0},
            {"thermo -0.04", -1, 24, "-0.04", "0.0", 0},
            {"thermo limit", -1, 25, "4000", "3200.0", 32000},
            {"fsv 2000: none", 2000, 24, "-1234", "-1234", 64302},
            {"fsv 1000: one", 1000, 24, "-0.5", "-0.5", 65531},
            {"fsv 100: two", 100, 24, "12.34", "12.34", 1234},
            {"fsv 100: limit", 100, 24, "-300", "-200.00", 45536},
            {"fsv 10: three", 10, 24, "-1.5", "-1.500", 64036},
            {"fsv 1: four", 1, 24, "1.23456", "1.2346", 12346},
            {"fsv 1: limit", 1, 24, "3", "2.0000", 20000},
            {"power 150", -1, 18, "150", "100", 100},
            {"power -20", -1, 18, "-20", "-20", 236},
            {"power -0", -1, 18, "-0", "0", 0},
            {"dwell time -0", -1, 11, "-0.0", "0.0", 0},
            {"oscillation 30", -1, 32, "30", "25.5", 255},
            {"oscillation -1", -1, 32, "-1", "0.0", 0},
            {"CT ratio -5", -1, 27, "-5", "0.0", 0},
            {"fsv thermo", -1, 29, "-5", "-5.0", 65486},
            {"fsv linear 0", 100, 29, "0", "1", 1},
            {"fsv linear 30000", 100, 29, "30000", "20000", 20000},
            {"not a number", -1, 24, "1e3", "0.0", 0},
        };
        for (const Case& c : cases)
            QTest::newRow(c.tag) << c.fullScale << c.row << QString(c.typed) << QString(c.shown)
                                 << c.stored;
    }
    void leave() {
        QFETCH(double, fullScale);
        QFETCH(int, row);
        QFETCH(QString, typed);
        Editor e(fullScale);
        const Form::EditResult result = e.leave(row, typed);
        QTEST(result.shown, "shown");
        QTEST(e.text(row), "shown");
        QTEST(e.stored(row), "stored");
        QCOMPARE(result.outcome == Form::EditResult::Refused, !strictNumber(typed).has_value());
    }

    // Only the edited cell changes, and it is announced; the CT ratio lives in column 1.
    void storesIntoItsOwnColumnOnly() {
        Editor e;
        QSignalSpy announced(&e.data, &DeviceData::elementChanged);
        e.leave(12, "7.5");
        e.leave(24, "1.5");
        e.leave(27, "50");
        QCOMPARE(announced, (QList<QVariantList>{{13, Channel}, {10, Channel}, {38, 1}}));
        QCOMPARE(e.data.image.value(38, 1), 500.0);
        QCOMPARE(e.data.image.value(38, Channel), 0.0);
    }

    void setpointCrossChecks() {
        Editor e;
        e.leave(ChannelRows::MinSetpoint, "10");
        // Setpoints 0 were raised with the minimum.
        for (int row : {0, 3, 4})
            QCOMPARE(e.text(row), QString("10.0"));
        QCOMPARE(e.leave(ChannelRows::Setpoint, "5").outcome, Form::EditResult::Adjusted);
        QCOMPARE(e.text(0), QString("10.0"));
        e.leave(ChannelRows::Setpoint, "700");
        QCOMPARE(e.text(0), QString("600.0"));
        QCOMPARE(e.stored(0), 6000.0);
        e.leave(ChannelRows::SoftStartSetpoint, "300");
        const Form::EditResult lowered = e.leave(ChannelRows::MaxSetpoint, "200");
        QCOMPARE(e.text(0), QString("200.0"));
        QCOMPARE(e.text(3), QString("200.0"));
        QCOMPARE(e.text(4), QString("10.0"));
        QCOMPARE(lowered.changed, (QList<int>{0, 3}));
        QCOMPARE(e.stored(0), 2000.0);
    }

    // A new full-scale value keeps the shown values and stores them at the new scale.
    void fullScaleChangeRestoresEveryRow() {
        Editor e(100);
        e.leave(0, "12.34");
        e.leave(24, "-1.5");
        e.leave(18, "50");
        const Form::EditResult coarser = e.leave(ChannelRows::FullScale, "1000");
        QCOMPARE(e.stored(0), 123.0);
        QCOMPARE(e.text(0), QString("12.3"));
        QCOMPARE(e.stored(24), 65536.0 - 15);
        QCOMPARE(e.text(24), QString("-1.5"));
        QCOMPARE(e.text(2), QString("60.0")); // max. setpoint 6000 at two decimals was 60.00
        QCOMPARE(e.stored(18), 50.0);
        QVERIFY(coarser.changed.contains(0) && coarser.changed.contains(2));
        // Back to a finer scale: values beyond the word are capped.
        e.leave(ChannelRows::FullScale, "10");
        QCOMPARE(e.stored(2), 32000.0);
        QCOMPARE(e.text(2), QString("32.000"));
        QCOMPARE(e.text(0), QString("12.300"));
        // The same decimals: nothing is stored again.
        QSignalSpy announced(&e.data, &DeviceData::elementChanged);
        e.leave(ChannelRows::FullScale, "15");
        QCOMPARE(announced.size(), 1);
    }

    // A full-scale value below 1 cannot be used: the editor stores 1000 and announces it.
    void fullScaleRepair() {
        Editor e(0);
        QSignalSpy announced(&e.data, &DeviceData::elementChanged);
        QCOMPARE(e.text(0), QString("0.0")); // shown as for 1000 already
        e.form.repairFullScale();
        QCOMPARE(e.stored(ChannelRows::FullScale), 1000.0);
        QCOMPARE(announced.size(), 1);
    }

    void copy_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QList<int>>("channels"); // empty: refused
        QTest::newRow("one channel") << "5" << QList<int>{5};
        QTest::newRow("9 becomes 8") << "9" << QList<int>{8};
        QTest::newRow("0: all") << "0" << QList<int>{1, 2, 3, 4, 5, 6, 7, 8};
        QTest::newRow("-1") << "-1" << QList<int>{};
        QTest::newRow("2.5") << "2.5" << QList<int>{};
        QTest::newRow("text") << "x" << QList<int>{};
    }
    void copy() {
        QFETCH(QString, target);
        QFETCH(QList<int>, channels);
        Editor e;
        e.leave(0, "55");
        e.leave(18, "90");
        e.leave(27, "2");
        const auto copied = e.form.copyTo(target);
        QCOMPARE(copied.value_or(QList<int>{}), channels);
        for (int k = 1; k <= 8; ++k) {
            const bool has = channels.contains(k) || k == Channel;
            QCOMPARE(e.data.image.value(0, k), has ? 550.0 : 0.0);
            QCOMPARE(e.data.image.value(23, k), has ? 90.0 : 100.0);
        }
        // The device-wide CT ratio stays where it is.
        QCOMPARE(e.data.image.value(38, 1), 20.0);
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
        e.data.identification.ModuleVariant = variant;
        QFETCH(int, dimension);
        QFETCH(int, configuration);
        QFETCH(int, sensor);
        e.data.image.setValue(32, 1, dimension);
        e.data.image.setValue(27, Channel, configuration);
        e.data.image.setValue(33, Channel, sensor);
        QStringList units;
        for (int row : {0, 1, 9, 11, 18, 26, 27, 29})
            units << e.form.unit(row) + e.form.minuteUnit(row);
        QTEST(units, "units");
    }

    // Mask 3 is column 3 of item 29; a box sets its bit, a typed mask must be whole.
    void collectiveMasks() {
        QCOMPARE(CollectiveMasks::letter(1), QChar(u'A'));
        QCOMPARE(CollectiveMasks::letter(8), QChar(u'H'));
        QCOMPARE(CollectiveMasks::bitTextId(7), 386);
        ScriptedInteraction interaction;
        DeviceData data(interaction);
        CollectiveMaskForm form(data);
        form.setMask(3);
        data.image.setValue(CollectiveMasks::Row, 3, 0x8001);
        QVERIFY(form.checked(0) && form.checked(15) && !form.checked(1));
        QCOMPARE(form.text(CollectiveMaskForm::ValueField), QString("32769"));
        form.editChecked(0, false);
        form.editChecked(15, false);
        QCOMPARE(data.image.value(CollectiveMasks::Row, 3), 0.0);
        QCOMPARE(form.editText(CollectiveMaskForm::ValueField, "4096").changed, QList<int>{12});
        for (const char* bad : {"65536", "-1", "1.5", "x"})
            QCOMPARE(form.editText(CollectiveMaskForm::ValueField, bad).outcome,
                     Form::EditResult::Refused);
        QCOMPARE(data.image.value(CollectiveMasks::Row, 3), 4096.0);
        QCOMPARE(data.image.value(CollectiveMasks::Row, 4), 0.0);
        QCOMPARE(CollectiveMasks::parse(" 0x8001"), std::optional<int>(0x8001));
        QVERIFY(!CollectiveMasks::parse("65536"));
    }
};

QTEST_GUILESS_MAIN(tst_ChannelParameterForm)
#include "tst_channelparameterform.moc"
