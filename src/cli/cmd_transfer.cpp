#include "app/Compare.h"
#include "cli/Cli.h"
#include "cli/CliLink.h"
#include "cli/CliOffline.h"
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
// Shows the progress of the workspace's transfers on stderr when that is a terminal, headed by
// the returned label (the caller may change it for the next transfer); what the transfer has
// to say goes to stderr in any case.
std::shared_ptr<QString> showProgress(CliContext& cli, Transfers& transfers, const QString& what) {
    QObject::connect(&transfers, &Transfers::notice, &transfers, [&cli](const QString& text) {
        cli.err << "q7400ctl: " << text << '\n';
        cli.err.flush();
    });
    const auto label = std::make_shared<QString>(what);
    if (!isatty(STDERR_FILENO))
        return label;
    const auto maximum = std::make_shared<int>(0);
    QObject::connect(&transfers, &Transfers::progressStarted, &transfers,
                     [maximum](int m) { *maximum = m; });
    QObject::connect(&transfers, &Transfers::progress, &transfers, [&cli, label, maximum](int v) {
        cli.err << '\r' << *label << ' ' << v << '/' << *maximum;
        cli.err.flush();
    });
    QObject::connect(&transfers, &Transfers::progressFinished, &transfers, [&cli] {
        cli.err << '\n';
        cli.err.flush();
    });
    return label;
}
} // namespace

void addTransferOptions(OptionList& options) {
    options.addOption({QStringLiteral("id"),
                       QStringLiteral("write: parameter-set ID to store, 'now' for the PC clock or "
                                      "YYMMDDhhmmss."),
                       QStringLiteral("now|YYMMDDhhmmss")});
    options.addOption({QStringLiteral("force"),
                       QStringLiteral("write: write even when the controller's attributes differ "
                                      "from the configuration's feature code, or when the "
                                      "as-found backup cannot be saved.")});
    options.addOption({QStringLiteral("yes"),
                       QStringLiteral("write: write without asking after the preview (it asks "
                                      "only when stdin is a terminal).")});
}

std::optional<ParameterSetIdBytes> parameterSetIdOption(CliContext& cli, bool* bad) {
    *bad = false;
    if (!cli.parser.isSet(QStringLiteral("id")))
        return std::nullopt;
    const QString text = cli.parser.value(QStringLiteral("id"));
    const auto id = text == QLatin1String("now")
                        ? parameterSetIdFromDateTime(QDateTime::currentDateTime())
                        : parameterSetIdFromText(text);
    if (!id) {
        *bad = true;
        cli.err << "q7400ctl: --id takes 'now' or twelve digits YYMMDDhhmmss\n";
    }
    return id;
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
        cli.err << "usage: q7400ctl write FILE.tvk [--id now|YYMMDDhhmmss] [--force] [--yes]\n";
        return ExitStatus::Usage;
    }
    bool badId = false;
    const auto id = parameterSetIdOption(cli, &badId);
    if (badId)
        return ExitStatus::Usage;
    CliLink device(cli);
    if (const int status = device.open())
        return status;
    Workspace& ws = device.workspace();
    // A file that cannot be loaded is reported before the controller is asked anything.
    ConfigurationFileResult loaded;
    ReadConfigurationEntries(cli.args.first(), ws.table, &loaded);
    if (!loaded.ok) {
        cli.err << "q7400ctl write: " << loaded.message << '\n';
        return ExitStatus::NoAnswer;
    }
    // What the controller holds now: the preview compares the file with it, and what the file
    // does not carry (the setpoints) is written back as it is.
    const auto progress = showProgress(cli, ws.transfers(), QStringLiteral("Reading"));
    if (ws.transfers().ReadAll(false) != Transfers::Outcome::Done)
        return device.noAnswer();
    loaded = ws.OpenConfigurationFile(cli.args.first());
    if (!loaded.ok) {
        cli.err << "q7400ctl write: " << loaded.message << '\n';
        return ExitStatus::NoAnswer;
    }
    warnNotNumbers(cli, ws, loaded);
    if (id) {
        storeParameterSetId(ws.image, *id);
        CopyParameterSetId(ws.identification, ws.image);
    }
    for (const QString& line :
         ws.transfers().previewWrite(ws.image).lines(ws.texts, writePreviewValueText(ws, ws.image)))
        cli.out << line << '\n';
    cli.out.flush();
    if (isatty(STDIN_FILENO) && !cli.parser.isSet(QStringLiteral("yes")) &&
        !device.interaction.confirm(QStringLiteral("Write this to the controller?"))) {
        cli.err << "q7400ctl write: nothing written\n";
        return ExitStatus::Declined;
    }
    const bool force = cli.parser.isSet(QStringLiteral("force"));
    device.interaction.policy =
        force ? ConsoleInteraction::Policy::Accept : ConsoleInteraction::Policy::Decline;
    *progress = QStringLiteral("Writing");
    const Transfers::Outcome outcome = ws.transfers().WriteAll();
    // Where the controller's configuration as it was before is kept (also after a failure).
    if (!ws.transfers().AsFoundPath.isEmpty())
        cli.out << "as-found backup: " << ws.transfers().AsFoundPath << '\n';
    switch (outcome) {
    case Transfers::Outcome::Done:
        return ExitStatus::Ok;
    case Transfers::Outcome::Cancelled: {
        Identification controller;
        DecodeAttributes(controller, ws.transfers().ControllerAttributes);
        if (controller.FeatureA == ws.identification.FeatureA &&
            controller.ModuleVariant == ws.identification.ModuleVariant) {
            // The as-found backup could not be saved (the reason has been printed).
            cli.err << "q7400ctl write: nothing written (use --force to write without the "
                       "as-found backup)\n";
            return ExitStatus::NoAnswer;
        }
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
    printConfigurationEntries(cli, table, entries);
    if (!result.ok) {
        cli.out.flush();
        cli.err << "q7400ctl show: " << result.message << '\n';
        return ExitStatus::NoAnswer;
    }
    return ExitStatus::Ok;
}

void printConfigurationEntries(CliContext& cli, const ParameterTable& table,
                               const QList<ConfigurationFileEntry>& entries) {
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
}
