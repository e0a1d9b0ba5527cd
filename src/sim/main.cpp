// q7400-sim: a simulated Q7400 controller on a pseudo-terminal.
#include "app/ProgramIdentity.h"
#include "base/OptionList.h"
#include "config/ConfigurationFile.h"
#include "device/DeviceImage.h"
#include "device/Identification.h"
#include "device/MemoryImageCodec.h"
#include "device/ParameterTable.h"
#include "i18n/StringTable.h"
#include "services/BlockTable.h"
#include "services/WldFile.h"
#include "sim/PtyServer.h"
#include "sim/SimSeed.h"
#include "sim/Simulator.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

int g_signalPipe[2] = {-1, -1};

void onSignal(int) {
    const char c = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_signalPipe[1], &c, 1);
}

// "86", "0x56" or "0X56".
bool parseByte(const QString& text, int* value) {
    bool ok = false;
    const int v = text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)
                      ? text.mid(2).toInt(&ok, 16)
                      : text.toInt(&ok, 10);
    if (!ok || v < 0 || v > 255)
        return false;
    *value = v;
    return true;
}

void printErr(const QString& text) {
    std::fprintf(stderr, "q7400-sim: %s\n", qPrintable(text));
    std::fflush(stderr);
}

// A seed file of recorded history or logger samples; false with a message.
template <typename Parse, typename Records>
bool readSeed(const QString& path, Parse parse, Records* records) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        printErr(QStringLiteral("%1: %2").arg(path, file.errorString()));
        return false;
    }
    QString error;
    const auto parsed = parse(QString::fromUtf8(file.read(16 << 20)), &error);
    if (!parsed) {
        printErr(QStringLiteral("%1: %2").arg(path, error));
        return false;
    }
    *records = *parsed;
    return true;
}

