#include "cli/CliLink.h"
#include "device/Identification.h"
#include "device/LineScan.h"

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

void addScanOptions(OptionList& options) {
    options.addOption({QStringLiteral("addresses"),
                       QStringLiteral("scan: the controller addresses to try, e.g. 1-10 or 7 "
                                      "(default 0-255)."),
                       QStringLiteral("A-B")});
    options.addOption({QStringLiteral("all-settings"),
                       QStringLiteral("scan: try every baud rate and parity, not only the present "
                                      "ones.")});
    options.addOption({QStringLiteral("timeout"),
                       QStringLiteral("scan: reply time-out of one probe in ms (default: suited "
                                      "to the baud rate)."),
                       QStringLiteral("MS")});
}

namespace {
// "A-B" or "A" within 0..255.
bool parseAddressRange(const QString& text, ScanRange* range) {
    const QStringList parts = text.split(u'-');
    if (parts.size() > 2)
        return false;
    bool ok1 = false;
    bool ok2 = false;
    const int first = parts.first().trimmed().toInt(&ok1);
    const int last = parts.last().trimmed().toInt(&ok2);
    if (!ok1 || !ok2 || first < 0 || last > 255 || first > last)
        return false;
    range->firstAddress = first;
    range->lastAddress = last;
    return true;
}
} // namespace

// scan: one line per controller that answers, at the present line settings or at all.
int runScan(CliContext& cli) {
    if (!cli.args.isEmpty()) {
        cli.err << "usage: q7400ctl scan [--addresses A-B] [--all-settings] [--timeout MS]\n";
        return ExitStatus::Usage;
    }
    ScanRange range;
    range.allSettings = cli.parser.isSet(QStringLiteral("all-settings"));
    if (cli.parser.isSet(QStringLiteral("addresses")) &&
        !parseAddressRange(cli.parser.value(QStringLiteral("addresses")), &range)) {
        cli.err << "q7400ctl scan: --addresses takes A-B or A within 0..255\n";
        return ExitStatus::Usage;
    }
    if (cli.parser.isSet(QStringLiteral("timeout"))) {
        bool ok = false;
        range.timeoutMs = cli.parser.value(QStringLiteral("timeout")).toInt(&ok);
        if (!ok || range.timeoutMs < 1 || range.timeoutMs > 10000) {
            cli.err << "q7400ctl scan: --timeout takes 1..10000 ms\n";
            return ExitStatus::Usage;
        }
    }
    CliLink device(cli);
    if (const int status = device.open())
        return status;
    Workspace& ws = device.workspace();
    LineScan scan(ws.link(), ws.gate(), ws.texts);
    QObject::connect(&scan, &LineScan::found, &scan, [&cli](const ScanFind& find) {
        Identification id;
        QString feature = QStringLiteral("?");
        if (find.attributes >= 0) {
            DecodeAttributes(id, find.attributes);
            feature = featureCodeShort(id);
        }
        cli.out << find.address << '\t' << find.lineText() << '\t'
                << firmwareText(find.firmware).section(u' ', -1) << '\t' << feature << '\n';
        cli.out.flush();
    });
    const LineScan::Outcome outcome = scan.run(range, ws.settings.SettingsText);
    switch (outcome) {
    case LineScan::Outcome::Done:
        break;
    case LineScan::Outcome::Cancelled:
        cli.err << "q7400ctl scan: stopped\n";
        break;
    case LineScan::Outcome::Busy:
    case LineScan::Outcome::Failed:
        return device.noAnswer();
    }
    if (scan.finds().isEmpty()) {
        cli.err << "q7400ctl scan: no controller answered\n";
        return ExitStatus::NoAnswer;
    }
    return ExitStatus::Ok;
}
