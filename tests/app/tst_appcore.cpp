#include "app/ChannelNames.h"
#include "app/Defaults.h"
#include "app/FrameTexts.h"
#include "app/SimulatorProcess.h"
#include "app/Workspace.h"
#include "device/DeviceImage.h"
#include "device/Identification.h"
#include "i18n/StringTable.h"
#include "support/ScriptedInteraction.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {
QString binDir() {
    return qEnvironmentVariable("Q7400_BIN_DIR");
}
} // namespace

class tst_AppCore : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void deviceErrorLines_data() {
        QTest::addColumn<int>("word");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("none") << 0 << QStringList();
        QTest::newRow("bits 0 and 12") << 0x1001 << QStringList{"Analog error", "24 V missing"};
        QTest::newRow("bit 15 only") << 0x8000 << QStringList{"Bit 15 error"};
    }
    void deviceErrorLines() {
        QFETCH(int, word);
        QFETCH(QStringList, lines);
        Texts texts;
        texts.setLanguageOffset(1000);
        QCOMPARE(::deviceErrorLines(texts, word), lines);
        QString joined;
        for (const QString& l : lines)
            joined += l + u'\n';
        QCOMPARE(deviceErrorText(texts, word), joined);
    }

    void statusTexts_data() {
        QTest::addColumn<QString>("actual");
        QTest::addColumn<QString>("expected");
        QTest::newRow("param id") << parameterSetIdPanelText({0x10, 0x45, 0x13, 0x05, 0x12, 0x24})
                                  << "Param ID:  05.12.24  13:45:10";
        // A byte that is not BCD still shows 10 x high + low nibble.
        QTest::newRow("param id non-BCD") << parameterSetIdPanelText({0x0F, 0, 0, 0xFF, 0, 0})
                                          << "Param ID:  165.00.00  00:00:15";
    }
    void statusTexts() {
        QFETCH(QString, actual);
        QTEST(actual, "expected");
    }

    void menuRules_data() {
        QTest::addColumn<int>("firmware");
        QTest::addColumn<int>("attributes");
        QTest::addColumn<bool>("blocks");
        QTest::addColumn<bool>("b2");
        QTest::addColumn<bool>("password");
        QTest::addColumn<bool>("history");
        QTest::newRow("start-up 0x99, attr 16") << 0x99 << 16 << true << true << false << true;
        QTest::newRow("0x99 without attr bit 4") << 0x99 << 0xEF << false << true << false << true;
        QTest::newRow("0x2F") << 0x2F << 16 << false << false << false << false;
        QTest::newRow("0x30") << 0x30 << 16 << false << false << false << true;
        QTest::newRow("0x48 is not above") << 0x48 << 16 << false << false << false << true;
        QTest::newRow("0x49") << 0x49 << 16 << true << false << false << true;
        QTest::newRow("0x52 is not above") << 0x52 << 16 << true << false << false << true;
        QTest::newRow("0x53") << 0x53 << 0 << false << true << false << true;
        QTest::newRow("firmware 0") << 0 << 16 << false << false << true << false;
    }
    void menuRules() {
        QFETCH(int, firmware);
        QFETCH(int, attributes);
        const MenuVisibility v = menuVisibility(firmware, attributes);
        QTEST(v.parameterBlocks, "blocks");
        QTEST(v.featureB2, "b2");
        QTEST(v.password, "password");
        QTEST(v.alarmHistory, "history");
    }

    // The factory configuration replaces everything, in the eight channel columns only; the
    // start-up window test checks its values where they are shown.
    void defaultConfiguration() {
        DeviceImage image;
        image.setText(5, 3, QStringLiteral("left over"));
        image.setValue(80, 21, 7);
        Identification id;
        id.FirmwareVersion = 0x20;
        LoadDefaultConfiguration(image, id);

        QCOMPARE(id.FirmwareVersion, 0x99);
        QCOMPARE(image.value(5, 3), 0.0);
        QCOMPARE(image.value(80, 21), 0.0);
        for (int k = 1; k <= 8; ++k)
            QCOMPARE(image.value(22, k), 156.0); // output low limit -100 as a signed byte
        QCOMPARE(image.value(7, 9), 0.0);
        QCOMPARE(image.value(7, 0), 0.0);
        // Heating outputs of channels 1..8 on I/O 1..8, cooling outputs on I/O 9..16.
        const int io[20] = {2,  6,  10, 14, 18, 22, 26, 30, 34, 38,
                            42, 46, 50, 54, 58, 62, 0,  0,  0,  0};
        for (int t = 1; t <= 20; ++t)
            QCOMPARE(image.value(36, t), double(io[t - 1]));
    }

    void startupValues() {
        Identification id;
        id.DeviceType = "other";
        id.FeatureA = 2;
        id.ModuleVariant = 0;
        id.FirmwareVersion = 0x41;
        MemoryImage memory;
        SetStartupValues(id, memory);
        QCOMPARE(id.DeviceType, QStringLiteral("Q7400"));
        QCOMPARE(id.FeatureA, 0);
        QCOMPARE(id.ModuleVariant, 3);
        QCOMPARE(id.FirmwareVersion, 0x99);
        QCOMPARE(memory[735], quint8(0));
        for (int i = 736; i < MemoryImage::Size; ++i)
            QCOMPARE(memory[i], quint8(0xFF));
    }

    void channelOverview_data() {
        QTest::addColumn<double>("function");
        QTest::addColumn<double>("configuration");
        QTest::addColumn<int>("group");
        QTest::addColumn<bool>("optimising");
        QTest::addColumn<bool>("on");
        QTest::newRow("nothing") << 0.0 << 4.0 << 0 << false << false;
        QTest::newRow("group 3, on") << 64.0 << 1540.0 << 3 << false << true;
        QTest::newRow("group 1, optimising") << 128.0 << 512.0 << 1 << true << false;
        QTest::newRow("other bits ignored") << 65343.0 << 63999.0 << 0 << false << false;
        // Values beyond the int range (loaded from a file) are clamped, not undefined.
        QTest::newRow("beyond the int range") << 1e300 << -1e300 << 0 << true << true;
    }
    void channelOverview() {
        QFETCH(double, function);
        QFETCH(double, configuration);
        DeviceImage image;
        image.setValue(26, 5, function);
        image.setValue(27, 5, configuration);
        const ChannelOverview o = ::channelOverview(image, 5);
        QTEST(o.group, "group");
        QTEST(o.optimising, "optimising");
        QTEST(o.on, "on");
        QCOMPARE(groupText(0), QStringLiteral("no"));
        QCOMPARE(groupText(2), QStringLiteral("2"));
    }

    // Qt's own texts (standard buttons, dialogs) follow the program's language.
    void qtTextsFollowTheLanguage() {
        ScriptedInteraction interaction;
        Workspace ws(interaction, nullptr);
        const auto cancel = [] {
            return QCoreApplication::translate("QPlatformTheme", "Cancel");
        };
        const QStringList expected = {"Abbrechen", "Cancel", "Annuler", "Annulla"};
        for (int language : {0, 2, 1, 3, 0}) {
            ws.setLanguageOffset(1000 * language);
            QCOMPARE(cancel(), expected[language]);
        }
        ws.setLanguageOffset(1000);
        QCOMPARE(cancel(), QStringLiteral("Cancel"));
    }

    void channelNames_data() {
        QTest::addColumn<QByteArray>("content"); // "-" = no file
        QTest::addColumn<QStringList>("names");
        QTest::newRow("missing") << QByteArray("-") << ChannelNames::defaults();
        QTest::newRow("short") << QByteArray("Nozzle\r\nManifold\n")
                               << QStringList{"Nozzle", "Manifold", "3", "4", "5", "6", "7", "8"};
        QTest::newRow("blank line keeps default")
            << QByteArray("A\n\nC") << QStringList{"A", "2", "C", "4", "5", "6", "7", "8"};
        QTest::newRow("longer than eight")
            << QByteArray("1a\n2a\n3a\n4a\n5a\n6a\n7a\n8a\n9a\n")
            << QStringList{"1a", "2a", "3a", "4a", "5a", "6a", "7a", "8a"};
        QTest::newRow("umlauts") << QByteArray("Düse\n")
                                 << QStringList{"Düse", "2", "3", "4", "5", "6", "7", "8"};
    }
    void channelNames() {
        QFETCH(QByteArray, content);
        QFETCH(QStringList, names);
        QTemporaryDir dir;
        const QString settings = dir.filePath("Q7400n.cfg");
        const QString path = channelNamesPath(settings, "Q7400");
        QCOMPARE(path, dir.filePath("Q7400.zyk"));
        if (content != "-") {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(content);
        }
        ChannelNames n;
        QCOMPARE(n.load(path), content != "-");
        QCOMPARE(n.names, names);
    }

    void simulatorProcess() {
        const QString program = QDir(binDir()).filePath("q7400-sim");
        if (!QFileInfo(program).isExecutable())
            QSKIP("q7400-sim is not built (Q7400_BIN_DIR)");
        SimulatorProcess sim;
        QVERIFY2(sim.start(program, {"--quiet"}), qPrintable(sim.errorText()));
        QVERIFY(sim.isRunning());
        QVERIFY(sim.portPath().startsWith(u'/'));
        QVERIFY(QFileInfo::exists(sim.portPath()));
        sim.stop();
        QVERIFY(!sim.isRunning());
    }

    void simulatorProcessMissing() {
        QTemporaryDir dir;
        SimulatorProcess sim;
        QVERIFY(!sim.start(dir.filePath("no-such-simulator"), {}, 500));
        QVERIFY(sim.errorText().contains("no-such-simulator"));
        QVERIFY(sim.portPath().isEmpty());
        // A program that ends without naming a port.
        QVERIFY(!sim.start("/bin/true", {}, 2000));
        QVERIFY(!sim.errorText().isEmpty());
    }

    // The program as the README starts it: the simulator as a child, a read, pictures of the
    // window; the child ends with the program.
    void screenshotsWithSimulator() {
        const QString program = QDir(binDir()).filePath("q7400-config");
        if (!QFileInfo(program).isExecutable() ||
            !QFileInfo(QDir(binDir()).filePath("q7400-sim")).isExecutable())
            QSKIP("q7400-config or q7400-sim is not built (Q7400_BIN_DIR)");
        QTemporaryDir dir;
        QProcess run;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        run.setProcessEnvironment(env);
        run.start(program, {"--simulator", "--screenshots", dir.path()});
        QVERIFY(run.waitForFinished(60000));
        const QString err = QString::fromLocal8Bit(run.readAllStandardError());
        QVERIFY2(run.exitStatus() == QProcess::NormalExit && run.exitCode() == 0, qPrintable(err));
        for (const char* name : {"frmKonfig-start.png", "frmKonfig.png", "frmKonfig-fr.png"})
            QVERIFY2(QFileInfo(dir.filePath(name)).size() > 1000, name);
        // The read asked its question and reached the simulator (no link message).
        QVERIFY(err.contains("Direction ok?"));
        QVERIFY2(!err.contains("Interface message"), qPrintable(err));
    }
};

QTEST_GUILESS_MAIN(tst_AppCore)
#include "tst_appcore.moc"
