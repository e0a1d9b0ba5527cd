#include "base/NumberText.h"
#include "base/TextTableModel.h"

#include <QAbstractItemModelTester>
#include <QTest>

class tst_Base : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void strictNumber_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<double>("value");
        QTest::newRow("whole") << " 12 " << true << 12.0;
        QTest::newRow("negative decimal") << "-0.5" << true << -0.5;
        QTest::newRow("leading period") << ".5" << true << 0.5;
        QTest::newRow("trailing period") << "+3." << true << 3.0;
        QTest::newRow("trailing letters") << "12abc" << false << 0.0;
        QTest::newRow("comma") << "12,5" << false << 0.0;
        QTest::newRow("exponent") << "1e3" << false << 0.0;
        QTest::newRow("two periods") << "1.2.3" << false << 0.0;
        QTest::newRow("sign only") << "-" << false << 0.0;
        QTest::newRow("empty") << "" << false << 0.0;
        QTest::newRow("too many digits") << QString(31, u'9') << false << 0.0;
    }
    void strictNumber() {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        const std::optional<double> v = ::strictNumber(text);
        QCOMPARE(v.has_value(), ok);
        if (ok)
            QTEST(*v, "value");
    }

    void fixedPointText_data() {
        QTest::addColumn<qint64>("units");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<QString>("text");
        QTest::newRow("tenths") << qint64(1234) << 1 << "123.4";
        QTest::newRow("below one, negative") << qint64(-5) << 1 << "-0.5";
        QTest::newRow("leading zeros") << qint64(5) << 4 << "0.0005";
        QTest::newRow("no decimals") << qint64(-7) << 0 << "-7";
        QTest::newRow("lowest") << std::numeric_limits<qint64>::min() << 2
                                << "-92233720368547758.08";
    }
    void fixedPointText() {
        QFETCH(qint64, units);
        QFETCH(int, decimals);
        QTEST(::fixedPointText(units, decimals), "text");
    }

    // The model stays consistent for a view while rows arrive one by one.
    void textTableModel() {
        TextTableModel table;
        QAbstractItemModelTester tester(&table,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        table.setHeader({"A", "B"});
        table.appendRow({"1", "2"});
        table.appendRow({"3", "4", "5"});
        table.setCell(0, 3, "x");
        QCOMPARE(table.columnCount(), 4);
        QCOMPARE(table.data(table.index(1, 2)).toString(), QStringLiteral("5"));
        QCOMPARE(table.data(table.index(0, 2)).toString(), QString());
        QCOMPARE(table.headerData(1, Qt::Vertical).toString(), QStringLiteral("2"));
        table.clear();
        QCOMPARE(table.rowCount(), 0);
        QCOMPARE(table.columnCount(), 2);
    }
};

QTEST_GUILESS_MAIN(tst_Base)
#include "tst_base.moc"
