// The control-word window's and the monitoring window's device operations from the command
// line: status, function, monitor, setpoint, output, stop-mapping; and the edit operations on
// the control words of a configuration file.
#include "cli/CliLink.h"
#include "cli/CliOffline.h"
#include "device/Identification.h"
#include "device/Transfers.h"
#include "params/ChannelStatus.h"
#include "params/ControlWords.h"
#include "params/Monitor.h"

#include <QEventLoop>

namespace {
// A channel number 1..8, or -1.
int channelArgument(const QString& text) {
    bool ok = false;
    const int k = text.toInt(&ok);
    return ok && k >= 1 && k <= 8 ? k : -1;
}

QString hexWord(int w) {
    return QStringLiteral("0x") + QString::number(w, 16).rightJustified(4, u'0').toUpper();
}

// Opens the port, brings the controller back to its protocol and reads its firmware version;
// with `context` also what the windows know from a controller that has been read: attributes
// (module variant: decimals), I/O configuration (extended layout), full-scale values (decimals
// of linear inputs) and the setpoint limits. ExitStatus::Ok, or the status to end with.
int openController(CliLink& device, bool context) {
    if (const int status = device.openAndReadFirmware())
        return status;
    Workspace& ws = device.workspace();
    if (!context)
        return ExitStatus::Ok;
    for (int row :
         {IdentificationRows::Attributes, IdentificationRows::IoConfiguration, FullScaleRow, 6, 7})
        if (!ws.transfers().ReadRow(row))
            return device.noAnswer();
    UpdateExternalCurrentInputs(ws.identification, ws.image);
    return ExitStatus::Ok;
}

void printStatus(CliContext& cli, const Workspace& ws, const ChannelStatusService::Status& s) {
    const Texts& t = ws.texts;
    const std::array<QString, 8> labels = controllerStatusLabels(t);
    cli.out << t.LoadText(290).trimmed() << '\t'
            << (s.statusWord ? hexWord(*s.statusWord) : QStringLiteral("?")) << '\n';
    if (s.statusWord) {
        const std::array<QString, 8> texts = controllerStatusTexts(*s.statusWord, t);
        for (int i = 0; i < 8; ++i)
            if (i != 6 || boostStatusShown(ws.identification.FirmwareVersion))
                cli.out << "  " << labels[size_t(i)] << '\t' << texts[size_t(i)] << '\n';
    }
    cli.out << t.LoadText(354).trimmed() << '\t'
            << (s.alarmStatus ? hexWord(*s.alarmStatus) : QStringLiteral("?")) << '\n';
    if (s.alarmStatus)
        for (const QString& text : alarmTexts(*s.alarmStatus, t))
            cli.out << "  " << text.simplified() << '\n';
}
} // namespace

void addMonitorOptions(OptionList& options) {
    options.addOption({QStringLiteral("cycles"),
                       QStringLiteral("monitor: stop after N polls (default: until the "
                                      "controller stops answering)."),
                       QStringLiteral("N")});
    options.addOption({QStringLiteral("interval"),
                       QStringLiteral("monitor: poll interval in milliseconds 10..60000 "
                                      "(default 100)."),
                       QStringLiteral("MS")});
    options.addOption({QStringLiteral("log"),
                       QStringLiteral("monitor: write the log to FILE instead of standard output."),
                       QStringLiteral("FILE")});
}

int runStatus(CliContext& cli) {
    const int k = cli.args.size() == 1 ? channelArgument(cli.args[0]) : -1;
    if (k < 0) {
        cli.err << "usage: q7400ctl status CHANNEL (1..8)\n";
        return ExitStatus::Usage;
    }
    CliLink device(cli);
    if (const int status = openController(device, false))
        return status;
    Workspace& ws = device.workspace();
    ChannelStatusService service(ws, ws.services());
    const ChannelStatusService::Status s = service.readStatus(k);
    if (s.gaveUp || !s.statusWord)
        return device.noAnswer();
    printStatus(cli, ws, s);
    return s.alarmStatus ? ExitStatus::Ok : device.noAnswer();
}

