// The alarm-history reader and the logger transfer against the simulated controller, over the
// real serial-port code: wire order, golden tables at the three firmware bands, stop and a
// controller that falls silent in the middle.
#include "app/Workspace.h"
#include "device/DeviceServices.h"
#include "link/Link.h"
#include "link/QtSerialPort.h"
#include "link/Telegram.h"
#include "services/AlarmHistory.h"
#include "services/DataLogger.h"
#include "support/RecordSeeds.h"
#include "support/ScriptedInteraction.h"
#include "support/SimHarness.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

namespace {
constexpr int Address = 3;
} // namespace

class TestRecordTransfers : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    std::unique_ptr<SimHarness> m_sim;
    std::unique_ptr<QtSerialPort> m_port;
    ScriptedInteraction m_interaction;
    std::unique_ptr<Workspace> m_ws;

    // A frozen controller with a fixed clock, `samples` logger samples (cycle 5 s) and three
    // history entries.
    void start(int firmware, int attributes, int samples) {
        m_ws.reset();
        m_port.reset();
        m_interaction.asked.clear();
        m_sim = std::make_unique<SimHarness>(
            SimOptions{Address, firmware, attributes,
                       QDateTime(QDate(2024, 12, 5), QTime(13, 45, 10)), false});
        QList<LoggerSample> seeded;
        for (int s = 0; s < samples; ++s)
            seeded.append(seedSample(s));
        m_sim->device().setLoggerSamples(seeded);
        QVERIFY(m_sim->device().setItem(146, 1, {50}));
        m_sim->device().setHistory(seedHistory());
        QVERIFY2(m_sim->start(), qPrintable(m_sim->errorText()));
        m_port = std::make_unique<QtSerialPort>(m_sim->slavePath());
        QVERIFY(m_port->open());
        m_ws = std::make_unique<Workspace>(m_interaction, m_port.get());
        m_ws->link().DeviceAddress = Address;
        m_ws->link().setPauseInterval(1);
        m_ws->link().setReplyTimeout(100);
        m_ws->identification.FirmwareVersion = firmware;
        m_ws->identification.ModuleVariant = moduleVariantOfAttributes(attributes);
    }

    // The Telegrams the controller got: "R92" for a read, "C94 0300" for a command with data.
    QStringList trace() const {
        QStringList t;
        for (const QByteArray& f : m_sim->requests) {
            if (f.size() < 9 || quint8(f[0]) != Telegram::LongStart)
                continue;
            const bool read = quint8(f[4]) == Telegram::ReadControl;
            const QByteArray data = f.mid(7, f.size() - 9);
            QString entry = (read ? QStringLiteral("R") : QStringLiteral("C")) +
                            QString::number(quint8(f[6]), 16).toUpper();
            if (!read || data != QByteArray(3, '\0'))
                if (!data.isEmpty())
                    entry += u' ' + QString::fromLatin1(data.toHex().toUpper());
            t << entry;
        }
        return t;
    }

    QString path(const QString& name) const { return m_dir.filePath(name); }

