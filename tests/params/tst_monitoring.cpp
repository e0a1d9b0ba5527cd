#include "device/DeviceData.h"
#include "params/Monitor.h"
#include "params/Monitoring.h"
#include "support/ScriptedInteraction.h"

#include <QTest>

class tst_Monitoring : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The cyclic block as displayed: measured values count as negative only above 32768,
    // output bytes only above 128.
    void texts_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("raw");
        QTest::addColumn<QString>("text");
        QTest::newRow("actual -5.0") << "actual" << 65486 << "-5.0";
        QTest::newRow("actual 32768 positive") << "actual" << 32768 << "3276.8";
        QTest::newRow("actual 32769") << "actual" << 32769 << "-3276.7";
        QTest::newRow("output 200") << "output" << 200 << "-56";
        QTest::newRow("output 128") << "output" << 128 << "128";
        QTest::newRow("output 129") << "output" << 129 << "-127";
        QTest::newRow("current 125") << "current" << 125 << "12.5";
        QTest::newRow("current 0") << "current" << 0 << "0.0";
        QTest::newRow("messages 0x05") << "messages" << 0x05 << "1 0 1 0 0 0 0 0 ";
        QTest::newRow("messages 0x80") << "messages" << 0x80 << "0 0 0 0 0 0 0 1 ";
    }
    void texts() {
        QFETCH(QString, kind);
        QFETCH(int, raw);
        const QString text = kind == "actual"    ? actualValueText(raw, 1)
                             : kind == "output"  ? outputText(raw)
                             : kind == "current" ? currentText(raw)
                                                 : messageInputsText(raw);
        QTEST(text, "text");
    }

    // Log columns: elapsed time at 1, actual values at 11 + 8i, outputs at 75 + 6i, currents
    // at 123 + 8i, voltage at 187, extended currents at 195 + 8i.
    void logLine() {
        MonitorSnapshot s;
        s.elapsedSeconds = 12.345;
        for (int i = 0; i < 8; ++i) {
            s.actualTexts[size_t(i)] = QStringLiteral("%1.5").arg(100 + i);
            s.outputTexts[size_t(i)] = QString::number(-i);
            s.currentTexts[size_t(i)] = QStringLiteral("1.%1").arg(i);
        }
        for (int i = 8; i < 24; ++i)
            s.currentTexts[size_t(i)] = QStringLiteral("2.%1").arg(i);
        s.voltageText = QStringLiteral("230.0");
        const auto at = [](const QString& line, int column, const QString& text) {
            return line.mid(column - 1, text.size()) == text &&
                   (column == 1 || line[column - 2] == u' ');
        };
        QString line = monitorLogLine(s);
        QVERIFY(line.endsWith(QStringLiteral("\r\n")));
        line.chop(2);
        QVERIFY(!line.contains(u'\n'));
        QVERIFY(at(line, 1, QStringLiteral("12.35")));
        for (int i = 0; i < 8; ++i) {
            QVERIFY(at(line, 11 + 8 * i, s.actualTexts[size_t(i)]));
            QVERIFY(at(line, 75 + 6 * i, s.outputTexts[size_t(i)]));
            QVERIFY(at(line, 123 + 8 * i, s.currentTexts[size_t(i)]));
        }
        QVERIFY(at(line, 187, QStringLiteral("230.0")));
        QCOMPARE(line.size(), 186 + 5);

        s.extended = true;
        line = monitorLogLine(s, QStringLiteral("\n")).chopped(1);
        for (int i = 0; i < 16; ++i)
            QVERIFY(at(line, 195 + 8 * i, s.currentTexts[size_t(8 + i)]));

        // A text too long for its place moves the next column to a line of its own.
        s.extended = false;
        s.actualTexts[0] = QStringLiteral("-12345.67");
        const QStringList lines = monitorLogLine(s, QStringLiteral("\n")).split(u'\n');
        QCOMPARE(lines.size(), 3);
        QVERIFY(at(lines[1], 19, s.actualTexts[1]));
    }

    // Setpoints and outputs typed while monitoring, checked before anything is stored.
    void transferTexts_data() {
        QTest::addColumn<bool>("setpoints");
        QTest::addColumn<QString>("typed"); // channel 2
        QTest::addColumn<QString>("shown"); // "" = refused
        QTest::addColumn<int>("stored");
        QTest::newRow("setpoint -5.0") << true << "-5.0"
                                       << "-5.0" << 65486;
        QTest::newRow("setpoint -0") << true << "-0"
                                     << "0.0" << 0;
        QTest::newRow("setpoint rounded") << true << "12.34"
                                          << "12.3" << 123;
        QTest::newRow("setpoint above max.") << true << "4000.0"
                                             << "600.0" << 6000;
        QTest::newRow("setpoint below min.") << true << "-60"
                                             << "-50.0" << 65036;
        QTest::newRow("setpoint empty") << true << ""
                                        << "" << 800;
        QTest::newRow("setpoint text") << true << "abc"
                                       << "" << 800;
        QTest::newRow("output -20") << false << "-20"
                                    << "-20" << 236;
        QTest::newRow("output -0") << false << "-0"
                                   << "0" << 0;
        QTest::newRow("output -150") << false << "-150"
                                     << "-100" << 156;
        QTest::newRow("output 300") << false << "300"
                                    << "100" << 100;
        QTest::newRow("output empty") << false << " "
                                      << "" << 7;
    }
    void transferTexts() {
        QFETCH(bool, setpoints);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        ScriptedInteraction interaction;
        DeviceData data(interaction); // temperature module: one decimal
        DeviceImage& image = data.image;
        for (int k = 1; k <= 8; ++k) {
            image.setValue(0, k, 800);
            image.setValue(6, k, 65036); // min. setpoint -50.0
            image.setValue(7, k, 6000);  // max. setpoint 600.0
            image.setValue(MonitorRows::Outputs, k, 7);
        }
        std::array<QString, 8> texts;
        texts.fill(setpoints ? QStringLiteral("80.0") : QStringLiteral("7"));
        texts[1] = typed;
        const QList<int> invalid =
            setpoints ? storeSetpointTexts(data, texts) : storeOutputTexts(data, texts);
        QCOMPARE(invalid, shown.isEmpty() ? QList<int>{2} : QList<int>{});
        const int row = setpoints ? 0 : MonitorRows::Outputs;
        QTEST(int(image.value(row, 2)), "stored");
        if (!shown.isEmpty())
            QCOMPARE(texts[1], shown);
    }

    void interval_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("ms");
        QTest::newRow("500") << "500" << 500;
        QTest::newRow("10") << "10" << 10;
        QTest::newRow("60000") << "60000" << 60000;
        QTest::newRow("abc") << "abc" << 300;
        QTest::newRow("0") << "0" << 300;
        QTest::newRow("-5") << "-5" << 300;
        QTest::newRow("9") << "9" << 300;
        QTest::newRow("60001") << "60001" << 300;
        QTest::newRow("12.5") << "12.5" << 300;
    }
    void interval() {
        QFETCH(QString, text);
        QFETCH(int, ms);
        QString shown;
        QCOMPARE(Monitor::intervalOf(text, &shown), ms);
        QCOMPARE(shown, ms == 300 ? QStringLiteral("300") : QString());
    }

    void messageInputsShown() {
        DeviceImage image;
        QVERIFY(!messageInputsConfigured(image));
        image.setValue(MonitorRows::IoConfiguration, 20, 0x81); // code 8: free input
        QVERIFY(!messageInputsConfigured(image));
        image.setValue(MonitorRows::IoConfiguration, 20, 0x91); // code 9: message input
        QVERIFY(messageInputsConfigured(image));
    }
};

QTEST_GUILESS_MAIN(tst_Monitoring)
#include "tst_monitoring.moc"
