#include "cli/Cli.h"
#include "cli/CliLink.h"
#include "config/ConfigurationFile.h"
#include "device/ParameterBlocks.h"
#include "device/ParameterTable.h"
#include "device/Transfers.h"
#include "i18n/StringTable.h"

#include <QCommandLineOption>
#include <QDateTime>

#include <memory>

#include <unistd.h>

namespace {
// Shows the progress of the workspace's transfers on stderr when that is a terminal.
void showProgress(CliContext& cli, Transfers& transfers, const QString& what) {
    if (!isatty(STDERR_FILENO))
        return;
    const auto maximum = std::make_shared<int>(0);
    QObject::connect(&transfers, &Transfers::progressStarted, &transfers,
                     [maximum](int m) { *maximum = m; });
    QObject::connect(&transfers, &Transfers::progress, &transfers, [&cli, what, maximum](int v) {
        cli.err << '\r' << what << ' ' << v << '/' << *maximum;
        cli.err.flush();
    });
    QObject::connect(&transfers, &Transfers::progressFinished, &transfers, [&cli] {
        cli.err << '\n';
        cli.err.flush();
    });
}
} // namespace

void addTransferOptions(QCommandLineParser& parser) {
    parser.addOption({QStringLiteral("id"),
                      QStringLiteral("write: parameter-set ID to store, 'now' for the PC clock or "
                                     "YYMMDDhhmmss."),
                      QStringLiteral("now|YYMMDDhhmmss")});
    parser.addOption({QStringLiteral("force"),
                      QStringLiteral("write: write even when the controller's attributes differ "
                                     "from the configuration's feature code.")});
}

int runRead(CliContext& cli) {
    if (cli.args.size() != 1) {
        cli.err << "usage: q7400ctl read FILE.tvk\n";
        return ExitStatus::Usage;
    }
    CliLink device(cli);
    if (const int status = device.open())
        return status;
    Workspace& ws = device.workspace();
    showProgress(cli, ws.transfers(), QStringLiteral("Reading"));
    if (ws.transfers().ReadAll(false) != Transfers::Outcome::Done)
        return device.noAnswer();
    const ConfigurationFileResult saved = ws.SaveConfigurationFile(cli.args.first());
    if (!saved.ok) {
        cli.err << "q7400ctl read: " << saved.message << '\n';
        return ExitStatus::NoAnswer;
    }
    return ExitStatus::Ok;
}

int runWrite(CliContext& cli) {
    if (cli.args.size() != 1) {
        cli.err << "usage: q7400ctl write FILE.tvk [--id now|YYMMDDhhmmss] [--force]\n";
        return ExitStatus::Usage;
    }
    std::optional<ParameterSetIdBytes> id;
    if (cli.parser.isSet(QStringLiteral("id"))) {
        const QString text = cli.parser.value(QStringLiteral("id"));
        id = text == QLatin1String("now") ? parameterSetIdFromDateTime(QDateTime::currentDateTime())
                                          : parameterSetIdFromText(text);
        if (!id) {
            cli.err << "q7400ctl write: --id takes 'now' or twelve digits YYMMDDhhmmss\n";
            return ExitStatus::Usage;
        }
    }
    CliLink device(cli);
    if (const int status = device.open())
        return status;
    Workspace& ws = device.workspace();
    const ConfigurationFileResult loaded = ws.OpenConfigurationFile(cli.args.first());
    if (!loaded.ok) {
        cli.err << "q7400ctl write: " << loaded.message << '\n';
        return ExitStatus::NoAnswer;
    }
    if (id) {
        storeParameterSetId(ws.image, *id);
        CopyParameterSetId(ws.identification, ws.image);
    }
    // The rows to write depend on the controller's firmware, not on the file.
    ws.services().PrepareLink();
    if (!ws.services().ReadFirmwareVersion())
        return device.noAnswer();
    const bool force = cli.parser.isSet(QStringLiteral("force"));
    device.interaction.policy =
        force ? ConsoleInteraction::Policy::Accept : ConsoleInteraction::Policy::Decline;
    showProgress(cli, ws.transfers(), QStringLiteral("Writing"));
    switch (ws.transfers().WriteAll()) {
    case Transfers::Outcome::Done:
        return ExitStatus::Ok;
    case Transfers::Outcome::Cancelled: {
        Identification controller;
        DecodeAttributes(controller, ws.transfers().ControllerAttributes);
        cli.err << "q7400ctl write: nothing written; the controller is "
                << featureCodeShort(controller) << ", the configuration is for "
                << featureCodeShort(ws.identification) << " (use --force to write it anyway)\n";
        return ExitStatus::Mismatch;
    }
    case Transfers::Outcome::Refused: // the reason has been printed
        return ExitStatus::NoAnswer;
    case Transfers::Outcome::Busy:
    case Transfers::Outcome::Failed:
        break;
    }
    return device.noAnswer();
}

int runParaset(CliContext& cli) {
    static const QList<QPair<QString, ParameterSetCommand>> kCommands = {
        {QStringLiteral("load1"), ParameterSetCommand::LoadSet1},
        {QStringLiteral("load2"), ParameterSetCommand::LoadSet2},
        {QStringLiteral("store1"), ParameterSetCommand::StoreSet1},
        {QStringLiteral("store2"), ParameterSetCommand::StoreSet2},
        {QStringLiteral("factory"), ParameterSetCommand::Factory},
    };
    int command = 0;
    for (const auto& c : kCommands)
        if (cli.args.size() == 1 && cli.args.first() == c.first)
            command = int(c.second);
    if (command == 0) {
        cli.err << "usage: q7400ctl paraset load1|load2|store1|store2|factory\n";
        return ExitStatus::Usage;
    }
    CliLink device(cli);
    if (const int status = device.open())
        return status;
    Workspace& ws = device.workspace();
    showProgress(cli, ws.transfers(), QString());
    ws.services().PrepareLink();
    ws.transfers().ParamSetCommand = command;
    if (!ws.transfers().WriteParaSet())
        return device.noAnswer();
    return ExitStatus::Ok;
}

int runShow(CliContext& cli) {
    if (cli.args.size() != 1) {
        cli.err << "usage: q7400ctl show FILE.tvk [--lang de|en|fr|it]\n";
        return ExitStatus::Usage;
    }
    Texts texts;
    texts.setLanguageOffset(cli.languageOffset());
    ParameterTable table;
    table.BuildParameterTable(texts);
    ConfigurationFileResult result;
    const QList<ConfigurationFileEntry> entries =
        ReadConfigurationEntries(cli.args.first(), table, &result);
    for (const ConfigurationFileEntry& e : entries) {
        cli.out << e.entry << '\t' << table[e.entry].Name.trimmed();
        for (const QVariant& v : e.values) {
            cli.out << '\t';
            if (v.typeId() == QMetaType::QString)
                cli.out << '"' << v.toString() << '"';
            else
                cli.out << ConfigurationFile::formatNumber(v.toDouble());
        }
        cli.out << '\n';
    }
    if (!result.ok) {
        cli.out.flush();
        cli.err << "q7400ctl show: " << result.message << '\n';
        return ExitStatus::NoAnswer;
    }
    return ExitStatus::Ok;
}
