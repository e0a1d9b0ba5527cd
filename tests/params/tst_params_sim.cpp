#include "app/Workspace.h"
#include "device/Transfers.h"
#include "link/Link.h"
#include "link/QtSerialPort.h"
#include "params/ChannelParameterForm.h"
#include "support/ScriptedInteraction.h"
#include "support/SimHarness.h"

#include <QTest>

// Channel parameters edited as in the editor reach the simulated controller with the next
// write, over the real serial-port code.
class tst_ParamsSim : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void editedValuesReachTheController() {
        SimHarness sim;
        QVERIFY2(sim.start(), qPrintable(sim.errorText()));
        QtSerialPort port(sim.slavePath());
        QVERIFY(port.open());
        ScriptedInteraction interaction;
        Workspace ws(interaction, &port);
        ws.link().setPauseInterval(1);
        QCOMPARE(ws.transfers().ReadAll(false), Transfers::Outcome::Done);
        QVERIFY(sim.device().setItem(12, 3, {50})); // measuring offset 5.0

        ChannelParameterForm editor(ws);
        editor.setChannel(2);
        editor.editText(ChannelRows::Setpoint, "123.4");
        editor.editText(18, "-20"); // output high limit
        editor.editText(24, "-0");  // measuring offset: 0, not 65536
        QCOMPARE(ws.transfers().WriteAll(), Transfers::Outcome::Done);

        QCOMPARE(sim.device().itemValue(0, 3), 1234);
        QCOMPARE(sim.device().itemValue(29, 3), 236);
        QCOMPARE(sim.device().itemValue(12, 3), 0);
        QCOMPARE(sim.device().itemValue(0, 2), int(ws.image.value(0, 2)));
        QVERIFY(interaction.asked.isEmpty());
    }
};

QTEST_GUILESS_MAIN(tst_ParamsSim)
#include "tst_params_sim.moc"
