#include "config/ConfigurationLists.h"
#include "config/Terminals.h"
#include "device/Identification.h"
#include "i18n/StringTable.h"

#include <QtTest>

// The selection lists by firmware band, the mapping between list positions and stored codes in
// both directions, and the terminal byte as the picture shows it.
class tst_ConfigurationLists : public QObject {
    Q_OBJECT

    Texts english() const {
        Texts t;
        t.setLanguageOffset(1000);
        return t;
    }

    // Firmware bands of the special output list, with a version at each band boundary.
    static void addBands() {
        QTest::addColumn<int>("firmware");
        for (int fw : {0x10, 39, 40, 49, 50, 52, 53, 0x99})
            QTest::newRow(qPrintable(QStringLiteral("firmware %1").arg(fw))) << fw;
    }

private Q_SLOTS:
    void specialOutputList_data() {
        QTest::addColumn<int>("firmware");
        QTest::addColumn<int>("entries");
        QTest::addColumn<int>("reverseStart");
        QTest::addColumn<QStringList>("checks"); // "position=text"
        QTest::newRow("39") << 39 << 21 << 10
                            << QStringList{"9=Auto-tuning on,  Direct action", "10=Output on",
                                           "20=Reserved"};
        QTest::newRow("40") << 40 << 29 << 14
                            << QStringList{"10=Group error no,  Direct action",
                                           "27=Group error 3,  Reverse action", "28=Reserved"};
        QTest::newRow("50") << 50 << 33 << 18
                            << QStringList{"14=Data 3.device ext.CM", "17=Receipt ext. CM",
                                           "18=Output on"};
        QTest::newRow("53") << 53 << 34 << 19
                            << QStringList{"1=Collective alarm A,  Direct action", "18=Free output",
                                           "20=Collective alarm A,  Reverse action", "33=Reserved"};
    }
    void specialOutputList() {
        QFETCH(int, firmware);
        const QStringList list = specialOutputEntries(firmware, english());
        QTEST(int(list.size()), "entries");
        QTEST(specialOutputBand(firmware).H, "reverseStart");
        QCOMPARE(specialOutputBand(firmware).N, int(list.size()) - 1);
        QFETCH(QStringList, checks);
        for (const QString& check : checks)
            QCOMPARE(list.at(check.section(u'=', 0, 0).toInt()), check.section(u'=', 1));
    }

    // Every special output byte the list can show comes back from its position, and every
    // position stores a byte that shows it again.
    void specialOutputRoundTrip_data() { addBands(); }
    void specialOutputRoundTrip() {
        QFETCH(int, firmware);
        const SpecialOutputBand band = specialOutputBand(firmware);
        int shown = 0;
        for (int v = 4; v < 256; v += 4) {
            const int p = specialOutputPosition(v, firmware);
            if (p == band.N)
                continue;
            ++shown;
            QCOMPARE(specialOutputByte(p, firmware), std::optional<int>(v));
        }
        QCOMPARE(shown, band.N - 1); // every entry but "Output off" stands for one byte
        for (int p = 1; p < band.N; ++p)
            QCOMPARE(specialOutputPosition(*specialOutputByte(p, firmware), firmware), p);
        QCOMPARE(specialOutputByte(0, firmware), std::optional<int>(0));
        QVERIFY(!specialOutputByte(band.N, firmware)); // "Reserved" changes nothing
    }

    void specialOutputPositions_data() {
        QTest::addColumn<int>("byte");
        QTest::addColumn<int>("firmware");
        QTest::addColumn<int>("position");
        QTest::newRow("free output 53") << 0x40 << 53 << 18;
        QTest::newRow("free output 52 is reserved") << 0x40 << 52 << 32;
        QTest::newRow("ext.CM 50") << 0x70 << 50 << 14;
        QTest::newRow("ext.CM 49 is reserved") << 0x70 << 49 << 28;
        QTest::newRow("alarm A reverse") << 0x84 << 53 << 20;
        QTest::newRow("alarm A direct") << 0x04 << 53 << 1;
        QTest::newRow("output on") << 0x80 << 0x99 << 19;
        QTest::newRow("group error reverse 39 is reserved") << 0xA8 << 39 << 20;
    }
    void specialOutputPositions() {
        QFETCH(int, byte);
        QFETCH(int, firmware);
        QTEST(specialOutputPosition(byte, firmware), "position");
    }

