#include "cli/Cli.h"
#include "device/ParameterTable.h"
#include "i18n/StringTable.h"

int runTexts(CliContext& cli) {
    if (!cli.args.isEmpty()) {
        cli.err << "q7400ctl texts: takes no arguments\n";
        return ExitStatus::Usage;
    }
    Texts texts;
    texts.setLanguageOffset(cli.languageOffset());
    for (int base = StringTable::FirstBase; base <= StringTable::LastBase; ++base) {
        QString text = texts.LoadText(base);
        text.replace(u'\n', QStringLiteral("\\n"));
        cli.out << base << '\t' << text << '\n';
    }
    return ExitStatus::Ok;
}

int runParameters(CliContext& cli) {
    if (!cli.args.isEmpty()) {
        cli.err << "q7400ctl parameters: takes no arguments\n";
        return ExitStatus::Usage;
    }
    Texts texts;
    texts.setLanguageOffset(cli.languageOffset());
    ParameterTable table;
    table.BuildParameterTable(texts);
    for (int row = 0; row < ParameterTable::Rows; ++row) {
        const ParameterRow& r = table[row];
        cli.out << row << '\t' << r.Name << '\t' << r.FunctionCode << '\t' << r.Count << '\t'
                << "0x" << QStringLiteral("%1").arg(r.Address, 3, 16, QLatin1Char('0')).toUpper()
                << '\t' << r.Format << '\n';
    }
    return ExitStatus::Ok;
}
