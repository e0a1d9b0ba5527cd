#pragma once

#include "config/ConfigurationFile.h"
#include "device/ParameterBlocks.h"

#include <QCommandLineParser>
#include <QStringList>
#include <QTextStream>

#include <functional>

class ParameterTable;

// Exit statuses of q7400ctl.
namespace ExitStatus {
constexpr int Ok = 0;
constexpr int NoAnswer = 1; // the controller does not answer, or a file could not be used
constexpr int Usage = 2;
constexpr int Mismatch = 3; // the controller's attributes differ from the configuration
constexpr int Declined = 4; // the user answered a confirmation with no
} // namespace ExitStatus

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

struct CliCommand {
    const char* name;
    const char* synopsis; // shown by --help
    std::function<int(CliContext&)> run;
};

// Options shared by all commands are added here; commands add their own in addOptions.
void addCommonOptions(QCommandLineParser& parser);
// --port, --baud, --parity, --address, --settings (CliLink.cpp).
void addLinkOptions(QCommandLineParser& parser);

// The commands, one file each.
int runTexts(CliContext& cli);
int runParameters(CliContext& cli);
// Device link (cmd_link.cpp).
int runProbe(CliContext& cli);
int runErrors(CliContext& cli);

// Transfers and configuration files (cmd_transfer.cpp): read, write, paraset, show.
void addTransferOptions(QCommandLineParser& parser);
int runRead(CliContext& cli);
int runWrite(CliContext& cli);
int runParaset(CliContext& cli);
int runShow(CliContext& cli);
// The parameter-set ID of --id ('now' or YYMMDDhhmmss); empty when not given. A malformed one
// is reported and sets *bad.
std::optional<ParameterSetIdBytes> parameterSetIdOption(CliContext& cli, bool* bad);
// Entries of a configuration file, one line each: number, name, values (tab-separated).
void printConfigurationEntries(CliContext& cli, const ParameterTable& table,
                               const QList<ConfigurationFileEntry>& entries);

// The memory-image file and the parameter-block table (cmd_wld.cpp).
void addWldOptions(QCommandLineParser& parser);
int runWld(CliContext& cli);
int runBlocks(CliContext& cli);

// Channel parameters, parameter overview and collective masks of a configuration file
// (cmd_params.cpp).
void addParamsOptions(QCommandLineParser& parser);
int runChannel(CliContext& cli);
int runOverview(CliContext& cli);

// Offline editing of a configuration file (cmd_edit.cpp); the operations come from the windows'
// command files (CliOffline.h).
int runEdit(CliContext& cli);
// The configuration of a file as the wiring picture shows it (cmd_config.cpp).
int runConfig(CliContext& cli);

// Alarm history and data logger (cmd_records.cpp).
void addRecordOptions(QCommandLineParser& parser);
int runHistory(CliContext& cli);
int runLogger(CliContext& cli);
