// q7400-config: the desktop configuration tool for the Q7400 controller.
#include "app/ProgramIdentity.h"
#include "app/SimulatorProcess.h"
#include "app/Workspace.h"
#include "app/ui/Screenshots.h"
#include "app/ui/WidgetInteraction.h"
#include "app/ui/frmKonfig.h"
#include "base/AutoInteraction.h"
#include "base/OptionList.h"
#include "link/PortSettings.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QIcon>

#include <cstdio>
#include <memory>

namespace {

QString manualPage(const QString& description, const QList<QCommandLineOption>& options) {
    ManualPage page =
        programManualPage(QStringLiteral("q7400-config"),
                          QStringLiteral("configure and parameterise a Q7400 temperature "
                                         "controller"));
    page.synopsis = QStringList{QStringLiteral("q7400-config [OPTION]...")};
    page.sections.append(
        {QStringLiteral("DESCRIPTION"),
         description +
             QStringLiteral(
                 "\n\nA commissioning engineer connects the PC to the controller over a serial "
                 "line and uses the program to read the controller's complete configuration and "
                 "parameter set, edit it and write it back, keep it offline in configuration "
                 "files, monitor the channels live, read the alarm history and the data logger, "
                 "use the controller's service functions and print a parameter overview. It "
                 "speaks German, English, French and Italian; the flags in the main window "
                 "switch the language at any time.\n\n"
                 "When the port cannot be opened the program says so and works offline; the "
                 "device operations stay disabled until a port is chosen in the Interface menu. "
                 "Only one device operation runs at a time. Every window is reachable by "
                 "keyboard: F10 or Alt opens the menu bar."),
         {}});
    page.sections.append({QStringLiteral("OPTIONS"), QString(), optionItems(options)});
    page.sections.append(settingsFileSection());
    page.sections.append(
        {QStringLiteral("EXAMPLES"),
         QStringLiteral("Try the program without a controller, talking to the bundled "
                        "simulator:\n\n"
                        "  q7400-config --simulator"),
         {}});
    page.sections.append(seeAlsoSection(page.name));
    return manualPageText(page);
}

// The program's icon in the sizes the desktop asks for; the desktop entry has the same name.
void setProgramIcon() {
    QIcon icon;
    const QDir sizes(QStringLiteral(":/icons"));
    for (const QString& size : sizes.entryList(QDir::Dirs))
        icon.addFile(sizes.filePath(size + QStringLiteral("/q7400-config.png")));
    QApplication::setWindowIcon(icon);
    QGuiApplication::setDesktopFileName(QStringLiteral("q7400-config"));
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    setProgramIdentity(QStringLiteral("q7400-config"));
    setProgramIcon();

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Configuration tool for the Q7400 temperature controller. Without options it uses the "
        "port of the settings file Q7400n.cfg (choose another in the Interface menu)."));
    OptionList optionList(parser);
    optionList.addHelpOption();
    optionList.addVersionOption();
    const QCommandLineOption simulator(
        QStringLiteral("simulator"),
        QStringLiteral("Start the bundled controller simulator and talk to it for this run only "
                       "(the settings file keeps its port)."));
    const QCommandLineOption screenshots(
        QStringLiteral("screenshots"),
        QStringLiteral("Render every window to PNG files in DIR and quit (use with "
                       "QT_QPA_PLATFORM=offscreen; add --simulator to read a controller first)."),
        QStringLiteral("DIR"));
    // For the build: the manual page, from the same options.
    QCommandLineOption man(QStringLiteral("man"), QStringLiteral("Print the manual page."));
    man.setFlags(QCommandLineOption::HiddenFromHelp);
    optionList.addOptions({simulator, screenshots, man});
    parser.process(app);
    if (parser.isSet(man)) {
        std::fputs(manualPage(parser.applicationDescription(), optionList.options()).toUtf8(),
                   stdout);
        return 0;
    }

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
