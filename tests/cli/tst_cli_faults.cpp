// q7400ctl read and write against a simulated controller with each fault of a bad line. Whatever
// happens, the program ends, and either the result is complete and correct or it fails with
// the previous file untouched: never a wrong value with success.
#include "config/ConfigurationFile.h"
#include "device/ParameterTable.h"
#include "device/Transfers.h"
#include "i18n/StringTable.h"
#include "support/CtlRun.h"
#include "support/SimHarness.h"
#include "support/TestFiles.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {
SimOptions controller() {
    return SimOptions{3, 0x56, 0x10, QDateTime(), false};
}
} // namespace

class tst_CliFaults : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QByteArray m_reference; // a fault-free read of the controller
    QByteArray m_edited;    // that file with other values, for the write

    // Starts a controller with `fault` (empty: none).
    std::unique_ptr<SimHarness> start(const QString& fault, bool wireTiming) {
        auto sim = std::make_unique<SimHarness>(controller());
        if (!sim->start())
            return {};
        sim->server().setWireTiming(wireTiming);
        if (!fault.isEmpty())
            sim->server().addFault(*SimFault::parse(fault));
        return sim;
    }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        const auto sim = start(QString(), false);
        QVERIFY(sim);
        const QString file = m_dir.filePath(QStringLiteral("reference.tvk"));
        const CtlRun r = runCtlOn(sim->slavePath(), {"read", file});
        QVERIFY2(r.status == 0, qPrintable(r.err));
        m_reference = readFile(file);
        // New limits, gains and a terminal for the write.
        m_edited = m_reference;
        for (const char* entry : {"\"Max. setpoint\"\r\n", "\"Pb heating\"\r\n"}) {
            const qsizetype at = m_edited.indexOf(entry);
            QVERIFY(at > 0);
            qsizetype line = m_edited.indexOf('\n', at) + 1;
            for (int k = 0; k < 8; ++k) {
                const qsizetype end = m_edited.indexOf('\r', line);
                m_edited.replace(line, end - line, QByteArray::number(300 + 7 * k));
                line = m_edited.indexOf('\n', line) + 1;
            }
        }
        QVERIFY(m_edited != m_reference);
    }

    void faults_data() {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<bool>("recoverable");
        QTest::addColumn<bool>("wireTiming");
        QTest::newRow("silence") << "silent@12+" << false << false;
        QTest::newRow("drop") << "drop/40" << true << false; // one in the read, one in the write
        QTest::newRow("corrupt") << "corrupt@12" << true << false;
        QTest::newRow("truncate") << "truncate@12" << true << false;
        QTest::newRow("garbage") << "garbage@12" << true << false;
        // With wire timing the answer to the repetition follows the late one on the line.
        QTest::newRow("late") << "late@12" << true << true;
        QTest::newRow("hang-up") << "hangup@12" << false << false;
    }
    void faults() {
        QFETCH(QString, fault);
        QFETCH(bool, recoverable);
        QFETCH(bool, wireTiming);

        // Read into a file that holds an older configuration.
        const QString file = m_dir.filePath(QStringLiteral("read.tvk"));
        QVERIFY(writeFile(file, m_edited));
        auto sim = start(fault, wireTiming);
        QVERIFY(sim);
        CtlRun r = runCtlOn(sim->slavePath(), {"read", file});
        QVERIFY2(r.status == 0 || r.status == 1, qPrintable(r.err));
        QVERIFY(!r.crashed);
        QCOMPARE(r.status == 0, recoverable);
        QCOMPARE(readFile(file), r.status == 0 ? m_reference : m_edited);
        if (fault.startsWith(QLatin1String("silent")))
            QCOMPARE(r.err.count(QStringLiteral("No communication possible")), 1);

        // Write another configuration; on success the controller holds all of it.
        QVERIFY(writeFile(file, m_edited));
        sim = start(fault, wireTiming);
        QVERIFY(sim);
        r = runCtlOn(sim->slavePath(), {"write", file});
        QVERIFY2(r.status == 0 || r.status == 1, qPrintable(r.err));
        QVERIFY(!r.crashed);
        QCOMPARE(r.status == 0, recoverable);
        if (r.status != 0)
            return;
        ParameterTable table;
        table.BuildParameterTable(Texts());
        ConfigurationFileResult parsed;
        const auto entries = ReadConfigurationEntries(file, table, &parsed);
        QVERIFY(parsed.ok);
        for (const ConfigurationFileEntry& e : entries) {
            if (isWriteSkipped(e.entry))
                continue;
            const QVector<int> held = sim->device().readValues(table[e.entry].FunctionCode);
            for (int k = 0; k < table[e.entry].Count; ++k)
                QCOMPARE(held.value(k), e.values[k].toInt());
        }
    }
};

QTEST_GUILESS_MAIN(tst_CliFaults)
#include "tst_cli_faults.moc"
