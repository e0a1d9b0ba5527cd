#include "app/AsFound.h"
#include "app/Workspace.h"
#include "device/DeviceServices.h"
#include "device/LineScan.h"
#include "device/Transfers.h"
#include "link/Link.h"
#include "link/Telegram.h"
#include "support/CtlRun.h"
#include "support/SimWorkspace.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {
// A controller at an address other than the settings file's (3), at 9600 baud odd parity, that
// ignores anything sent at other line settings.
constexpr int kAddress = 11;

SimOptions otherController() {
    return SimOptions{kAddress, 0x56, 0x41, QDateTime(), false};
}
} // namespace

// The line scan, the comparison of configurations and the as-found backup, against the
// simulator through the real serial-port code.
class tst_ScanCompare : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() {
        QVERIFY(m_dir.isValid());
        // The as-found backups of this test go here.
        qputenv("XDG_DATA_HOME", m_dir.filePath(QStringLiteral("data")).toUtf8());
    }

    void settingsOrder_data() {
        QTest::addColumn<QString>("present");
        QTest::addColumn<bool>("all");
        QTest::addColumn<QStringList>("first");
        QTest::newRow("present only") << "9600,o,8,1" << false << QStringList{"9600,o,8,1"};
        QTest::newRow("present, then 19200 even, then its baud rate")
            << "9600,o,8,1" << true
            << QStringList{"9600,o,8,1", "19200,e,8,1", "9600,e,8,1", "9600,s,8,1"};
        QTest::newRow("19200 even only once")
            << "19200,e,8,1" << true << QStringList{"19200,e,8,1", "19200,o,8,1"};
    }
    void settingsOrder() {
        QFETCH(QString, present);
        QFETCH(bool, all);
        QFETCH(QStringList, first);
        const QStringList order = scanSettingsOrder(present, all);
        QCOMPARE(order.mid(0, first.size()), first);
        QCOMPARE(order.size(), all ? 16 : 1);
        QCOMPARE(QSet<QString>(order.begin(), order.end()).size(), order.size());
    }

    // Found at its own address and line settings only, nothing written, the link as before.
    void scanFindsTheController() {
        SimWorkspace sim(otherController());
        QVERIFY2(sim.started, qPrintable(sim.errorText()));
        sim.server().setStrictLine(true);
        QVERIFY(sim.device().setLine(9600, 'o'));
        Workspace& ws = *sim.workspace;
        ws.link().setDeviceAddress(3);
        LineScan scan(ws.link(), ws.gate(), ws.texts);
        QSignalSpy found(&scan, &LineScan::found);

        QCOMPARE(scan.run({9, 12, true, 40}, QStringLiteral("19200,e,8,1")),
                 LineScan::Outcome::Done);

        QCOMPARE(found.size(), 1);
        const ScanFind find = found[0][0].value<ScanFind>();
        QCOMPARE(find.address, kAddress);
        QCOMPARE(find.settingsText, QStringLiteral("9600,o,8,1"));
        QVERIFY(sim.sent(Telegram::WriteControl).isEmpty());
        QCOMPARE(sim.sentCodes(Telegram::ReadControl).count(49), 1); // only where it answered
        QVERIFY(sim.interaction.asked.isEmpty()); // no give-up message for silent addresses
        QCOMPARE(ws.link().DeviceAddress, 3);
        QCOMPARE(ws.link().RepeatCount, 0);
        QVERIFY(!ws.gate().busy());
        // The port is back at the program's settings: the controller ignores it now.
        ws.link().setDeviceAddress(kAddress);
        ws.link().setReplyTimeout(30);
        ws.services().ReadRequest(53);
        QVERIFY(ws.link().CommError);
    }

    // Cancel stops before the next probe; a second device operation meanwhile is refused.
    void cancelStopsTheScan() {
        SimWorkspace sim(otherController());
        QVERIFY2(sim.started, qPrintable(sim.errorText()));
        Workspace& ws = *sim.workspace;
        LineScan scan(ws.link(), ws.gate(), ws.texts);
        int probes = 0;
        Transfers::Outcome nested = Transfers::Outcome::Done;
        connect(&scan, &LineScan::progress, this, [&](int done) {
            ++probes;
            if (done == 2) {
                nested = ws.transfers().ReadAll(false);
                scan.cancel();
            }
        });
        QCOMPARE(scan.run({0, 255, true, 30}, QStringLiteral("19200,e,8,1")),
                 LineScan::Outcome::Cancelled);
        QCOMPARE(probes, 3);
        QCOMPARE(nested, Transfers::Outcome::Busy);
        QVERIFY(!scan.running());
        QVERIFY(!ws.gate().busy());
    }

    void scanCommand_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("out");
        QTest::newRow("all settings")
            << QStringList{"--addresses", "10-12", "--all-settings", "--timeout", "40"} << 0
            << "11\t9600,o\tV5.6\tA1 B2\n";
        QTest::newRow("present settings: none answers")
            << QStringList{"--addresses", "10-12", "--timeout", "40"} << 1 << "";
        QTest::newRow("bad range") << QStringList{"--addresses", "12-10"} << 2 << "";
    }
    void scanCommand() {
        QFETCH(QStringList, args);
        QFETCH(int, status);
        QFETCH(QString, out);
        SimHarness sim(otherController());
        QVERIFY2(sim.start(), qPrintable(sim.errorText()));
        sim.server().setStrictLine(true);
        QVERIFY(sim.device().setLine(9600, 'o'));
        const CtlRun r = ctl(QStringList{"scan"} + args, sim);
        QVERIFY2(r.status == status, qPrintable(r.err));
        QCOMPARE(r.out, out);
        QVERIFY(sim.sent(Telegram::WriteControl).isEmpty());
    }

    // Two files, and a file against the controller: the values that differ, as shown.
    void diff() {
        SimHarness sim(SimOptions{3, 0x56, 0x10, QDateTime(), false});
        QVERIFY2(sim.start(), qPrintable(sim.errorText()));
        const QString a = m_dir.filePath(QStringLiteral("a.tvk"));
        const QString b = m_dir.filePath(QStringLiteral("b.tvk"));
        QCOMPARE(ctl({"read", a}, sim).status, 0);
        QVERIFY(editConfigurationValue(a, b, "Max. setpoint", "777"));

        CtlRun r = ctl({"diff", a, b}, sim);
        QCOMPARE(r.status, 3);
        QCOMPARE(r.out, QStringLiteral("7\tMax. setpoint\t1\t600.0\t77.7\n"));
        r = ctl({"diff", a, "device"}, sim);
        QVERIFY2(r.status == 0, qPrintable(r.err));
        QCOMPARE(r.out, QString());
        r = ctl({"diff", "device", b, "--lang", "de"}, sim);
        QCOMPARE(r.status, 3);
        QVERIFY2(r.out.startsWith(QStringLiteral("7\tmax. Sollwert\t1\t600.0\t77.7")),
                 qPrintable(r.out));
        QVERIFY(sim.sent(Telegram::WriteControl).isEmpty());
        QCOMPARE(ctl({"diff", a, m_dir.filePath(QStringLiteral("none.tvk"))}, sim).status, 1);
    }

    // Before a write the controller's configuration is kept as it was read just before; a
    // write that fails part-way says where it is.
    void asFoundBackup_data() {
        QTest::addColumn<int>("silentFrom"); // 0: the write completes
        QTest::newRow("write completes") << 0;
        QTest::newRow("write fails part-way") << 8; // the eighth row written
    }
    void asFoundBackup() {
        QFETCH(int, silentFrom);
        SimWorkspace sim(SimOptions{3, 0x56, 0x10, QDateTime(), false});
        QVERIFY2(sim.started, qPrintable(sim.errorText()));
        Workspace& ws = *sim.workspace;
        QVERIFY(sim.device().setItem(7, 1, {5555}));
        QCOMPARE(ws.transfers().ReadAll(false), Transfers::Outcome::Done);
        const QString before = m_dir.filePath(QStringLiteral("before.tvk"));
        QVERIFY(ws.SaveConfigurationFile(before).ok);
        ws.image.setValue(7, 1, 777);
        if (silentFrom > 0) {
            // After the attributes, the firmware and 56 rows of the as-found read (the requests
            // so far count a few preparation frames the controller does not count).
            sim.silenceFrom(int(sim.requests.size()) + 58 + silentFrom);
        }

        const Transfers::Outcome outcome = ws.transfers().WriteAll();

        QCOMPARE(outcome, silentFrom ? Transfers::Outcome::Failed : Transfers::Outcome::Done);
        const QString path = ws.transfers().AsFoundPath;
        QCOMPARE(QFileInfo(path).absolutePath(),
                 QDir(m_dir.filePath(QStringLiteral("data/q7400/as-found"))).absolutePath());
        QVERIFY2(QFileInfo(path).fileName().contains(QStringLiteral("_adr3_V5.6")),
                 qPrintable(path));
        QCOMPARE(readFile(path), readFile(before));
        if (silentFrom) {
            QVERIFY(sim.device().itemValue(7, 1) == 5555);
            QVERIFY(sim.interaction.asked.last().text.contains(path));
        } else {
            QCOMPARE(sim.device().itemValue(7, 1), 777);
        }
    }

    // The write command names the backup it kept; one that cannot be saved stops the write,
    // unless --force.
    void writeCommandBackup() {
        SimHarness sim(SimOptions{3, 0x56, 0x10, QDateTime(), false});
        QVERIFY2(sim.start(), qPrintable(sim.errorText()));
        const QString file = m_dir.filePath(QStringLiteral("plant.tvk"));
        QCOMPARE(ctl({"read", file}, sim).status, 0);
        CtlRun r = ctl({"write", file}, sim);
        QVERIFY2(r.status == 0, qPrintable(r.err));
        const QString path = r.out.split(u'\n')
                                 .filter(QStringLiteral("as-found backup: "))
                                 .value(0)
                                 .section(QStringLiteral(": "), 1);
        QVERIFY2(path.startsWith(m_dir.filePath(QStringLiteral("data/q7400/as-found/"))),
                 qPrintable(r.out));
        QCOMPARE(readFile(path), readFile(file));

        const QString blocked = m_dir.filePath(QStringLiteral("blocked"));
        QVERIFY(writeFile(blocked, "a file where the data folder should be"));
        qputenv("XDG_DATA_HOME", blocked.toUtf8());
        sim.requests.clear();
        r = ctl({"write", file}, sim);
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.contains(QStringLiteral("could not be kept")), qPrintable(r.err));
        QVERIFY(sim.sent(Telegram::WriteControl).isEmpty());
        r = ctl({"write", file, "--force"}, sim);
        QVERIFY2(r.status == 0, qPrintable(r.err));
        QVERIFY(!sim.sent(Telegram::WriteControl).isEmpty());
        QVERIFY(!r.out.contains(QStringLiteral("as-found backup")));
    }

private:
    CtlRun ctl(const QStringList& args, const SimHarness& sim) {
        return runCtlOn(sim.slavePath(), args, 60000);
    }

    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(tst_ScanCompare)
#include "tst_scancompare.moc"
