#include "app/Defaults.h"
#include "app/Workspace.h"
#include "support/ScriptedInteraction.h"
#include "support/WiringSequences.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {
// A workspace with the default configuration of a freshly started program.
struct Offline {
    explicit Offline(int firmware = 0x99, int attributes = 0x10) : ws(interaction, nullptr) {
        ws.setLanguageOffset(1000);
        LoadDefaultConfiguration(ws.image, ws.identification);
        ws.identification.FirmwareVersion = firmware;
        ws.image.setValue(31, 1, attributes);
        ws.DecodeAttributes(attributes);
        ws.configuration.ConfigurationChanged();
    }
    ScriptedInteraction interaction;
    Workspace ws;
    ConfigurationModel& model() { return ws.configuration; }
};

int indexOf(const QString& name) {
    return name.section(u'_', -1).section(u'=', 0, 0).toInt();
}

// The picture's action behind a click of the sequences.
void apply(ConfigurationModel& m, const QString& click) {
    const bool chosen = m.SelectedTerminal != Wiring::NoTerminal;
    const int i = indexOf(click);
    if (click.startsWith(QLatin1String("CheckA_")))
        m.pressTerminal(i);
    else if (click.startsWith(QLatin1String("Label2_")) && chosen)
        m.releaseOnTarget(i);
    else if (click.startsWith(QLatin1String("Label1_")))
        m.toggleDirection(i);
    else if (click.startsWith(QLatin1String("lblSpezial_")))
        m.toggleKind(i);
    else if (click.startsWith(QLatin1String("lblRAStrom_")))
        m.modeClick(i);
    else if (click.startsWith(QLatin1String("cbo")))
        m.chooseListEntry(i, click.section(u'=', 1).toInt());
    else if (click == QLatin1String("empty") && chosen)
        m.releaseOnEmpty();
    else if (click.startsWith(QLatin1String("right:")) && chosen)
        m.unlinkTerminal(i);
    else if (click == QLatin1String("cmd17bis24"))
        m.LoadExtendedView();
    else if (click == QLatin1String("cmd1bis20"))
        m.LoadNormalView();
}
} // namespace

