#include "device/ParameterBlocks.h"
#include "services/WldEdit.h"
#include "services/WldFile.h"

#include <QtTest>

Q_DECLARE_METATYPE(WldBlockTime)

namespace {
WldHeaderFields goldenFields() {
    WldHeaderFields f;
    f.BlockNumber = 100;
    f.BlockVersion = 1;
    f.BlockAuthor = "ABC";
    f.BlockFamily = "FAM";
    f.BlockName = "NAME";
    f.BlockTime = {10, 45, 13, 5, 12, 40}; // 2024-12-05 13:45:10
    return f;
}

// A memory image all zero but for the unused tail, with its CRC (0xF10E).
MemoryImage emptyMemory() {
    MemoryImage m;
    for (int i = 736; i < MemoryImage::Size; ++i)
        m[i] = 0xFF;
    m[638] = 0x0E;
    m[639] = 0xF1;
    return m;
}

// The file of emptyMemory() and goldenFields().
QByteArray goldenFile() {
    QByteArray data(768, '\0');
    data[674 - 36] = char(0xF1); // the CRC's bytes swapped like every pair
    data[675 - 36] = char(0x0E);
    data.replace(772 - 36, 32, QByteArray(32, char(0xFF)));
    return QByteArray::fromHex("70700101050a00640000035c0000000002f376703a6502f376703a65"
                               "0014000000000300") +
           data +
           QByteArray::fromHex("0564000c0000001104011004010000ff0202044141424300000000"
                               "0046414d00000000004e414d45000000000100000000000000000000"
                               "00");
}

void put(QByteArray& b, int at, const char* hex) {
    const QByteArray bytes = QByteArray::fromHex(hex);
    b.replace(at, bytes.size(), bytes);
}
} // namespace

class tst_WldFile : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void goldenFileByteForByte() {
        const QByteArray written = wldFileBytes(emptyMemory(), goldenFields());
        QCOMPARE(written.size(), WldFile::WrittenSize);
        QCOMPARE(written.toHex(' '), goldenFile().toHex(' '));