private Q_SLOTS:
    void logger_data() {
        QTest::addColumn<int>("firmware");
        QTest::addColumn<int>("attributes");
        QTest::addColumn<int>("samples");
        QTest::addColumn<QStringList>("trace");
        QTest::addColumn<QStringList>("lines");
        const QStringList announce{"R92", "R98", "C94 0300", "C95 0300"};
        QTest::newRow("0x56: heading, one record a sample")
            << 0x56 << 0x10 << 3
            << announce + QStringList{"R99", "R9A 011100", "R9A 011100", "R9A 011100"}
            << QStringList{"3 Abtastungen  von  1.1.07 0:00:00  bis  1.1.07 0:00:10", "",
                           "0.00      20.0    -10.0   21.5    0.0     0.0     0.0     0.0     "
                           "100.0   50    -20   0     0     0     0     0     100   230",
                           "5.00      20.1    -10.0   21.5    0.0     0.0     0.0     0.0     "
                           "99.9    50    -20   0     0     0     0     0     99    230",
                           "10.00     20.2    -10.0   21.5    0.0     0.0     0.0     0.0     "
                           "99.8    50    -20   0     0     0     0     0     98    230"};
        QTest::newRow("0x42: heading, two reads of 8")
            << 0x42 << 0x10 << 3
            << announce + QStringList{"R99",        "R96 010800", "R97 010800", "R96 010800",
                                      "R97 010800", "R96 010800", "R97 010800"}
            << QStringList{"3 Abtastungen  von  1.1.07 0:00:00  bis  1.1.07 0:00:10", "",
                           "0.00      20.0    -10.0   21.5    0.0     0.0     0.0     0.0     "
                           "100.0   50    -20   0     0     0     0     0     100",
                           "5.00      20.1    -10.0   21.5    0.0     0.0     0.0     0.0     "
                           "99.9    50    -20   0     0     0     0     0     99",
                           "10.00     20.2    -10.0   21.5    0.0     0.0     0.0     0.0     "
                           "99.8    50    -20   0     0     0     0     0     98"};
        // Four-channel module (attribute bit 5).
        QTest::newRow("0x40: no heading, two reads of 4")
            << 0x40 << 0x20 << 2
            << QStringList{"R92",        "R98",        "C94 0200",   "C95 0200",
                           "R96 010400", "R97 010400", "R96 010400", "R97 010400"}
            << QStringList{"0.00      20.0    -10.0   21.5    0.0     50    -20   0     0",
                           "5.00      20.1    -10.0   21.5    0.0     50    -20   0     0"};
        // With one sample or none the controller's clock is the end.
        QTest::newRow("0x56: one sample")
            << 0x56 << 0x10 << 1
            << QStringList{"R92", "R98", "C94 0100", "C95 0100", "R90", "R9A 011100"}
            << QStringList{"1 Abtastungen  von  5.12.24 13:45:10  bis  5.12.24 13:45:10", "",
                           "0.00      20.0    -10.0   21.5    0.0     0.0     0.0     0.0     "
                           "100.0   50    -20   0     0     0     0     0     100   230"};
        QTest::newRow("0x56: none")
            << 0x56 << 0x10 << 0 << QStringList{"R92", "R98", "C94 0000", "C95 0000", "R90"}
            << QStringList{"0 Abtastungen  am  5.12.24 13:45:10", ""};
    }
    void logger() {
        QFETCH(int, firmware);
        QFETCH(int, attributes);
        QFETCH(int, samples);
        QFETCH(QStringList, trace);
        QFETCH(QStringList, lines);
        start(firmware, attributes, samples);
        LoggerTransfer transfer(*m_ws, m_ws->services());
        QList<int> progress;
        connect(&transfer, &LoggerTransfer::progress, this,
                [&](int done, int total) { progress << done << total; });
        QCOMPARE(transfer.store(path("logger.txt")), LoggerTransfer::Outcome::Done);
        QCOMPARE(this->trace(), trace);
        const QString table = QString::fromUtf8(readFile(path("logger.txt")));
        QCOMPARE(table, lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
        QCOMPARE(loggerTableText(transfer.recording()), table); // what a window shows or exports
        // 0 of n before the first sample, then one step a sample.
        QCOMPARE(progress.size(), 2 * (samples + 1));
        QCOMPARE(progress.mid(0, 2), (QList<int>{0, samples}));
        QCOMPARE(progress.mid(2 * samples), (QList<int>{samples, samples}));
        QVERIFY(m_interaction.asked.isEmpty());
    }

    // Stop: the sample being read is finished and written, then the transfer ends.
    void loggerStop() {
        start(0x56, 0x10, 5);
        LoggerTransfer transfer(*m_ws, m_ws->services());
        connect(&transfer, &LoggerTransfer::progress, this, [&](int done, int) {
            if (done == 2)
                transfer.requestStop();
        });
        QCOMPARE(transfer.store(path("stop.txt")), LoggerTransfer::Outcome::Stopped);
        QCOMPARE(trace().count(QStringLiteral("R9A 011100")), 2);
        QCOMPARE(transfer.recording().samples.size(), 2);
        const QStringList lines = QString::fromUtf8(readFile(path("stop.txt"))).split("\r\n");
        QCOMPARE(lines.size(), 2 + 2 + 1);
        QVERIFY(lines[0].startsWith(QStringLiteral("5 Abtastungen  von  ")));
        QVERIFY(lines[3].startsWith(QStringLiteral("5.00      20.1")));
        QVERIFY(!transfer.running());
    }

    // Nothing answers: an existing file stays as it was and no other file appears.
    void loggerKeepsFileWhenNothingAnswers() {
        start(0x56, 0x10, 3);
        m_sim->silenceFrom(2); // the count
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("old.txt"));
        QVERIFY(writeFile(file, "old table"));
        LoggerTransfer transfer(*m_ws, m_ws->services());
        QCOMPARE(transfer.store(file), LoggerTransfer::Outcome::Failed);
        QCOMPARE(readFile(file), QByteArray("old table"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"old.txt"});
        QCOMPARE(transfer.recording().count, -1);
    }

    // A file that cannot be created ends the transfer before the controller is asked for
    // samples, and the message names the file.
    void loggerUnwritableFile() {
        start(0x56, 0x10, 3);
        const QString file = path("missing/logger.txt");
        LoggerTransfer transfer(*m_ws, m_ws->services());
        QCOMPARE(transfer.store(file), LoggerTransfer::Outcome::FileFailed);
        QVERIFY2(transfer.fileMessage().contains(file), qPrintable(transfer.fileMessage()));
        QCOMPARE(trace(), (QStringList{"R92", "R98"}));
    }

    void loggerClearAndNoLogger() {
        start(0x56, 0x10, 3);
        LoggerTransfer transfer(*m_ws, m_ws->services());
        QVERIFY(transfer.clear());
        QCOMPARE(trace(), (QStringList{"C93 80"}));
        QVERIFY(m_sim->device().loggerSamples().isEmpty());

        m_ws->identification.FirmwareVersion = 0x27;
        QCOMPARE(transfer.store(path("none.txt")), LoggerTransfer::Outcome::NoLogger);
        QCOMPARE(trace().size(), 1);
        QVERIFY(!QFile::exists(path("none.txt")));
    }

    void history() {
        start(0x56, 0x10, 0);
        AlarmHistoryRead reader(*m_ws, m_ws->services());
        // One device operation at a time: the logger waits for its turn, the user is told.
        LoggerTransfer logger(*m_ws, m_ws->services());
        QList<LoggerTransfer::Outcome> nested;
        connect(&reader, &AlarmHistoryRead::progress, this, [&](int done, int) {
            if (done == 1)
                nested << logger.store(path("refused.txt"));
        });
        QCOMPARE(reader.run(), LongOperation::Outcome::Done);
        QCOMPARE(nested, QList{LoggerTransfer::Outcome::Refused});
        QCOMPARE(m_interaction.asked.size(), 1);
        QVERIFY(!QFile::exists(path("refused.txt")));
        QCOMPARE(trace(), (QStringList{"R2F", "C2D 0300", "R2E", "R2E", "R2E"}));
        const AlarmHistory& h = reader.history();
        QCOMPARE(h.announced, 3);
        QCOMPARE(h.entries.size(), 3);
        QCOMPARE(h.entries[1].time, (ClockStamp{0, 30, 10, 1, 1, 24}));
        QCOMPARE(h.entries[1].word(1), quint16(8));
        QCOMPARE(h.entries[1].word(9), quint16(0x1000));
    }

    void historyStopAndSilence_data() {
        QTest::addColumn<bool>("stop");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<int>("messages");
        QTest::newRow("stop after the second entry")
            << true << int(LongOperation::Outcome::Stopped) << 0;
        QTest::newRow("silent at the third entry")
            << false << int(LongOperation::Outcome::Failed) << 1;
    }
    void historyStopAndSilence() {
        QFETCH(bool, stop);
        QFETCH(int, outcome);
        QFETCH(int, messages);
        start(0x56, 0x10, 0);
        AlarmHistoryRead reader(*m_ws, m_ws->services());
        if (stop)
            connect(&reader, &AlarmHistoryRead::progress, this, [&](int done, int) {
                if (done == 2)
                    reader.requestStop();
            });
        else
            m_sim->silenceFrom(5); // 0x2F, 0x2D, two entries
        QCOMPARE(int(reader.run()), outcome);
        QCOMPARE(m_interaction.asked.size(), messages);
        const AlarmHistory& h = reader.history();
        QCOMPARE(h.announced, 3);
        QCOMPARE(h.entries.size(), 2);
        // The change log ends with the state of the last entry read, not of an empty row.
        QVERIFY(historyChangeLog(h.entries, m_ws->texts)
                    .endsWith(QStringLiteral(" 10:30:00   01.01.2024   Kanal 1            -   "
                                             "1. GW-Fehler H\r\n                         Gerät "
                                             "             -   24 V fehlt\r\n")));
    }
};

QTEST_GUILESS_MAIN(TestRecordTransfers)
#include "tst_recordtransfers.moc"
