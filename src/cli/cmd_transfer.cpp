#include "cli/Cli.h"
#include "config/ConfigurationFile.h"
#include "device/ParameterTable.h"
#include "i18n/StringTable.h"

#include <QCommandLineOption>

void addTransferOptions(QCommandLineParser& parser) {
    parser.addOption({QStringLiteral("id"),
                      QStringLiteral("write: parameter-set ID to store, 'now' for the PC clock or "
                                     "YYMMDDhhmmss."),
                      QStringLiteral("now|YYMMDDhhmmss")});
    parser.addOption({QStringLiteral("force"),
                      QStringLiteral("write: write even when the controller's attributes differ "
                                     "from the configuration's feature code.")});
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
