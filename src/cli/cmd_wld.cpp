#include "cli/Cli.h"
#include "cli/CliLink.h"
#include "cli/CliOffline.h"
#include "device/MemoryImageCodec.h"
#include "device/Transfers.h"
#include "services/BlockTable.h"
#include "services/WldEdit.h"

#include <QDateTime>

namespace {
const char* const kWldUsage =
    "usage: q7400ctl wld save OUT.wld [--from FILE.tvk] [--block N] [--version V]\n"
    "                     [--author A] [--family F] [--name N]\n"
    "                     [--time \"YYYY-MM-DD hh:mm:ss\"] [--id now|YYMMDDhhmmss]\n"
    "       q7400ctl wld show FILE.wld [--firmware 0xNN]\n"
    "       q7400ctl wld load FILE.wld -o OUT.tvk [--firmware 0xNN]\n";

int usage(CliContext& cli, const QString& message = {}) {
    if (!message.isEmpty())
        cli.err << "q7400ctl wld: " << message << '\n';
    else
        cli.err << kWldUsage;
    return ExitStatus::Usage;
}

QString option(CliContext& cli, const char* name) {
    return cli.parser.value(QLatin1String(name));
}
bool isSet(CliContext& cli, const char* name) {
    return cli.parser.isSet(QLatin1String(name));
}

// A whole number option 0..max; false after the message when it is something else.
bool numberOption(CliContext& cli, const char* name, int max, int* value) {
    if (!isSet(cli, name))
        return true;
    bool ok = false;
    *value = option(cli, name).toInt(&ok);
    if (ok && *value >= 0 && *value <= max)
        return true;
    // --block-version is typed as --version.
    const QString shown = QLatin1String(name) == QLatin1String("block-version")
                              ? QStringLiteral("version")
                              : QLatin1String(name);
    usage(cli, QStringLiteral("--%1 takes a number 0..%2").arg(shown).arg(max));
    return false;
}

// The header fields the options give (the time: now unless --time); false after the message.
bool headerFields(CliContext& cli, WldHeaderFields* fields) {
    fields->BlockTime = wldTimeOf(QDateTime::currentDateTime());
    if (isSet(cli, "time")) {
        const auto time = wldTimeOfText(option(cli, "time"));
        if (!time) {
            usage(cli, QStringLiteral("--time takes \"YYYY-MM-DD hh:mm:ss\" (1984..2099)"));
            return false;
        }
        fields->BlockTime = *time;
    }
    int block = fields->BlockNumber;
    int version = fields->BlockVersion;
    if (!numberOption(cli, "block", 0xFFFF, &block) ||
        !numberOption(cli, "block-version", 0xFF, &version))
        return false;
    fields->BlockNumber = quint16(block);
    fields->BlockVersion = quint8(version);

    WldHeaderEdit edit(*fields);
    struct Text {
        const char* name;
        WldTextField field;
    };
    for (const Text& t : {Text{"author", WldTextField::Author},
                          Text{"family", WldTextField::Family}, Text{"name", WldTextField::Name}}) {
        if (!isSet(cli, t.name))
            continue;
        const QString text = option(cli, t.name);
        QString why;
        if (text.size() > 8 || !edit.setText(t.field, text, &why)) {
            usage(cli, QStringLiteral("--%1: %2")
                           .arg(QLatin1String(t.name),
                                why.isEmpty() ? QStringLiteral("at most 8 characters") : why));
            return false;
        }
    }
    *fields = edit.fields();
    return true;
}

// The memory image made from `ws`, with the ID of --id, saved with the option's header fields.
int saveWld(CliContext& cli, Workspace& ws, const std::optional<ParameterSetIdBytes>& id,
            const WldHeaderFields& fields) {
    if (id) {
        if (ws.CommitParameterSetId(ParameterSetIdEdit(*id, ParameterSetIdMode::SaveWld)) !=
            Workspace::Continuation::Done)
            return ExitStatus::NoAnswer;
    } else if (!ws.PrepareWldSave()) {
        return ExitStatus::NoAnswer; // the reason has been printed
    }
    return ws.SaveWldFile(cli.args[1], fields) ? ExitStatus::Ok : ExitStatus::NoAnswer;
}

int runWldSave(CliContext& cli) {
    if (cli.args.size() != 2)
        return usage(cli);
    bool badId = false;
    const auto id = parameterSetIdOption(cli, &badId);
    if (badId)
        return ExitStatus::Usage;
    WldHeaderFields fields;
    if (!headerFields(cli, &fields))
        return ExitStatus::Usage;
    if (isSet(cli, "from")) {
        CliOffline offline(cli);
        if (const int status = offline.load(option(cli, "from")))
            return status;
        return saveWld(cli, offline.workspace(), id, fields);
    }
    CliLink device(cli);
    if (const int status = device.open())
        return status;
    Workspace& ws = device.workspace();
    if (ws.transfers().ReadAll(false) != Transfers::Outcome::Done)
        return device.noAnswer();
    return saveWld(cli, ws, id, fields);
}

// The file's content, taken over into a freshly started program.
int takeOver(CliContext& cli, CliOffline& offline, const QString& path,
             WldContent* content = nullptr) {
    if (const int status = offline.start())
        return status;
    const WldFileResult read = readWldFile(path);
    if (!read.ok) {
        cli.err << "q7400ctl wld: "
                << (read.invalid ? offline.workspace().texts.LoadText(459) + QStringLiteral(": ")
                                 : QString())
                << read.message << '\n';
        return ExitStatus::NoAnswer;
    }
    offline.workspace().TakeOverWld(*read.content, path);
    if (content)
        *content = *read.content;
    return ExitStatus::Ok;
}

int runWldShow(CliContext& cli) {
    if (cli.args.size() != 2)
        return usage(cli);
    CliOffline offline(cli);
    const QString path = cli.args[1];
    WldContent content;
    if (const int status = takeOver(cli, offline, path, &content))
        return status;
    const WldHeaderFields& f = content.fields;
    const WldHeaderEdit shown(f);
    const quint16 stored = storedMemoryImageCrc(content.memory);
    const quint16 computed = memoryImageCrc(content.memory);
    auto hex = [](int v) {
        return QStringLiteral("0x") + QStringLiteral("%1").arg(v, 4, 16, QChar(u'0')).toUpper();
    };
    QTextStream& out = cli.out;
    out << "DB-Nr.\t" << shown.blockNumberText() << '\n'
        << "Version\t" << shown.versionText() << '\n'
        << "Author\t" << shown.text(WldTextField::Author) << '\n'
        << "Family\t" << shown.text(WldTextField::Family) << '\n'
        << "Name\t" << shown.text(WldTextField::Name) << '\n'
        << "Time\t"
        << (content.hasTime ? wldTimeText(f.BlockTime)
                            : QStringLiteral("none (time-stamp kind %1)").arg(content.timeKind))
        << '\n'
        << "Data\t" << content.dataLength << " bytes\n"
        << "Footer\t" << content.footer.size() << " bytes\n"
        << "CRC\tstored " << hex(stored) << ", computed " << hex(computed)
        << (stored == computed ? ": ok" : ": differs") << '\n';
    for (const QString& line : blockTableLines(blockTableOf(content.memory)))
        out << "Blocks\t" << line << '\n';
    const Workspace& ws = offline.workspace();
    QList<ConfigurationFileEntry> entries;
    for (int p = ConfigurationFile::FirstEntry; p <= ConfigurationFile::LastEntry; ++p) {
        ConfigurationFileEntry e{p, ws.table[p].Name, {}};
        for (int i = 1; i <= ConfigurationFile::valueCount(ws.table, p); ++i)
            e.values << ws.image.cell(p, i);
        entries << e;
    }
    printConfigurationEntries(cli, ws.table, entries);
    return ExitStatus::Ok;
}

int runWldLoad(CliContext& cli) {
    if (cli.args.size() != 2 || !isSet(cli, "output"))
        return usage(cli);
    CliOffline offline(cli);
    if (const int status = takeOver(cli, offline, cli.args[1]))
        return status;
    const ConfigurationFileResult saved =
        offline.workspace().SaveConfigurationFile(option(cli, "output"));
    if (!saved.ok) {
        cli.err << "q7400ctl wld: " << saved.message << '\n';
        return ExitStatus::NoAnswer;
    }
    return ExitStatus::Ok;
}
} // namespace