int runFunction(CliContext& cli) {
    const int k = cli.args.size() == 2 ? channelArgument(cli.args[0]) : -1;
    const std::optional<int> value = cli.args.size() == 2
                                         ? ControlWords::parse(ControlWord::Function, cli.args[1])
                                         : std::nullopt;
    if (k < 0 || !value) {
        cli.err << "usage: q7400ctl function CHANNEL (1..8) VALUE (0..255)\n";
        return ExitStatus::Usage;
    }
    CliLink device(cli);
    if (const int status = openController(device, false))
        return status;
    Workspace& ws = device.workspace();
    ChannelStatusService service(ws, ws.services());
    const ChannelStatusService::Sent sent = service.sendFunction(k, *value);
    if (sent.readBack.gaveUp() || !sent.accepted || !sent.readBack.function)
        return device.noAnswer();
    cli.out << ws.texts.LoadText(350).simplified() << '\t' << *sent.readBack.function << '\n';
    printStatus(cli, ws, sent.readBack.status);
    return ExitStatus::Ok;
}

int runMonitor(CliContext& cli) {
    if (!cli.args.isEmpty()) {
        cli.err << "usage: q7400ctl monitor [--cycles N] [--interval MS] [--log FILE]\n";
        return ExitStatus::Usage;
    }
    int cycles = 0;
    if (cli.parser.isSet(QStringLiteral("cycles"))) {
        bool ok = false;
        cycles = cli.parser.value(QStringLiteral("cycles")).toInt(&ok);
        if (!ok || cycles < 1) {
            cli.err << "q7400ctl monitor: --cycles takes a number of polls, 1 or more\n";
            return ExitStatus::Usage;
        }
    }
    int interval = Monitor::DefaultIntervalMs;
    if (cli.parser.isSet(QStringLiteral("interval"))) {
        QString shown;
        interval = Monitor::intervalOf(cli.parser.value(QStringLiteral("interval")), &shown);
        if (!shown.isEmpty()) {
            cli.err << "q7400ctl monitor: --interval takes whole milliseconds "
                    << Monitor::MinIntervalMs << ".." << Monitor::MaxIntervalMs << '\n';
            return ExitStatus::Usage;
        }
    }
    const QString logPath = cli.parser.value(QStringLiteral("log"));

    CliLink device(cli);
    if (const int status = openController(device, true))
        return status;
    Workspace& ws = device.workspace();

    Monitor& monitor = ws.monitor();
    monitor.setInterval(interval);
    bool gaveUp = false;
    int polls = 0;
    QObject::connect(&ws.link(), &Link::gaveUp, &monitor, [&gaveUp] { gaveUp = true; });
    QObject::connect(&monitor, &Monitor::polled, &monitor, [&](const MonitorSnapshot& s) {
        if (logPath.isEmpty() && s.cyclic) {
            cli.out << monitorLogLine(s, QStringLiteral("\n"));
            cli.out.flush();
        }
        if (cycles > 0 && ++polls >= cycles)
            monitor.stop();
    });
    if (!monitor.start(logPath))
        return ExitStatus::NoAnswer;
    // Runs until the last poll or the controller's give-up ends the monitoring.
    QEventLoop loop;
    QObject::connect(&monitor, &Monitor::runningChanged, &loop, [&loop](bool running) {
        if (!running)
            loop.quit();
    });
    if (monitor.isRunning())
        loop.exec();
    return gaveUp ? device.noAnswer() : ExitStatus::Ok;
}

