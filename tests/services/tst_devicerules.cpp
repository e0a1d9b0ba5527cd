// Rules of the extra functions, the device parameters and the service code, without a link.
#include "device/DeviceData.h"
#include "device/DeviceImage.h"
#include "device/ParameterTable.h"
#include "device/RowCodec.h"
#include "i18n/StringTable.h"
#include "services/DeviceParameters.h"
#include "services/ExtraFunctions.h"
#include "services/ServiceCode.h"
#include "support/ScriptedInteraction.h"

#include <QSignalSpy>
#include <QtTest>

class tst_DeviceRules : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void extraLayoutByFirmware_data() {
        QTest::addColumn<int>("firmware");
        QTest::addColumn<int>("attributes");
        QTest::addColumn<QString>("shown"); // i interface, p parity, c CAN, t transfers,
                                            // m mapping, k clock, h heating current
        QTest::addColumn<QString>("baudEnabled");
        QTest::newRow("0x1F: the oldest") << 0x1F << 0x00 << "ipc"
                                          << "1111";
        QTest::newRow("0x30: mapping, adjustment") << 0x30 << 0x00 << "ipcmh"
                                                   << "1111";
        QTest::newRow("0x32: clock") << 0x32 << 0x00 << "ipcmkh"
                                     << "1111";
        QTest::newRow("0x46: interface fixed") << 0x46 << 0x00 << "cmkh"
                                               << "0000";
        QTest::newRow("0x48 attr 0x10: no CAN, no transfers yet") << 0x48 << 0x10 << "mkh"
                                                                  << "0000";
        QTest::newRow("0x49 attr 0x10: transfers") << 0x49 << 0x10 << "tmkh"
                                                   << "0000";
        QTest::newRow("0x50: still fixed") << 0x50 << 0x00 << "cmkh"
                                           << "0000";
        QTest::newRow("0x51: 9600 and 19200 only") << 0x51 << 0x00 << "icmkh"
                                                   << "0110";
        QTest::newRow("0x99 attr 0x10") << 0x99 << 0x10 << "itmkh"
                                        << "0110";
    }
    void extraLayoutByFirmware() {
        QFETCH(int, firmware);
        QFETCH(int, attributes);
        QFETCH(QString, shown);
        QFETCH(QString, baudEnabled);
        const ExtraLayout l = extraLayout(firmware, attributes);
        QString got;
        for (auto [flag, letter] : {std::pair{l.interfaceGroup, 'i'},
                                    {l.parityGroup, 'p'},
                                    {l.canGroup, 'c'},
                                    {l.transferButtons, 't'},
                                    {l.mapping, 'm'},
                                    {l.clock, 'k'},
                                    {l.heatingCurrent, 'h'}})
            if (flag)
                got += QLatin1Char(letter);
        QCOMPARE(got, shown);
        QString enabled;
        for (int i = 0; i < 4; ++i)
            enabled += l.baudEnabled[size_t(i)] ? u'1' : u'0';
        QCOMPARE(enabled, baudEnabled);
        QVERIFY(!l.modbusAddress);
        QCOMPARE(l.readsModbusAddress, firmware >= 0x44);
    }

    void protocolRule_data() {
        QTest::addColumn<int>("firmware");
        QTest::addColumn<int>("attributes");
        QTest::addColumn<int>("protocol");
        QTest::newRow("bit 2 on old firmware") << 0x2A << 0x04 << int(BusProtocol::Modbus);
        QTest::newRow("bit 2") << 0x2B << 0x04 << int(BusProtocol::Q8100);
        QTest::newRow("bits 1, 2 up to 0x40") << 0x40 << 0x06 << int(BusProtocol::Q8100);
        QTest::newRow("bits 1, 2") << 0x41 << 0x16 << int(BusProtocol::HbTherm);
        QTest::newRow("bit 1 alone") << 0x56 << 0x02 << int(BusProtocol::Modbus);
    }
    void protocolRule() {
        QFETCH(int, firmware);
        QFETCH(int, attributes);
        QFETCH(int, protocol);
        QCOMPARE(int(protocolFor(firmware, attributes)), protocol);
    }

    void indices() {
        QCOMPARE(canBaudIndexOf(0x2A), 8);
        QCOMPARE(canBaudIndexOf(0x23), 3);
        QCOMPARE(canBaudTexts().at(8), QStringLiteral("1  M"));
        QCOMPARE(interfaceByte(2, 2), 0x22); // 19200, none
        // The window's parity order is even, odd, none, space.
        QCOMPARE(interfaceParityIndexOf(QStringLiteral("9600,n,8,1")), 2);
        QCOMPARE(interfaceParityIndexOf(QStringLiteral("9600,s,8,1")), 3);
        QCOMPARE(interfaceBaudIndexOf(QStringLiteral("38400,o,8,1")), 3);
        QCOMPARE(interfaceBaudIndexOf(QStringLiteral("57600,o,8,1")), -1);
    }

    void clockFields_data() {
        QTest::addColumn<int>("field");
        QTest::addColumn<double>("typed");
        QTest::addColumn<int>("entry");
        QTest::addColumn<QString>("shown");
        QTest::newRow("minutes 75") << 1 << 75.0 << 59 << "59";
        QTest::newRow("seconds 7") << 0 << 7.0 << 7 << "07";
        QTest::newRow("hours 24") << 2 << 24.0 << 23 << "23";
        QTest::newRow("day 0") << 3 << 0.0 << 1 << "1";
        QTest::newRow("month 13") << 4 << 13.0 << 12 << "12";
        QTest::newRow("year 1999") << 5 << 1999.0 << 0 << "2000";
        QTest::newRow("year 2150") << 5 << 2150.0 << 99 << "2099";
    }
    void clockFields() {
        QFETCH(int, field);
        QFETCH(double, typed);
        QFETCH(int, entry);
        QFETCH(QString, shown);
        ClockBuffer c{0, 0, 0, 1, 1, 24};
        setClockField(c, field, typed);
        QCOMPARE(c[size_t(field)], entry);
        QCOMPARE(clockFieldText(c, field), shown);
    }

    void sendableDate_data() {
        QTest::addColumn<int>("day");
        QTest::addColumn<int>("month");
        QTest::addColumn<int>("year");
        QTest::addColumn<int>("sentDay");
        QTest::newRow("31 February 2023") << 31 << 2 << 23 << 28;
        QTest::newRow("29 February 2023") << 29 << 2 << 23 << 28;
        QTest::newRow("29 February 2024") << 29 << 2 << 24 << 29;
        QTest::newRow("29 February 2000") << 29 << 2 << 0 << 29;
        QTest::newRow("31 April") << 31 << 4 << 24 << 30;
        QTest::newRow("31 December") << 31 << 12 << 99 << 31;
    }
    void sendableDate() {
        QFETCH(int, day);
        QFETCH(int, month);
        QFETCH(int, year);
        QFETCH(int, sentDay);
        const ClockBuffer sent = sendableClock({10, 45, 13, day, month, year});
        QCOMPARE(sent, (ClockBuffer{10, 45, 13, sentDay, month, year}));
        QVERIFY(QDate(2000 + year, month, sent[3]).isValid());
    }

    void clockTexts() {
        std::array<int, 201> reply{};
        for (int i = 0; i < 6; ++i)
            reply[size_t(11 + i)] = std::array{10, 45, 13, 0, 0, 24}[size_t(i)];
        const ClockBuffer c = clockFromReply(reply);
        QCOMPARE(c, (ClockBuffer{10, 45, 13, 1, 1, 24})); // day and month 0 become 1
        QCOMPARE(clockText(c), QStringLiteral("2024-01-01 13:45:10"));
        QCOMPARE(clockFromText(QStringLiteral("2024-12-05T13:45:10")),
                 std::optional<ClockBuffer>(ClockBuffer{10, 45, 13, 5, 12, 24}));
        QCOMPARE(clockFromText(QStringLiteral("2024-12-05T13:75:10"))->at(1), 59);
        QVERIFY(!clockFromText(QStringLiteral("2024-12-05 13:45:10")));
    }

    void serviceCodeEveryDay() {
        // Every day of the century has a code of its own compared with the day before, and the
        // code depends on the date alone.
        QString previous = serviceCode(QDate(1999, 12, 31));
        for (QDate d(2000, 1, 1); d.year() < 2100; d = d.addDays(1)) {
            const QString code = serviceCode(d);
            QVERIFY2(code != previous, qPrintable(d.toString(Qt::ISODate)));
            QVERIFY(code.toLongLong() > 0);
            previous = code;
        }
        QCOMPARE(serviceCode(QDate(2024, 12, 5)), serviceCode(QDate(2024, 12, 5)));
        QVERIFY(serviceCode(QDate()).isEmpty());
    }

    void deviceLayoutExamples_data() {
        QTest::addColumn<int>("firmware");
        QTest::addColumn<int>("moduleVariant");
        QTest::addColumn<bool>("external");
        QTest::addColumn<QString>("fields"); // the visible fields and switches
        QTest::newRow("0x36 temperature") << 0x36 << 3 << false << "16 17 18 19 optDim";
        QTest::newRow("0x53 linear, external inputs")
            << 0x53 << 2 << true
            << "0 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 19 20 21 22 chkAutark chkFuncStore";
        QTest::newRow("0x27 temperature") << 0x27 << 3 << false << "16 17 optDim";
        QTest::newRow("0x46 temperature")
            << 0x46 << 1 << false << "16 17 18 19 20 21 optDim chkAutark chkAmp";
        QTest::newRow("0x31 linear, external inputs") << 0x31 << 0 << true << "19";
    }
    void deviceLayoutExamples() {
        QFETCH(int, firmware);
        QFETCH(int, moduleVariant);
        QFETCH(bool, external);
        QFETCH(QString, fields);
        ScriptedInteraction interaction;
        DeviceData data(interaction);
        data.identification.FirmwareVersion = firmware;
        data.identification.ModuleVariant = moduleVariant;
        data.identification.ExternalCurrentInputs = external;
        const DeviceParameterForm form(data);
        QStringList visible;
        for (int i = 0; i < form.count(); ++i)
            if (form.isVisible(i))
                visible << (i < DeviceParameterForm::TextFields ? QString::number(i)
                                                                : form.field(i).name);
        QCOMPARE(visible.join(u' '), fields);
    }

    void deviceFieldEntries_data() {
        QTest::addColumn<int>("field");
        QTest::addColumn<double>("before");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<double>("stored");
        QTest::addColumn<QString>("shown");
        QTest::newRow("power 50") << 21 << 0.0 << "50" << 50.0 << "50";
        QTest::newRow("power 55") << 21 << 0.0 << "55" << 50.0 << "50";
        QTest::newRow("power 60") << 21 << 0.0 << "60" << 62.0 << "62";
        QTest::newRow("power 200") << 21 << 0.0 << "200" << 100.0 << "100";
        QTest::newRow("power 0") << 21 << 50.0 << "0" << 0.0 << "Off";
        QTest::newRow("power word") << 21 << 50.0 << "x" << 0.0 << "Off";
        QTest::newRow("power left as it shows") << 21 << 150.0 << "Off" << 150.0 << "Off";
        QTest::newRow("current above CT/40") << 3 << 0.0 << "20" << 125.0 << "12.5";
        QTest::newRow("current 7.25") << 9 << 0.0 << "7.25" << 72.0 << "7.2";
        QTest::newRow("current negative") << 0 << 10.0 << "-3" << 0.0 << "0.0";
        QTest::newRow("CT ratio above 3200") << 16 << 500.0 << "4000" << 32000.0 << "3200.0";
        QTest::newRow("CT ratio not a number") << 16 << 500.0 << "12,5" << 500.0 << "50.0";
        QTest::newRow("logger cycle left beyond its limit")
            << 19 << 40000.0 << "4000.0" << 40000.0 << "4000.0";
        QTest::newRow("sampling 0") << 18 << 20.0 << "0" << 0.0 << "Auto";
        QTest::newRow("sampling word") << 18 << 20.0 << "x" << 0.0 << "Auto";
        QTest::newRow("logger \"1\"") << 20 << 6.0 << "1" << 7.0 << "1 = Stop";
        QTest::newRow("logger \"0\"") << 20 << 7.0 << "0" << 6.0 << "0 = Run";
        QTest::newRow("logger text") << 20 << 7.0 << "Stop" << 7.0 << "1 = Stop";
        QTest::newRow("threshold 150") << 22 << 0.0 << "150" << 100.0 << "100";
        QTest::newRow("threshold -1") << 22 << 30.0 << "-1" << 0.0 << "Default";
    }
    void deviceFieldEntries() {
        QFETCH(int, field);
        QFETCH(double, before);
        QFETCH(QString, typed);
        QFETCH(double, stored);
        QFETCH(QString, shown);
        ScriptedInteraction interaction;
        DeviceData data(interaction);
        data.image.clear();
        data.image.setValue(38, 1, 500); // CT ratio 50.0: heating currents up to 12.5 A
        DeviceParameterForm form(data);
        const Field& f = form.field(field);
        data.image.setValue(f.row, form.columnOf(field), before);
        form.editText(field, typed);
        QCOMPARE(data.image.value(f.row, form.columnOf(field)), stored);
        QCOMPARE(form.text(field), shown);
    }

    void deviceFieldLabels() {
        ScriptedInteraction interaction;
        DeviceData data(interaction);
        data.setLanguageOffset(1000);
        const DeviceParameterForm form(data);
        QCOMPARE(form.label(10), QStringLiteral("Channel  3"));
        QCOMPARE(form.label(21), data.texts.LoadText(524));
    }

    void dimensionSwitches() {
        ScriptedInteraction interaction;
        DeviceData data(interaction);
        data.image.clear();
        data.image.setValue(DimensionRow, 1, 0xF6);
        DeviceParameterForm form(data);
        QSignalSpy unit(&form, &DeviceParameterForm::temperatureUnitChanged);
        QSignalSpy refused(&form, &DeviceParameterForm::dimensionRefused);
        const auto dimension = [&data] {
            return int(data.image.value(DimensionRow, 1));
        };
        form.editChecked(DeviceParameterForm::AmpsNotZero, false);
        QCOMPARE(dimension(), 0xF2); // the other bits stay
        form.editPosition(DeviceParameterForm::Unit, 1);
        QCOMPARE(unit.size(), 1);
        form.editChecked(DeviceParameterForm::AmpsNotZero, true);
        QCOMPARE(dimension(), 0xF7);
        // The fourth switch would make the byte the factory-settings command.
        form.editChecked(DeviceParameterForm::NoFunctionStore, true);
        QCOMPARE(dimension(), 0xF7);
        QCOMPARE(refused.size(), 1);
        QVERIFY(!form.checked(DeviceParameterForm::NoFunctionStore));
    }

    void dimensionWrite_data() {
        QTest::addColumn<double>("dimension");
        QTest::addColumn<int>("sent"); // -1: refused
        QTest::newRow("°F and master PDO") << 3.0 << 0x03;
        QTest::newRow("operation status bits are not sent") << double(0xA5) << 0x05;
        QTest::newRow("all four switches") << 15.0 << -1;
        QTest::newRow("all four with status bits") << double(0xAF) << -1;
        QTest::newRow("not a byte") << 300.0 << -1;
    }
    void dimensionWrite() {
        QFETCH(double, dimension);
        QFETCH(int, sent);
        ParameterTable table;
        table.BuildParameterTable(Texts());
        DeviceImage image;
        image.clear();
        image.setValue(DimensionRow, 1, dimension);
        const std::optional<QByteArray> data =
            encodeWriteData(table, image, MemoryImage{}, DimensionRow);
        if (sent < 0)
            QVERIFY(!data);
        else
            QCOMPARE(*data, QByteArray(1, char(sent)));
    }
};

QTEST_GUILESS_MAIN(tst_DeviceRules)
#include "tst_devicerules.moc"
