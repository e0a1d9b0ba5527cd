// The configuration of a file as the wiring picture shows it, and the picture's edits.
#include "app/FrameTexts.h"
#include "cli/CliOffline.h"
#include "config/ConfigurationModel.h"
#include "device/Identification.h"

namespace {
constexpr int kTextDeviceFeatureCode = 236;

QString dash(const QString& text) {
    return text.trimmed().isEmpty() ? QStringLiteral("-") : text.trimmed();
}

// A number argument in a range, else nothing.
bool number(const QString& text, int low, int high, int* value) {
    bool ok = false;
    *value = text.toInt(&ok);
    return ok && *value >= low && *value <= high;
}

bool refused(const ConfigurationModel::Outcome& outcome, QString* message) {
    if (!outcome)
        *message = outcome.refusal;
    return bool(outcome);
}

bool chooseFeature(EditContext& edit, const QString&, const QString& value, QString* message) {
    int entry = 0;
    if (!number(value, 0, FeatureCodeCount - 1, &entry)) {
        *message = QStringLiteral("the feature-code menu has entries 0..5");
        return false;
    }
    Workspace& ws = edit.ws;
    const int attributes = cellByte(ws.image.value(IdentificationRows::Attributes, 1));
    if (entry >= 3 && !menuVisibility(ws.identification.FirmwareVersion, attributes).featureB2) {
        *message = QStringLiteral("the 20 mA entries are offered from firmware 0x53 on");
        return false;
    }
    // The warning that I/O 17..20 will be cleared is answered with OK.
    ConsoleInteraction ok(edit.cli.err);
    ok.policy = ConsoleInteraction::Policy::Accept;
    ws.configuration.SelectFeatureCode(entry, ok);
    if (edit.extendedView)
        ws.configuration.LoadExtendedView();
    return true;
}

bool chooseSensor(EditContext& edit, const QString& key, const QString& value, QString* message) {
    int channel = 0, position = 0;
    if (!number(key.mid(key.indexOf(u':') + 1), 1, 8, &channel) ||
        !number(value, 0, 99, &position)) {
        *message = QStringLiteral("use sensor:K=POS, channel K 1..8, list position POS");
        return false;
    }
    return refused(edit.ws.configuration.chooseSensor(channel, position), message);
}

// io:R=link:S | unlink | dir | kind | mode | list:POS on terminal row R (1..20) of the view.
bool editTerminal(EditContext& edit, const QString& key, const QString& value, QString* message) {
    ConfigurationModel& model = edit.ws.configuration;
    int row = 0;
    if (!number(key.mid(key.indexOf(u':') + 1), 1, Wiring::Rows, &row)) {
        *message = QStringLiteral("the terminal rows are 1..20");
        return false;
    }
    const int i = row - 1;
    const QString action = value.section(u':', 0, 0);
    const QString argument = value.section(u':', 1);
    int n = 0;
    if (action == QLatin1String("link")) {
        if (!number(argument, 0, Wiring::TargetCount - 1, &n)) {
            *message = QStringLiteral("slots are 0..55, group labels 56..59");
            return false;
        }
        model.cancelSelection();
        return refused(model.pressTerminal(i), message) &&
               refused(model.releaseOnTarget(n), message);
    }
    if (action == QLatin1String("unlink")) {
        if (!model.rowVisible(i)) {
            *message = QStringLiteral("terminal row %1 is not shown").arg(row);
            return false;
        }
        if (model.TerminalLink[size_t(i)] == Wiring::Unlinked)
            return true;
        model.cancelSelection();
        return refused(model.pressTerminal(i), message) && refused(model.releaseOnEmpty(), message);
    }
    if (action == QLatin1String("dir"))
        return refused(model.toggleDirection(i), message);
    if (action == QLatin1String("kind"))
        return refused(model.toggleKind(i), message);
    if (action == QLatin1String("mode"))
        return refused(model.modeClick(i), message);
    if (action == QLatin1String("list")) {
        if (!number(argument, 0, 99, &n)) {
            *message = QStringLiteral("use io:R=list:POS with a list position");
            return false;
        }
        return refused(model.chooseListEntry(i, n), message);
    }
    *message = QStringLiteral("use io:R=link:S, unlink, dir, kind, mode or list:POS");
    return false;
}
} // namespace

QList<EditOperation> configurationEditOperations() {
    return {
        {"feature=", "feature=M         feature-code menu entry 0..5 (the warning answered OK)",
         chooseFeature},
        {"sensor:", "sensor:K=POS      sensor list position POS for channel K (1..8)",
         chooseSensor},
        {"io:",
         "io:R=link:S       link terminal row R (1..20 of the view) to slot 0..55 or group "
         "label 56..59\n"
         "io:R=unlink|dir|kind|mode|list:POS\n"
         "                  unlink; click direction, kind or mode text; pick a list entry",
         editTerminal},
    };
}

int runConfig(CliContext& cli) {
    if (cli.args.size() != 1) {
        cli.err << "usage: q7400ctl config FILE.tvk [--firmware 0xNN] [--lang L] [--extended]\n";
        return ExitStatus::Usage;
    }
    CliOffline offline(cli);
    if (const int status = offline.load(cli.args.first()))
        return status;
    Workspace& ws = offline.workspace();
    ConfigurationModel& model = ws.configuration;
    if (cli.parser.isSet(QStringLiteral("extended")))
        model.LoadExtendedView();
    const Identification& id = ws.identification;
    QTextStream& out = cli.out;

    const int entry = featureMenuEntry(id);
    out << ws.texts.LoadText(kTextDeviceFeatureCode).trimmed() << '\t' << featureCodeShort(id)
        << '\t' << dash(featureCodeCaption(entry)) << '\n';
    out << "Attributes\t" << cellByte(ws.image.value(IdentificationRows::Attributes, 1)) << '\n';
    out << "Firmware\t0x" << QString::number(id.FirmwareVersion, 16).toUpper() << '\n';
    out << "External current inputs\t" << (id.ExternalCurrentInputs ? "yes" : "no") << '\n';
    out << "View\t" << (model.ExtendedView ? "extended, I/O 17..24" : "normal, I/O 1..20") << '\n';

    out << "\nChannel\tSensor\tExtension\n";
    for (int k = 1; k <= 8; ++k)
        if (model.channelVisible(k))
            out << k << '\t' << model.sensorLabel(k) << '\t'
                << (model.extensionMarker(k) ? "ext" : "-") << '\n';

    out << "\nRow\tI/O\tDirection\tKind\tMode\tList entry\tLink\n";
    for (int i = 0; i < Wiring::Rows; ++i) {
        if (!model.rowVisible(i))
            continue;
        const ConfigurationModel::Row& r = model.row(i);
        const QStringList list = model.rowListEntries(i);
        const int position = model.rowListPosition(i);
        const QString listed =
            list.isEmpty()
                ? QStringLiteral("-")
                : QStringLiteral("%1 %2").arg(position).arg(list.value(position).trimmed());
        out << i + 1 << '\t' << model.ioNumber(i) << '\t' << directionText(r.direction) << '\t'
            << kindText(r.special) << '\t' << dash(modeText(r.mode, ws.texts)) << '\t' << listed
            << '\t' << dash(linkDescription(model.TerminalLink[size_t(i)], ws.texts)) << '\n';
    }
    return ExitStatus::Ok;
}
