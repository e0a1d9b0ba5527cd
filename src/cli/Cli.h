#pragma once

#include <QCommandLineParser>
#include <QStringList>
#include <QTextStream>

#include <functional>

// Exit statuses of q7400ctl.
namespace ExitStatus {
constexpr int Ok = 0;
constexpr int NoAnswer = 1; // the controller does not answer, or a file could not be used
constexpr int Usage = 2;
constexpr int Mismatch = 3; // the controller's attributes differ from the configuration
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

// The controller's service functions, device parameters, service code (cmd_extra.cpp).
void addExtraOptions(QCommandLineParser& parser);
int runClock(CliContext& cli);
int runInterface(CliContext& cli);
int runCan(CliContext& cli);
int runProtocol(CliContext& cli);
int runReset(CliContext& cli);
int runOperation(CliContext& cli);
int runExtra(CliContext& cli);
int runDevParams(CliContext& cli);
int runService(CliContext& cli);
