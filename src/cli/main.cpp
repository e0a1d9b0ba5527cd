#include "app/ProgramIdentity.h"
#include "cli/Cli.h"
#include "cli/CliDocs.h"
#include "cli/CliOffline.h"
#include "i18n/StringTable.h"
#include "link/PortSettings.h"

#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {
// Every command, in the order --help lists them. Its entry is all the help, the manual page and
// the shell completion know of it (see CliCommand).
const std::vector<CliCommand>& commands() {
    static const std::vector<CliCommand> list = {
        {"texts", "[--lang de|en|fr|it]", "all texts, one line per base number", runTexts,
         "Each line is the text's number, a tab and the text; a line break inside a text is "
         "written as \\n."},
        {"parameters", "[--lang ...]", "the parameter table, one line per row", runParameters,
         "Each line is the row, the parameter's name, its function code, its number of values, "
         "its memory address and its format code, separated by tabs."},
        {"read",
         "FILE.tvk",
         "everything from the controller into a file",
         runRead,
         "Reads the configuration and every parameter row the controller's firmware offers, as "
         "the program's Q7400 => PC does, and saves them as a configuration file. The progress "
         "is shown on standard error when that is a terminal.",
         {{"q7400ctl read plant.tvk",
           "Read the controller at the port of the settings file into plant.tvk."},
          {"q7400ctl read plant.tvk --port /dev/ttyUSB0 --address 5",
           "Read the controller with the address 5 on the first USB adapter."}}},
        {"write",
         "FILE.tvk [--id now|YYMMDDhhmmss] [--force] [--yes]",
         "a configuration file to the controller, after a preview of the rows it changes",
         runWrite,
         "Writes the configuration and parameters of the file to the controller, as the "
         "program's PC => Q7400 does, for the rows the controller's firmware offers. When the "
         "controller's attributes do not match the file's feature code nothing is written and "
         "the exit status is 3; --force writes anyway.\n\n"
         "Before writing it lists the rows that differ from what was read from this controller "
         "(or were not read from it in this session) and asks when standard input is a "
         "terminal; --yes does not ask, a no ends with exit status 4.\n\n"
         "Before the first row is sent, the controller's configuration as read just then is "
         "kept as a configuration file in $XDG_DATA_HOME/q7400/as-found (by default "
         "~/.local/share/q7400/as-found) and its path is printed (as-found backup: PATH). When "
         "it cannot be kept nothing is written (exit status 1) unless --force is given.\n\n"
         "--id stores a parameter-set ID with the values: now for the PC's clock, or twelve "
         "digits YYMMDDhhmmss.",
         {{"q7400ctl write plant.tvk --id now",
           "Write plant.tvk to the controller and stamp the parameter set with the PC's "
           "clock."}}},
        {"paraset", "load1|load2|store1|store2|factory", "a parameter-set command", runParaset,
         "load1 and load2 make the controller load its stored parameter set 1 or 2, store1 and "
         "store2 store the running parameters as set 1 or 2, factory restores the factory "
         "settings."},
        {"show", "FILE.tvk [--lang ...]", "a configuration file, one line per entry", runShow,
         "Each line is the entry's number, the parameter's name and the values, separated by "
         "tabs; texts are quoted."},
        {"diff",
         "FILE.tvk|device FILE.tvk|device [--lang ...]",
         "the values that differ between two configurations",
         runDiff,
         "Compares two configurations, each a configuration file or device (the controller, "
         "read now), and prints one line per value that differs: the entry, its name in the "
         "chosen language, the column, and both values as the windows show them, separated by "
         "tabs. With the controller only the rows its firmware has are compared. Exit status 0 "
         "when they are equal, 3 when they differ.",
         {{"q7400ctl diff plant.tvk device",
           "What writing plant.tvk would change in the controller."},
          {"q7400ctl diff old.tvk new.tvk --lang de", "Two files, names in German."}}},
        {"config", "FILE.tvk [--firmware 0xNN] [--extended]",
         "feature code, sensors and terminals as the window shows them", runConfig},
        {"edit",
         "FILE.tvk [-o OUT.tvk] [--firmware 0xNN] [--extended] OP...",
         "the window's edits on a configuration file, then save",
         runEdit,
         "Loads the file, applies the operations (listed under \"Operations of edit\") in the "
         "order given, prints every value that changed, and saves the file in place or as "
         "OUT.tvk. An operation does what the same entry or click does in the window: "
         "param:K:R=TEXT types TEXT into row R of channel K's editor and leaves the field, so "
         "an entry out of range is set to the limit and the setpoints follow their limits.",
         {{"q7400ctl edit plant.tvk param:3:18=90 copy-params:3=0 mask:1=0x8001",
           "Type 90 into row 18 of channel 3, copy channel 3's parameters to all channels, set "
           "collective alarm mask 1, and save plant.tvk."}}},
        {"wld",
         "save OUT.wld [--from FILE.tvk] [--block N] [--version V] [HEADER...]\n"
         "show FILE.wld [--firmware 0xNN]\n"
         "load FILE.wld -o OUT.tvk [--firmware 0xNN]",
         "the controller's (or a file's) memory image as a WLD file; show or take one over", runWld,
         "save reads the controller's memory image (or makes it from a configuration file with "
         "--from) and writes it as a WLD file with the given header fields: --block N "
         "(0..65535), --version V (0..255), --author, --family and --name (at most 8 "
         "characters each), --time \"YYYY-MM-DD hh:mm:ss\" (default now) and --id "
         "now|YYMMDDhhmmss as for write; show prints the "
         "header, the CRC check, the block table and the parameters of a WLD file; load takes a "
         "WLD file over into a configuration file, as the WLD window's Accept does."},
        {"blocks", "[write default|HEX...]",
         "the controller's parameter-block table (96 bytes), or write it", runBlocks},
        {"channel", "FILE.tvk K [--firmware 0xNN] [--lang ...]",
         "the channel editor's rows of channel K", runChannel},
        {"overview",
         "FILE.tvk [--csv | --print-text | --pdf OUT.pdf] [--date \"YYYY-MM-DD hh:mm\"]",
         "the parameter overview as a table, its print as text or PDF",
         runOverview,
         "",
         {{"q7400ctl overview plant.tvk --pdf plant.pdf",
           "File the printed parameter overview of plant.tvk as a PDF, e.g. as a commissioning "
           "record."}}},
        {"scan",
         "[--addresses A-B] [--all-settings] [--timeout MS]",
         "look for controllers on the line: addresses, line settings",
         runScan,
         "Asks every address of the range for its firmware version, once and with a short "
         "time-out, at the line settings of the settings file (or --baud and --parity); with "
         "--all-settings then at every other baud rate and parity, 19200 even first. Nothing is "
         "written to any controller. Each controller that answers is printed at once, one line "
         "each: address, baud rate and parity, firmware version and feature code, separated by "
         "tabs. Exit status 1 when none answered.",
         {{"q7400ctl scan --addresses 1-20", "Look for controllers at the addresses 1 to 20."},
          {"q7400ctl scan --all-settings",
           "Look everywhere: 256 addresses at 16 line settings (some minutes)."}}},
        {"probe",
         "[--port ...]",
         "firmware version and feature code of the controller",
         runProbe,
         "",
         {{"q7400ctl probe --port /dev/ttyUSB0",
           "Check that the controller answers on the first USB adapter."}}},
        {"errors", "[--port ...]", "device errors that are set, channel error words", runErrors,
         "Prints the text of every device error that is set, then the eight channel error words "
         "in hex."},
        {"history", "[--lang ...] [--changes FILE.txt] [--csv FILE.csv] [--explain ROW,COL]",
         "the alarm history as a table, its change log", runHistory,
         "Reads the controller's alarm history and prints it as a table, one entry a row. "
         "--changes also writes the change log, --csv the table for a spreadsheet, and --explain "
         "ROW,COL prints what the bits of one cell mean."},
        {"logger", "FILE.txt [--max N] [--csv FILE.csv] | --clear",
         "the logger's samples into a table, or clear it", runLogger,
         "Reads the data logger's samples into a text table (UTF-8, CR LF line ends); --max N "
         "stops after N samples. --clear clears the logger."},
        {"status", "CHANNEL", "controller status and alarm status of a channel", runStatus},
        {"function", "CHANNEL VALUE", "send the controller function 0..255, read it back",
         runFunction},
        {"monitor",
         "[--cycles N] [--interval MS] [--log FILE]",
         "cyclic monitoring, one log line per poll",
         runMonitor,
         "Polls all eight channels every MS milliseconds (default 100) and writes one log line a "
         "poll, as the monitoring window's registration does, to standard output or to FILE.",
         {{"q7400ctl monitor --cycles 10 --interval 500 --log run.txt",
           "Ten polls half a second apart, logged to run.txt."}}},
        {"setpoint", "CHANNEL VALUE", "transfer the setpoint of a channel", runSetpoint,
         "A negative value follows -- (q7400ctl setpoint 2 -- -5.0)."},
        {"output", "CHANNEL VALUE", "transfer the output of a channel (-100..100)", runOutput},
        {"stop-mapping", "", "stop a running mapping", runStopMapping},
        {"extra", "", "what the extra-functions window learns, one line each", runExtra},
        {"clock", "[set now|YYYY-MM-DDThh:mm:ss]", "the controller's clock, or set it", runClock},
        {"interface", "BAUD e|o|n|s", "the controller's own serial interface", runInterface},
        {"can", "[0..8]", "the CAN baud rate, or set it", runCan},
        {"protocol", "", "switch the controller to its bus protocol", runProtocol},
        {"reset", "", "reset the controller", runReset},
        {"op", "leds|hue|mapping|chan-dbs|paramdb [--wait]", "an operation command", runOperation},
        {"devparams",
         "FILE.tvk [--set N=TEXT ...] [--dim c|f] [--autark|--amps|--funcstore on|off]",
         "the device parameters of a file, and their edits", runDevParams},
        {"service", "CODE", "the service command, with the code of the day", runService},
    };
    return list;
}
} // namespace

