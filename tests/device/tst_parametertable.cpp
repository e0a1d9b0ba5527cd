#include "device/DeviceImage.h"
#include "device/ParameterTable.h"
#include "i18n/StringTable.h"

#include <QtTest>

class tst_ParameterTable : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void rows_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("address");
        QTest::addColumn<int>("format");
        QTest::newRow("24 typo kept") << 24 << "PWR out safty value" << 30 << 8 << 0x0F0 << 2;
        QTest::newRow("30 not in image") << 30 << "Device ID" << 48 << 1 << 0 << 99;
        QTest::newRow("39 trailing blank")
            << 39 << "Secondary heating voltage " << 105 << 1 << 0x192 << 9;
        QTest::newRow("55 trailing blank")
            << 55 << "Heating current threshold " << 104 << 1 << 0x279 << 9;
        QTest::newRow("51 placeholder") << 51 << "---" << 56 << 8 << 0x260 << 1;
        QTest::newRow("79 raw block") << 79 << "" << 61 << 0 << 0 << 0;
        QTest::newRow("80 outputs") << 80 << "" << 40 << 0 << 0 << 0;
    }
    void rows() {
        QFETCH(int, row);
        Texts texts;
        texts.setLanguageOffset(1000);
        ParameterTable table;
        table.BuildParameterTable(texts);
        QTEST(table[row].Name, "name");
        QTEST(table[row].FunctionCode, "code");
        QTEST(table[row].Count, "count");
        QTEST(table[row].Address, "address");
        QTEST(table[row].Format, "format");
    }

    void unusedRowsAreEmpty() {
        ParameterTable table;
        table.BuildParameterTable(Texts());
        for (int row = 56; row <= 78; ++row) {
            QVERIFY(table[row].Name.isEmpty());
            QCOMPARE(table[row].FunctionCode, 0);
            QCOMPARE(table[row].Count, 0);
        }
        // Every used row has a name, a count and a distinct function code.
        QSet<int> codes;
        for (int row = 0; row <= ParameterCount; ++row) {
            QVERIFY(!table[row].Name.isEmpty());
            QVERIFY(table[row].Count > 0);
            QVERIFY2(!codes.contains(table[row].FunctionCode), qPrintable(QString::number(row)));
            codes.insert(table[row].FunctionCode);
        }
    }

    void highestRow_data() {
        QTest::addColumn<int>("firmware");
        QTest::addColumn<int>("row");
        QTest::newRow("0x10") << 0x10 << 40;
        QTest::newRow("0x11") << 0x11 << 41;
        QTest::newRow("0x31") << 0x31 << 41;
        QTest::newRow("0x32") << 0x32 << 49;
        QTest::newRow("0x34") << 0x34 << 49;
        QTest::newRow("0x35") << 0x35 << 52;
        QTest::newRow("0x36") << 0x36 << 53;
        QTest::newRow("0x37") << 0x37 << 54;
        QTest::newRow("0x52") << 0x52 << 54;
        QTest::newRow("0x53") << 0x53 << 55;
        QTest::newRow("0x99") << 0x99 << 55;
    }
    void highestRow() {
        QFETCH(int, firmware);
        QTEST(highestRowForFirmware(firmware), "row");
    }

    void valueOfText_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::newRow("leading blank, trailing junk") << " 12.5abc" << 12.5;
        QTest::newRow("negative") << "-3" << -3.0;
        QTest::newRow("plus sign") << "+7" << 7.0;
        QTest::newRow("empty") << "" << 0.0;
        QTest::newRow("blanks only") << "   " << 0.0;
        QTest::newRow("letters") << "abc" << 0.0;
        QTest::newRow("exponent") << "1e3" << 1000.0;
        QTest::newRow("negative exponent") << "25E-1" << 2.5;
        QTest::newRow("dangling exponent") << "2e" << 2.0;
        QTest::newRow("hex is not read") << "0x10" << 0.0;
        QTest::newRow("comma ends the number") << "12,5" << 12.0;
        QTest::newRow("leading period") << ".5" << 0.5;
        QTest::newRow("trailing period") << "4." << 4.0;
        QTest::newRow("sign alone") << "-" << 0.0;
        QTest::newRow("blank inside") << "1 2" << 1.0;
        QTest::newRow("tab before") << "\t9" << 9.0;
        QTest::newRow("overflow") << "1e400" << qInf();
        QTest::newRow("negative overflow") << "-1e400" << -qInf();
        QTest::newRow("a million digits") << QString(1000000, u'9') << qInf();
        QTest::newRow("underflow") << "1e-400" << 0.0;
    }
    void valueOfText() {
        QFETCH(QString, text);
        QFETCH(double, value);
        bool overflow = true;
        QCOMPARE(ValueOfText(text, &overflow), value);
        QCOMPARE(overflow, qIsInf(value));
    }

    void cellsConvertByValueOfText_data() {
        QTest::addColumn<QVariant>("cell");
        QTest::addColumn<double>("value");
        QTest::newRow("empty cell") << QVariant() << 0.0;
        QTest::newRow("int") << QVariant(65535) << 65535.0;
        QTest::newRow("double") << QVariant(12.75) << 12.75;
        QTest::newRow("text") << QVariant(QStringLiteral(" 300 K")) << 300.0;
        QTest::newRow("bad text") << QVariant(QStringLiteral("x")) << 0.0;
    }
    void cellsConvertByValueOfText() {
        QFETCH(QVariant, cell);
        DeviceImage image;
        image.cell(80, 21) = cell;
        QTEST(image.value(80, 21), "value");
    }
};

QTEST_GUILESS_MAIN(tst_ParameterTable)
#include "tst_parametertable.moc"
