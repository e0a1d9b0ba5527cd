#include "cli/CliOffline.h"
#include "device/ParameterTable.h"

#include <QVariant>

QList<EditOperation> editOperations() {
    // Each window's operations are added here as its commands land.
    return paramsEditOperations() + configurationEditOperations() + controlWordEditOperations();
}

namespace {
QString cellText(const QVariant& v) {
    return v.typeId() == QMetaType::QString ? QLatin1Char('"') + v.toString() + QLatin1Char('"')
                                            : ConfigurationFile::formatNumber(v.toDouble());
}
} // namespace

int runEdit(CliContext& cli) {
    if (cli.args.size() < 2) {
        cli.err << "usage: q7400ctl edit FILE.tvk [-o OUT.tvk] [--firmware 0xNN] [--extended] "
                   "OP...\n";
        return ExitStatus::Usage;
    }
    CliOffline offline(cli);
    if (const int status = offline.load(cli.args.first()))
        return status;
    Workspace& ws = offline.workspace();
    const DeviceImage before = ws.image;

    EditContext edit{cli, ws, cli.parser.isSet(QStringLiteral("extended"))};
    if (edit.extendedView)
        ws.configuration.LoadExtendedView();
    const QList<EditOperation> operations = editOperations();
    for (const QString& op : cli.args.mid(1)) {
        const qsizetype eq = op.indexOf(u'=');
        const QString key = eq < 0 ? op : op.left(eq);
        const QString value = eq < 0 ? QString() : op.mid(eq + 1);
        const EditOperation* found = nullptr;
        for (const EditOperation& candidate : operations)
            if (op.startsWith(QLatin1String(candidate.prefix)))
                found = &candidate;
        if (!found) {
            cli.err << "q7400ctl edit: unknown operation '" << op << "'\n";
            return ExitStatus::Usage;
        }
        QString message;
        if (!found->apply(edit, key, value, &message)) {
            cli.err << "q7400ctl edit: " << op << ": " << message << "; nothing saved\n";
            return ExitStatus::Usage;
        }
    }

    for (int row = 0; row < DeviceImage::Rows; ++row)
        for (int column = 1; column < DeviceImage::Columns; ++column)
            if (before.cell(row, column) != ws.image.cell(row, column))
                cli.out << row << '\t' << ws.table[row].Name.trimmed() << '\t' << column << '\t'
                        << cellText(before.cell(row, column)) << " -> "
                        << cellText(ws.image.cell(row, column)) << '\n';

    const QString output = cli.parser.isSet(QStringLiteral("output"))
                               ? cli.parser.value(QStringLiteral("output"))
                               : offline.path();
    const ConfigurationFileResult saved = ws.SaveConfigurationFile(output);
    if (!saved.ok) {
        cli.err << "q7400ctl edit: " << saved.message << '\n';
        return ExitStatus::NoAnswer;
    }
    return ExitStatus::Ok;
}
