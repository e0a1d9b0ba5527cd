#pragma once

#include "app/Workspace.h"
#include "cli/Cli.h"
#include "cli/ConsoleInteraction.h"
#include "device/DeviceServices.h"
#include "link/Link.h"
#include "link/PortSettings.h"
#include "link/SerialPort.h"

#include <memory>

// The link options every device command understands.
void addLinkOptions(OptionList& options);

// Settings file values overridden by --port, --baud, --parity and --address. On a bad option
// value the message is printed and *status is ExitStatus::Usage.
PortSettings linkSettings(CliContext& cli, int* status);

// What a device command needs: the opened port and the program's workspace (settings, texts,
// parameter table, images, identification, link, services and transfers), wired as for the
// main window. Messages go to the command's stderr, never to a dialog.
class CliLink {
public:
    explicit CliLink(CliContext& cli);
    ~CliLink();

    // Reads the settings and options, sets the language and opens the port. ExitStatus::Ok on
    // success; otherwise the message has been printed and the exit status is returned (Usage
    // for a bad option, NoAnswer when the port cannot be opened).
    int open();
    // open(), then PrepareLink and the firmware version (Identification::FirmwareVersion). The
    // exit status as open() gives it, or noAnswer() when the controller does not answer.
    int openAndReadFirmware();

    // Prints text 455 (unless the link's give-up message, or the message that the port was
    // lost, already said why) and returns ExitStatus::NoAnswer.
    int noAnswer();

    ConsoleInteraction interaction;
    Workspace& workspace() { return m_workspace; }

private:
    CliContext& m_cli;
    std::unique_ptr<SerialPort> m_port;
    Workspace m_workspace; // after the port: it goes first
    bool m_gaveUp = false;
};