void addWldOptions(OptionList& options) {
    options.addOption({QStringLiteral("from"),
                       QStringLiteral("wld save: make the WLD file from a configuration file "
                                      "instead of the controller."),
                       QStringLiteral("FILE.tvk")});
    options.addOption({QStringLiteral("block"),
                       QStringLiteral("wld save: block number (DB-Nr.) 0..65535."),
                       QStringLiteral("N")});
    options.addOption(
        {QStringLiteral("block-version"),
         QStringLiteral("wld save: block version 0..255 (also --version V after wld)."),
         QStringLiteral("V")});
    for (const char* text : {"author", "family", "name"})
        options.addOption({QLatin1String(text),
                           QStringLiteral("wld save: the block's %1, at most 8 characters.")
                               .arg(QLatin1String(text)),
                           QStringLiteral("TEXT")});
    options.addOption({QStringLiteral("time"),
                       QStringLiteral("wld save: the block's time (default: now)."),
                       QStringLiteral("YYYY-MM-DD hh:mm:ss")});
}

int runWld(CliContext& cli) {
    const QString what = cli.args.value(0);
    if (what == QLatin1String("save"))
        return runWldSave(cli);
    if (what == QLatin1String("show"))
        return runWldShow(cli);
    if (what == QLatin1String("load"))
        return runWldLoad(cli);
    return usage(cli);
}

int runBlocks(CliContext& cli) {
    const bool write = cli.args.value(0) == QLatin1String("write");
    if ((write && cli.args.size() < 2) || (!write && !cli.args.isEmpty())) {
        cli.err << "usage: q7400ctl blocks [write default|HEX...]\n";
        return ExitStatus::Usage;
    }
    std::optional<BlockTable> table;
    if (write) {
        const QStringList bytes = cli.args.mid(1);
        if (bytes == QStringList{QStringLiteral("default")}) {
            table = DefaultRawBlock;
        } else {
            QString why;
            table = blockTableOfText(bytes.join(u' '), &why);
            if (!table) {
                cli.err << "q7400ctl blocks write: " << why << "; nothing sent\n";
                return ExitStatus::Usage;
            }
        }
    }
    CliLink device(cli);
    if (const int status = device.openAndReadFirmware())
        return status;
    Workspace& ws = device.workspace();
    DeviceServices& services = ws.services();
    if (!blockTableTransferable(ws.identification.FirmwareVersion)) {
        cli.err << "q7400ctl blocks: the controller ("
                << firmwareText(ws.identification.FirmwareVersion)
                << ") does not exchange its parameter-block table from firmware V9.0 on; "
                   "nothing sent\n";
        return ExitStatus::Usage;
    }
    if (write) {
        storeBlockTable(ws.memory, *table);
        if (!services.WriteParameterRow(79))
            return device.noAnswer();
        return ExitStatus::Ok;
    }
    if (!services.ReadRawBlock())
        return device.noAnswer();
    for (const QString& line : blockTableLines(blockTableOf(ws.memory)))
        cli.out << line << '\n';
    return ExitStatus::Ok;
}
