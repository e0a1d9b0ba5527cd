#include "link/TransferGroup.h"

#include <QtTest>

Q_DECLARE_METATYPE(TransferGroup)

class tst_TransferGroup : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void groups_data() {
        QTest::addColumn<QList<int>>("codes");
        QTest::addColumn<TransferGroup>("group");
        QTest::addColumn<int>("replyLength");
        QTest::newRow("byte block")
            << QList<int>{22, 23, 25, 28, 29, 30, 32, 35, 37, 40, 51, 54, 56}
            << TransferGroup::ByteBlock << 20;
        QTest::newRow("I/O block") << QList<int>{55} << TransferGroup::IoBlock << 32;
        QTest::newRow("raw block") << QList<int>{61} << TransferGroup::RawBlock << 108;
        QTest::newRow("ID block") << QList<int>{63, 144, 153} << TransferGroup::IdBlock << 18;
        QTest::newRow("single byte") << QList<int>{48, 49, 50, 53, 58, 147, 160, 161, 162}
                                     << TransferGroup::SingleByte << 10;
        QTest::newRow("single word")
            << QList<int>{47, 146, 148, 149, 152} << TransferGroup::SingleWord << 11;
        QTest::newRow("addressed word")
            << QList<int>{100, 103, 104, 105} << TransferGroup::AddressedWord << 14;
        QTest::newRow("word block") << QList<int>{0, 1, 7, 10, 13, 21, 24, 34, 41, 42, 96, 97, 98}
                                    << TransferGroup::WordBlock << 28;
        QTest::newRow("word block, 9 words") << QList<int>{36} << TransferGroup::WordBlock << 30;
        QTest::newRow("word block, 15 words") << QList<int>{46} << TransferGroup::WordBlock << 42;
    }
    void groups() {
        QFETCH(QList<int>, codes);
        QFETCH(TransferGroup, group);
        QFETCH(int, replyLength);
        for (int code : codes) {
            QCOMPARE(transferGroupOf(code), group);
            QCOMPARE(readReplyLength(code, 0, 0), replyLength);
            // One bound of the range alone is no range.
            QCOMPARE(readReplyLength(code, 3, 0), replyLength);
            QCOMPARE(readReplyLength(code, 0, 3), replyLength);
        }
    }

    void rangedReplyLengths_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("p1");
        QTest::addColumn<int>("p2");
        QTest::addColumn<int>("length");
        QTest::newRow("setpoints 1..8") << 0 << 1 << 8 << 28;
        QTest::newRow("setpoint 3") << 0 << 3 << 3 << 14;
        QTest::newRow("bytes 2..5") << 32 << 2 << 5 << 16;
        QTest::newRow("terminals 1..20") << 55 << 1 << 20 << 32;
        QTest::newRow("ID block two") << 63 << 1 << 2 << 16;
    }
    void rangedReplyLengths() {
        QFETCH(int, code);
        QFETCH(int, p1);
        QFETCH(int, p2);
        QTEST(readReplyLength(code, p1, p2), "length");
    }
};

QTEST_GUILESS_MAIN(tst_TransferGroup)
#include "tst_transfergroup.moc"