class tst_ConfigurationModel : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void sequences_data() { addWiringSequenceRows(); }
    void sequences() {
        QFETCH(int, n);
        const WiringSequence s = wiringSequences().at(n);
        Offline o(s.firmware, s.attributes);
        const DeviceImage before = o.ws.image;
        for (const QString& click : s.clicks)
            apply(o.model(), click);
        const QString mismatch = wiringMismatch(s, before, o.ws.image, o.model().TerminalLink);
        QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch));
        QCOMPARE(o.model().SelectedTerminal, Wiring::NoTerminal);
    }

    // Refusals say why and change nothing.
    void refusals_data() {
        QTest::addColumn<int>("firmware");
        QTest::addColumn<int>("attributes");
        QTest::addColumn<QStringList>("clicks");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("special output cannot be chosen")
            << 0x99 << 0x10 << QStringList{"lblSpezial_1", "CheckA_1"} << "special function";
        QTest::newRow("input on an output slot")
            << 0x99 << 0x10 << QStringList{"Label1_1", "CheckA_1", "Label2_0"} << "takes an output";
        QTest::newRow("continuous alarm")
            << 0x43 << 0x90 << QStringList{"CheckA_16", "Label2_5"} << "alarm";
        QTest::newRow("mode of a binary output")
            << 0x99 << 0x10 << QStringList{"lblRAStrom_0"} << "continuous";
        QTest::newRow("hidden row") << 0x99 << 0x10 << QStringList{"Label1_17"} << "not shown";
    }
    void refusals() {
        QFETCH(int, firmware);
        QFETCH(int, attributes);
        QFETCH(QStringList, clicks);
        Offline o(firmware, attributes);
        const QString last = clicks.takeLast();
        for (const QString& click : std::as_const(clicks))
            apply(o.model(), click);
        const DeviceImage before = o.ws.image;
        ConfigurationModel& m = o.model();
        const int i = indexOf(last);
        const ConfigurationModel::Outcome outcome =
            last.startsWith(QLatin1String("CheckA"))       ? m.pressTerminal(i)
            : last.startsWith(QLatin1String("Label2"))     ? m.releaseOnTarget(i)
            : last.startsWith(QLatin1String("lblRAStrom")) ? m.modeClick(i)
                                                           : m.toggleDirection(i);
        QVERIFY(!outcome);
        QFETCH(QString, refusal);
        QVERIFY2(outcome.refusal.contains(refusal), qPrintable(outcome.refusal));
        for (int k = 1; k <= 20; ++k)
            QCOMPARE(o.ws.image.value(36, k), before.value(36, k));
    }

    void views() {
        Offline o(0x99, 0x10); // A0: I/O 17..20 are not there
        ConfigurationModel& m = o.model();
        QVERIFY(m.rowVisible(15));
        QVERIFY(!m.rowVisible(16));
        o.ws.image.setValue(51, 4, 0x26);
        m.LoadExtendedView();
        QVERIFY(m.rowVisible(7));
        QVERIFY(!m.rowVisible(8));
        QCOMPARE(m.ioNumber(3), 20);
        QCOMPARE(m.TerminalLink[3], 9);
        QCOMPARE(m.TerminalConfig[12], 0);
        QCOMPARE(m.terminalCaption(0, true), QStringLiteral("2"));
        // Terminal strip numbering of the normal view.
        m.LoadNormalView();
        QCOMPARE(m.terminalCaption(8, true), QStringLiteral("32"));
        QCOMPARE(m.terminalCaption(0, true), QStringLiteral("22"));
        o.ws.identification.ModuleVariant = 1;
        QCOMPARE(m.terminalCaption(0, true), QStringLiteral("32"));
        QCOMPARE(m.terminalCaption(9, true), QStringLiteral("x.1"));
        QCOMPARE(m.terminalCaption(9, false), QStringLiteral("10"));
    }

    // The external current supervision follows every stored byte.
    void externalCurrentInputsFollowEdits() {
        Offline o(0x56, 0x41); // A1 B2
        ConfigurationModel& m = o.model();
        o.ws.image.setValue(36, 1, 0x70);
        o.ws.image.setValue(36, 2, 0xFD);
        m.LoadNormalView();
        QVERIFY(!o.ws.identification.ExternalCurrentInputs);
        m.toggleKind(2);          // Out S, "Output off"
        m.chooseListEntry(2, 16); // "Clock ext.CM": code 30
        QCOMPARE(o.ws.image.value(36, 3), 120.0);
        QVERIFY(o.ws.identification.ExternalCurrentInputs);
    }

    void featureCode_data() {
        QTest::addColumn<int>("attributes");
        QTest::addColumn<int>("entry");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("variant");
        QTest::addColumn<double>("sensor6"); // sensor code 6 of channel 1 afterwards
        QTest::addColumn<bool>("cleared");   // I/O 17..20 cleared
        QTest::newRow("A1 B2 on 0x21") << 0x21 << 4 << true << 0x61 << 2 << 2.0 << true;
        QTest::newRow("A2 B1 on 0x10") << 0x10 << 2 << true << 0x90 << 3 << 6.0 << true;
        QTest::newRow("same equipment keeps I/O 17..20")
            << 0x50 << 1 << true << 0x50 << 3 << 6.0 << false;
        QTest::newRow("cancelled") << 0x10 << 5 << false << 0x10 << 3 << 6.0 << false;
    }
    void featureCode() {
        QFETCH(int, attributes);
        QFETCH(int, entry);
        QFETCH(bool, ok);
        Offline o(0x99, attributes);
        for (int k = 17; k <= 20; ++k)
            o.ws.image.setValue(36, k, 0x26);
        o.ws.image.setValue(33, 1, 6);
        o.interaction.answers = {ok ? Interaction::Answer::Ok : Interaction::Answer::Cancel};
        QSignalSpy shown(&o.ws, &Workspace::featureCodeShown);
        QCOMPARE(o.model().SelectFeatureCode(entry, o.interaction), ok);
        QCOMPARE(o.interaction.asked.size(), 1);
        QCOMPARE(o.interaction.asked[0].title, QStringLiteral("Konfiguration"));
        QCOMPARE(o.interaction.asked[0].icon, Interaction::Icon::Critical);
        QTEST(int(o.ws.image.value(31, 1)), "result");
        QTEST(o.ws.identification.ModuleVariant, "variant");
        QTEST(o.ws.image.value(33, 1), "sensor6");
        QFETCH(bool, cleared);
        QCOMPARE(o.ws.image.value(36, 18), cleared ? 0.0 : 0x26);
        QCOMPARE(shown.size(), ok ? 1 : 0);
    }

    // A feature code chosen on a four-channel attributes byte shows eight channels; the saved
    // file says so, and opening it shows eight again.
    void savedFileKeepsTheChannelCount() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("a.tvk"));
        Offline o(0x99, 0x21);
        QVERIFY(!o.model().channelVisible(5));
        QVERIFY(o.model().SelectFeatureCode(4, o.interaction));
        QVERIFY(o.model().channelVisible(5));
        QVERIFY(o.ws.SaveConfigurationFile(path).ok);
        QCOMPARE(int(o.ws.image.value(31, 1)), 0x61); // the image keeps its bit 5

        Offline reopened;
        QVERIFY(reopened.ws.OpenConfigurationFile(path).ok);
        QCOMPARE(int(reopened.ws.image.value(31, 1)), 0x41);
        QCOMPARE(reopened.ws.identification.ModuleVariant, 2);
        QVERIFY(reopened.model().channelVisible(8));
    }

    // A sensor code the list does not know stays until the user picks an entry.
    void unknownSensorCodeIsKept() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("b.tvk"));
        Offline newer(0x99, 0x10);
        newer.ws.image.setValue(33, 2, 16); // "Typ C" from firmware 70 on
        QVERIFY(newer.ws.SaveConfigurationFile(path).ok);

        Offline old(0x45, 0x10);
        QVERIFY(old.ws.OpenConfigurationFile(path).ok);
        QCOMPARE(old.ws.image.value(33, 2), 16.0);
        QCOMPARE(old.model().sensorLabel(2), QStringLiteral("MW2 ? (16)"));
        QCOMPARE(old.model().sensorPosition(2), -1);
        QVERIFY(old.model().SelectFeatureCode(0, old.interaction));
        QCOMPARE(old.ws.image.value(33, 2), 16.0);
        QVERIFY(old.model().chooseSensor(2, 11));
        QCOMPARE(old.model().sensorLabel(2), QStringLiteral("MW2 Pt100"));
        QVERIFY(!old.model().chooseSensor(2, 13));
    }
};

QTEST_GUILESS_MAIN(tst_ConfigurationModel)
#include "tst_configurationmodel.moc"
