#include "base/SafeWrite.h"
#include "cli/CliOffline.h"
#include "config/ConfigurationFile.h"
#include "params/ChannelParameterForm.h"
#include "params/CollectiveMasks.h"
#include "params/Overview.h"
#include "params/ui/OverviewPrinter.h"

namespace {

// A whole number first..last from a command-line argument; empty otherwise.
std::optional<int> wholeNumber(const QString& text, int first, int last) {
    bool ok = false;
    const int v = text.trimmed().toInt(&ok);
    return ok && v >= first && v <= last ? std::optional<int>(v) : std::nullopt;
}

// "param:K:R" -> channel K and row R.
bool channelAndRow(const QString& key, int* channel, int* row) {
    const QStringList parts = key.split(u':');
    const auto k = parts.size() == 3 ? wholeNumber(parts[1], 1, 8) : std::nullopt;
    const auto r =
        parts.size() == 3 ? wholeNumber(parts[2], 0, ChannelRows::Count - 1) : std::nullopt;
    if (!k || !r)
        return false;
    *channel = *k;
    *row = *r;
    return true;
}

std::optional<int> afterColon(const QString& key, int first, int last) {
    const qsizetype colon = key.indexOf(u':');
    return colon < 0 ? std::nullopt : wholeNumber(key.mid(colon + 1), first, last);
}

QString csvField(const QString& text) {
    if (!text.contains(u',') && !text.contains(u'"') && !text.contains(u'\n'))
        return text;
    return u'"' + QString(text).replace(u'"', QStringLiteral("\"\"")) + u'"';
}

} // namespace

void addParamsOptions(OptionList& options) {
    options.addOption({QStringLiteral("csv"),
                       QStringLiteral("overview: the grid as CSV; history, logger: --csv FILE.csv "
                                      "also writes the table for a spreadsheet.")});
    options.addOption(
        {QStringLiteral("print-text"), QStringLiteral("overview: the print as text lines.")});
    options.addOption({QStringLiteral("pdf"),
                       QStringLiteral("overview: the print rendered into a PDF file."),
                       QStringLiteral("OUT.pdf")});
    options.addOption({QStringLiteral("date"),
                       QStringLiteral("overview: date and time in the print's heading instead of "
                                      "the PC clock."),
                       QStringLiteral("YYYY-MM-DD hh:mm")});
}

int runChannel(CliContext& cli) {
    const auto channel = cli.args.size() == 2 ? wholeNumber(cli.args[1], 1, 8) : std::nullopt;
    if (!channel) {
        cli.err << "usage: q7400ctl channel FILE.tvk K [--firmware 0xNN] [--lang ...]  (K 1..8)\n";
        return ExitStatus::Usage;
    }
    CliOffline offline(cli);
    if (const int status = offline.load(cli.args.first()))
        return status;
    Workspace& ws = offline.workspace();
    ChannelParameterForm form(ws);
    form.setChannel(*channel - 1);
    for (int row = 0; row < ChannelRows::Count; ++row) {
        if (!form.isVisible(row))
            continue;
        cli.out << row << '\t' << ws.table[ChannelParameterForm::parameterOf(row)].Name.trimmed()
                << '\t' << form.text(row) << '\t' << form.unit(row) + form.minuteUnit(row) << '\n';
    }
    return ExitStatus::Ok;
}

