// The controller's service functions (clock, interface, CAN, protocol, reset, operation
// commands), the device parameters of a configuration file and the service code.
#include "cli/CliLink.h"
#include "cli/CliOffline.h"
#include "device/DeviceImage.h"
#include "device/Identification.h"
#include "services/DeviceParameters.h"
#include "services/ExtraFunctions.h"
#include "services/ServiceCode.h"

#include <QDateTime>

namespace {
int usage(CliContext& cli, const char* text) {
    cli.err << "usage: q7400ctl " << text << '\n';
    return ExitStatus::Usage;
}

// The extra functions on the command's link.
struct ExtraLink {
    explicit ExtraLink(CliContext& cli) : device(cli) {}
    // Opens the port; with `readFirmware` also prepares the link and reads the firmware.
    int open(bool readFirmware = false) {
        if (const int status = readFirmware ? device.openAndReadFirmware() : device.open())
            return status;
        Workspace& ws = device.workspace();
        extra = std::make_unique<ExtraFunctions>(ws.services(), ws, device.interaction);
        return ExitStatus::Ok;
    }
    // The firmware the rules go by: --firmware when given (nothing is asked), else the
    // controller's own (the link must be prepared).
    bool learnFirmware(CliContext& cli) {
        Workspace& ws = device.workspace();
        if (cli.parser.isSet(QStringLiteral("firmware"))) {
            ws.identification.FirmwareVersion = firmwareOption(cli);
            return true;
        }
        return ws.services().ReadFirmwareVersion();
    }
    static int firmwareOption(CliContext& cli) {
        bool ok = false;
        const int v = cli.parser.value(QStringLiteral("firmware")).toInt(&ok, 0);
        return ok ? v : -1;
    }
    Workspace& ws() { return device.workspace(); }
    CliLink device;
    std::unique_ptr<ExtraFunctions> extra;
};

// A --firmware value that is not a byte is a usage error before anything is opened.
bool firmwareOptionValid(CliContext& cli) {
    if (!cli.parser.isSet(QStringLiteral("firmware")))
        return true;
    const int v = ExtraLink::firmwareOption(cli);
    if (v >= 0 && v <= 255)
        return true;
    cli.err << "q7400ctl: --firmware takes a version byte 0..255, e.g. 0x56\n";
    return false;
}

QString hexByte(int v) {
    return QStringLiteral("0x") + QString::number(v, 16).toUpper().rightJustified(2, u'0');
}

QString canText(int index) {
    return QString::number(index) + u' ' + canBaudTexts().at(index);
}
} // namespace

void addExtraOptions(OptionList& options) {
    options.addOption({QStringLiteral("wait"),
                       QStringLiteral("op: poll the operation status until no internal transfer "
                                      "runs.")});
    options.addOption({QStringLiteral("set"),
                       QStringLiteral("devparams: type TEXT into field N (0..22), repeatable."),
                       QStringLiteral("N=TEXT")});
    options.addOption({QStringLiteral("dim"), QStringLiteral("devparams: temperature unit."),
                       QStringLiteral("c|f")});
    for (const char* name : {"autark", "amps", "funcstore"})
        options.addOption({QString::fromLatin1(name),
                           QStringLiteral("devparams: switch of the dimension byte."),
                           QStringLiteral("on|off")});
}

int runClock(CliContext& cli) {
    const bool set = !cli.args.isEmpty() && cli.args.first() == QLatin1String("set");
    if ((!set && !cli.args.isEmpty()) || (set && cli.args.size() != 2))
        return usage(cli, "clock [set now|YYYY-MM-DDThh:mm:ss]");
    std::optional<ClockBuffer> wanted;
    if (set) {
        const QString when = cli.args.at(1);
        wanted = when == QLatin1String("now") ? clockFromDateTime(QDateTime::currentDateTime())
                                              : clockFromText(when);
        if (!wanted)
            return usage(cli, "clock set now|YYYY-MM-DDThh:mm:ss");
    }
    ExtraLink link(cli);
    if (const int status = link.open())
        return status;
    const std::optional<ClockBuffer> clock =
        set ? link.extra->setClock(*wanted) : link.extra->readClock();
    if (!clock)
        return link.device.noAnswer();
    cli.out << clockText(*clock) << '\n';
    return ExitStatus::Ok;
}

