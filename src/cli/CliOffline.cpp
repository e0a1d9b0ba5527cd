#include "cli/CliOffline.h"

void addOfflineOptions(QCommandLineParser& parser) {
    parser.addOption({QStringLiteral("firmware"),
                      QStringLiteral("Offline commands: firmware version of the controller the "
                                     "file is for (default 0x99, every function offered)."),
                      QStringLiteral("0xNN")});
    parser.addOption({{QStringLiteral("o"), QStringLiteral("output")},
                      QStringLiteral("edit: write the result to FILE instead of in place; wld "
                                     "load: the configuration file to write."),
                      QStringLiteral("FILE")});
    parser.addOption({QStringLiteral("extended"),
                      QStringLiteral("config, edit: the extended terminal view (I/O 17..24).")});
}

CliOffline::CliOffline(CliContext& cli)
    : interaction(cli.err), m_cli(cli), m_workspace(interaction, nullptr) {}

void warnNotNumbers(CliContext& cli, const Workspace& ws, const ConfigurationFileResult& loaded) {
    const QString text = valuesNotNumbersText(loaded, ws.table, ws.texts);
    if (!text.isEmpty())
        cli.err << "q7400ctl: " << text << '\n';
}

int CliOffline::start() {
    int firmware = 0x99;
    if (m_cli.parser.isSet(QStringLiteral("firmware"))) {
        bool ok = false;
        firmware = m_cli.parser.value(QStringLiteral("firmware")).toInt(&ok, 0);
        if (!ok || firmware < 0 || firmware > 255) {
            m_cli.err << "q7400ctl: --firmware takes a version byte 0..255, e.g. 0x56\n";
            return ExitStatus::Usage;
        }
    }
    m_workspace.setLanguageOffset(m_cli.languageOffset());
    // The lists and rules of the configuration follow the firmware from the start.
    m_workspace.identification.FirmwareVersion = firmware;
    return ExitStatus::Ok;
}

int CliOffline::load(const QString& path) {
    if (const int status = start())
        return status;
    const ConfigurationFileResult loaded = m_workspace.OpenConfigurationFile(path);
    if (!loaded.ok) {
        m_cli.err << "q7400ctl: " << loaded.message << '\n';
        return ExitStatus::NoAnswer;
    }
    warnNotNumbers(m_cli, m_workspace, loaded);
    m_path = path;
    return ExitStatus::Ok;
}
