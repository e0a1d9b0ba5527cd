#include "cli/CliLink.h"
#include "services/AlarmHistory.h"
#include "services/DataLogger.h"
#include "services/TextTables.h"

#include <QCoreApplication>
#include <QDir>

#include <unistd.h>

namespace {
// "Reading 12/40" on stderr while a long read runs, when stderr is a terminal.
void showProgress(CliContext& cli, LongOperation& reader) {
    if (!isatty(STDERR_FILENO))
        return;
    QObject::connect(&reader, &LongOperation::progress, &reader, [&cli](int done, int total) {
        cli.err << "\rReading " << done << '/' << total;
        cli.err.flush();
    });
    QObject::connect(&reader, &LongOperation::finished, &reader, [&cli] {
        cli.err << '\n';
        cli.err.flush();
    });
}

// --csv is a switch (the overview prints its CSV); these commands take the file name that
// follows it, which the parser has left among the positional arguments. False when --csv is
// given without a file name after it.
bool takeCsvFile(CliContext& cli, QString* path) {
    path->clear();
    if (!cli.parser.isSet(QStringLiteral("csv")))
        return true;
    const QStringList all = QCoreApplication::arguments();
    const qsizetype at = all.indexOf(QStringLiteral("--csv"));
    if (at < 0 || at + 1 >= all.size() || !cli.args.contains(all[at + 1]))
        return false;
    *path = all[at + 1];
    cli.args.removeOne(*path);
    return true;
}

// Writes `text` to `path` unless it is empty. False after a message.
bool writeOptionFile(CliContext& cli, const char* command, const QString& path,
                     const QString& text) {
    if (path.isEmpty())
        return true;
    QString message;
    if (writeTextTable(path, text, &message))
        return true;
    cli.err << "q7400ctl " << command << ": " << message << '\n';
    return false;
}

// Opens the port and reads the firmware version, which decides whether the controller has what
// `command` reads (`offers`; else text `missing` is printed). ExitStatus::Ok, or the message has
// been printed and the exit status is returned.
int openController(CliContext& cli, CliLink& device, const char* command, bool (*offers)(int),
                   int missing) {
    if (const int status = device.openAndReadFirmware())
        return status;
    Workspace& ws = device.workspace();
    if (offers(ws.identification.FirmwareVersion))
        return ExitStatus::Ok;
    cli.err << "q7400ctl " << command << ": " << ws.texts.LoadText(missing) << '\n';
    return ExitStatus::NoAnswer;
}
} // namespace

void addRecordOptions(OptionList& options) {
    options.addOption({QStringLiteral("changes"),
                       QStringLiteral("history: write the change log to FILE."),
                       QStringLiteral("FILE.txt")});
    options.addOption({QStringLiteral("explain"),
                       QStringLiteral("history: explain the bits of one cell of the table instead "
                                      "of printing it (row 1.., column 1..12)."),
                       QStringLiteral("ROW,COL")});
    options.addOption({QStringLiteral("max"), QStringLiteral("logger: stop after N samples."),
                       QStringLiteral("N")});
    options.addOption(
        {QStringLiteral("clear"), QStringLiteral("logger: clear the controller's logger.")});
}

