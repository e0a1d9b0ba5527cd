#include "cli/CliLink.h"

// probe: the controller's firmware version and feature code.
int runProbe(CliContext& cli) {
    if (!cli.args.isEmpty()) {
        cli.err << "q7400ctl probe: takes no arguments\n";
        return ExitStatus::Usage;
    }
    CliLink device(cli);
    if (const int status = device.openAndReadFirmware())
        return status;
    Workspace& ws = device.workspace();
    DeviceServices& services = ws.services();
    cli.out << firmwareText(ws.identification.FirmwareVersion) << '\n';
    const std::optional<QList<int>> attributes = services.readValues(49);
    if (!attributes || attributes->isEmpty())
        return device.noAnswer();
    ws.DecodeAttributes(attributes->first());
    cli.out << featureCodeText(ws.identification, ws.texts) << '\n';
    return ExitStatus::Ok;
}

// errors: the device error texts that are set, then the eight channel error words.
int runErrors(CliContext& cli) {
    if (!cli.args.isEmpty()) {
        cli.err << "q7400ctl errors: takes no arguments\n";
        return ExitStatus::Usage;
    }
    CliLink device(cli);
    if (const int status = device.open())
        return status;
    Workspace& ws = device.workspace();
    Link& link = ws.link();
    ws.services().PrepareLink();
    link.RequestDeviceErrors();
    if (link.CommError)
        return device.noAnswer();
    const int deviceErrors = link.DeviceErrorWords[8];
    for (int bit = 0; bit < 16; ++bit) {
        if (deviceErrors & (1 << bit))
            cli.out << ws.texts.LoadText(370 + bit) << '\n';
    }
    QStringList words;
    for (int channel = 0; channel < 8; ++channel)
        words << QStringLiteral("%1")
                     .arg(link.DeviceErrorWords[size_t(channel)], 4, 16, QLatin1Char('0'))
                     .toUpper();
    cli.out << words.join(u' ') << '\n';
    return ExitStatus::Ok;
}
