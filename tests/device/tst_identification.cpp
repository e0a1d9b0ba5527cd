#include "device/DeviceImage.h"
#include "device/Identification.h"
#include "device/ParameterTable.h"
#include "i18n/StringTable.h"

#include <QtTest>

class tst_Identification : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void decodeAttributes_data() {
        QTest::addColumn<int>("attributes");
        QTest::addColumn<int>("variant");
        QTest::addColumn<int>("feature");
        QTest::addColumn<int>("menuEntry");
        QTest::addColumn<QString>("panel");
        QTest::newRow("0x41 linear, eight channels, A1") << 0x41 << 2 << 1 << 4 << "A1 B2";
        QTest::newRow("0x00 temperature, eight channels") << 0x00 << 3 << 0 << 0 << "A0 B1";
        QTest::newRow("0x21 linear, four channels") << 0x21 << 0 << 0 << 3 << "A0 B2";
        QTest::newRow("0xA0 temperature, four channels, A2") << 0xA0 << 1 << 2 << 2 << "A2 B1";
        QTest::newRow("0x10 start-up value") << 0x10 << 3 << 0 << 0 << "A0 B1";
        QTest::newRow("0xC0 no such equipment") << 0xC0 << 3 << 3 << -1 << "A3 B1";
    }
    void decodeAttributes() {
        QFETCH(int, attributes);
        Identification id;
        DecodeAttributes(id, attributes);
        QTEST(id.ModuleVariant, "variant");
        QTEST(id.FeatureA, "feature");
        QTEST(featureMenuEntry(id), "menuEntry");
        Texts english;
        english.setLanguageOffset(1000);
        QFETCH(QString, panel);
        QCOMPARE(featureCodeText(id, english), QStringLiteral("Device feature code:  ") + panel);
    }

    void inputNamesFollowTheModule() {
        Texts english;
        english.setLanguageOffset(1000);
        ParameterTable table;
        table.BuildParameterTable(english);
        Identification id;
        DecodeAttributes(id, 0x41);
        UpdateInputNames(table, english, id);
        QCOMPARE(table[10].Name, QStringLiteral("Begin scale cont. in"));
        QCOMPARE(table[41].Name, QStringLiteral("Range scale cont. in"));
        DecodeAttributes(id, 0x40);
        UpdateInputNames(table, english, id);
        QCOMPARE(table[10].Name, QStringLiteral("Measuring offset"));
        QCOMPARE(table[41].Name, QStringLiteral("F.s.v. for linear inputs"));
    }

    void externalCurrentInputs_data() {
        QTest::addColumn<int>("attributes");
        QTest::addColumn<int>("firmware");
        QTest::addColumn<QList<int>>("terminals");
        QTest::addColumn<bool>("expected");
        const QList<int> all{116, 120, 253};
        QTest::newRow("linear, 0x40, all three") << 0x41 << 0x40 << all << true;
        QTest::newRow("temperature module") << 0x40 << 0x40 << all << false;
        QTest::newRow("firmware below 0x32") << 0x41 << 0x31 << all << false;
        QTest::newRow("clock 112 serves too") << 0x41 << 0x32 << QList<int>{253, 112, 120} << true;
        QTest::newRow("receipt missing") << 0x41 << 0x40 << QList<int>{116, 120, 112} << false;
    }
    void externalCurrentInputs() {
        QFETCH(QList<int>, terminals);
        QFETCH(int, attributes);
        QFETCH(int, firmware);
        QFETCH(bool, expected);
        DeviceImage image;
        image.clear();
        for (int i = 0; i < terminals.size(); ++i)
            image.setValue(36, 18 - i, terminals[i]);
        Identification id;
        DecodeAttributes(id, attributes);
        id.FirmwareVersion = firmware;
        id.ExternalCurrentInputs = !expected;
        UpdateExternalCurrentInputs(id, image);
        QCOMPARE(id.ExternalCurrentInputs, expected);
    }

    void parameterSetIdIsCopiedAsBytes() {
        DeviceImage image;
        image.clear();
        const QList<QVariant> cells{0x10, 0x45, QStringLiteral("19"), 0x05, 0x12, 0x24};
        for (int i = 0; i < 6; ++i)
            image.cell(50, i + 1) = cells[i];
        Identification id;
        CopyParameterSetId(id, image);
        const std::array<quint8, 6> expected{0x10, 0x45, 19, 0x05, 0x12, 0x24};
        QCOMPARE(id.ParameterSetId, expected);
    }
};

QTEST_GUILESS_MAIN(tst_Identification)
#include "tst_identification.moc"
