#include "link/Telegram.h"
#include "support/LinkBench.h"

#include <QSignalSpy>
#include <QTest>
#include <QTimer>

namespace {
constexpr int Address = 5;
const QByteArray ShortAck = QByteArray::fromHex("1000050516");

QByteArray reply(int code, const QByteArray& data) {
    return Telegram::buildLong(0x08, Address, quint8(code), data);
}
} // namespace

class TestDeviceServices : public QObject {
    Q_OBJECT

    std::unique_ptr<LinkBench> bench;
    FakePort* port = nullptr;
    Link* link = nullptr;
    DeviceServices* services = nullptr;

private Q_SLOTS:
    void init() {
        bench = std::make_unique<LinkBench>(Address);
        bench->image.clear();
        port = &bench->fake();
        link = &bench->link;
        services = &bench->services;
        link->setReplyTimeout(30);
        link->setPauseInterval(5);
    }
    void cleanup() { bench.reset(); }

    void readRequestFrames_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("p1");
        QTest::addColumn<int>("p2");
        QTest::addColumn<int>("p3");
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<int>("expected");
        QTest::newRow("word block, channels 1..8")
            << 0 << 1 << 8 << 0 << QByteArray("680606687b05000108008916") << 28;
        QTest::newRow("word block, no range")
            << 0 << 0 << 0 << 0 << QByteArray("680606687b05000000008016") << 28;
        QTest::newRow("word block of code 46")
            << 46 << 0 << 0 << 0 << QByteArray("680606687b052e000000ae16") << 42;
        QTest::newRow("addressed word ignores p1..p3")
            << 100 << 5 << 5 << 5 << QByteArray("680606687b0564000000e416") << 14;
        QTest::newRow("single byte") << 53 << 0 << 0 << 0 << QByteArray("680303687b0535b516") << 10;
        QTest::newRow("single byte ignores p1..p3")
            << 49 << 1 << 8 << 0 << QByteArray("680303687b0531b116") << 10;
        QTest::newRow("single word")
            << 146 << 0 << 0 << 0 << QByteArray("680303687b05921216") << 11;
        QTest::newRow("byte block, channels 2..4")
            << 22 << 2 << 4 << 0 << QByteArray("680606687b05160204009c16") << 15;
        QTest::newRow("I/O block")
            << 55 << 0 << 0 << 0 << QByteArray("680606687b0537000000b716") << 32;
        QTest::newRow("raw block")
            << 61 << 0 << 0 << 0 << QByteArray("680606687b053d000000bd16") << 108;
        QTest::newRow("ID block, range, p3 sent")
            << 63 << 1 << 3 << 7 << QByteArray("680606687b053f010307ca16") << 18;
    }
    void readRequestFrames() {
        QFETCH(int, code);
        QFETCH(int, p1);
        QFETCH(int, p2);
        QFETCH(int, p3);
        QFETCH(QByteArray, frame);
        QFETCH(int, expected);
        port->reply(reply(code, QByteArray(expected - 9, '\0')));
        services->ReadRequest(code, p1, p2, p3);
        QVERIFY(!link->CommError);
        QCOMPARE(port->written, QByteArrayList{QByteArray::fromHex(frame)});
        QCOMPARE(link->ExpectedLength, expected);
    }

    // Typed values by transfer group; nothing when the controller is silent.
    void readValues_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("p1");
        QTest::addColumn<int>("p2");
        QTest::addColumn<QByteArray>("data"); // the reply's data after the function code
        QTest::addColumn<QList<int>>("values");
        QTest::newRow("word block, channels 2..3")
            << 0 << 2 << 3 << QByteArray::fromHex("020300e803feff") << QList<int>{1000, 65534};
        QTest::newRow("byte block, channel 4")
            << 22 << 4 << 4 << QByteArray::fromHex("04040007") << QList<int>{7};
        QTest::newRow("single word")
            << 146 << 0 << 0 << QByteArray::fromHex("2c01") << QList<int>{300};
        QTest::newRow("addressed word")
            << 100 << 0 << 0 << QByteArray::fromHex("000000e803") << QList<int>{1000};
        QTest::newRow("ID block") << 63 << 0 << 0 << QByteArray::fromHex("000000102030405060")
                                  << QList<int>{0x10, 0x20, 0x30, 0x40, 0x50, 0x60};
    }
    void readValues() {
        QFETCH(int, code);
        QFETCH(int, p1);
        QFETCH(int, p2);
        QFETCH(QByteArray, data);
        QFETCH(QList<int>, values);
        port->reply(reply(code, data));
        QCOMPARE(services->readValues(code, p1, p2).value_or(QList<int>{-1}), values);
        port->silence(4);
        QVERIFY(!services->readValues(code, p1, p2));
    }

    void writeRowFrames_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<QVariantList>("values");
        QTest::addColumn<QByteArray>("frame");
        QVariantList io;
        for (int i = 0; i < 20; ++i)
            io << 100 + i;
        QTest::newRow("byte block") << 18 << QVariantList{1, 2, 3, 4, 5, 6, 7, 8}
                                    << QByteArray("680e0e687305160000000102030405060708b216");
        QTest::newRow("single byte, no zero bytes, tie to even")
            << 40 << QVariantList{2.5} << QByteArray("680404687305a0021a16");
        QTest::newRow("I/O block")
            << 36 << io
            << QByteArray("681a1a687305370000006465666768696a6b6c6d6e6f70717273747576773d16");
        QTest::newRow("ID block") << 50 << QVariantList{0x12, 0x34, 0x56, 1, 2, 0x24}
                                  << QByteArray("680c0c6873053f0000001234560102247a16");
        QTest::newRow("addressed word, negative")
            << 38 << QVariantList{-20} << QByteArray("68080868730564000000ecffc716");
        QTest::newRow("single word, text value")
            << 43 << QVariantList{QStringLiteral(" 1000")} << QByteArray("68050568730592e803f516");
        QTest::newRow("word block, rounding and two's complement")
            << 0 << QVariantList{3.5, -1, 65535, 300.5, -32768, 2.5, 32767, -1000}
            << QByteArray("681616687305000000000400ffffffff2c0100800200ff7f18fcb916");
    }
    void writeRowFrames() {
        QFETCH(int, row);
        QFETCH(QVariantList, values);
        QFETCH(QByteArray, frame);
        for (int k = 0; k < values.size(); ++k)
            bench->image.cell(row, k + 1) = values[k];
        port->reply(ShortAck);
        QVERIFY(services->WriteParameterRow(row));
        QCOMPARE(port->written, QByteArrayList{QByteArray::fromHex(frame)});
        QCOMPARE(link->ExpectedLength, 5);
    }

    void writeRawBlockFromMemoryImage() {
        for (int i = 0; i < 96; ++i)
            bench->memory[640 + i] = quint8(i);
        bench->memory[639] = 0xAA;
        bench->memory[736] = 0xAA;
        port->reply(ShortAck);
        QVERIFY(services->WriteParameterRow(79));
        QByteArray expected = QByteArray::fromHex("6866666873053d000000");
        for (int i = 0; i < 96; ++i)
            expected.append(char(i));
        expected.append(char(0x85)).append(char(0x16));
        QCOMPARE(port->written[0], expected);
    }

    void writeRefused_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");
        QTest::addColumn<QVariant>("value");
        QTest::newRow("byte above 255") << 18 << 3 << QVariant(256);
        QTest::newRow("negative single byte") << 40 << 1 << QVariant(-3);
        QTest::newRow("I/O byte") << 36 << 20 << QVariant(300);
        QTest::newRow("word below -32768") << 43 << 1 << QVariant(-32769);
        QTest::newRow("read-only: code 49") << 31 << 0 << QVariant();
    }
    void writeRefused() {
        QFETCH(int, row);
        QFETCH(int, column);
        QFETCH(QVariant, value);
        if (column > 0)
            bench->image.cell(row, column) = value;
        QSignalSpy refused(services, &DeviceServices::valueRefused);
        QVERIFY(!services->WriteParameterRow(row));
        QVERIFY(port->written.isEmpty());
        QVERIFY(link->CommError);
        QVERIFY(!services->refusalText().isEmpty());
        QCOMPARE(refused.count(), 1);
        QCOMPARE(refused[0].mid(0, 2), (QVariantList{row, column}));
    }

    void sendCommand() {
        port->reply(ShortAck);
        services->SendCommand(32, QByteArray::fromHex("03030001"));
        QCOMPARE(port->written[0].toHex(), QByteArray("68070768730520030300019f16"));
        QVERIFY(!link->CommError);
        QCOMPARE(link->ReplyCode, 255);
    }

    void prepareLink_data() {
        QTest::addColumn<int>("firmware");
        QTest::addColumn<int>("address");
        QTest::addColumn<QByteArrayList>("frames");
        const QByteArray modbus = QByteArray::fromHex("0010d0057d010100c666");
        const QByteArray q8100 = QByteArray::fromHex("10ff494816");
        QTest::newRow("0x42: Modbus only") << 0x42 << 5 << QByteArrayList{modbus};
        QTest::newRow("0x43, address 1")
            << 0x43 << 1 << QByteArrayList{modbus, QByteArray::fromHex("b8303037773c36")};
        QTest::newRow("0x43, address 9")
            << 0x43 << 9 << QByteArrayList{modbus, QByteArray::fromHex("f8303037773036")};
        QTest::newRow("0x43, address 0") << 0x43 << 0 << QByteArrayList{modbus};
        QTest::newRow("0x43, address 10") << 0x43 << 10 << QByteArrayList{modbus};
        QTest::newRow("0x64: not above 100") << 0x64 << 20 << QByteArrayList{modbus};
        QTest::newRow("0x99, address 20") << 0x99 << 20 << QByteArrayList{modbus, q8100};
        QTest::newRow("0x99, address 1")
            << 0x99 << 1 << QByteArrayList{modbus, q8100, QByteArray::fromHex("b8303037773c36")};
    }
    void prepareLink() {
        QFETCH(int, firmware);
        QFETCH(int, address);
        QFETCH(QByteArrayList, frames);
        bench->identification.FirmwareVersion = firmware;
        link->DeviceAddress = address;
        link->CommError = true;
        port->deliverLater(QByteArray::fromHex("0102030405060708"), 1); // old answers
        services->PrepareLink();
        QCOMPARE(port->written, frames);
        QCOMPARE(port->bytesAvailable(), 0);
        QVERIFY(!link->CommError);
    }

    // Started from a handler while an exchange waits, the preparation frames follow its reply
    // instead of cutting into it.
    void prepareLinkDuringExchange() {
        bench->identification.FirmwareVersion = 0x42;
        QList<int> stateAtWrite;
        port->responder = [&](const QByteArray& written) {
            stateAtWrite.append(link->LinkState);
            if (quint8(written[0]) != Telegram::LongStart)
                return FakePort::Reaction{};
            return FakePort::Reaction{{reply(53, QByteArray(1, char(0x36)))}, 30, 0};
        };
        QTimer::singleShot(5, this, [this] { services->PrepareLink(); });
        QVERIFY(services->ReadFirmwareVersion());
        QCOMPARE(bench->identification.FirmwareVersion, 0x36);
        QCOMPARE(port->written.size(), 2);
        QCOMPARE(port->written[1], QByteArray::fromHex("0010d0057d010100c666"));
        QCOMPARE(stateAtWrite, (QList<int>{0, 0}));
    }

    void firmwareVersion() {
        QCOMPARE(firmwareText(0x36), QStringLiteral("Firmware: V3.6"));
        QCOMPARE(firmwareText(0x4A), QStringLiteral("Firmware: V4.10"));
        QSignalSpy read(services, &DeviceServices::firmwareVersionRead);
        port->reply(reply(53, QByteArray(1, char(0x36))));
        QVERIFY(services->ReadFirmwareVersion());
        QCOMPARE(bench->identification.FirmwareVersion, 0x36);
        QCOMPARE(read.count(), 1);
        QCOMPARE(read[0][0].toInt(), 0x36);

        // No answer: the version stays, the status bar is refreshed anyway.
        QVERIFY(!services->ReadFirmwareVersion());
        QCOMPARE(bench->identification.FirmwareVersion, 0x36);
        QCOMPARE(read.count(), 2);
        QCOMPARE(bench->interaction.asked.size(), 1);
    }

    void rawBlock_data() {
        QTest::addColumn<bool>("answered");
        QTest::newRow("complete block") << true;
        QTest::newRow("silent controller") << false;
    }
    void rawBlock() {
        QFETCH(bool, answered);
        QByteArray data(3, '\0');
        for (int i = 0; i < 96; ++i)
            data.append(char(0x80 + i));
        // An earlier reply is still in ReplyBytes when the controller stays silent.
        port->reply(reply(61, data));
        services->ReadRequest(61);
        bench->memory[640] = 0x11;
        bench->memory[735] = 0x22;
        bench->identification.FirmwareVersion = 0x42; // only the Modbus frame
        port->silence();
        if (answered)
            port->reply(reply(61, data));
        else
            link->RepeatCount = 3;
        QCOMPARE(services->ReadRawBlock(), answered);
        QCOMPARE(int(bench->memory[640]), answered ? 0x80 : 0x11);
        QCOMPARE(int(bench->memory[735]), answered ? 0x80 + 95 : 0x22);
        QCOMPARE(int(bench->memory[736]), 0);
    }

    void mappingState_data() {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<int>("opStatus");
        QTest::addColumn<int>("mapping");
        QTest::newRow("mapping") << reply(50, QByteArray(1, char(0xA5))) << 0xA0 << 1;
        QTest::newRow("normal operation") << reply(50, QByteArray(1, char(0x35))) << 0x30 << 0;
        QTest::newRow("no answer keeps the state") << QByteArray() << 0xA0 << 1;
    }
    void mappingState() {
        QFETCH(QByteArray, answer);
        QFETCH(int, opStatus);
        QFETCH(int, mapping);
        services->OpStatus = 0xA0;
        services->MappingActive = 1;
        QSignalSpy changed(services, &DeviceServices::mappingStateChanged);
        if (answer.isEmpty())
            link->RepeatCount = 3;
        else
            port->reply(answer);
        QCOMPARE(services->RefreshMappingState(), !answer.isEmpty());
        QCOMPARE(port->written[0].toHex(), QByteArray("680303687b0532b216"));
        QCOMPARE(services->OpStatus, opStatus);
        QCOMPARE(services->MappingActive, mapping);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed[0][0].toBool(), mapping == 1);
    }
};

QTEST_GUILESS_MAIN(TestDeviceServices)
#include "tst_deviceservices.moc"