int runOverview(CliContext& cli) {
    const bool csv = cli.parser.isSet(QStringLiteral("csv"));
    const bool printText = cli.parser.isSet(QStringLiteral("print-text"));
    const QString pdf = cli.parser.value(QStringLiteral("pdf"));
    if (cli.args.size() != 1 || int(csv) + int(printText) + int(!pdf.isEmpty()) > 1) {
        cli.err << "usage: q7400ctl overview FILE.tvk [--firmware 0xNN] [--lang ...] "
                   "[--csv | --print-text | --pdf OUT.pdf] [--date \"YYYY-MM-DD hh:mm\"]\n";
        return ExitStatus::Usage;
    }
    QDateTime when = QDateTime::currentDateTime();
    if (cli.parser.isSet(QStringLiteral("date"))) {
        when = QDateTime::fromString(cli.parser.value(QStringLiteral("date")),
                                     QStringLiteral("yyyy-MM-dd HH:mm"));
        if (!when.isValid()) {
            cli.err << "q7400ctl overview: --date takes \"YYYY-MM-DD hh:mm\"\n";
            return ExitStatus::Usage;
        }
    }
    CliOffline offline(cli);
    if (const int status = offline.load(cli.args.first()))
        return status;
    Workspace& ws = offline.workspace();
    const Overview overview = buildOverview(ws);

    if (printText || !pdf.isEmpty()) {
        const OverviewPrint print =
            overviewPrint(overview, ws.texts, ws.identification.DeviceType, when);
        if (printText) {
            for (const QString& line : print.lines())
                cli.out << line << '\n';
            return ExitStatus::Ok;
        }
        const SafeWriteResult written = writeFileSafely(
            pdf, overviewPdf(print, overviewTitle(ws.texts, ws.identification.DeviceType)));
        if (!written.ok) {
            cli.err << "q7400ctl overview: " << pdf << ": " << written.reason << '\n';
            return ExitStatus::NoAnswer;
        }
        return ExitStatus::Ok;
    }

    const QChar separator = csv ? u',' : u'\t';
    auto line = [&](const QStringList& fields) {
        QStringList shown = fields;
        if (csv)
            for (QString& f : shown)
                f = csvField(f);
        cli.out << shown.join(separator) << '\n';
    };
    line(overview.headings);
    for (const OverviewRow& row : overview.rows)
        line(QStringList{row.name} + row.cells);
    return ExitStatus::Ok;
}

QList<EditOperation> paramsEditOperations() {
    return {
        {"param:", "param:K:R=TEXT    type TEXT into row R (0..32) of channel K's editor",
         [](EditContext& edit, const QString& key, const QString& value, QString* message) {
             int channel = 0;
             int row = 0;
             if (!channelAndRow(key, &channel, &row)) {
                 *message = QStringLiteral("takes a channel 1..8 and a row 0..32");
                 return false;
             }
             ChannelParameterForm form(edit.ws);
             form.setChannel(channel - 1);
             if (!form.isVisible(row)) {
                 *message =
                     QStringLiteral("row %1 is not shown for firmware 0x%2")
                         .arg(row)
                         .arg(edit.ws.identification.FirmwareVersion, 2, 16, QLatin1Char('0'));
                 return false;
             }
             if (ChannelParameterForm::parameterOf(row) < ConfigurationFile::FirstEntry) {
                 *message = QStringLiteral("the setpoint is not kept in configuration files");
                 return false;
             }
             QStringList before;
             for (int f = 0; f < form.count(); ++f)
                 before.append(form.text(f));
             const Form::EditResult result = form.editText(row, value);
             if (result.outcome == Form::EditResult::Refused) {
                 *message = QStringLiteral("'%1': %2").arg(value, result.message);
                 return false;
             }
             // Every value the rules changed: the typed one clamped or rounded, the setpoints
             // pulled along by their limits, the values re-scaled for a new full scale.
             if (result.outcome == Form::EditResult::Adjusted)
                 edit.cli.out << "channel " << channel << " row " << row << ": " << value << " -> "
                              << result.shown << '\n';
             for (int f : result.changed)
                 edit.cli.out << "channel " << channel << " row " << f << ": " << before[f]
                              << " -> " << form.text(f) << '\n';
             return true;
         }},
        {"copy-params:", "copy-params:K=T   copy channel K's parameters to channel T (0: all)",
         [](EditContext& edit, const QString& key, const QString& value, QString* message) {
             const auto channel = afterColon(key, 1, 8);
             if (!channel) {
                 *message = QStringLiteral("takes a channel 1..8");
                 return false;
             }
             ChannelParameterForm form(edit.ws);
             form.setChannel(*channel - 1);
             if (!form.copyTo(value)) {
                 *message = QStringLiteral("the target is a channel 1..8, or 0 for all channels");
                 return false;
             }
             const QString target = QString::number(*ChannelParameterForm::copyTarget(value));
             if (target != value.trimmed())
                 edit.cli.out << "copy target: " << value << " -> " << target << '\n';
             return true;
         }},
        {"mask:", "mask:M=VALUE      collective alarm mask M (1..8), 0..65535 or 0xNNNN",
         [](EditContext& edit, const QString& key, const QString& value, QString* message) {
             const auto mask = afterColon(key, 1, CollectiveMasks::Count);
             const auto bits = CollectiveMasks::parse(value);
             if (!mask || !bits) {
                 *message = QStringLiteral("takes a mask 1..8 and a value 0..65535");
                 return false;
             }
             CollectiveMaskForm form(edit.ws);
             form.setMask(*mask);
             form.editText(CollectiveMaskForm::ValueField, QString::number(*bits));
             return true;
         }},
    };
}
