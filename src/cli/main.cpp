#include "app/ProgramIdentity.h"
#include "cli/Cli.h"
#include "cli/CliOffline.h"
#include "i18n/StringTable.h"
#include "link/PortSettings.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <cstdio>
#include <memory>
#include <vector>

namespace {
const std::vector<CliCommand>& commands() {
    static const std::vector<CliCommand> list = {
        {"texts", "texts [--lang de|en|fr|it]   all texts, one line per base number", runTexts},
        {"parameters", "parameters [--lang ...]      the parameter table, one line per row",
         runParameters},
        {"read", "read FILE.tvk                everything from the controller into a file",
         runRead},
        {"write",
         "write FILE.tvk [--id now|YYMMDDhhmmss] [--force] [--yes]\n"
         "                               a configuration file to the controller, after a\n"
         "                               preview of the rows it changes",
         runWrite},
        {"paraset",
         "paraset load1|load2|store1|store2|factory\n"
         "                               a parameter-set command",
         runParaset},
        {"show", "show FILE.tvk [--lang ...]   a configuration file, one line per entry", runShow},
        {"config",
         "config FILE.tvk [--firmware 0xNN] [--extended]\n"
         "                               feature code, sensors and terminals as the window "
         "shows them",
         runConfig},
        {"edit",
         "edit FILE.tvk [-o OUT.tvk] [--firmware 0xNN] [--extended] OP...\n"
         "                               the window's edits on a configuration file, then save",
         runEdit},
        {"wld",
         "wld save OUT.wld [--from FILE.tvk] [--block N] [--version V] [--author A]\n"
         "         [--family F] [--name N] [--time \"YYYY-MM-DD hh:mm:ss\"] [--id ...]\n"
         "                               the controller's (or a file's) memory image as a\n"
         "                               WLD file\n"
         "  wld show FILE.wld            header, CRC, block table and parameters of a WLD file\n"
         "  wld load FILE.wld -o OUT.tvk a WLD file taken over into a configuration file",
         runWld},
        {"blocks",
         "blocks [write default|HEX...] the controller's parameter-block table (96 bytes)",
         runBlocks},
        {"channel",
         "channel FILE.tvk K [--firmware 0xNN] [--lang ...]\n"
         "                               the channel editor's rows of channel K",
         runChannel},
        {"overview",
         "overview FILE.tvk [--csv | --print-text | --pdf OUT.pdf] [--date \"YYYY-MM-DD hh:mm\"]\n"
         "                               the parameter overview as a table, its print as text or "
         "PDF",
         runOverview},
        {"probe",
         "probe [--port ...]           firmware version and feature code of the controller",
         runProbe},
        {"errors", "errors [--port ...]          device errors that are set, channel error words",
         runErrors},
        {"history",
         "history [--lang ...] [--changes FILE.txt] [--csv FILE.csv] [--explain ROW,COL]\n"
         "                               the alarm history as a table, its change log",
         runHistory},
        {"logger",
         "logger FILE.txt [--max N] [--csv FILE.csv] | logger --clear\n"
         "                               the logger's samples into a table, or clear it",
         runLogger},
    };
    return list;
}

QString commandHelp() {
    QString text = QStringLiteral("\nCommands:\n");
    for (const CliCommand& c : commands())
        text += QStringLiteral("  %1\n").arg(QLatin1String(c.synopsis));
    text += QStringLiteral("\nOperations of edit:\n");
    for (const EditOperation& op : editOperations())
        text += QStringLiteral("  %1\n").arg(
            QString::fromUtf8(op.synopsis).replace(u'\n', QStringLiteral("\n  ")));
    return text;
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

void addCommonOptions(QCommandLineParser& parser) {
    parser.addOption({QStringLiteral("lang"),
                      QStringLiteral("Language of the texts: de, en, fr or it."),
                      QStringLiteral("de|en|fr|it")});
    addLinkOptions(parser);
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
    parser.setApplicationDescription(
        QStringLiteral("Command-line access to the Q7400 temperature controller.") + commandHelp());
    parser.addHelpOption();
    parser.addVersionOption();
    addCommonOptions(parser);
    addTransferOptions(parser);
    addOfflineOptions(parser);
    addWldOptions(parser);
    addParamsOptions(parser);
    addRecordOptions(parser);
    parser.addPositionalArgument(QStringLiteral("command"),
                                 QStringLiteral("What to do (see below)."),
                                 QStringLiteral("<command> [arguments]"));
    QStringList arguments = QCoreApplication::arguments();
    if (!parser.parse(arguments)) {
        err << parser.errorText() << "\n";
        return ExitStatus::Usage;
    }
    // After "wld", --version is the block's version, not the program's.
    if (parser.positionalArguments().value(0) == QLatin1String("wld")) {
        for (QString& a : arguments)
            if (a == QLatin1String("--version") || a.startsWith(QLatin1String("--version=")))
                a.replace(0, 9, QStringLiteral("--block-version"));
        if (!parser.parse(arguments)) {
            err << parser.errorText() << "\n";
            return ExitStatus::Usage;
        }
    }
    if (parser.isSet(QStringLiteral("help"))) {
        out << parser.helpText();
        return ExitStatus::Ok;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        out << QCoreApplication::applicationName() << " " << QCoreApplication::applicationVersion()
            << "\n";
        return ExitStatus::Ok;
    }
    const QString lang = parser.value(QStringLiteral("lang"));
    if (parser.isSet(QStringLiteral("lang")) && StringTable::languageIndex(lang) < 0) {
        err << "q7400ctl: unknown language '" << lang << "' (use de, en, fr or it)\n";
        return ExitStatus::Usage;
    }
    QStringList positional = parser.positionalArguments();
    if (positional.isEmpty()) {
        err << "q7400ctl: no command given; see q7400ctl --help\n";
        return ExitStatus::Usage;
    }
    const QString name = positional.takeFirst();
    for (const CliCommand& c : commands()) {
        if (name == QLatin1String(c.name)) {
            CliContext cli{parser, positional, out, err};
            const int status = c.run(cli);
            out.flush();
            err.flush();
            return status;
        }
    }
    err << "q7400ctl: unknown command '" << name << "'; see q7400ctl --help\n";
    return ExitStatus::Usage;
}