QString manualPage(const QString& description, const QList<QCommandLineOption>& options) {
    ManualPage page = programManualPage(QStringLiteral("q7400-sim"),
                                        QStringLiteral("a simulated Q7400 temperature controller"));
    page.synopsis = QStringList{QStringLiteral("q7400-sim [OPTION]...")};
    page.sections.append(
        {QStringLiteral("DESCRIPTION"),
         description +
             QStringLiteral(
                 "\n\nq7400-sim answers every request of q7400-config and q7400ctl over a "
                 "pseudo-terminal, through the same serial-port code as a real controller, so "
                 "the programs can be learnt, shown and tested without a controller on the "
                 "desk. Its channels heat and cool towards their setpoints; it has alarms that "
                 "follow the alarm limits, an alarm history, a data logger, a running clock, the "
                 "two parameter sets and the factory settings.\n\n"
                 "With --wire-timing an answer comes after the transmission time at the "
                 "controller's baud rate (11 bits a byte) plus a turnaround. Faults injected "
                 "with --fault are counted by request from 1 and reported on standard error and "
                 "in the trace:\n\n"
                 "  silent@5+      no answer from request 5 on\n"
                 "  drop/3         every third answer is lost\n"
                 "  corrupt@2      one byte of answer 2 is changed\n"
                 "  truncate@2     answer 2 is cut in half\n"
                 "  garbage@2      junk bytes come before answer 2\n"
                 "  late@2         answer 2 comes after the reply time-out (--late)\n"
                 "  hangup@10      the line goes away at request 10\n\n"
                 "The trace file (--trace) holds every frame received and sent, in hex with a "
                 "time stamp, and notes on what the simulator made of it."),
         {}});
    page.sections.append({QStringLiteral("OPTIONS"), QString(), optionItems(options)});
    page.sections.append(
        {QStringLiteral("EXIT STATUS"),
         QString(),
         {{{QStringLiteral("0")}, QStringLiteral("Ended by SIGINT or SIGTERM.")},
          {{QStringLiteral("1")},
           QStringLiteral("The pseudo-terminal or the link cannot be made.")},
          {{QStringLiteral("2")},
           QStringLiteral("A bad option, or the --load file cannot be read.")},
          {{QStringLiteral("3")}, QStringLiteral("The line went away (the hangup fault).")}}});
    page.sections.append(
        {QStringLiteral("EXAMPLES"),
         QStringLiteral("Start a simulated controller reachable as /tmp/q7400, ask it for its "
                        "firmware and end it:\n\n"
                        "  q7400-sim --link /tmp/q7400 &\n"
                        "  q7400ctl probe --port /tmp/q7400\n"
                        "  kill %1\n\n"
                        "A controller with realistic timing whose line fails at the tenth "
                        "request, with a trace of the frames:\n\n"
                        "  q7400-sim --link /tmp/q7400 --wire-timing --fault hangup@10 "
                        "--trace frames.txt"),
         {}});
    page.sections.append(seeAlsoSection(page.name));
    return manualPageText(page);
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    setProgramIdentity(QStringLiteral("q7400-sim"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "A simulated Q7400 controller on a pseudo-terminal. Prints the device path as the first "
        "line and serves until interrupted."));
    OptionList optionList(parser);
    optionList.addHelpOption();
    optionList.addVersionOption();
    const QCommandLineOption address(QStringLiteral("address"),
                                     QStringLiteral("Bus address 0..255 (default 3)."),
                                     QStringLiteral("N"), QStringLiteral("3"));
    const QCommandLineOption firmware(QStringLiteral("firmware"),
                                      QStringLiteral("Firmware version byte (default 0x56)."),
                                      QStringLiteral("BYTE"), QStringLiteral("0x56"));
    const QCommandLineOption attributes(QStringLiteral("attributes"),
                                        QStringLiteral("Attributes byte (default 0x10)."),
                                        QStringLiteral("BYTE"), QStringLiteral("0x10"));
    const QCommandLineOption load(
        QStringLiteral("load"),
        QStringLiteral("Start from this configuration file (.tvk) or memory-image "
                       "file (.wld)."),
        QStringLiteral("FILE"));
    const QCommandLineOption trace(QStringLiteral("trace"),
                                   QStringLiteral("Write every frame received and sent to FILE."),
                                   QStringLiteral("FILE"));
    const QCommandLineOption link(QStringLiteral("link"),
                                  QStringLiteral("Also reach the device through this symlink."),
                                  QStringLiteral("PATH"));
    const QCommandLineOption wire(QStringLiteral("wire-timing"),
                                  QStringLiteral("Answer after the transmission time of request "
                                                 "and answer at the controller's baud rate."));
    const QCommandLineOption turnaround(QStringLiteral("turnaround"),
                                        QStringLiteral("Turnaround in ms with --wire-timing "
                                                       "(default 2)."),
                                        QStringLiteral("MS"), QStringLiteral("2"));
    const QCommandLineOption chunk(QStringLiteral("chunk"),
                                   QStringLiteral("Deliver answers in pieces of N bytes."),
                                   QStringLiteral("N"));
    const QCommandLineOption fault(
        QStringLiteral("fault"),
        QStringLiteral("Inject a fault, repeatable: silent@N+, drop/K, corrupt@N, truncate@N, "
                       "garbage@N, late@N, hangup@N (forms KIND@N, KIND@N+, KIND/K)."),
        QStringLiteral("FAULT"));
    const QCommandLineOption late(QStringLiteral("late"),
                                  QStringLiteral("How late a \"late\" answer comes, in ms "
                                                 "(default 700, beyond the 500 ms time-out)."),
                                  QStringLiteral("MS"));
    const QCommandLineOption strict(
        QStringLiteral("strict-line"),
        QStringLiteral("Ignore bytes sent at another baud rate than the controller's "
                       "interface setting (default 19200)."));
    const QCommandLineOption quiet(QStringLiteral("quiet"),
                                   QStringLiteral("Do not report device events on stderr."));
    const QCommandLineOption clock(QStringLiteral("clock"),
                                   QStringLiteral("Start the controller's clock at this time "
                                                  "(default: the PC's clock)."),
                                   QStringLiteral("YYYY-MM-DDThh:mm:ss"));
    const QCommandLineOption frozen(
        QStringLiteral("frozen"),
        QStringLiteral("Time stands still: the clock, the process, the alarm history and the "
                       "logger do not move, so every run answers alike."));
    const QCommandLineOption noHistory(QStringLiteral("no-history"),
                                       QStringLiteral("Start with an empty alarm history."));
    const QCommandLineOption history(
        QStringLiteral("history"),
        QStringLiteral("Start with this alarm history: one entry a line, "
                       "YYYY-MM-DDThh:mm:ss and twelve hex words."),
        QStringLiteral("file"));
    const QCommandLineOption logger(
        QStringLiteral("logger"),
        QStringLiteral("Start with these logger samples: one a line, YYYY-MM-DDThh:mm:ss and "
                       "17 decimal words."),
        QStringLiteral("file"));
    const QCommandLineOption loggerCycle(
        QStringLiteral("logger-cycle"),
        QStringLiteral("Logger cycle in tenths of a second (default 10)."), QStringLiteral("n"));
    const QCommandLineOption line(
        QStringLiteral("line"),
        QStringLiteral("The controller's own interface setting, e.g. 9600,o (default 19200,e); "
                       "with --strict-line it answers only there."),
        QStringLiteral("BAUD,PARITY"));
    // For the build: the manual page, from the same options.
    QCommandLineOption man(QStringLiteral("man"), QStringLiteral("Print the manual page."));
    man.setFlags(QCommandLineOption::HiddenFromHelp);
    optionList.addOptions({address,    firmware,  attributes, load,   trace,       link,  wire,
                           turnaround, chunk,     fault,      late,   strict,      quiet, clock,
                           frozen,     noHistory, history,    logger, loggerCycle, line,  man});
    parser.process(app);
    if (parser.isSet(man)) {
        std::fputs(manualPage(parser.applicationDescription(), optionList.options()).toUtf8(),
                   stdout);
        return 0;
    }

    SimOptions options;
    bool ok = false;
    options.address = parser.value(address).toInt(&ok);
    if (!ok || options.address < 0 || options.address > 255) {
        printErr(QStringLiteral("--address must be 0..255"));
        return 2;
    }
    if (!parseByte(parser.value(firmware), &options.firmware)) {
        printErr(QStringLiteral("--firmware must be a byte, e.g. 0x56"));
        return 2;
    }
    if (!parseByte(parser.value(attributes), &options.attributes)) {
        printErr(QStringLiteral("--attributes must be a byte, e.g. 0x10"));
        return 2;
    }

    if (parser.isSet(clock)) {
        options.clockStart = QDateTime::fromString(parser.value(clock), Qt::ISODate);
        if (!options.clockStart.isValid() || options.clockStart.date().year() < 2000) {
            printErr(QStringLiteral("--clock takes a time such as 2024-01-01T10:00:00"));
            return 2;
        }
    }
    options.seedHistory = !parser.isSet(noHistory);
    QList<HistoryEntry> historySeed;
    if (parser.isSet(history) && !readSeed(parser.value(history), parseHistorySeed, &historySeed))
        return 2;
    QList<LoggerSample> loggerSeed;
    if (parser.isSet(logger) && !readSeed(parser.value(logger), parseLoggerSeed, &loggerSeed))
        return 2;
    int loggerCycleTenths = -1;
    if (parser.isSet(loggerCycle)) {
        loggerCycleTenths = parser.value(loggerCycle).toInt(&ok);
        if (!ok || loggerCycleTenths < 1 || loggerCycleTenths > 65535) {
            printErr(QStringLiteral("--logger-cycle must be 1..65535 tenths of a second"));
            return 2;
        }
    }

    DeviceImage image;
    std::optional<BlockTable> blocks;
    const bool loading = parser.isSet(load);
    if (loading) {
        ParameterTable table;
        table.BuildParameterTable(Texts());
        Identification id;
        image.clear();
        const QString path = parser.value(load);
        if (path.endsWith(QLatin1String(".wld"), Qt::CaseInsensitive)) {
            const WldFileResult r = readWldFile(path);
            if (!r.ok) {
                printErr(r.message);
                return 2;
            }
            decodeMemoryImage(table, r.content->memory, options.firmware, image);
            blocks = blockTableOf(r.content->memory);
        } else if (const ConfigurationFileResult r = ReadConfigurationFile(path, image, id, table);
                   !r.ok) {
            printErr(r.message);
            return 2;
        }
        // The file's attributes describe the controller it came from, unless told otherwise.
        if (!parser.isSet(attributes))
            options.attributes =
                truncatedInt(image.value(IdentificationRows::Attributes, 1)) & 0xFF;
    }

    QList<SimFault> faults;
    for (const QString& faultText : parser.values(fault)) {
        QString error;
        const std::optional<SimFault> f = SimFault::parse(faultText, &error);
        if (!f) {
            printErr(error);
            return 2;
        }
        faults.append(*f);
    }

    Simulator sim(options);
    if (loading)
        sim.device().loadImage(image);
    if (blocks)
        sim.device().setItem(61, 1, QVector<int>(blocks->begin(), blocks->end()));
    if (parser.isSet(history))
        sim.device().setHistory(historySeed);
    if (parser.isSet(logger))
        sim.device().setLoggerSamples(loggerSeed);
    if (loggerCycleTenths > 0)
        sim.device().setItem(146, 1, {loggerCycleTenths});
    if (parser.isSet(line)) {
        const QStringList parts = parser.value(line).split(u',');
        if (parts.size() != 2 || parts[1].size() != 1 ||
            !sim.device().setLine(parts[0].toInt(), parts[1].at(0).toLatin1())) {
            printErr(QStringLiteral("--line takes a baud rate 4800, 9600, 19200 or 38400 and a "
                                    "parity e, o, n or s, e.g. 9600,o"));
            return 2;
        }
    }

    PtyServer server(sim);
    if (!parser.isSet(quiet))
        QObject::connect(&server, &PtyServer::message, [](const QString& text) { printErr(text); });
    for (const SimFault& f : faults) {
        server.addFault(f);
    }
    if (parser.isSet(frozen))
        server.setProcessInterval(0);
    server.setWireTiming(parser.isSet(wire));
    server.setStrictLine(parser.isSet(strict));
    const int turnaroundMs = parser.value(turnaround).toInt(&ok);
    if (!ok || turnaroundMs < 0 || turnaroundMs > 10000) {
        printErr(QStringLiteral("--turnaround must be 0..10000 ms"));
        return 2;
    }
    server.setTurnaroundMs(turnaroundMs);
    if (parser.isSet(chunk)) {
        const int bytes = parser.value(chunk).toInt(&ok);
        if (!ok || bytes < 1) {
            printErr(QStringLiteral("--chunk must be at least 1"));
            return 2;
        }
        server.setChunkSize(bytes);
    }
    if (parser.isSet(late)) {
        const int ms = parser.value(late).toInt(&ok);
        if (!ok || ms < 0) {
            printErr(QStringLiteral("--late must be a number of ms"));
            return 2;
        }
        server.setLateDelayMs(ms);
    }

    QString error;
    if (parser.isSet(trace) && !server.setTraceFile(parser.value(trace), &error)) {
        printErr(error);
        return 2;
    }
    if (!server.start(&error)) {
        printErr(error);
        return 1;
    }
    std::printf("%s\n", qPrintable(server.slavePath()));
    std::fflush(stdout);
    if (parser.isSet(link) && !server.makeLink(parser.value(link), &error)) {
        printErr(error);
        return 1;
    }
    QObject::connect(&server, &PtyServer::hungUp, &app, [&app] { app.exit(3); });

    // SIGINT and SIGTERM end the event loop, so the link is removed and the trace closed.
    if (::pipe2(g_signalPipe, O_CLOEXEC) != 0) {
        printErr(QStringLiteral("cannot watch for signals"));
        return 1;
    }
    QSocketNotifier signalNotifier(g_signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&signalNotifier, &QSocketNotifier::activated, &app, [&app] {
        char c;
        [[maybe_unused]] const ssize_t n = ::read(g_signalPipe[0], &c, 1);
        app.quit();
    });
    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    ::sigaction(SIGINT, &sa, nullptr);
    ::sigaction(SIGTERM, &sa, nullptr);

    const int rc = app.exec();
    server.stop();
    return rc;
}
