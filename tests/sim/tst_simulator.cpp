// The controller's protocol engine without a port: request bytes in, reply bytes out.
#include "link/Telegram.h"
#include "link/TransferGroup.h"
#include "sim/SimSeed.h"
#include "sim/Simulator.h"

#include <QtTest>

namespace {

constexpr int kAddress = 3;

QDateTime fixedStart() {
    return QDateTime(QDate(2026, 3, 9), QTime(14, 5, 30));
}

SimOptions options(int firmware = 0x56) {
    SimOptions o;
    o.firmware = firmware;
    o.clockStart = fixedStart();
    return o;
}

QByteArray readFrame(int code, const QByteArray& data, int address = kAddress) {
    return Telegram::buildLong(Telegram::ReadControl, quint8(address), quint8(code), data);
}

QByteArray writeFrame(int code, const QByteArray& data) {
    return Telegram::buildLong(Telegram::WriteControl, kAddress, quint8(code), data);
}

QByteArray bytes(std::initializer_list<int> list) {
    QByteArray b;
    for (int v : list)
        b.append(char(v));
    return b;
}

// The one answer to one complete request (empty = no answer).
QByteArray ask(Simulator& sim, const QByteArray& frame) {
    const QList<SimExchange> ex = sim.receive(frame);
    QByteArray reply;
    for (const SimExchange& e : ex)
        reply += e.reply;
    return reply;
}

QByteArray read(Simulator& sim, int code, int p1 = 0, int p2 = 0, int p3 = 0) {
    const TransferGroup g = transferGroupOf(code);
    QByteArray data;
    if (g != TransferGroup::SingleByte && g != TransferGroup::SingleWord)
        data.append(char(p1)).append(char(p2)).append(char(p3));
    return ask(sim, readFrame(code, data));
}

QByteArray write(Simulator& sim, int code, const QByteArray& data) {
    return ask(sim, writeFrame(code, data));
}

// 1-based byte position as the program reads replies.
int at(const QByteArray& reply, int position) {
    return quint8(reply.at(position - 1));
}
int wordAt(const QByteArray& reply, int position) {
    return at(reply, position) + 256 * at(reply, position + 1);
}

const QByteArray kAck = QByteArray::fromHex("1000030316");
const QByteArray kNack = QByteArray::fromHex("1001030416");

} // namespace

