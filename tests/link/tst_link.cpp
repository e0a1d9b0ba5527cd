#include "link/Telegram.h"
#include "support/LinkBench.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

namespace {
constexpr int Address = 5;

// A reply Telegram of the controller to function `code` with these data bytes.
QByteArray reply(int code, const QByteArray& data) {
    return Telegram::buildLong(0x08, Address, quint8(code), data);
}

// A reply to a short request: the block's bytes start at position 7, right after C and A.
QByteArray blockReply(const QByteArray& block) {
    return Telegram::buildLong(0x08, Address, quint8(block[0]), block.mid(1));
}

QByteArray counting(int n, int first = 1) {
    QByteArray b;
    for (int i = 0; i < n; ++i)
        b.append(char(first + i));
    return b;
}

// The 28-byte reply to a read of code 0, channels 1..8.
QByteArray wordBlockReply(int first = 1) {
    return reply(0, QByteArray::fromHex("010800") + counting(16, first));
}
} // namespace

class TestLink : public QObject {
    Q_OBJECT

    std::unique_ptr<LinkBench> bench;
    FakePort* port = nullptr;
    Link* link = nullptr;
    ScriptedInteraction* interaction = nullptr;

    // A read of code 0, channels 1..8: 28-byte reply.
    void prepareRead(int code = 0) {
        link->RequestControl = 0x7B;
        link->FunctionCode = code;
        link->RequestData = QByteArray::fromHex("010800");
        link->RequestLength = 6;
        link->DataSum = 9;
        link->Checksum = (0x7B + Address + code + 9) % 256;
        link->ExpectedLength = 28;
    }

private Q_SLOTS:
    void init() {
        bench = std::make_unique<LinkBench>(Address);
        port = &bench->fake();
        link = &bench->link;
        interaction = &bench->interaction;
        link->setReplyTimeout(40);
    }
    void cleanup() { bench.reset(); }

