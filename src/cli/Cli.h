#pragma once

#include "base/OptionList.h"
#include "config/ConfigurationFile.h"
#include "device/ParameterBlocks.h"

#include <QCommandLineParser>
#include <QStringList>
#include <QTextStream>

#include <functional>
#include <vector>

class ParameterTable;

// Exit statuses of q7400ctl.
namespace ExitStatus {
constexpr int Ok = 0;
constexpr int NoAnswer = 1; // the controller does not answer, or a file could not be used
constexpr int Usage = 2;
constexpr int Mismatch = 3;  // the controller's attributes differ from the configuration
constexpr int Different = 3; // diff: the two configurations differ
constexpr int Declined = 4;  // the user answered a confirmation with no
} // namespace ExitStatus

// What each exit status means, for --help and the manual page.
struct ExitStatusText {
    int status;
    const char* meaning;
};
inline constexpr ExitStatusText exitStatusTexts[] = {
    {ExitStatus::Ok, "success"},
    {ExitStatus::NoAnswer, "the controller does not answer, or a file or the port cannot be used"},
    {ExitStatus::Usage, "usage error: an unknown command or option, a malformed argument"},
    {ExitStatus::Mismatch, "the controller's attributes do not match the configuration's "
                           "feature code (write without --force); diff: the two differ"},
    {ExitStatus::Declined, "the write was declined after its preview"},
};

// What every command gets: the parsed options, its own arguments and the output streams.
struct CliContext {
    QCommandLineParser& parser;
    QStringList args; // positional arguments after the command name
    QTextStream& out;
    QTextStream& err;

    // Language offset from --lang, else from the settings file.
    int languageOffset() const;
    // --settings, else the settings file of the program.
    QString settingsFilePath() const;
};

// A command line that shows what a command does, and what it does there.
struct CliExample {
    const char* commandLine; // "q7400ctl read plant.tvk"
    const char* what;        // "Reads everything from the controller into plant.tvk."
};

// One command of q7400ctl. Its entry in the command list (main.cpp) is all that --help, the
// command's own help (q7400ctl COMMAND --help), the manual page and the shell completion know
// of it, so adding a command is adding its entry.
struct CliCommand {
    const char* name; // "write"
    // Its arguments and options after the name, "FILE.tvk [--id now|YYMMDDhhmmss] [--force]";
    // a command with several forms has one line per form. The shell completion offers the
    // words of a list ("load1|load2") and files for a placeholder such as FILE.tvk.
    const char* usage;
    const char* summary; // one line for the command list of --help
    std::function<int(CliContext&)> run;
    // More for its own help and the manual page: paragraphs separated by a blank line, lines
    // that start with two blanks kept as they are.
    const char* details = "";
    std::vector<CliExample> examples = {};
};

// Options shared by all commands are added here; commands add their own in addOptions.
void addCommonOptions(OptionList& options);
// --port, --baud, --parity, --address, --settings (CliLink.cpp).
void addLinkOptions(OptionList& options);

// The commands, one file each.
int runTexts(CliContext& cli);
int runParameters(CliContext& cli);
// Device link (cmd_link.cpp).
int runProbe(CliContext& cli);
int runErrors(CliContext& cli);
void addScanOptions(OptionList& options);
int runScan(CliContext& cli);

// Transfers and configuration files (cmd_transfer.cpp): read, write, paraset, show.
void addTransferOptions(OptionList& options);
int runRead(CliContext& cli);
int runWrite(CliContext& cli);
int runParaset(CliContext& cli);
int runShow(CliContext& cli);
// The comparison of two configurations (cmd_diff.cpp).
int runDiff(CliContext& cli);
// The parameter-set ID of --id ('now' or YYMMDDhhmmss); empty when not given. A malformed one
// is reported and sets *bad.
std::optional<ParameterSetIdBytes> parameterSetIdOption(CliContext& cli, bool* bad);
// Entries of a configuration file, one line each: number, name, values (tab-separated).
void printConfigurationEntries(CliContext& cli, const ParameterTable& table,
                               const QList<ConfigurationFileEntry>& entries);

// The memory-image file and the parameter-block table (cmd_wld.cpp).
void addWldOptions(OptionList& options);
int runWld(CliContext& cli);
int runBlocks(CliContext& cli);

// Channel parameters, parameter overview and collective masks of a configuration file
// (cmd_params.cpp).
void addParamsOptions(OptionList& options);
int runChannel(CliContext& cli);
int runOverview(CliContext& cli);

// Offline editing of a configuration file (cmd_edit.cpp); the operations come from the windows'
// command files (CliOffline.h).
int runEdit(CliContext& cli);

// The configuration of a file as the wiring picture shows it (cmd_config.cpp).
int runConfig(CliContext& cli);

// Alarm history and data logger (cmd_records.cpp).
void addRecordOptions(OptionList& options);
int runHistory(CliContext& cli);
int runLogger(CliContext& cli);

// Control words and cyclic monitoring (cmd_monitor.cpp): status, function, monitor, setpoint,
// output, stop-mapping.
void addMonitorOptions(OptionList& options);
int runStatus(CliContext& cli);
int runFunction(CliContext& cli);
int runMonitor(CliContext& cli);
int runSetpoint(CliContext& cli);
int runOutput(CliContext& cli);
int runStopMapping(CliContext& cli);
// The controller's service functions, device parameters, service code (cmd_extra.cpp).
void addExtraOptions(OptionList& options);
int runClock(CliContext& cli);
int runInterface(CliContext& cli);
int runCan(CliContext& cli);
int runProtocol(CliContext& cli);
int runReset(CliContext& cli);
int runOperation(CliContext& cli);
int runExtra(CliContext& cli);
int runDevParams(CliContext& cli);
int runService(CliContext& cli);
