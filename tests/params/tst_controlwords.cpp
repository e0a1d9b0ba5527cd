#include "device/DeviceData.h"
#include "i18n/StringTable.h"
#include "params/ControlWords.h"
#include "support/ScriptedInteraction.h"

#include <QSignalSpy>
#include <QTest>

class tst_ControlWords : public QObject {
    Q_OBJECT
    Texts texts;

private Q_SLOTS:
    void initTestCase() { texts.setLanguageOffset(1000); }

    // The status word decoded into the eight status fields.
    void status_data() {
        QTest::addColumn<int>("word");
        QTest::addColumn<QStringList>("fields");
        QTest::newRow("0x8113") << 0x8113
                                << QStringList{"3", "Up", "No", "Yes", "1", "Yes", "No", "No"};
        QTest::newRow("0x0023") << 0x0023
                                << QStringList{"3", "Down", "No", "No", "---", "No", "No", "No"};
        QTest::newRow("0x0000") << 0x0000
                                << QStringList{"No", "No", "No", "No", "---", "No", "No", "No"};
        QTest::newRow("soft start, dwell, boost, bit 11")
            << 0x0CBF << QStringList{"15", "Down", "Dwell", "No", "---", "No", "Yes", "Yes"};
        QTest::newRow("0x7000 without bit 15 is no mapping")
            << 0x7040 << QStringList{"No", "No", "Yes", "No", "---", "No", "No", "No"};
        QTest::newRow("mapping channel 8, alignment bit 9")
            << 0xF200 << QStringList{"No", "No", "No", "Yes", "8", "Yes", "No", "No"};
    }
    void status() {
        QFETCH(int, word);
        const std::array<QString, 8> fields = controllerStatusTexts(word, texts);
        QTEST(QStringList(fields.begin(), fields.end()), "fields");
    }

    // The configuration word in its combo boxes; a value without an entry selects nothing.
    void configuration_data() {
        QTest::addColumn<int>("word");
        QTest::addColumn<int>("firmware");
        QTest::addColumn<QList<int>>("positions"); // type, sort, partner, group
        QTest::addColumn<bool>("partner");
        QTest::newRow("0x0A4C") << 0x0A4C << 0x56 << QList<int>{4, 1, 1, 1} << true;
        QTest::newRow("master hides the partner")
            << 0x0A54 << 0x56 << QList<int>{4, 2, 1, 1} << false;
        QTest::newRow("type 7, sort 7") << 0x063F << 0x56 << QList<int>{-1, -1, 0, 3} << true;
        QTest::newRow("ratio only above 0x48") << 0x0028 << 0x48 << QList<int>{0, -1, 0, 0} << true;
        QTest::newRow("ratio above 0x48") << 0x0028 << 0x49 << QList<int>{0, 5, 0, 0} << true;
    }
    void configuration() {
        QFETCH(int, word);
        QFETCH(int, firmware);
        QList<int> positions;
        for (const ControlCombo& c : configurationCombos())
            positions << comboPosition(c.combo, word,
                                       int(comboEntries(c.combo, texts, firmware).size()));
        QTEST(positions, "positions");
        QTEST(partnerShown(word), "partner");
    }

    // Changing one field replaces only its bits: bits no widget shows survive.
    void rebuildKeepsOtherBits_data() {
        QTest::addColumn<int>("mask");
        QTest::addColumn<int>("word");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("expected");
        QTest::newRow("sort of 0x0A4C to master") << 0x0038 << 0x0A4C << 2 << 0x0A54;
        QTest::newRow("type of an unknown sort 7") << 0x0007 << 0x003F << 4 << 0x003C;
        QTest::newRow("alarm bit 0 keeps bits 14, 15") << 0x0001 << 0xC000 << 1 << 0xC001;
        QTest::newRow("group 3") << 0x0600 << 0xFFFF << 3 << 0xFFFF;
        QTest::newRow("group 0") << 0x0600 << 0xFFFF << 0 << 0xF9FF;
        QTest::newRow("value wider than the field") << 0x0007 << 0 << 9 << 1;
    }
    void rebuildKeepsOtherBits() {
        QFETCH(int, mask);
        QFETCH(int, word);
        QFETCH(int, value);
        QTEST(BitField{mask}.with(word, value), "expected");
    }

