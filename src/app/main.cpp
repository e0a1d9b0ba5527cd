// q7400-config: the desktop configuration tool for the Q7400 controller.
#include "base/AutoInteraction.h"
#include "app/ProgramIdentity.h"
#include "app/SimulatorProcess.h"
#include "app/Workspace.h"
#include "app/ui/Screenshots.h"
#include "app/ui/WidgetInteraction.h"
#include "app/ui/frmKonfig.h"
#include "link/PortSettings.h"

#include <QApplication>
#include <QCommandLineParser>

#include <memory>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    setProgramIdentity(QStringLiteral("q7400-config"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Configuration tool for the Q7400 temperature controller. Without options it uses the "
        "port of the settings file Q7400n.cfg (choose another in the Interface menu)."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption simulator(
        QStringLiteral("simulator"),
        QStringLiteral("Start the bundled controller simulator and talk to it for this run only "
                       "(the settings file keeps its port)."));
    const QCommandLineOption screenshots(
        QStringLiteral("screenshots"),
        QStringLiteral("Render every window to PNG files in DIR and quit (use with "
                       "QT_QPA_PLATFORM=offscreen; add --simulator to read a controller first)."),
        QStringLiteral("dir"));
    parser.addOption(simulator);
    parser.addOption(screenshots);
    parser.process(app);

    const bool unattended = parser.isSet(screenshots);
    WidgetInteraction widgetInteraction;
    AutoInteraction autoInteraction;
    Interaction& interaction = unattended ? static_cast<Interaction&>(autoInteraction)
                                          : static_cast<Interaction&>(widgetInteraction);

    FrameOptions options;
    std::unique_ptr<ScreenshotRun> shots;
    if (unattended) {
        shots = std::make_unique<ScreenshotRun>(parser.value(screenshots));
        options.settingsPath = shots->settingsPath();
    }

    SimulatorProcess sim;
    if (parser.isSet(simulator)) {
        // The simulator answers at the address the settings file names.
        const QString settingsPath =
            options.settingsPath.isEmpty() ? defaultSettingsPath() : options.settingsPath;
        const PortSettings settings = readPortSettings(settingsPath);
        if (sim.start(QString(), {QStringLiteral("--quiet"), QStringLiteral("--address"),
                                  QString::number(settings.DeviceAddress)})) {
            options.portOverride = sim.portPath();
            options.simulator = true;
        } else {
            interaction.inform(QStringLiteral("Error"), sim.errorText(),
                               Interaction::Icon::Critical);
        }
    }

    Workspace workspace(interaction, nullptr);
    frmKonfig window(workspace, interaction, options);
    widgetInteraction.setParent(&window);
    if (shots)
        return shots->run(window);
    window.show();
    return app.exec();
}
