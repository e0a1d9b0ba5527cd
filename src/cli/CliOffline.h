#pragma once

#include "app/Workspace.h"
#include "cli/Cli.h"
#include "cli/ConsoleInteraction.h"

#include <QList>
#include <QString>

#include <functional>

// Options of the commands that work on a configuration file without a controller:
// --firmware 0xNN (default 0x99, as a freshly started program), -o/--output, --extended.
void addOfflineOptions(OptionList& options);

// A workspace without a port for the offline commands: language from --lang or the settings
// file, the start-up values and default configuration of a freshly started program (default
// parameter-block table included), then the file, and the firmware of --firmware.
class CliOffline {
public:
    explicit CliOffline(CliContext& cli);

    // The freshly started program with --firmware applied. ExitStatus::Ok, or the message has
    // been printed and ExitStatus::Usage is returned for a bad option.
    int start();
    // start(), then `path` loaded into the image. ExitStatus::Ok, or the message has been
    // printed and the exit status is returned (NoAnswer when the file cannot be read).
    int load(const QString& path);

    ConsoleInteraction interaction;
    Workspace& workspace() { return m_workspace; }
    QString path() const { return m_path; }

private:
    CliContext& m_cli;
    Workspace m_workspace;
    QString m_path;
};

// Prints on stderr which values of a loaded file were kept as text (nothing when none).
void warnNotNumbers(CliContext& cli, const Workspace& ws, const ConfigurationFileResult& loaded);

// One action of `q7400ctl edit`, e.g. "io:3=unlink": `key` is the text before '=' ("io:3"),
// `value` the text after it ("unlink"). A handler applies what the user's click or entry in the
// window would do; when the window would refuse it, it returns false with *message saying why.
struct EditContext {
    CliContext& cli;
    Workspace& ws;
    bool extendedView = false;
};
struct EditOperation {
    const char* prefix; // the key up to and including ':' or '=' ("io:", "feature=")
    const char* synopsis;
    std::function<bool(EditContext&, const QString& key, const QString& value, QString* message)>
        apply;
};
// The operations of every window, in the order --help lists them.
QList<EditOperation> editOperations();
// Channel parameters and collective masks (cmd_params.cpp).
QList<EditOperation> paramsEditOperations();
// The wiring picture's: feature=, sensor:, io: (cmd_config.cpp).
QList<EditOperation> configurationEditOperations();
// The control-word window's: word:K:NAME=VALUE, copy-words:K=T (cmd_monitor.cpp).
QList<EditOperation> controlWordEditOperations();