    // Typed words: whole numbers in the byte or word range only.
    void parse_data() {
        QTest::addColumn<int>("word");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("expected"); // -1 refused
        const int fn = int(ControlWord::Function);
        const int cfg = int(ControlWord::Configuration);
        QTest::newRow("byte") << fn << " 65 " << 65;
        QTest::newRow("byte 255") << fn << "255" << 255;
        QTest::newRow("byte 256") << fn << "256" << -1;
        QTest::newRow("300 in a byte") << int(ControlWord::Extended) << "300" << -1;
        QTest::newRow("word 65535") << cfg << "65535" << 65535;
        QTest::newRow("word 70000") << cfg << "70000" << -1;
        QTest::newRow("negative") << cfg << "-1" << -1;
        QTest::newRow("-0") << cfg << "-0" << 0;
        QTest::newRow("fraction") << fn << "3.7" << -1;
        QTest::newRow("whole with zeros") << fn << "3.00" << 3;
        QTest::newRow("exponent") << fn << "1e2" << -1;
        QTest::newRow("empty") << fn << "" << -1;
    }
    void parse() {
        QFETCH(int, word);
        QFETCH(QString, text);
        QTEST(ControlWords::parse(ControlWord(word), text).value_or(-1), "expected");
    }

    // Firmware rules of the boxes.
    void firmwareRules() {
        const QList<ControlBox>& function = controlBoxes(ControlWord::Function);
        QCOMPARE(controlBoxText(function[3], texts, 0x30), QStringLiteral("Boost"));
        QCOMPARE(controlBoxText(function[3], texts, 0x2F),
                 QStringLiteral("Auto-adjust heating current"));
        QVERIFY(!controlBoxShown(function[4], 0x10));
        QVERIFY(controlBoxShown(function[4], 0x11));
        const QList<ControlBox>& ext = controlBoxes(ControlWord::Extended);
        QList<int> shownAt56;
        for (const ControlBox& b : ext)
            if (controlBoxShown(b, 0x56))
                shownAt56 << b.bit;
        QCOMPARE(shownAt56, (QList<int>{0, 1, 2, 3, 4, 5, 6}));
        QVERIFY(!controlBoxShown(alarmStatusBoxes()[13], 0x50));
    }

    // "Copy to": whole numbers 0..8, above 8 counts as 8.
    void copy_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("target"); // -1 refused
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QList<int>>("changed");
        QTest::newRow("all") << "0" << 0 << "" << QList<int>{1, 2, 4, 5, 6, 7, 8};
        QTest::newRow("12 is 8") << "12" << 8 << "8" << QList<int>{8};
        QTest::newRow("one") << "2" << 2 << "" << QList<int>{2};
        QTest::newRow("itself") << "3" << 3 << "" << QList<int>{};
        QTest::newRow("negative") << "-1" << -1 << "" << QList<int>{};
        QTest::newRow("fraction") << "1.5" << -1 << "" << QList<int>{};
        QTest::newRow("text") << "x" << -1 << "" << QList<int>{};
    }
    void copy() {
        QFETCH(QString, text);
        QString shown;
        const std::optional<int> target = copyTarget(text, &shown);
        QTEST(target.value_or(-1), "target");
        QTEST(shown, "shown");
        ScriptedInteraction interaction;
        DeviceData data(interaction);
        const int values[] = {65, 0x0A4C, 0xC001, 0x80, 1};
        for (int i = 0; i < ControlWords::Count; ++i)
            data.setValue(ControlWords::row(ControlWords::all()[size_t(i)]), 3, values[i]);
        QSignalSpy announced(&data, &DeviceData::elementChanged);
        const QList<int> changed = target ? copyControlWords(data, 3, *target) : QList<int>{};
        QTEST(changed, "changed");
        QCOMPARE(announced.size(), changed.size() * ControlWords::Count);
        for (int k : changed)
            for (ControlWord w : ControlWords::all())
                QCOMPARE(data.image.value(ControlWords::row(w), k),
                         data.image.value(ControlWords::row(w), 3));
    }

    void phaseHelp() {
        const QStringList lines = autoTuningPhaseHelp(texts).split(u'\n');
        QCOMPARE(lines.size(), 8); // seven lines, each ending with a line break
        QCOMPARE(lines[0], QStringLiteral("   0        Auto tune off"));
        QCOMPARE(lines[4], QStringLiteral(" 4...7    Auto tune of heating"));
        QCOMPARE(lines[6], QStringLiteral("  15       Parameter are stored"));
    }
};

QTEST_GUILESS_MAIN(tst_ControlWords)
#include "tst_controlwords.moc"
