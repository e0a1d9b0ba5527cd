#pragma once

#include "cli/Cli.h"
#include "cli/CliOffline.h"

#include <QCommandLineOption>
#include <QList>
#include <QString>

#include <vector>

// What q7400ctl tells about itself, all written from its command list, its options and the
// operations of edit, so --help, a command's own help, the manual page and the shell completion
// always list the same commands and options.
struct CliDocs {
    const std::vector<CliCommand>& commands;
    const QList<QCommandLineOption>& options;
    QList<EditOperation> editOperations;

    // The part of --help after the program's one-line description: the commands with their
    // usage and summary, the operations of edit and the exit statuses.
    QString helpText() const;
    // q7400ctl COMMAND --help: its usage, summary, details and examples.
    static QString commandHelp(const CliCommand& command);
    // The manual page, q7400ctl.1.
    QString manualPage() const;
    // A bash completion script for q7400ctl: commands, options, the values of options with a
    // list of values, files for file arguments.
    QString bashCompletion() const;
};
