#include "cli/CliOffline.h"

#include "app/Defaults.h"

void addOfflineOptions(OptionList& options) {
    options.addOption({QStringLiteral("firmware"),
                       QStringLiteral("Offline commands: firmware version of the controller the "
                                      "file is for (default 0x99, every function offered). "
                                      "interface, protocol: the controller's firmware, which "
                                      "is then not asked."),
                       QStringLiteral("0xNN")});
    options.addOption(
        {{QStringLiteral("o"), QStringLiteral("output")},
         QStringLiteral("edit, devparams: write the result to FILE instead of in place; "
                        "wld load: the configuration file to write."),
         QStringLiteral("FILE")});
    options.addOption({QStringLiteral("extended"),
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
    // The workspace starts from the default configuration; the lists and rules of the
    // configuration follow the firmware from the start.
    m_workspace.identification.FirmwareVersion = firmware;
    return ExitStatus::Ok;
}

int CliOffline::load(const QString& path) {
    if (const int status = start())
        return status;
    // Loading a file does not tell the firmware: it stays the one the file is for.
    const int firmware = m_workspace.identification.FirmwareVersion;
    const ConfigurationFileResult loaded = m_workspace.OpenConfigurationFile(path);
    if (!loaded.ok) {
        m_cli.err << "q7400ctl: " << loaded.message << '\n';
        return ExitStatus::NoAnswer;
    }
    warnNotNumbers(m_cli, m_workspace, loaded);
    m_workspace.identification.FirmwareVersion = firmware;
    m_path = path;
    return ExitStatus::Ok;
}