namespace {
// setpoint / output: the monitoring window's transfer of one channel; the other channels keep
// what the controller has now.
int runTransfer(CliContext& cli, bool setpoints) {
    const char* usage = setpoints ? "usage: q7400ctl setpoint CHANNEL (1..8) VALUE\n"
                                  : "usage: q7400ctl output CHANNEL (1..8) VALUE (-100..100)\n";
    const int k = cli.args.size() == 2 ? channelArgument(cli.args[0]) : -1;
    if (k < 0) {
        cli.err << usage;
        return ExitStatus::Usage;
    }
    CliLink device(cli);
    if (const int status = openController(device, true))
        return status;
    Workspace& ws = device.workspace();
    Monitor& monitor = ws.monitor();
    const ChannelFormats formats = SetChannelFormats(ws.image, ws.identification);
    std::array<QString, 8> texts;
    if (setpoints) {
        if (!ws.transfers().ReadRow(MonitorRows::Setpoints))
            return device.noAnswer();
        for (int i = 0; i < 8; ++i)
            texts[size_t(i)] = formats.text(i + 1, ws.image.value(MonitorRows::Setpoints, i + 1));
    } else {
        // The outputs the controller drives now, as the monitoring window shows them.
        Link& link = ws.link();
        if (!requestShortBlock(link, ShortBlock::Cyclic))
            return device.noAnswer();
        for (int i = 0; i < 8; ++i)
            texts[size_t(i)] = outputText(link.CycleBytes[size_t(i)]);
    }
    texts[size_t(k - 1)] = cli.args[1];
    const QList<int> invalid =
        setpoints ? storeSetpointTexts(ws, texts) : storeOutputTexts(ws, texts);
    if (!invalid.isEmpty()) {
        cli.err << "q7400ctl: '" << cli.args[1] << "' is not a number\n";
        return ExitStatus::Usage;
    }
    const Monitor::Transfer done =
        setpoints ? monitor.transferSetpoints() : monitor.transferOutputs();
    if (done != Monitor::Transfer::Written)
        return device.noAnswer();
    cli.out << ws.texts.LoadText(254) << k << '\t' << texts[size_t(k - 1)] << '\n';
    return ExitStatus::Ok;
}
} // namespace

int runSetpoint(CliContext& cli) {
    return runTransfer(cli, true);
}

int runOutput(CliContext& cli) {
    return runTransfer(cli, false);
}

int runStopMapping(CliContext& cli) {
    if (!cli.args.isEmpty()) {
        cli.err << "q7400ctl stop-mapping: takes no arguments\n";
        return ExitStatus::Usage;
    }
    CliLink device(cli);
    if (const int status = openController(device, false))
        return status;
    Workspace& ws = device.workspace();
    DeviceServices& services = ws.services();
    // The same command starts a mapping: it is sent only while one runs.
    if (!services.RefreshMappingState())
        return device.noAnswer();
    if (services.MappingActive == 0) {
        cli.out << "no mapping running\n";
        return ExitStatus::Ok;
    }
    const std::optional<bool> running = ws.monitor().stopMapping();
    if (!running)
        return device.noAnswer();
    cli.out << (*running ? "mapping still running\n" : "mapping stopped\n");
    return *running ? ExitStatus::NoAnswer : ExitStatus::Ok;
}

QList<EditOperation> controlWordEditOperations() {
    QList<EditOperation> ops;
    ops.append(
        {"word:", "word:K:function|config|alarm|limit|ext=VALUE  a control word of channel K",
         [](EditContext& e, const QString& key, const QString& value, QString* message) {
             const QStringList parts = key.split(u':');
             const int k = parts.size() == 3 ? channelArgument(parts[1]) : -1;
             const std::optional<ControlWord> word =
                 parts.size() == 3 ? ControlWords::fromName(parts[2]) : std::nullopt;
             if (k < 0 || !word) {
                 *message = QStringLiteral("takes word:K:NAME=VALUE with K 1..8 and NAME "
                                           "function, config, alarm, limit or ext");
                 return false;
             }
             const std::optional<int> v = ControlWords::parse(*word, value);
             if (!v) {
                 *message = QStringLiteral("%1 is not a whole number 0..%2")
                                .arg(value)
                                .arg(ControlWords::maximum(*word));
                 return false;
             }
             e.ws.image.setValue(ControlWords::row(*word), k, *v);
             return true;
         }});
    ops.append({"copy-words:", "copy-words:K=T  the five control words of channel K to T (0 = all)",
                [](EditContext& e, const QString& key, const QString& value, QString* message) {
                    const int k = channelArgument(key.section(u':', 1));
                    const std::optional<int> target = copyTarget(value);
                    if (k < 0 || !target) {
                        *message = QStringLiteral("takes copy-words:K=T with K 1..8 and T a "
                                                  "whole number 0..8");
                        return false;
                    }
                    copyControlWords(e.ws, k, *target);
                    return true;
                }});
    return ops;
}