    void replyInChunks_data() {
        QTest::addColumn<QList<int>>("cuts");
        QTest::newRow("whole") << QList<int>{};
        QTest::newRow("three pieces") << QList<int>{3, 17};
        QTest::newRow("byte by byte") << QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 20, 27};
        QTest::newRow("five-byte start of a long frame") << QList<int>{5};
    }
    void replyInChunks() {
        QFETCH(QList<int>, cuts);
        const QByteArray frame = wordBlockReply(0x40);
        QByteArrayList chunks;
        int from = 0;
        for (int cut : cuts) {
            chunks.append(frame.mid(from, cut - from));
            from = cut;
        }
        chunks.append(frame.mid(from));
        port->replyChunks(chunks, 1);
        prepareRead();
        link->ExchangeTelegram();

        QCOMPARE(port->written, QByteArrayList{QByteArray::fromHex("680606687b05000108008916")});
        QVERIFY(!link->CommError);
        QCOMPARE(link->LinkState, 0);
        for (int k = 1; k <= 28; ++k)
            QCOMPARE(link->ReplyBytes[size_t(k)], int(quint8(frame[k - 1])));
        QCOMPARE(link->ReplyBytes[29], 0);
        QVERIFY(link->ReceiveBuffer.isEmpty());
    }

    // Only an intact frame from this address with the request's function code and length is
    // the reply. Anything else is dropped while the time-out runs on: the request is repeated
    // and the repetition's reply is taken; nothing of the rejected bytes is ever stored.
    void onlyTheRequestsReplyIsTaken_data() {
        QTest::addColumn<QByteArray>("first");
        QTest::addColumn<int>("sendings");
        QTest::addColumn<bool>("damaged");
        const QByteArray good = wordBlockReply(0x60);
        QByteArray wrongStart = good, lengthsDiffer = good, noEnd = good, checksum = good;
        wrongStart[0] = 0x67;
        lengthsDiffer[2] = 0x15;
        noEnd[27] = 0x17;
        checksum[20] = char(checksum[20] ^ 0x5A);
        QTest::newRow("wrong start") << wrongStart << 2 << false;
        QTest::newRow("length bytes differ") << lengthsDiffer << 2 << false;
        QTest::newRow("no end byte") << noEnd << 2 << true;
        QTest::newRow("checksum") << checksum << 2 << true;
        QTest::newRow("second start byte") << good.left(3) + char(0x69) + good.mid(4) << 2 << false;
        QTest::newRow("another address")
            << Telegram::buildLong(0x08, Address + 1, 0, good.mid(7, 19)) << 2 << false;
        QTest::newRow("another function code") << reply(1, good.mid(7, 19)) << 2 << false;
        QTest::newRow("a short reply to a read") << QByteArray::fromHex("1000050516") << 2 << false;
        QTest::newRow("junk before the reply")
            << QByteArray::fromHex("fffe0010") + good << 1 << false;
    }
    void onlyTheRequestsReplyIsTaken() {
        QFETCH(QByteArray, first);
        QFETCH(int, sendings);
        QFETCH(bool, damaged);
        const QByteArray good = wordBlockReply(0x60);
        port->reply(first);
        port->reply(good);
        prepareRead();
        link->ExchangeTelegram();
        QVERIFY(!link->CommError);
        QCOMPARE(port->written.size(), sendings);
        for (int k = 1; k <= 28; ++k)
            QCOMPARE(link->ReplyBytes[size_t(k)], int(quint8(good[k - 1])));
        QCOMPARE(link->ReplyBytes[29], 0);
        QCOMPARE(link->RepeatCount, 0);
        QVERIFY(interaction->asked.isEmpty());

        // Nothing but such replies: the give-up message says whether they were damaged.
        bench->texts.setLanguageOffset(1000);
        port->script.clear();
        for (int i = 0; i <= Link::MaxRepeats; ++i)
            port->reply(first.endsWith(good) ? first.left(4) : first);
        link->ExchangeTelegram();
        QVERIFY(link->CommError);
        QCOMPARE(interaction->asked.size(), 1);
        QCOMPARE(interaction->asked[0].text.contains(QStringLiteral("corrupted")), damaged);
        QCOMPARE(link->ReplyBytes[11], 0x60); // still the good reply, nothing of the others
    }

    // An answer that comes after the time-out completes the repetition; the repetition's own
    // answer, arriving while the next request waits, is not taken for that request's reply.
    void lateAnswerIsNotTheNextReply() {
        int sending = 0;
        port->responder = [&sending](const QByteArray& request) {
            const quint8 code = quint8(request[6]);
            const QByteArray answer =
                reply(code, QByteArray::fromHex("010800") + counting(16, code));
            // 1: late, after the time-out, while the repetition waits; 2: the repetition's
            // answer, while the next request waits; 3: the next request's, in time.
            return FakePort::Reaction{{answer}, ++sending == 1 ? 50 : 30, 0};
        };
        prepareRead(0x01);
        link->ExchangeTelegram();
        QVERIFY(!link->CommError);
        QCOMPARE(link->ReplyBytes[11], 0x01);
        prepareRead(0x02);
        link->ExchangeTelegram();
        QVERIFY(!link->CommError);
        QCOMPARE(link->ReplyBytes[7], 0x02);
        QCOMPARE(link->ReplyBytes[11], 0x02);
        QCOMPARE(port->written.size(), 3);
    }

    // A flood of bytes is skipped without holding on to it.
    void floodIsSkipped() {
        port->reply(QByteArray(100000, '\0') + QByteArray(300, '\x10') + wordBlockReply(0x30));
        prepareRead();
        link->ExchangeTelegram();
        QVERIFY(!link->CommError);
        QCOMPARE(link->ReplyBytes[11], 0x30);
        QVERIFY(link->ReceiveBuffer.isEmpty());
    }

    // Bytes arriving while nothing waits cannot complete the next exchange.
    void strayBytesCompleteNothing_data() {
        QTest::addColumn<QByteArray>("stray");
        QTest::addColumn<bool>("answered");
        QTest::newRow("a whole old reply, then silence") << wordBlockReply() << false;
        QTest::newRow("a few bytes, then the reply") << QByteArray::fromHex("16e5") << true;
        QTest::newRow("five bytes, then the reply") << QByteArray::fromHex("1000050516") << true;
    }
    void strayBytesCompleteNothing() {
        QFETCH(QByteArray, stray);
        QFETCH(bool, answered);
        port->deliverNow(stray);
        QTest::qWait(5);
        if (answered)
            port->reply(wordBlockReply(0x70));
        else
            link->RepeatCount = 3; // give up at the first time-out
        prepareRead();
        link->ExchangeTelegram();
        QCOMPARE(link->CommError, !answered);
        if (answered)
            QCOMPARE(link->ReplyBytes[11], 0x70);
    }

    // A silent controller gets the request repeated up to three times; after the fourth
    // silence the exchange gives up with one message.
    void repetitions_data() {
        QTest::addColumn<int>("silences");
        QTest::newRow("two silences, then the reply") << 2;
        QTest::newRow("silent throughout: give up") << 4;
    }
    void repetitions() {
        QFETCH(int, silences);
        const bool answered = silences <= Link::MaxRepeats;
        port->silence(silences);
        port->reply(wordBlockReply());
        QSignalSpy gaveUp(link, &Link::gaveUp);
        prepareRead();
        link->ExchangeTelegram();
        QCOMPARE(link->CommError, !answered);
        QCOMPARE(port->written.size(), answered ? silences + 1 : 1 + Link::MaxRepeats);
        QCOMPARE(port->written.last(), port->written.first());
        QCOMPARE(link->RepeatCount, 0);
        QCOMPARE(link->LinkState, 0);
        QCOMPARE(gaveUp.count(), answered ? 0 : 1);
        QCOMPARE(interaction->asked.size(), answered ? 0 : 1);
        if (answered)
            return;
        QCOMPARE(interaction->asked[0].buttons, Interaction::Buttons::Ok);
        QCOMPARE(interaction->asked[0].title, bench->texts.LoadText(456));
        QCOMPARE(interaction->asked[0].text,
                 bench->texts.LoadText(455) + QStringLiteral("\n  ->   COM ?   Adr. ?"));
    }

    // Short requests are sent once, but their time-outs count: after three of them the next
    // time-out of any exchange gives up at once.
    void giveUpAfterThreeSilentShortRequests() {
        QSignalSpy gaveUp(link, &Link::gaveUp);
        for (int i = 1; i <= 3; ++i) {
            link->RequestDeviceErrors();
            QCOMPARE(link->RepeatCount, i);
            QVERIFY(interaction->asked.isEmpty());
        }
        QCOMPARE(port->written.size(), 3);
        QCOMPARE(port->written[0], QByteArray::fromHex("107a057f16"));
        prepareRead();
        link->ExchangeTelegram();
        QCOMPARE(port->written.size(), 4);
        QCOMPARE(gaveUp.count(), 1);
        QCOMPARE(interaction->asked.size(), 1);
        QVERIFY(link->CommError);
        QCOMPARE(link->RepeatCount, 0);
    }

    // An exchange started from a handler while another waits is sent after it, and each
    // caller gets its own reply.
    void exchangeDuringExchange() {
        port->responder = [](const QByteArray& request) {
            const quint8 code = quint8(request[6]);
            return FakePort::Reaction{
                {reply(code, QByteArray::fromHex("010800") + counting(16, code))}, 30, 5};
        };
        link->setReplyTimeout(200);
        std::array<int, 201> innerReply{};
        bool innerError = true;
        QTimer::singleShot(10, this, [&] {
            QCOMPARE(link->LinkState, 1); // the outer exchange is waiting
            prepareRead(0x24);
            link->ExchangeTelegram();
            innerError = link->CommError;
            innerReply = link->ReplyBytes;
        });
        prepareRead(0x01);
        link->ExchangeTelegram();

        QCOMPARE(port->written.size(), 2);
        QCOMPARE(int(quint8(port->written[0][6])), 0x01);
        QCOMPARE(int(quint8(port->written[1][6])), 0x24);
        QVERIFY(!innerError);
        QCOMPARE(innerReply[11], 0x24);
        QVERIFY(!link->CommError);
        QCOMPARE(link->ReplyBytes[11], 0x01);
    }

    void blocksDecodedOnArrival() {
        QSignalSpy cyclicSpy(link, &Link::cyclicBlockDecoded);
        QSignalSpy errorSpy(link, &Link::deviceErrorsDecoded);

        // Cyclic block: 8 actual values, 8 outputs, 8 currents, the voltage.
        QByteArray cyclic;
        for (int i = 0; i < 8; ++i)
            cyclic.append(char(i)).append(char(0x10 + i));
        for (int i = 0; i < 8; ++i)
            cyclic.append(char(0xF0 + i));
        for (int i = 0; i < 8; ++i)
            cyclic.append(char(0x20 + i)).append(char(0x01));
        cyclic.append(char(0x34)).append(char(0x12));
        port->reply(blockReply(cyclic));
        link->RequestCyclicBlock();
        QVERIFY(!link->CommError);
        QVERIFY(!link->CyclicPending);
        QCOMPARE(link->CycleWordsA[3], 3 + 256 * 0x13);
        QCOMPARE(link->CycleBytes[7], 0xF7);
        QCOMPARE(link->CycleWordsB[0], 0x0120);
        QCOMPARE(link->CycleWordC, 0x1234);

        QByteArray extended;
        for (int i = 0; i < 16; ++i)
            extended.append(char(i)).append(char(0x80));
        port->reply(blockReply(extended));
        link->RequestExtendedCyclicBlock();
        QCOMPARE(link->CycleWordsB[8], 0x8000);
        QCOMPARE(link->CycleWordsB[23], 0x800F);
        QCOMPARE(link->CycleWordsB[7], 0x0127); // the basic block is untouched
        QCOMPARE(cyclicSpy.count(), 2);

        QByteArray errors;
        for (int i = 0; i < 12; ++i)
            errors.append(char(i == 8 ? 0x05 : i)).append(char(i == 8 ? 0x80 : 0));
        port->reply(blockReply(errors));
        link->RequestDeviceErrors();
        QVERIFY(!link->ErrorPending);
        QCOMPARE(link->DeviceErrorWords[8], 0x8005);
        QCOMPARE(link->DeviceErrorWords[11], 11);
        QCOMPARE(errorSpy.count(), 1);

        // A damaged block is not decoded, and once its request has timed out a reply of the
        // same length (the I/O configuration read) is not decoded as that block either.
        QByteArray bad = blockReply(QByteArray(24, '\x01'));
        bad[31] = 0;
        port->reply(bad);
        link->RequestDeviceErrors();
        QVERIFY(link->CommError);
        QVERIFY(!link->ErrorPending);
        port->reply(reply(55, QByteArray(3, '\0') + counting(20, 0x40)));
        prepareRead(55);
        link->ExpectedLength = 32;
        link->ExchangeTelegram();
        QVERIFY(!link->CommError);
        QCOMPARE(link->DeviceErrorWords[8], 0x8005);
        QCOMPARE(errorSpy.count(), 1);
    }

    // A port that reports a hang-up ends the waiting exchange at once; later ones fail at once.
    void lostPortEndsTheExchange() {
        link->setReplyTimeout(Link::ReplyTimeoutMs);
        QSignalSpy lost(link, &Link::portLost);
        QSignalSpy gaveUp(link, &Link::gaveUp);
        QTimer::singleShot(10, port, [this] { port->hangUp(); });
        QElapsedTimer clock;
        clock.start();
        prepareRead();
        link->ExchangeTelegram();
        QVERIFY(clock.elapsed() < Link::ReplyTimeoutMs);
        QVERIFY(link->CommError);
        QCOMPARE(lost.count(), 1);
        QCOMPARE(gaveUp.count(), 1);
        QVERIFY(interaction->asked.isEmpty()); // the owner of the port says it
        link->ExchangeTelegram();
        QVERIFY(link->CommError);
        QCOMPARE(port->written.size(), 1);
    }

    void closedPortFailsAtOnce() {
        port->close();
        prepareRead();
        link->ExchangeTelegram();
        QVERIFY(link->CommError);
        QVERIFY(port->written.isEmpty());
        QVERIFY(interaction->asked.isEmpty());
    }

    // Quitting the application ends a wait at once instead of leaving it spinning or hanging.
    // Keep this test last: the event loops of this process stay ended afterwards.
    void applicationQuitEndsWait() {
        link->setReplyTimeout(Link::ReplyTimeoutMs);
        QTimer::singleShot(20, this, [] { QCoreApplication::exit(0); });
        QElapsedTimer clock;
        clock.start();
        prepareRead();
        link->ExchangeTelegram();
        QVERIFY(clock.elapsed() < 400);
        QVERIFY(link->CommError);
        QCOMPARE(link->LinkState, 0);
        link->ExchangeTelegram(); // a caller looping over rows does not hang either
        QVERIFY(clock.elapsed() < 400);
        QVERIFY(link->CommError);
    }
};

QTEST_GUILESS_MAIN(TestLink)
#include "tst_link.moc"