int runInterface(CliContext& cli) {
    const char* synopsis = "interface 4800|9600|19200|38400 e|o|n|s";
    if (cli.args.size() != 2 || !firmwareOptionValid(cli))
        return usage(cli, synopsis);
    const int baud = int(interfaceBaudTexts().indexOf(cli.args.at(0)));
    static const QStringList parities = {QStringLiteral("e"), QStringLiteral("o"),
                                         QStringLiteral("n"), QStringLiteral("s")};
    const int parity = int(parities.indexOf(cli.args.at(1)));
    if (baud < 0 || parity < 0)
        return usage(cli, synopsis);
    ExtraLink link(cli);
    if (const int status = link.open())
        return status;
    if (!cli.parser.isSet(QStringLiteral("firmware")))
        link.ws().services().PrepareLink();
    if (!link.learnFirmware(cli))
        return link.device.noAnswer();
    const int v = link.ws().identification.FirmwareVersion;
    if (!interfaceOffers(v, baud, parity)) {
        cli.err << "q7400ctl interface: " << firmwareText(v) << " does not offer " << cli.args.at(0)
                << " baud, parity " << interfaceParityTexts().at(parity) << "; nothing sent\n";
        return ExitStatus::Usage;
    }
    if (!link.extra->setInterface(baud, parity))
        return link.device.noAnswer();
    return ExitStatus::Ok;
}

int runCan(CliContext& cli) {
    if (cli.args.size() > 1)
        return usage(cli, "can [0..8]");
    int index = -1;
    if (cli.args.size() == 1) {
        bool ok = false;
        index = cli.args.first().toInt(&ok);
        if (!ok || index < 0 || index > 8)
            return usage(cli, "can [0..8]   (0 = 10 k ... 8 = 1 M)");
    }
    ExtraLink link(cli);
    if (const int status = link.open())
        return status;
    if (index < 0) {
        const std::optional<int> read = link.extra->readCanBaud();
        if (!read)
            return link.device.noAnswer();
        cli.out << canText(*read) << '\n';
        return ExitStatus::Ok;
    }
    // Controllers whose attributes hide the CAN group are not offered the setting.
    link.ws().services().PrepareLink();
    const std::optional<int> attributes = link.extra->readAttributes();
    if (!attributes)
        return link.device.noAnswer();
    if (!extraLayout(link.ws().identification.FirmwareVersion, *attributes).canGroup) {
        cli.err << "q7400ctl can: the controller (attributes " << hexByte(*attributes)
                << ") has no CAN baud-rate setting; nothing sent\n";
        return ExitStatus::Usage;
    }
    if (!link.extra->setCanBaud(index))
        return link.device.noAnswer();
    cli.out << canText(index) << '\n';
    return ExitStatus::Ok;
}

int runProtocol(CliContext& cli) {
    if (!cli.args.isEmpty() || !firmwareOptionValid(cli))
        return usage(cli, "protocol");
    ExtraLink link(cli);
    if (const int status = link.open())
        return status;
    link.ws().services().PrepareLink();
    if (!link.learnFirmware(cli))
        return link.device.noAnswer();
    const std::optional<int> attributes = link.extra->readAttributes();
    if (!attributes)
        return link.device.noAnswer();
    const BusProtocol protocol = protocolFor(link.ws().identification.FirmwareVersion, *attributes);
    cli.out << protocolCaption(protocol) << '\n';
    if (!link.extra->switchProtocol(protocol))
        return link.device.noAnswer();
    return ExitStatus::Ok;
}

int runReset(CliContext& cli) {
    if (!cli.args.isEmpty())
        return usage(cli, "reset");
    ExtraLink link(cli);
    if (const int status = link.open())
        return status;
    link.extra->reset();
    return ExitStatus::Ok;
}

