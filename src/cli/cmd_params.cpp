#include "cli/CliOffline.h"
#include "config/ConfigurationFile.h"
#include "params/ChannelParameters.h"
#include "params/CollectiveMasks.h"
#include "params/Overview.h"
#include "params/ui/OverviewPrinter.h"

#include "base/SafeWrite.h"

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

void addParamsOptions(QCommandLineParser& parser) {
    parser.addOption({QStringLiteral("csv"),
                      QStringLiteral("overview: the grid as CSV; history, logger: --csv FILE.csv "
                                     "also writes the table for a spreadsheet.")});
    parser.addOption(
        {QStringLiteral("print-text"), QStringLiteral("overview: the print as text lines.")});
    parser.addOption({QStringLiteral("pdf"),
                      QStringLiteral("overview: the print rendered into a PDF file."),
                      QStringLiteral("OUT.pdf")});
    parser.addOption({QStringLiteral("date"),
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
    ChannelParameters editor(ws.image, ws.identification, *channel);
    editor.ShowParameters();
    for (int row = 0; row < ChannelRows::Count; ++row) {
        if (!ChannelRows::shown(row, ws.identification.FirmwareVersion))
            continue;
        const int parameter = ChannelRows::rows()[size_t(row)].parameter;
        cli.out << row << '\t' << ws.table[parameter].Name.trimmed() << '\t'
                << editor.texts[size_t(row)] << '\t' << editor.unit(row) + editor.minuteUnit(row)
                << '\n';
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
    const Overview overview = buildOverview(ws.image, ws.table, ws.identification, ws.texts);

    if (printText || !pdf.isEmpty()) {
        const OverviewPrint print =
            overviewPrint(overview, ws.texts, ws.identification.DeviceType, when);
        if (printText) {
            for (const QString& line : print.lines())
                cli.out << line << '\n';
            return ExitStatus::Ok;
        }
        QString error;
        const QByteArray document =
            overviewPdf(print, overviewTitle(ws.texts, ws.identification.DeviceType), &error);
        const SafeWriteResult written =
            document.isEmpty() ? SafeWriteResult{} : writeFileSafely(pdf, document);
        if (!written.ok) {
            cli.err << "q7400ctl overview: " << pdf << ": "
                    << (document.isEmpty() ? error : written.reason) << '\n';
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
             const int firmware = edit.ws.identification.FirmwareVersion;
             if (!ChannelRows::shown(row, firmware)) {
                 *message = QStringLiteral("row %1 is not shown for firmware 0x%2")
                                .arg(row)
                                .arg(firmware, 2, 16, QLatin1Char('0'));
                 return false;
             }
             if (ChannelRows::rows()[size_t(row)].parameter < ConfigurationFile::FirstEntry) {
                 *message = QStringLiteral("the setpoint is not kept in configuration files");
                 return false;
             }
             if (!IsNumericText(value)) {
                 *message = QStringLiteral("'%1' is not a number").arg(value);
                 return false;
             }
             ChannelParameters editor(edit.ws.image, edit.ws.identification, channel);
             editor.ShowParameters();
             auto before = editor.texts;
             before[size_t(row)] = value;
             const auto changes = editor.leave(row, value);
             // Every value the rules changed: the typed one clamped or rounded, the setpoints
             // pulled along by their limits, the values re-scaled for a new full scale.
             for (int field : changes.fields) {
                 const QString& now = editor.texts[size_t(field)];
                 if (ValueOfText(before[size_t(field)]) != ValueOfText(now))
                     edit.cli.out << "channel " << channel << " row " << field << ": "
                                  << before[size_t(field)] << " -> " << now << '\n';
             }
             return true;
         }},
        {"copy-params:", "copy-params:K=T   copy channel K's parameters to channel T (0: all)",
         [](EditContext& edit, const QString& key, const QString& value, QString* message) {
             const auto channel = afterColon(key, 1, 8);
             if (!channel) {
                 *message = QStringLiteral("takes a channel 1..8");
                 return false;
             }
             ChannelParameters editor(edit.ws.image, edit.ws.identification, *channel);
             editor.ShowParameters();
             QString shown;
             if (!editor.copyTo(value, &shown)) {
                 *message = QStringLiteral("the target is a channel 1..8, or 0 for all channels");
                 return false;
             }
             if (!shown.isEmpty())
                 edit.cli.out << "copy target: " << value << " -> " << shown << '\n';
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
             CollectiveMasks::set(edit.ws.image, *mask, *bits);
             return true;
         }},
    };
}