class TestSimulator : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void readReplyLayout_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("p1");
        QTest::addColumn<int>("p2");
        QTest::addColumn<int>("valuePosition"); // of the first value read
        QTest::addColumn<int>("expected");      // the first value
        QTest::addColumn<bool>("word");

        // Factory values: setpoint 1 = 800, setpoint 3 = 1200, I/O terminal 1 = 2, CT ratio 1000.
        QTest::newRow("word block, no range") << 0 << 0 << 0 << 11 << 800 << true;
        QTest::newRow("word block, range 3..8") << 0 << 3 << 8 << 11 << 1200 << true;
        QTest::newRow("word block 0x24 with message inputs") << 36 << 0 << 0 << 27 << 1 << false;
        QTest::newRow("byte block") << 32 << 0 << 0 << 11 << 0x40 << false;
        QTest::newRow("byte block, range 2..2") << 32 << 2 << 2 << 11 << 0x40 << false;
        QTest::newRow("I/O block") << 55 << 0 << 0 << 12 << 6 << false;
        QTest::newRow("raw block") << 61 << 0 << 0 << 11 << 0x21 << false;
        QTest::newRow("ID block") << 63 << 0 << 0 << 11 << 0x30 << false;
        QTest::newRow("single byte: firmware") << 53 << 0 << 0 << 8 << 0x56 << false;
        QTest::newRow("single word: logger cycle") << 146 << 0 << 0 << 8 << 10 << true;
        QTest::newRow("addressed word: CT ratio") << 100 << 5 << 5 << 11 << 1000 << true;
    }
    void readReplyLayout() {
        QFETCH(int, code);
        QFETCH(int, p1);
        QFETCH(int, p2);
        QFETCH(int, valuePosition);
        QFETCH(int, expected);
        QFETCH(bool, word);
        Simulator sim(options());
        const QByteArray reply = read(sim, code, p1, p2, 7);

        const bool addressed = transferGroupOf(code) == TransferGroup::AddressedWord;
        QCOMPARE(reply.size(), readReplyLength(code, addressed ? 0 : p1, addressed ? 0 : p2));
        QVERIFY(Telegram::isValidLong(reply));
        QCOMPARE(at(reply, 5), int(Simulator::ReplyControl));
        QCOMPARE(at(reply, 6), kAddress);
        QCOMPARE(at(reply, 7), code);
        if (isRangedGroup(transferGroupOf(code)) || addressed) {
            // The three request bytes come back in front of the values.
            QCOMPARE(at(reply, 8), p1);
            QCOMPARE(at(reply, 9), p2);
            QCOMPARE(at(reply, 10), 7);
        }
        QCOMPARE(word ? wordAt(reply, valuePosition) : at(reply, valuePosition), expected);
    }

    // Writes that cannot be carried out are refused and change nothing; broken, foreign and
    // unknown requests get no answer at all, and the next good request is answered as usual.
    void badRequests_data() {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<QByteArray>("answer");
        QTest::newRow("firmware is read-only") << writeFrame(53, bytes({0x99})) << kNack;
        QTest::newRow("attributes are read-only") << writeFrame(49, bytes({0})) << kNack;
        QTest::newRow("word block one byte short")
            << writeFrame(0, bytes({0, 0, 0, 1, 2, 3})) << kNack;
        QTest::newRow("range beyond channel 8") << writeFrame(32, bytes({8, 9, 0, 1, 1})) << kNack;
        QTest::newRow("unknown write code") << writeFrame(0x77, bytes({0, 0, 0})) << kNack;
        QTest::newRow("impossible clock")
            << writeFrame(144, bytes({0, 0, 0, 0, 0, 25, 31, 2, 26})) << kNack;
        QTest::newRow("unknown operation command") << writeFrame(50, bytes({0x44})) << kNack;
        QByteArray badSum = readFrame(0, bytes({0, 0, 0}));
        badSum[badSum.size() - 2] = char(badSum.at(badSum.size() - 2) + 1);
        QByteArray badEnd = readFrame(0, bytes({0, 0, 0}));
        badEnd[badEnd.size() - 1] = 0x17;
        QTest::newRow("bad checksum") << badSum << QByteArray();
        QTest::newRow("bad end byte") << badEnd << QByteArray();
        QTest::newRow("other address") << readFrame(0, bytes({0, 0, 0}), 4) << QByteArray();
        QTest::newRow("other address, short") << Telegram::buildShort(0x7A, 4) << QByteArray();
        QTest::newRow("reset") << Telegram::buildShort(0x44, kAddress) << QByteArray();
        QTest::newRow("unknown read code") << readFrame(0x77, bytes({0, 0, 0})) << QByteArray();
        QTest::newRow("range beyond the item") << readFrame(0, bytes({1, 9, 0})) << QByteArray();
        QTest::newRow("single byte with data") << readFrame(53, bytes({0, 0, 0})) << QByteArray();
        QTest::newRow("code beyond the firmware's rows") << readFrame(58, {}) << QByteArray();
    }
    void badRequests() {
        QFETCH(QByteArray, frame);
        Simulator sim(options(0x35));
        const int code = frame.size() > 6 ? quint8(frame[6]) : -1;
        const QVector<int> before = sim.device().item(code);
        QTEST(ask(sim, frame), "answer");
        QCOMPARE(sim.device().item(code), before);
        QCOMPARE(read(sim, 53).size(), 10);
    }

    void framing() {
        Simulator sim(options());
        const QByteArray request = readFrame(53, {});

        // A request in pieces is answered once it is complete.
        QVERIFY(ask(sim, request.left(2)).isEmpty());
        QVERIFY(sim.hasPartial());
        QVERIFY(ask(sim, request.mid(2, 3)).isEmpty());
        QCOMPARE(ask(sim, request.mid(5)).size(), 10);

        // Junk before a request is skipped; two requests in one piece get two answers.
        const QList<SimExchange> ex =
            sim.receive(QByteArray::fromHex("FF0012") + request + request);
        QCOMPARE(ex.size(), 3);
        QVERIFY(ex[0].reply.isEmpty());
        QVERIFY(!ex[0].counted);
        QCOMPARE(ex[1].reply.size(), 10);
        QCOMPARE(ex[2].reply.size(), 10);

        // A long header whose length bytes disagree is junk; the request behind it is answered.
        QCOMPARE(ask(sim, QByteArray::fromHex("68050668") + request).size(), 10);

        // A fragment that never completes is dropped after a quiet line.
        QVERIFY(ask(sim, request.left(6)).isEmpty());
        QCOMPARE(sim.flushPartial().size(), 1);
        QCOMPARE(ask(sim, request).size(), 10);
    }

    void parameterSets() {
        Simulator sim(options());
        auto setpoint1 = [&] {
            return wordAt(read(sim, 0), 11);
        };
        auto setSetpoint1 = [&](int v) {
            QCOMPARE(write(sim, 0, bytes({1, 1, 0, v & 0xFF, v >> 8})), kAck);
        };
        setSetpoint1(1111);
        QCOMPARE(write(sim, 50, bytes({0x1E})), kAck); // store as set 1
        setSetpoint1(2222);
        QCOMPARE(write(sim, 50, bytes({0x2E})), kAck); // store as set 2
        setSetpoint1(3333);
        QCOMPARE(setpoint1(), 3333);

        QCOMPARE(write(sim, 50, bytes({0x1F})), kAck);
        QCOMPARE(setpoint1(), 1111);
        QCOMPARE(write(sim, 50, bytes({0x2F})), kAck);
        QCOMPARE(setpoint1(), 2222);
        QCOMPARE(sim.device().loadedParameterSet(), 2);

        // Factory settings; communication settings and identification are not parameters.
        QCOMPARE(write(sim, 160, bytes({0x21})), kAck);
        QCOMPARE(write(sim, 50, bytes({0x0F})), kAck);
        QCOMPARE(setpoint1(), 800);
        QCOMPARE(at(read(sim, 160), 8), 0x21);
        QCOMPARE(at(read(sim, 53), 8), 0x56);
    }

    void protocolSwitch_data() {
        QTest::addColumn<int>("firmware");
        QTest::addColumn<int>("protocol");
        QTest::addColumn<QByteArray>("returnFrame");
        QTest::addColumn<QByteArray>("otherFrame"); // a frame that does not bring it back
        const QByteArray modbus = QByteArray::fromHex("0010D0057D010100C666");
        const QByteArray q8100 = QByteArray::fromHex("10FF494816");
        // Address 3: 0xB0 + 24 = 0xC8, "007w", sum 0x1D6 -> 0xD6 -> "=" + "6".
        const QByteArray hbTherm = QByteArray::fromHex("C830303777") + "=6";
        QTest::newRow("Modbus") << 0x70 << 2 << modbus << q8100;
        QTest::newRow("Q8100") << 0x70 << 4 << q8100 << hbTherm;
        // The program sends no Q8100 frame to firmware up to 0x64: the Modbus frame serves.
        QTest::newRow("Q8100, firmware 0x56") << 0x56 << 4 << modbus << hbTherm;
        QTest::newRow("HB-Therm") << 0x70 << 6 << hbTherm << modbus;
        QTest::newRow("HB-Therm, frame split")
            << 0x70 << 6 << hbTherm.left(3) + QByteArray("|") + hbTherm << modbus;
    }
    void protocolSwitch() {
        QFETCH(int, firmware);
        QFETCH(int, protocol);
        QFETCH(QByteArray, returnFrame);
        QFETCH(QByteArray, otherFrame);
        Simulator sim(options(firmware));
        const QByteArray select = bytes({0x7D, 0x05, 0x00, 0x01, protocol});

        // Without the preparation the selection is refused.
        QCOMPARE(write(sim, 0xD0, select), kNack);
        QCOMPARE(sim.protocol(), SimProtocol::Native);

        QCOMPARE(write(sim, 0x3C, bytes({0x00})), kAck);
        QCOMPARE(write(sim, 0xD0, select), kAck);
        QVERIFY(sim.protocol() != SimProtocol::Native);
        QVERIFY(read(sim, 53).isEmpty());
        QVERIFY(ask(sim, otherFrame).isEmpty());
        QVERIFY(read(sim, 53).isEmpty());

        // Fed in two pieces, the way a port may deliver it.
        sim.receive(returnFrame.left(2));
        sim.receive(returnFrame.mid(2));
        QCOMPARE(sim.protocol(), SimProtocol::Native);
        QCOMPARE(at(read(sim, 53), 8), firmware);
    }

    void shortRequestBlocks() {
        Simulator sim(options());
        sim.device().advance(20000);

        const QByteArray cyclic = ask(sim, Telegram::buildShort(0x7B, kAddress));
        QCOMPARE(cyclic.size(), 50);
        QCOMPARE(at(cyclic, 1), 0x68);
        QCOMPARE(at(cyclic, 2), 44);
        QCOMPARE(at(cyclic, 50), 0x16);
        QVERIFY(Telegram::isValidLong(cyclic));
        for (int i = 0; i < 8; ++i) {
            QCOMPARE(signedWord(wordAt(cyclic, 2 * i + 7)),
                     int(std::lround(sim.device().actualValue(i + 1))));
            QCOMPARE(signedByte(at(cyclic, i + 23)), sim.device().output(i + 1));
            QCOMPARE(wordAt(cyclic, 2 * i + 31), sim.device().heatingCurrent(i + 1));
        }
        QCOMPARE(wordAt(cyclic, 47), sim.device().heatingVoltage());
        QVERIFY(wordAt(cyclic, 47) > 2200);

        QCOMPARE(ask(sim, Telegram::buildShort(0x7E, kAddress)).size(), 40);

        sim.device().raiseDeviceError(0x1001);
        sim.device().setWiringErrors(2, 0x0080);
        const QByteArray errors = ask(sim, Telegram::buildShort(0x7A, kAddress));
        QCOMPARE(errors.size(), 32);
        QCOMPARE(wordAt(errors, 2 * 8 + 7), 0x1001);
        QCOMPARE(wordAt(errors, 2 * 11 + 7), 0x0080);
    }

    void processFollowsSetpoint() {
        Simulator sim(options());
        SimDevice& d = sim.device();
        QCOMPARE(d.actualValue(1), 200.0);
        d.advance(1000);
        QCOMPARE(d.output(1), 100); // far below the setpoint: full heating
        d.advance(299000);
        QVERIFY2(std::abs(d.actualValue(1) - 800) < 10,
                 qPrintable(QString::number(d.actualValue(1))));
        QVERIFY(d.output(1) > 0 && d.output(1) < 100);
        QVERIFY(d.heatingCurrent(1) > 0);

        // A lower setpoint: the channel cools (negative output) until it is close.
        QCOMPARE(write(sim, 0, bytes({1, 1, 0, 0x2C, 0x01})), kAck); // 30.0
        d.advance(1000);
        QVERIFY(d.output(1) < -50);
        QCOMPARE(d.heatingCurrent(1), 0);
        d.advance(300000);
        QVERIFY2(std::abs(d.actualValue(1) - 300) < 10,
                 qPrintable(QString::number(d.actualValue(1))));

        // Written outputs are held: the controller goes to manual mode.
        QByteArray outputs = bytes({0, 0, 0});
        for (int k = 1; k <= 8; ++k)
            outputs += char(k == 4 ? 256 - 30 : 25);
        QCOMPARE(write(sim, 40, outputs), kAck);
        d.advance(5000);
        const QByteArray reply = read(sim, 40);
        QCOMPARE(at(reply, 11), 25);
        QCOMPARE(signedByte(at(reply, 14)), -30);
        QVERIFY(d.item(34)[0] & 0x8000);
    }

    void alarmsHistoryAndClear() {
        Simulator sim(options());
        SimDevice& d = sim.device();
        // Cold start far below the setpoints: AL1 low on every channel, recorded in the history.
        QCOMPARE(d.errorWords()[0], quint16(0x10));
        const int entries = d.history().size();
        QCOMPARE(d.history().last().words[0], quint16(0x10));

        // Channel 1 reaches its band: the alarm goes and the history notes it.
        d.advance(60000);
        QCOMPARE(d.errorWords()[0], quint16(0));
        QVERIFY(d.history().size() > entries);

        // A stored alarm stays until the errors are cleared.
        QCOMPARE(write(sim, 54, bytes({1, 1, 0, 0x40})), kAck);      // alarm 1 store
        QCOMPARE(write(sim, 0, bytes({1, 1, 0, 0xE8, 0x03})), kAck); // 100.0: AL1 low again
        d.advance(100);
        QCOMPARE(d.errorWords()[0], quint16(0x10));
        QCOMPARE(write(sim, 0, bytes({1, 1, 0, 0x20, 0x03})), kAck); // back to 80.0
        d.advance(100);
        QCOMPARE(d.errorWords()[0], quint16(0x10));
        // Heating-current supervision: the adjustment takes the present currents as nominal; a
        // broken heater then reports "heating current low".
        QCOMPARE(write(sim, 50, bytes({0x55})), kAck);
        QCOMPARE(d.itemValue(96, 2), d.heatingCurrent(2));
        d.setHeaterBroken(2, true);
        d.advance(100);
        QCOMPARE(d.errorWords()[1] & 0x100, 0x100);
        d.setHeaterBroken(2, false);
        d.advance(100);
        QCOMPARE(d.errorWords()[1] & 0x100, 0);

        d.raiseDeviceError(0x0800);
        QCOMPARE(write(sim, 0x21, QByteArray(21, 0)), kAck);
        QCOMPARE(d.errorWords()[0], quint16(0));
        QCOMPARE(d.errorWords()[8], quint16(0));
    }

    void operationStatus() {
        Simulator sim(options());
        QCOMPARE(write(sim, 50, bytes({0x05})), kAck); // dimension byte
        auto status = [&] {
            return at(read(sim, 50), 8);
        };
        QCOMPARE(status(), 0x05);

        QCOMPARE(write(sim, 50, bytes({0xAA})), kAck);
        QCOMPARE(status(), 0xA5);
        sim.device().advance(2 * SimDevice::MappingStepMs);
        const QByteArray st = read(sim, 36, 1, 8);
        QCOMPARE(wordAt(st, 11), 0x8000);          // channel 1 mapped
        QCOMPARE(wordAt(st, 13), 0x8000 | 0x1000); // channel 2 mapped
        QCOMPARE(wordAt(st, 15), 0);
        QCOMPARE(write(sim, 50, bytes({0xAA})), kAck);
        QCOMPARE(status(), 0x05);

        QCOMPARE(write(sim, 50, bytes({0x99})), kAck);
        QCOMPARE(status() & 0xF0, 0x90);
        sim.device().advance(sim.device().transferDurationMs());
        QCOMPARE(status() & 0xF0, 0x00);
    }

    // Seed files: comments and blank lines are skipped; a bad line is named.
    void seedFiles() {
        QString error;
        const auto h = parseHistorySeed(
            QStringLiteral("# past\n\n2024-01-01T10:30:00 8 0 0 0 0 0 0 0 1000 0 0 FFFF\n"),
            &error);
        QVERIFY2(h && h->size() == 1, qPrintable(error));
        QCOMPARE(h->first().time, (ClockBytes{0, 30, 10, 1, 1, 24}));
        QCOMPARE(h->first().words[8], quint16(0x1000));
        const auto l = parseLoggerSeed(
            QStringLiteral("2007-01-01T00:00:10 200 -100 0 0 0 0 0 0 0 0 0 0 0 0 0 0 230"), &error);
        QVERIFY2(l && l->size() == 1, qPrintable(error));
        QCOMPARE(l->first().words[1], quint16(0xFF9C));

        QVERIFY(!parseHistorySeed(QStringLiteral("\n2024-01-01T10:30:00 8 0 0 0 0 0 0 0 0 0 0"),
                                  &error));
        QCOMPARE(error.section(u':', 0, 0), QStringLiteral("line 2"));
        QVERIFY(!parseLoggerSeed(QStringLiteral("10:00 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17"),
                                 &error));
        QCOMPARE(error.section(u':', 0, 0), QStringLiteral("line 1"));
    }
};

QTEST_GUILESS_MAIN(TestSimulator)
#include "tst_simulator.moc"