int runOperation(CliContext& cli) {
    static const QList<QPair<QString, OperationCommand>> kOps = {
        {QStringLiteral("leds"), OperationCommand::Leds},
        {QStringLiteral("hue"), OperationCommand::HeatingCurrent},
        {QStringLiteral("mapping"), OperationCommand::Mapping},
        {QStringLiteral("chan-dbs"), OperationCommand::ToChannelDbs},
        {QStringLiteral("paramdb"), OperationCommand::ToParamDb},
    };
    std::optional<OperationCommand> op;
    for (const auto& o : kOps)
        if (cli.args.size() == 1 && cli.args.first() == o.first)
            op = o.second;
    if (!op)
        return usage(cli, "op leds|hue|mapping|chan-dbs|paramdb [--wait]");
    ExtraLink link(cli);
    if (const int status = link.open())
        return status;
    ExtraFunctions& extra = *link.extra;
    bool ok = true;
    switch (*op) {
    case OperationCommand::Mapping: {
        // The command line is the confirmation; the caution text is printed all the same.
        link.device.interaction.policy = ConsoleInteraction::Policy::Accept;
        const ExtraFunctions::MappingOutcome outcome = extra.toggleMapping();
        ok = outcome != ExtraFunctions::MappingOutcome::Failed;
        if (ok)
            cli.out << (outcome == ExtraFunctions::MappingOutcome::Started
                            ? operationStatusText(OperationStatus::Mapping)
                            : QStringLiteral("mapping stopped"))
                    << '\n';
        break;
    }
    case OperationCommand::ToChannelDbs:
    case OperationCommand::ToParamDb:
        ok = extra.startTransfer(*op);
        break;
    case OperationCommand::Leds:
    case OperationCommand::HeatingCurrent:
        ok = extra.command(*op);
        break;
    }
    if (!ok)
        return link.device.noAnswer();
    if (cli.parser.isSet(QStringLiteral("wait"))) {
        const std::optional<int> status = extra.waitWhileTransferRuns();
        if (!status)
            return link.device.noAnswer();
        cli.out << operationStatusText(*status) << '\n';
    }
    return ExitStatus::Ok;
}

int runExtra(CliContext& cli) {
    if (!cli.args.isEmpty())
        return usage(cli, "extra");
    ExtraLink link(cli);
    if (const int status = link.open(true))
        return status;
    Workspace& ws = link.ws();
    const int v = ws.identification.FirmwareVersion;
    const ExtraFindings f = link.extra->activate();
    const QString none = QStringLiteral("no answer");
    const int attributes = int(ws.image.value(IdentificationRows::Attributes, 1));
    const ExtraLayout layout = extraLayout(v, attributes);
    cli.out << firmwareText(v) << '\n';
    cli.out << "Attributes: " << (f.attributes ? hexByte(*f.attributes) : none) << '\n';
    cli.out << "Protocol: " << protocolCaption(protocolFor(v, attributes)) << '\n';
    if (layout.readsModbusAddress)
        cli.out << "Modbus address: "
                << (f.modbusAddress ? QString::number(*f.modbusAddress) : none) << '\n';
    if (layout.transferButtons)
        cli.out << "Internal transfer: "
                << (f.transferStatus ? operationStatusText(*f.transferStatus) : none) << '\n';
    if (layout.mapping)
        cli.out << "Mapping: "
                << (f.mappingActive ? QString(*f.mappingActive ? QStringLiteral("running")
                                                               : QStringLiteral("stopped"))
                                    : none)
                << '\n';
    cli.out << "CAN baud: " << (f.canBaudIndex ? canText(*f.canBaudIndex) : none) << '\n';
    if (layout.clock)
        cli.out << "Clock: " << (f.clock ? clockText(*f.clock) : none) << '\n';
    return f.attributes ? ExitStatus::Ok : link.device.noAnswer();
}

