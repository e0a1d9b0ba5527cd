// The extra functions' device operations against the simulated controller, checked on its
// record of every frame it received.
#include "device/DeviceServices.h"
#include "link/Link.h"
#include "services/ExtraFunctions.h"
#include "services/ServiceCode.h"
#include "support/SimWorkspace.h"

#include <QSignalSpy>
#include <QtTest>

namespace {
const QDateTime kClock(QDate(2024, 12, 5), QTime(13, 45, 10));

struct Bench : SimWorkspace {
    explicit Bench(int firmware = 0x56, int attributes = 0x10, qint64 transferMs = 3000,
                   int processIntervalMs = 0)
        : SimWorkspace(SimOptions{3, firmware, attributes, kClock, false, transferMs},
                       processIntervalMs) {
        workspace->identification.FirmwareVersion = firmware;
        extra = std::make_unique<ExtraFunctions>(workspace->services(), *workspace, interaction);
    }
    std::unique_ptr<ExtraFunctions> extra;
};
} // namespace

class tst_ExtraFunctions : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void activation_data() {
        QTest::addColumn<int>("firmware");
        QTest::addColumn<int>("attributes");
        QTest::addColumn<QStringList>("trace");
        // The link is prepared before the first read; the transfer status is asked after the
        // attributes, since the attributes decide whether it is asked at all.
        QTest::newRow("0x56, attributes 0x10")
            << 0x56 << 0x10 << QStringList{"prep", "R31", "R32", "RA2", "R32", "RA1", "R90"};
        QTest::newRow("0x46, attributes 0x00")
            << 0x46 << 0x00 << QStringList{"prep", "R31", "RA2", "R32", "RA1", "R90"};
        QTest::newRow("0x1F") << 0x1F << 0x00 << QStringList{"prep", "R31", "RA1"};
    }
    void activation() {
        QFETCH(int, firmware);
        QFETCH(int, attributes);
        QFETCH(QStringList, trace);
        Bench b(firmware, attributes);
        QVERIFY2(b.started, qPrintable(b.errorText()));
        b.workspace->image.setValue(31, 1, 0x99);
        const ExtraFindings f = b.extra->activate();
        QCOMPARE(b.trace(), trace);
        QCOMPARE(f.attributes, std::optional<int>(attributes));
        QCOMPARE(b.workspace->image.value(31, 1), double(attributes));
        QCOMPARE(f.canBaudIndex, std::optional<int>(DefaultCanBaudIndex));
        if (firmware >= 0x32)
            QCOMPARE(f.clock, std::optional<ClockBuffer>(clockFromDateTime(kClock)));
    }

    void silentControllerChangesNothing() {
        Bench b;
        b.silenceFrom(1);
        b.workspace->image.setValue(31, 1, 0x41);
        const ExtraFindings f = b.extra->activate();
        QVERIFY(!f.attributes && !f.modbusAddress && !f.canBaudIndex && !f.clock);
        QVERIFY(!f.mappingActive && !f.transferStatus);
        QCOMPARE(b.workspace->image.value(31, 1), double(0x41));
        // Asked once (with its repetitions), told once.
        QCOMPARE(b.trace(), (QStringList{"prep", "R31", "R31", "R31", "R31"}));
        QCOMPARE(b.interaction.asked.size(), 1);
    }

    void commands_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QStringList>("trace");
        QTest::newRow("interface 19200 none") << "interface" << QStringList{"prep", "WA0 22"};
        QTest::newRow("CAN 100 k") << "can" << QStringList{"prep", "WA1 03"};
        QTest::newRow("LEDs") << "leds" << QStringList{"prep", "W32 33"};
        QTest::newRow("heating current") << "hue" << QStringList{"prep", "W32 55"};
        // No link preparation before the switch.
        QTest::newRow("protocol") << "protocol" << QStringList{"W3C 00", "WD0 7D05000104"};
        QTest::newRow("clock") << "clock"
                               << QStringList{"prep", "W90 0000000A2D0D1C0217", "prep", "R90"};
    }
    void commands() {
        QFETCH(QString, button);
        QFETCH(QStringList, trace);
        Bench b(0x56, 0x14);
        QVERIFY2(b.started, qPrintable(b.errorText()));
        ExtraFunctions& x = *b.extra;
        bool ok = false;
        if (button == QLatin1String("interface"))
            ok = x.setInterface(2, 2);
        else if (button == QLatin1String("can"))
            ok = x.setCanBaud(3);
        else if (button == QLatin1String("leds"))
            ok = x.command(OperationCommand::Leds);
        else if (button == QLatin1String("hue"))
            ok = x.command(OperationCommand::HeatingCurrent);
        else if (button == QLatin1String("protocol"))
            ok = x.switchProtocol(protocolFor(0x56, 0x14));
        else if (button == QLatin1String("clock")) {
            // 31 February 2023 is sent as the 28th, and the controller's clock says so.
            const auto sent = x.setClock({10, 45, 13, 31, 2, 23});
            QCOMPARE(sent, std::optional<ClockBuffer>(ClockBuffer{10, 45, 13, 28, 2, 23}));
            ok = x.readClock() == sent;
        }
        QVERIFY(ok);
        QCOMPARE(b.trace(), trace);
        if (button == QLatin1String("protocol"))
            QCOMPARE(b.simulator().protocol(), SimProtocol::Q8100);
        if (button == QLatin1String("can"))
            QCOMPARE(x.readCanBaud(), std::optional<int>(3));
    }

    void reset() {
        Bench b;
        QVERIFY2(b.started, qPrintable(b.errorText()));
        QSignalSpy stop(b.extra.get(), &ExtraFunctions::monitoringStopRequested);
        b.extra->reset();
        QCOMPARE(stop.size(), 1);
        QCOMPARE(b.trace(), (QStringList{"prep", "S44"}));
        QCOMPARE(b.requests.last(), QByteArray::fromHex("1044034716"));
        // The next exchange gets its own answer.
        QCOMPARE(b.extra->readCanBaud(), std::optional<int>(DefaultCanBaudIndex));
    }

    void transferPolledUntilItEnds() {
        Bench b(0x56, 0x10, 1200, 20);
        QVERIFY2(b.started, qPrintable(b.errorText()));
        QSignalSpy stop(b.extra.get(), &ExtraFunctions::monitoringStopRequested);
        QVERIFY(b.extra->startTransfer(OperationCommand::ToChannelDbs));
        QCOMPARE(stop.size(), 1);
        QCOMPARE(b.extra->waitWhileTransferRuns(), std::optional<int>(OperationStatus::Idle));
        const QStringList t = b.trace();
        QCOMPARE(t.mid(0, 2), (QStringList{"prep", "W32 99"}));
        QVERIFY2(t.size() >= 4 && t.mid(2).count(QStringLiteral("R32")) == t.size() - 2,
                 qPrintable(t.join(u' ')));
        QCOMPARE(b.device().operationStatus(), 0);
    }

    void mappingAsksBeforeStartAndStop() {
        Bench b;
        QVERIFY2(b.started, qPrintable(b.errorText()));
        QSignalSpy started(b.extra.get(), &ExtraFunctions::mappingStarted);
        b.interaction.answers = {Interaction::Answer::Cancel};
        QCOMPARE(b.extra->toggleMapping(), ExtraFunctions::MappingOutcome::Cancelled);
        QVERIFY(b.requests.isEmpty());

        QCOMPARE(b.extra->toggleMapping(), ExtraFunctions::MappingOutcome::Started);
        QCOMPARE(started.size(), 1);
        QVERIFY(b.device().mappingActive());
        QCOMPARE(b.extra->toggleMapping(), ExtraFunctions::MappingOutcome::Stopped);
        QVERIFY(!b.device().mappingActive());
        QCOMPARE(b.trace(), (QStringList{"prep", "W32 AA", "R32", "prep", "W32 AA", "R32"}));
        QCOMPARE(b.interaction.asked.size(), 3);
        for (const auto& a : b.interaction.asked) {
            QCOMPARE(a.title, QStringLiteral("Mapping"));
            QCOMPARE(a.text, b.workspace->texts.LoadText(425));
            QCOMPARE(a.buttons, Interaction::Buttons::OkCancel);
        }
    }

    void serviceCommand() {
        Bench b(0x56);
        QVERIFY2(b.started, qPrintable(b.errorText()));
        QVERIFY(sendServiceCommand(b.workspace->services()));
        QCOMPARE(b.trace(), (QStringList{"prep", "W3C 77", "R35"}));
        QVERIFY(b.device().serviceMode());
    }
};

QTEST_GUILESS_MAIN(tst_ExtraFunctions)
#include "tst_extrafunctions.moc"
