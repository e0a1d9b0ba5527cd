#include "cli/Cli.h"
#include "cli/CliLink.h"
#include "cli/CliOffline.h"
#include "device/ParameterTable.h"
#include "device/Transfers.h"
#include "params/Comparison.h"

#include <algorithm>
#include <memory>

namespace {
const QString kDevice = QStringLiteral("device");
} // namespace

// diff A B: the values that differ between two configurations, each a file or the controller.
int runDiff(CliContext& cli) {
    if (cli.args.size() != 2) {
        cli.err << "usage: q7400ctl diff A B (each FILE.tvk or device)\n";
        return ExitStatus::Usage;
    }
    // The controller is read once, first: a file side then takes its firmware, so both are shown
    // and compared for the same controller.
    std::unique_ptr<CliLink> device;
    if (cli.args.contains(kDevice)) {
        device = std::make_unique<CliLink>(cli);
        if (const int status = device->open())
            return status;
        if (device->workspace().transfers().ReadAll(false) != Transfers::Outcome::Done)
            return device->noAnswer();
    }
    ConsoleInteraction interaction(cli.err);
    std::unique_ptr<Workspace> files[2];
    Workspace* sides[2] = {};
    for (int i = 0; i < 2; ++i) {
        const QString& arg = cli.args[i];
        if (arg == kDevice) {
            sides[i] = &device->workspace();
            continue;
        }
        files[i] = std::make_unique<Workspace>(interaction, nullptr);
        Workspace& ws = *files[i];
        ws.setLanguageOffset(cli.languageOffset());
        const ConfigurationFileResult loaded = ws.OpenConfigurationFile(arg);
        if (!loaded.ok) {
            cli.err << "q7400ctl diff: " << loaded.message << '\n';
            return ExitStatus::NoAnswer;
        }
        warnNotNumbers(cli, ws, loaded);
        if (device)
            ws.identification.FirmwareVersion = device->workspace().identification.FirmwareVersion;
        sides[i] = &ws;
    }
    // A file carries entries 1..55; a controller only the rows its firmware has.
    const int last =
        device ? std::min(ConfigurationFile::LastEntry,
                          highestRowForFirmware(device->workspace().identification.FirmwareVersion))
               : ConfigurationFile::LastEntry;
    QList<int> rows;
    for (int row = ConfigurationFile::FirstEntry; row <= last; ++row)
        rows << row;
    const WritePreview comparison =
        compareImages(sides[0]->table, sides[0]->image, sides[1]->image, rows);
    const ComparisonValueText valueText = overviewValueText(*sides[0], *sides[1]);
    for (const QStringList& line : comparison.tableRows(sides[1]->texts, valueText))
        cli.out << line.join(u'\t') << '\n';
    return comparison.rows.isEmpty() ? ExitStatus::Ok : ExitStatus::Different;
}