int CliContext::languageOffset() const {
    const QString lang = parser.value(QStringLiteral("lang"));
    if (!lang.isEmpty())
        return 1000 * StringTable::languageIndex(lang);
    return readPortSettings(settingsFilePath()).LanguageOffset;
}

QString CliContext::settingsFilePath() const {
    const QString path = parser.value(QStringLiteral("settings"));
    return path.isEmpty() ? defaultSettingsPath() : path;
}

void addCommonOptions(OptionList& options) {
    options.addOption({QStringLiteral("lang"),
                       QStringLiteral("Language of the texts: de, en, fr or it."),
                       QStringLiteral("de|en|fr|it")});
    addLinkOptions(options);
}

namespace {
// Rendering a PDF needs fonts, which need a GUI application; it runs on the offscreen
// platform, so no display is needed. Every other command stays a plain console program.
std::unique_ptr<QCoreApplication> makeApplication(int& argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        if (arg == "--pdf" || arg.startsWith("--pdf=")) {
            if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
                qputenv("QT_QPA_PLATFORM", "offscreen");
            return std::make_unique<QGuiApplication>(argc, argv);
        }
    }
    return std::make_unique<QCoreApplication>(argc, argv);
}
} // namespace

int main(int argc, char** argv) {
    const std::unique_ptr<QCoreApplication> app = makeApplication(argc, argv);
    setProgramIdentity(QStringLiteral("q7400ctl"));

    QTextStream out(stdout);
    QTextStream err(stderr);
    QCommandLineParser parser;
    OptionList options(parser);
    options.addHelpOption();
    options.addVersionOption();
    addCommonOptions(options);
    addTransferOptions(options);
    addOfflineOptions(options);
    addWldOptions(options);
    addParamsOptions(options);
    addRecordOptions(options);
    addMonitorOptions(options);
    addExtraOptions(options);
    addScanOptions(options);
    // For the build: the manual page and the shell completion, from the same lists.
    QCommandLineOption man(QStringLiteral("man"), QStringLiteral("Print the manual page."));
    QCommandLineOption completion(QStringLiteral("bash-completion"),
                                  QStringLiteral("Print the bash completion script."));
    man.setFlags(QCommandLineOption::HiddenFromHelp);
    completion.setFlags(QCommandLineOption::HiddenFromHelp);
    options.addOptions({man, completion});
    parser.addPositionalArgument(QStringLiteral("command"),
                                 QStringLiteral("What to do (see below)."),
                                 QStringLiteral("<command> [arguments]"));
    const CliDocs docs{commands(), options.options(), editOperations()};
    parser.setApplicationDescription(
        QStringLiteral("Command-line access to the Q7400 temperature controller.\n") +
        docs.helpText() +
        QStringLiteral("\nSettings file: %1").arg(QDir::toNativeSeparators(defaultSettingsPath())));
    QStringList arguments = QCoreApplication::arguments();
    // After "wld", --version V is the block's version, not the program's.
    if (arguments.indexOf(QStringLiteral("wld")) > 0)
        for (QString& a : arguments)
            if (a == QLatin1String("--version") || a.startsWith(QLatin1String("--version=")))
                a.replace(0, 9, QStringLiteral("--block-version"));
    if (!parser.parse(arguments)) {
        err << parser.errorText() << "\n";
        return ExitStatus::Usage;
    }
    QStringList positional = parser.positionalArguments();
    const auto command =
        std::find_if(commands().begin(), commands().end(), [&](const CliCommand& c) {
            return !positional.isEmpty() && positional.first() == QLatin1String(c.name);
        });
    if (parser.isSet(QStringLiteral("help"))) {
        out << (command != commands().end() ? CliDocs::commandHelp(*command) : parser.helpText());
        return ExitStatus::Ok;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        out << QCoreApplication::applicationName() << " " << QCoreApplication::applicationVersion()
            << "\n";
        return ExitStatus::Ok;
    }
    if (parser.isSet(man) || parser.isSet(completion)) {
        out << (parser.isSet(man) ? docs.manualPage() : docs.bashCompletion());
        return ExitStatus::Ok;
    }
    const QString lang = parser.value(QStringLiteral("lang"));
    if (parser.isSet(QStringLiteral("lang")) && StringTable::languageIndex(lang) < 0) {
        err << "q7400ctl: unknown language '" << lang << "' (use de, en, fr or it)\n";
        return ExitStatus::Usage;
    }
    if (positional.isEmpty()) {
        err << "q7400ctl: no command given; see q7400ctl --help\n";
        return ExitStatus::Usage;
    }
    if (command == commands().end()) {
        err << "q7400ctl: unknown command '" << positional.first() << "'; see q7400ctl --help\n";
        return ExitStatus::Usage;
    }
    positional.removeFirst();
    CliContext cli{parser, positional, out, err};
    const int status = command->run(cli);
    out.flush();
    err.flush();
    return status;
}