int runDevParams(CliContext& cli) {
    const char* synopsis = "devparams FILE.tvk [--firmware 0xNN] [--set N=TEXT ...] [--dim c|f] "
                           "[--autark on|off] [--amps on|off] [--funcstore on|off] [-o OUT.tvk]";
    if (cli.args.size() != 1)
        return usage(cli, synopsis);
    CliOffline offline(cli);
    if (const int status = offline.load(cli.args.first()))
        return status;
    Workspace& ws = offline.workspace();
    UpdateExternalCurrentInputs(ws.identification, ws.image);
    DeviceParameterForm form(ws);
    bool clash = false;
    QObject::connect(&form, &DeviceParameterForm::dimensionRefused, [&clash] { clash = true; });
    const auto refuse = [&cli](const QString& why) {
        cli.err << "q7400ctl devparams: " << why << "; nothing saved\n";
        return ExitStatus::Usage;
    };

    // The edits as the window takes them: fields in the order given, then the switches.
    bool edited = false;
    for (const QString& set : cli.parser.values(QStringLiteral("set"))) {
        const qsizetype eq = set.indexOf(u'=');
        bool ok = false;
        const int field = set.left(eq).toInt(&ok);
        if (eq < 0 || !ok || field < 0 || field >= DeviceParameterForm::TextFields)
            return usage(cli, synopsis);
        if (!form.isVisible(field))
            return refuse(QStringLiteral("field %1 is not shown for this controller").arg(field));
        const Form::EditResult r = form.editText(field, set.mid(eq + 1));
        if (r.outcome == Form::EditResult::Refused)
            return refuse(QStringLiteral("field %1: %2").arg(field).arg(r.message));
        edited = true;
    }
    struct Switch {
        const char* option;
        const char* on;
        const char* off;
        int field;
    };
    static const Switch switches[] = {
        {"dim", "f", "c", DeviceParameterForm::Unit},
        {"autark", "on", "off", DeviceParameterForm::MasterPdo},
        {"amps", "on", "off", DeviceParameterForm::AmpsNotZero},
        {"funcstore", "on", "off", DeviceParameterForm::NoFunctionStore},
    };
    for (const Switch& s : switches) {
        const QString option = QString::fromLatin1(s.option);
        if (!cli.parser.isSet(option))
            continue;
        const QString value = cli.parser.value(option);
        if (value != QLatin1String(s.on) && value != QLatin1String(s.off))
            return usage(cli, synopsis);
        if (!form.isVisible(s.field))
            return refuse(QStringLiteral("--%1 is not shown for this controller").arg(option));
        const bool on = value == QLatin1String(s.on);
        if (s.field == DeviceParameterForm::Unit)
            form.editPosition(s.field, on ? 1 : 0);
        else
            form.editChecked(s.field, on);
        if (clash)
            return refuse(
                QStringLiteral("--%1 %2: %3").arg(option, value, dimensionRefusedText(ws.texts)));
        edited = true;
    }

    for (int i = 0; i < DeviceParameterForm::TextFields; ++i)
        cli.out << i << '\t' << form.label(i).trimmed() << '\t' << form.text(i) << '\t'
                << (form.isVisible(i) ? "visible" : "hidden") << '\n';

    const bool toOutput = cli.parser.isSet(QStringLiteral("output"));
    if (!toOutput && !edited)
        return ExitStatus::Ok;
    const QString path = toOutput ? cli.parser.value(QStringLiteral("output")) : offline.path();
    const ConfigurationFileResult saved = ws.SaveConfigurationFile(path);
    if (!saved.ok) {
        cli.err << "q7400ctl devparams: " << saved.message << '\n';
        return ExitStatus::NoAnswer;
    }
    return ExitStatus::Ok;
}

int runService(CliContext& cli) {
    if (cli.args.size() != 1)
        return usage(cli, "service CODE");
    // A wrong code sends nothing and says nothing about the right one.
    if (cli.args.first().trimmed() != serviceCode(QDate::currentDate())) {
        cli.err << "q7400ctl service: wrong code; nothing sent\n";
        return ExitStatus::Usage;
    }
    ExtraLink link(cli);
    if (const int status = link.open())
        return status;
    if (!sendServiceCommand(link.ws().services()))
        return link.device.noAnswer();
    cli.out << firmwareText(link.ws().identification.FirmwareVersion) << '\n';
    return ExitStatus::Ok;
}