        QString why;
        const auto read = parseWldFile(written, &why);
        QVERIFY2(read, qPrintable(why));
        QCOMPARE(read->fields, goldenFields());
        QCOMPARE(read->memory.bytes, emptyMemory().bytes);
        QCOMPARE(read->footer.size(), WldFile::FooterSize);
    }

    // Every pair of data bytes is swapped: words stand big-endian in the file.
    void dataPairsSwapped() {
        MemoryImage m = emptyMemory();
        m[0x40] = 0xF4; // Pb heating of channel 1: 500 = 0x01F4
        m[0x41] = 0x01;
        m[0x27D] = 0x41; // attributes at an odd offset
        const QByteArray file = wldFileBytes(m, {});
        QCOMPARE(file.mid(36 + 0x40, 2), QByteArray::fromHex("01f4"));
        QCOMPARE(quint8(file[36 + 0x27C]), quint8(0x41));
        QCOMPARE(parseWldFile(file)->memory.bytes, m.bytes);
    }

    void olderFileGetsTheDefaultBlockTable() {
        QByteArray file = goldenFile();
        file.remove(36 + 640, 128); // 640 data bytes, same footer
        put(file, 10, "02dc");      // 732 bytes
        put(file, 34, "0280");
        const auto read = parseWldFile(file);
        QVERIFY(read);
        QCOMPARE(read->dataLength, 640);
        QCOMPARE(int(read->memory[640]), int(DefaultRawBlock[0]));
        QCOMPARE(int(read->memory[735]), int(DefaultRawBlock[95]));
        QCOMPARE(int(read->memory[767]), 0xFF);
        QCOMPARE(read->fields.BlockName, QByteArray("NAME"));
    }

    void refused_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("expected");
        QByteArray f = goldenFile();
        put(f, 1, "71");
        QTest::newRow("block mark") << f << "block mark";
        f = goldenFile();
        put(f, 5, "0b");
        QTest::newRow("not a data block") << f << "bytes 3 and 5";
        f = goldenFile();
        put(f, 9, "01");
        QTest::newRow("length above 65535") << f << "length field";
        f = goldenFile();
        put(f, 33, "02");
        QTest::newRow("byte 33 = 2") << f << "bytes 30..33";
        f = goldenFile();
        put(f, 34, "0200");
        QTest::newRow("data length 512") << f << "data length 512";
        f = goldenFile();
        put(f, 10, "02cf"); // 0x0280 with n = 42
        put(f, 34, "0280");
        QTest::newRow("footer too short") << f << "footer of 43";
        f = goldenFile();
        put(f, 28, "0018");
        QTest::newRow("texts beyond the footer") << f << "text offset 24";
        QTest::newRow("cut short") << goldenFile().left(859) << "the file has 859 bytes";
        QTest::newRow("shorter than a header") << goldenFile().left(35) << "shorter than a header";
        QTest::newRow("empty") << QByteArray() << "shorter than a header";
    }
    void refused() {
        QFETCH(QByteArray, file);
        QString why;
        QVERIFY(!parseWldFile(file, &why));
        QFETCH(QString, expected);
        QVERIFY2(why.contains(expected), qPrintable(why));
    }

    void timeStamp_data() {
        QTest::addColumn<WldBlockTime>("time");
        QTest::addColumn<quint32>("milliseconds");
        QTest::addColumn<int>("days");
        // The days of every date: everyDayBothWays.
        QTest::newRow("1984-01-01") << WldBlockTime{0, 0, 0, 1, 1, 0} << 0u << 0;
        QTest::newRow("2024-12-05 13:45:10")
            << WldBlockTime{10, 45, 13, 5, 12, 40} << 49510000u << 14949;
        QTest::newRow("2099-12-31 23:59:59")
            << WldBlockTime{59, 59, 23, 31, 12, 115} << 86399000u << 42368;
    }
    void timeStamp() {
        QFETCH(WldBlockTime, time);
        QFETCH(quint32, milliseconds);
        QFETCH(int, days);
        QCOMPARE(wldStampOf(time), (WldStamp{milliseconds, quint16(days)}));
        QCOMPARE(wldTimeOfStamp({milliseconds, quint16(days)}), time);
    }

    // Every day 1984..2099 reads back as written.
    void everyDayBothWays() {
        for (QDate d(1984, 1, 1); d.year() <= 2099; d = d.addDays(1)) {
            const WldBlockTime t = wldTimeOf(QDateTime(d, QTime(12, 0)));
            QCOMPARE(wldStampOf(t).days, quint16(QDate(1984, 1, 1).daysTo(d)));
            if (wldTimeOfStamp(wldStampOf(t)) != t)
                QFAIL(qPrintable(d.toString(Qt::ISODate)));
        }
    }

    void stampMilliseconds_data() {
        QTest::addColumn<quint32>("milliseconds");
        QTest::addColumn<WldBlockTime>("time");
        QTest::newRow("rounded to the second") << 59999499u << WldBlockTime{59, 39, 16, 1, 1, 0};
        QTest::newRow("end of the day") << 86399500u << WldBlockTime{59, 59, 23, 1, 1, 0};
        QTest::newRow("corrupt, beyond a day") << 0xFFFFFFFFu << WldBlockTime{59, 59, 23, 1, 1, 0};
    }
    void stampMilliseconds() {
        QFETCH(quint32, milliseconds);
        QTEST(wldTimeOfStamp({milliseconds, 0}), "time");
    }

    void rawTimeBytesAndNoTime() {
        QByteArray file = goldenFile();
        put(file, 16, "ffffffff"); // a corrupt stamp still names a time of the day
        QCOMPARE(parseWldFile(file)->fields.BlockTime[2], quint8(23));
        put(file, 4, "01");
        put(file, 16, "280c050d2d0a"); // year - 1984, month, day, hours, minutes, seconds
        QCOMPARE(parseWldFile(file)->fields.BlockTime, (WldBlockTime{10, 45, 13, 5, 12, 40}));
        put(file, 19, "63"); // hours 99
        QCOMPARE(parseWldFile(file)->fields.BlockTime[2], quint8(23));
        put(file, 4, "07");
        QVERIFY(!parseWldFile(file)->hasTime);
    }

    // The WLD window's fields: limited when left, texts of printable ASCII.
    void headerEdit() {
        WldHeaderEdit edit(goldenFields());
        QCOMPARE(edit.setBlockNumber(QStringLiteral("70000")), QStringLiteral("65535"));
        QCOMPARE(edit.setBlockNumber(QStringLiteral("7")), QStringLiteral("007"));
        QCOMPARE(edit.setBlockNumber(QStringLiteral("x")), QStringLiteral("007"));
        QCOMPARE(edit.setVersion(QStringLiteral("300")), QStringLiteral("255"));
        QCOMPARE(edit.setTimeField(2, QStringLiteral("25")), QStringLiteral("23"));
        QCOMPARE(edit.setTimeField(0, QStringLiteral("7")), QStringLiteral("07"));
        QCOMPARE(edit.setTimeField(5, QStringLiteral("1999")), QStringLiteral("2000"));
        QCOMPARE(edit.fields().BlockTime[5], quint8(16));
        QVERIFY(edit.setText(WldTextField::Author, QStringLiteral("Pedersen-K")));
        QCOMPARE(edit.fields().BlockAuthor, QByteArray("Pedersen"));
        QString why;
        QVERIFY(!edit.setText(WldTextField::Name, QStringLiteral("Line 2"), &why));
        QVERIFY(!edit.setText(WldTextField::Name, QStringLiteral("Größe"), &why));
        QCOMPARE(edit.text(WldTextField::Name), QStringLiteral("NAME"));
        QCOMPARE(wldTextShown(QByteArray("A B\x80\x7F", 5)), QStringLiteral("AB\x7F"));
    }
};

QTEST_GUILESS_MAIN(tst_WldFile)
#include "tst_wldfile.moc"