    void inputList_data() {
        QTest::addColumn<int>("firmware");
        QTest::addColumn<bool>("special");
        QTest::addColumn<int>("entries");
        QTest::addColumn<QStringList>("checks"); // "position=text"
        QTest::newRow("65") << 65 << true << 21
                            << QStringList{"0=Setpoint 2 selection", "8=Free input (Message 1)",
                                           "16=Reserved", "17=Data ext.CM", "20=Logger stop "};
        QTest::newRow("64") << 64 << true << 20 << QStringList{"19=Receipt ext. CM"};
        QTest::newRow("49") << 49 << true << 17 << QStringList{"16=Reserved"};
        QTest::newRow("0x10, channel inputs")
            << 0x10 << false << 8 << QStringList{"3=Auto-adjust heating current", "4=Reserved"};
    }
    void inputList() {
        QFETCH(int, firmware);
        QFETCH(bool, special);
        const QStringList list = inputEntries(firmware, special, english());
        QTEST(int(list.size()), "entries");
        QFETCH(QStringList, checks);
        for (const QString& check : checks)
            QCOMPARE(list.at(check.section(u'=', 0, 0).toInt()), check.section(u'=', 1));
    }

    // Special input bytes: positions below 8 carry the group in bits 3..2, which a list choice
    // sets to "All".
    void specialInputRoundTrip_data() {
        QTest::addColumn<int>("firmware");
        for (int fw : {49, 50, 64, 65})
            QTest::newRow(qPrintable(QStringLiteral("firmware %1").arg(fw))) << fw;
    }
    void specialInputRoundTrip() {
        QFETCH(int, firmware);
        const int entries = int(inputEntries(firmware, true, english()).size());
        for (int v = 1; v < 256; v += 4) {
            const int p = specialInputPosition(v, firmware);
            QVERIFY(p < entries);
            if (p == SpecialInputReserved)
                continue;
            const int expected = (v >> 4) < InputFunctionCount ? v & ~0x0C : v;
            QCOMPARE(specialInputByte(p, firmware), std::optional<int>(expected));
        }
        for (int p = 0; p < entries; ++p)
            if (p != SpecialInputReserved)
                QCOMPARE(specialInputPosition(*specialInputByte(p, firmware), firmware), p);
        QVERIFY(!specialInputByte(SpecialInputReserved, firmware));
        QVERIFY(!specialInputByte(entries, firmware));
    }

    void specialInputPositions_data() {
        QTest::addColumn<int>("byte");
        QTest::addColumn<int>("firmware");
        QTest::addColumn<int>("position");
        QTest::newRow("message input 2") << 0x91 << 65 << 9;
        QTest::newRow("message input with a group is reserved") << 0x95 << 65 << 16;
        QTest::newRow("logger stop") << 0xCD << 65 << 20;
        QTest::newRow("logger stop on 64 is reserved") << 0xCD << 64 << 16;
        QTest::newRow("clock ext.CM") << 0xED << 50 << 18;
        QTest::newRow("boost on group 3") << 0x3D << 65 << 3;
    }
    void specialInputPositions() {
        QFETCH(int, byte);
        QFETCH(int, firmware);
        QTEST(specialInputPosition(byte, firmware), "position");
    }