int runHistory(CliContext& cli) {
    const auto usage = [&cli] {
        cli.err << "usage: q7400ctl history [--changes FILE.txt] [--csv FILE.csv] "
                   "[--explain ROW,COL]\n";
        return ExitStatus::Usage;
    };
    QString csv;
    if (!takeCsvFile(cli, &csv) || !cli.args.isEmpty())
        return usage();
    int row = -1;
    int column = -1;
    if (cli.parser.isSet(QStringLiteral("explain"))) {
        const QStringList cell = cli.parser.value(QStringLiteral("explain")).split(u',');
        bool rowOk = false;
        bool columnOk = false;
        if (cell.size() == 2) {
            row = cell[0].trimmed().toInt(&rowOk);
            column = cell[1].trimmed().toInt(&columnOk);
        }
        if (!rowOk || !columnOk)
            return usage();
    }
    CliLink device(cli);
    if (const int status = openController(cli, device, "history", hasAlarmHistory, 485))
        return status;
    Workspace& ws = device.workspace();

    AlarmHistoryRead reader(ws, ws.services());
    showProgress(cli, reader);
    const LongOperation::Outcome outcome = reader.run();
    const AlarmHistory& history = reader.history();
    if (history.announced < 0)
        return device.noAnswer();

    if (row >= 0) {
        const CellExplanation x = explainCell(history, row, column, ws.texts);
        cli.out << x.what << '\n';
        for (int b = 0; b < 16; ++b)
            cli.out << b << '\t' << x.bits[size_t(b)] << '\n';
    } else {
        // The heading row and the entries read; the grid's empty last row is left out.
        for (int r = 0; r <= history.entries.size(); ++r) {
            QStringList cells;
            for (int c = 0; c < AlarmHistory::Columns; ++c)
                cells << history.cellText(r, c, ws.texts);
            cli.out << cells.join(u'\t') << '\n';
        }
    }
    cli.out.flush();
    const bool filesOk =
        writeOptionFile(cli, "history", cli.parser.value(QStringLiteral("changes")),
                        historyChangeLog(history.entries, ws.texts)) &&
        writeOptionFile(cli, "history", csv,
                        historyCsv(history.entries, ws.identification.DeviceType));
    if (outcome != LongOperation::Outcome::Done) {
        device.noAnswer();
        cli.err << "q7400ctl history: " << history.entries.size() << " of " << history.announced
                << " entries read\n";
        return ExitStatus::NoAnswer;
    }
    return filesOk ? ExitStatus::Ok : ExitStatus::NoAnswer;
}

int runLogger(CliContext& cli) {
    const bool clear = cli.parser.isSet(QStringLiteral("clear"));
    QString csv;
    if (!takeCsvFile(cli, &csv) ||
        (clear ? !cli.args.isEmpty() || !csv.isEmpty() : cli.args.size() != 1)) {
        cli.err << "usage: q7400ctl logger FILE.txt [--max N] [--csv FILE.csv]\n"
                   "       q7400ctl logger --clear\n";
        return ExitStatus::Usage;
    }
    int max = -1;
    if (cli.parser.isSet(QStringLiteral("max"))) {
        bool ok = false;
        max = cli.parser.value(QStringLiteral("max")).toInt(&ok);
        if (!ok || max < 0) {
            cli.err << "q7400ctl logger: --max takes a number of samples 0..\n";
            return ExitStatus::Usage;
        }
    }
    CliLink device(cli);
    if (const int status = openController(cli, device, "logger", hasLogger, 482))
        return status;
    Workspace& ws = device.workspace();
    LoggerTransfer transfer(ws, ws.services());
    if (clear)
        return transfer.clear() ? ExitStatus::Ok : device.noAnswer();

    // Older firmware sends 4 or 8 values a read, by the module variant.
    if (!loggerReadsFullRecord(ws.identification.FirmwareVersion)) {
        ws.services().ReadRequest(49);
        if (ws.link().CommError)
            return device.noAnswer();
        ws.DecodeAttributes(ws.link().ReplyBytes[8]);
    }
    showProgress(cli, transfer);
    if (max >= 0) {
        // Progress 0 comes before the first sample, so --max 0 writes the heading only.
        QObject::connect(&transfer, &LoggerTransfer::progress, &transfer,
                         [&transfer, max](int done, int) {
                             if (done >= max)
                                 transfer.requestStop();
                         });
    }
    const QString path = cli.args.first();
    const LoggerTransfer::Outcome outcome = transfer.store(path);
    const LoggerRecording& recording = transfer.recording();
    if (outcome == LoggerTransfer::Outcome::FileFailed) {
        cli.err << "q7400ctl logger: " << transfer.fileMessage() << '\n';
        return ExitStatus::NoAnswer;
    }
    if (recording.count < 0)
        return device.noAnswer();
    const bool csvOk =
        writeOptionFile(cli, "logger", csv, loggerCsv(recording, ws.identification.DeviceType));
    if (outcome == LoggerTransfer::Outcome::Failed) {
        device.noAnswer();
        cli.err << "q7400ctl logger: " << recording.samples.size() << " of " << recording.count
                << " samples read; " << QDir::toNativeSeparators(path)
                << " holds the samples read\n";
        return ExitStatus::NoAnswer;
    }
    return csvOk ? ExitStatus::Ok : ExitStatus::NoAnswer;
}
