#pragma once

#include "cli/Cli.h"
#include "cli/ConsoleInteraction.h"
#include "device/DeviceImage.h"
#include "device/Identification.h"
#include "device/ParameterTable.h"
#include "i18n/StringTable.h"
#include "link/DeviceServices.h"
#include "link/Link.h"
#include "link/PortSettings.h"
#include "link/SerialPort.h"

#include <memory>

// The link options every device command understands.
void addLinkOptions(QCommandLineParser& parser);

// Settings file values overridden by --port, --baud, --parity and --address. On a bad option
// value the message is printed and *status is ExitStatus::Usage.
PortSettings linkSettings(CliContext& cli, int* status);

// Everything a device command needs: the settings, the program data, the opened port, the link
// and its services. Messages go to the command's stderr, never to a dialog.
class CliLink {
public:
    explicit CliLink(CliContext& cli);
    ~CliLink();

    // Reads the settings and options and opens the port. ExitStatus::Ok on success; otherwise
    // the message has been printed and the exit status is returned (Usage for a bad option,
    // NoAnswer when the port cannot be opened).
    int open();

    // Prints text 455 (unless the link's give-up message already said so) and returns
    // ExitStatus::NoAnswer.
    int noAnswer();

    PortSettings settings;
    Texts texts;
    ConsoleInteraction interaction;
    ParameterTable table;
    DeviceImage image;
    MemoryImage memory;
    Identification identification;

    Link& link() { return *m_link; }
    DeviceServices& services() { return *m_services; }

private:
    CliContext& m_cli;
    std::unique_ptr<SerialPort> m_port;
    std::unique_ptr<Link> m_link;
    std::unique_ptr<DeviceServices> m_services;
    bool m_gaveUp = false;
};