    void sensorList_data() {
        QTest::addColumn<int>("variant");
        QTest::addColumn<int>("firmware");
        QTest::addColumn<double>("code");
        QTest::addColumn<int>("entries");
        QTest::addColumn<QString>("label");
        QTest::newRow("thermo") << 3 << 0x40 << 2.0 << 13 << "MW3 Typ K (NiCr-Ni)";
        QTest::newRow("thermo 70 Typ C") << 3 << 70 << 16.0 << 17 << "MW3 Typ C (W5Re-W26Re)";
        QTest::newRow("code of a newer firmware") << 3 << 69 << 16.0 << 13 << "MW3 ? (16)";
        QTest::newRow("20 mA") << 2 << 0x56 << 5.0 << 6 << "MW3 Pt-4-20mA";
        QTest::newRow("not a whole number") << 2 << 0x56 << 1.5 << 6 << "MW3 ? (1.5)";
    }
    void sensorList() {
        QFETCH(int, variant);
        QFETCH(int, firmware);
        QFETCH(double, code);
        Identification id;
        id.ModuleVariant = variant;
        id.FirmwareVersion = firmware;
        QTEST(int(sensorTypeEntries(id).size()), "entries");
        QTEST(sensorTypeLabel(3, code, id), "label");
    }

    void decodeTerminal_data() {
        QTest::addColumn<int>("byte");
        QTest::addColumn<bool>("continuous");
        QTest::addColumn<QString>("shown"); // direction, kind, mode
        QTest::addColumn<int>("link");
        QTest::addColumn<int>("position");
        QTest::newRow("0 binary") << 0 << false << "Out N" << 255 << 0;
        QTest::newRow("0 continuous") << 0 << true << "Cont N" << 255 << 0;
        QTest::newRow("channel input of channel 8") << 0x1F << false << "In N" << 53 << 0;
        QTest::newRow("complementary heating ch 7") << 0x5A << false << "Out N Compl" << 43 << 0;
        QTest::newRow("alarm reverse ch 1") << 0xC2 << false << "Out N Reverse action" << 6 << 0;
        QTest::newRow("no function: slot 0") << 0xA2 << false << "Out N" << 0 << 0;
        QTest::newRow("special output 1 reverse") << 0x84 << false << "Out S" << 255 << 20;
        QTest::newRow("special output 1 direct") << 0x04 << false << "Out S" << 255 << 1;
        QTest::newRow("special input on group 2") << 0x39 << false << "In S" << 58 << 3;
        QTest::newRow("message input") << 0x91 << false << "In S" << 255 << 9;
        QTest::newRow("continuous inverted") << 0x01 << true << "Cont N invers" << 255 << 0;
        QTest::newRow("continuous ch 1 inverted")
            << 0x03 << true << "Cont N dead / invers" << 0 << 0;
        QTest::newRow("continuous live") << 0x46 << true << "Cont N live" << 8 << 0;
        QTest::newRow("free, inverted") << 65 << true << "Cont S free / dead / invers" << 255 << 0;
        QTest::newRow("free, live") << 192 << true << "Cont S free / live" << 255 << 0;
        QTest::newRow("reserved") << 0x44 << true << "Cont S -res-" << 255 << 0;
    }
    void decodeTerminal() {
        QFETCH(int, byte);
        QFETCH(bool, continuous);
        const TerminalState s = ::decodeTerminal(byte, continuous, 53);
        const QString shown = QStringLiteral("%1 %2 %3")
                                  .arg(directionText(s.direction), kindText(s.special),
                                       modeText(s.mode, english()).trimmed());
        QTEST(shown.trimmed(), "shown");
        QTEST(s.link, "link");
        QTEST(s.direction == Direction::In ? s.inputPosition : s.outputPosition, "position");
    }

    void featureCodeAttributes_data() {
        QTest::addColumn<int>("attributes");
        QTest::addColumn<int>("entry");
        QTest::addColumn<int>("result");
        QTest::newRow("A1 B2 on 0x21") << 0x21 << 4 << 0x61;
        QTest::newRow("A2 B2 on the start-up value") << 0x10 << 5 << 0x91;
        QTest::newRow("A0 B1 on 0xE1") << 0xE1 << 0 << 0x20;
        QTest::newRow("A2 B1 keeps bits 1..5") << 0x3E << 2 << 0xBE;
    }
    void featureCodeAttributes() {
        QFETCH(int, attributes);
        QFETCH(int, entry);
        QTEST(attributesForFeatureCode(attributes, entry), "result");
    }
};

QTEST_GUILESS_MAIN(tst_ConfigurationLists)
#include "tst_configurationlists.moc"
