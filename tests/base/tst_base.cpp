#include "base/ManualPage.h"
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
    // Texts reach the manual page as roff that shows them as they were written: nothing read as
    // a request, options in bold, placeholders in italics, command lines unfilled.
    void manualPage_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("terms");
        QTest::addColumn<QString>("roff");
        const QStringList none;
        QTest::newRow("request at line start")
            << ".so /etc/passwd\n'br" << none << "\\&.so \\%/etc/passwd\n\\&'br\n";
        QTest::newRow("backslash") << "a line break is \\n" << none << "a line break is \\en\n";
        QTest::newRow("option in text")
            << "use --port-name, not -x" << none << "use \\fB\\-\\-port\\-name\\fR, not \\-x\n";
        QTest::newRow("verbatim") << "Run:\n\n  q7400ctl read a.tvk\n    -o x" << none
                                  << "Run:\n.PP\n.RS 2\n.nf\nq7400ctl read a.tvk\n  \\-o x\n"
                                     ".fi\n.RE\n";
        QTest::newRow("synopsis") << ""
                                  << QStringList{"write FILE.tvk [--id now|YYMMDDhhmmss]",
                                                 "-o, --output \"A B\""}
                                  << ".TP\n\\fBwrite\\fR \\fIFILE.tvk\\fR [\\fB\\-\\-id\\fR "
                                     "\\fBnow\\fR|\\fIYYMMDDhhmmss\\fR]\n"
                                     ".TQ\n\\fB\\-o\\fR, \\fB\\-\\-output\\fR \\fI\"A B\"\\fR\n";
    }
    void manualPage() {
        QFETCH(QString, text);
        QFETCH(QStringList, terms);
        ManualPage page{"p", "1.0", "2026-01-01", "a program", {"p"}, {}};
        page.sections.append({"S", terms.isEmpty() ? text : QString(), {}});
        if (!terms.isEmpty())
            page.sections.last().items.append({terms, text});
        const QString out = manualPageText(page);
        const QString section = out.section(QStringLiteral(".SH \"S\"\n"), 1);
        QTEST(terms.isEmpty() ? section.mid(4) : section, "roff"); // past ".PP\n"
    }

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
