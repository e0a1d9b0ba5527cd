#include "services/DataLogger.h"

#include "base/ColumnText.h"
#include "base/NumberText.h"
#include "base/SafeWrite.h"
#include "device/DeviceData.h"
#include "device/DeviceServices.h"
#include "i18n/StringTable.h"
#include "link/Link.h"
#include "services/RecordTexts.h"
#include "services/TextTables.h"

namespace {
constexpr int ClockCode = 0x90;
constexpr int CycleCode = 0x92;
constexpr int ControlCode = 0x93;
constexpr int AnnounceCode1 = 0x94;
constexpr int AnnounceCode2 = 0x95;
constexpr int OldTemperaturesCode = 0x96;
constexpr int OldValuesCode = 0x97;
constexpr int CountCode = 0x98;
constexpr int LastSampleCode = 0x99;
constexpr int RecordCode = 0x9A;
constexpr int RecordWords = 17;
constexpr int RecordTemperatures = 8;
constexpr int ClearByte = 0x80;

constexpr int TransmittedText = 481; // "samples are being transmitted"

constexpr int TemperatureColumn = 11;
constexpr int TemperatureWidth = 8;
constexpr int ValueWidth = 6;

QString twoDigits(int v) {
    return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0'));
}

// "1.1.07 0:00:10"
QString stampText(const ClockStamp& t) {
    return QStringLiteral("%1.%2.%3 %4:%5:%6")
        .arg(t.day)
        .arg(t.month)
        .arg(twoDigits(t.year))
        .arg(t.hour)
        .arg(twoDigits(t.minute), twoDigits(t.second));
}

QString csvStamp(const QDateTime& t) {
    return t.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

// The unit of the time column.
const char* timeUnit(int cycleTenths) {
    const int divisor = loggerTimeDivisor(cycleTenths);
    return divisor == 1 ? "s" : divisor == 60 ? "min" : "h";
}
} // namespace

int loggerOldBlockSize(int moduleVariant) {
    return (moduleVariant & 2) ? 8 : 4;
}

int loggerTimeDivisor(int cycleTenths) {
    // The cycle in seconds is compared with 6 (so in tenths with 60), then once more after
    // dividing by 60.
    if (cycleTenths <= 60)
        return 1;
    return cycleTenths <= 3600 ? 60 : 3600;
}

qint64 loggerSpanSeconds(int count, int cycleTenths) {
    return count > 1 ? qint64(count - 1) * cycleTenths / 10 : 0;
}

QString loggerTimeText(int index, int cycleTenths) {
    // index * cycle / divisor in hundredths: index * cycleTenths * 10 / divisor, rounded half
    // up (all terms are positive).
    const qint64 numerator = qint64(index) * cycleTenths * 10;
    const qint64 divisor = loggerTimeDivisor(cycleTenths);
    return fixedPointText((2 * numerator + divisor) / (2 * divisor), 2);
}

QString loggerTemperatureText(int tenths) {
    return fixedPointText(tenths, 1);
}

QString loggerProgressCaption(int remaining, int count, const Texts& texts) {
    return QStringLiteral("%1 / %2\n").arg(remaining).arg(count) + texts.LoadText(TransmittedText);
}

QDateTime loggerStart(int count, int cycleTenths, const ClockStamp& end) {
    const QDateTime endTime = end.toDateTime();
    return endTime.isValid() ? endTime.addSecs(-loggerSpanSeconds(count, cycleTenths))
                             : QDateTime();
}

QString loggerHeading(int count, int cycleTenths, const ClockStamp& end) {
    QString heading = QString::number(count) + QStringLiteral(" Abtastungen");
    if (count > 0) {
        const QDateTime startTime = loggerStart(count, cycleTenths, end);
        const QString start = startTime.isValid() ? stampText(ClockStamp::fromDateTime(startTime))
                                                  : QStringLiteral("?");
        heading += QStringLiteral("  von  ") + start + QStringLiteral("  bis  ");
    } else {
        heading += QStringLiteral("  am  ");
    }
    return heading + stampText(end) + QStringLiteral("\r\n\r\n");
}

QString loggerSampleText(int index, int cycleTenths, const LoggedSample& sample) {
    ColumnText line;
    line.at(1, loggerTimeText(index, cycleTenths));
    const int n = int(sample.temperatures.size());
    for (int k = 0; k < n; ++k)
        line.at(TemperatureColumn + TemperatureWidth * k,
                loggerTemperatureText(sample.temperatures[k]));
    for (int k = 0; k < sample.values.size(); ++k)
        line.at(TemperatureColumn + TemperatureWidth * n + ValueWidth * k,
                QString::number(sample.values[k]));
    return line.endLine().joined(QStringLiteral("\r\n"));
}

QString loggerTableText(const LoggerRecording& r) {
    QString text;
    if (r.end)
        text += loggerHeading(r.count, r.cycleTenths, *r.end);
    for (int s = 0; s < r.samples.size(); ++s)
        text += loggerSampleText(s, r.cycleTenths, r.samples[s]);
    return text;
}

QStringList loggerColumns(const LoggerRecording& r) {
    QStringList columns{QStringLiteral("t [%1]").arg(QLatin1String(timeUnit(r.cycleTenths)))};
    const LoggedSample shape = r.samples.isEmpty() ? LoggedSample() : r.samples.first();
    for (int k = 1; k <= shape.temperatures.size(); ++k)
        columns << QStringLiteral("T%1").arg(k);
    for (int k = 1; k <= shape.values.size(); ++k)
        columns << (k <= shape.temperatures.size() ? QStringLiteral("Y%1").arg(k)
                                                   : QStringLiteral("W%1").arg(k + 7));
    return columns;
}

QStringList loggerCells(const LoggerRecording& r, int index) {
    QStringList cells{loggerTimeText(index, r.cycleTenths)};
    const LoggedSample& sample = r.samples[index];
    for (int t : sample.temperatures)
        cells << loggerTemperatureText(t);
    for (int v : sample.values)
        cells << QString::number(v);
    return cells;
}

QString loggerCsv(const LoggerRecording& r, const QString& deviceType) {
    QString csv = QStringLiteral("%1 logger,%2 samples,cycle %3 s")
                      .arg(deviceType)
                      .arg(r.count)
                      .arg(fixedPointText(r.cycleTenths, 1));
    if (r.end && r.end->toDateTime().isValid())
        csv += QStringLiteral(",from %1,to %2")
                   .arg(csvStamp(loggerStart(r.count, r.cycleTenths, *r.end)),
                        csvStamp(r.end->toDateTime()));
    csv += QStringLiteral(",decimal point .\r\n");
    csv += loggerColumns(r).join(u',') + QStringLiteral("\r\n");
    for (int s = 0; s < r.samples.size(); ++s)
        csv += loggerCells(r, s).join(u',') + QStringLiteral("\r\n");
    return csv;
}

PlotData loggerPlot(const LoggerRecording& r, const Texts& texts) {
    PlotData plot;
    const QDateTime start = r.end ? loggerStart(r.count, r.cycleTenths, *r.end) : QDateTime();
    plot.dateTimeAxis = start.isValid();
    plot.timeTitle = recordText(RecordText::Time, texts);
    if (!plot.dateTimeAxis)
        plot.timeTitle += QStringLiteral(" [%1]").arg(QLatin1String(timeUnit(r.cycleTenths)));
    plot.valueTitle = recordText(RecordText::ActualValue, texts);
    plot.secondTitle = recordText(RecordText::Output, texts);
    plot.key = QStringLiteral("—— %1    - - %2").arg(plot.valueTitle, plot.secondTitle);
    const LoggedSample shape = r.samples.isEmpty() ? LoggedSample() : r.samples.first();
    const int channels = int(shape.temperatures.size());
    const int outputs = int(qMin(shape.values.size(), shape.temperatures.size()));
    for (int k = 0; k < channels; ++k)
        plot.groups << QStringLiteral("Ch %1").arg(k + 1);
    QList<PlotSeries> actual(channels);
    QList<PlotSeries> output(outputs);
    for (int k = 0; k < channels; ++k)
        actual[k].group = k;
    for (int k = 0; k < outputs; ++k) {
        output[k].group = k;
        output[k].secondAxis = true;
        output[k].dashed = true;
    }
    const double divisor = loggerTimeDivisor(r.cycleTenths);
    for (int s = 0; s < r.samples.size(); ++s) {
        // Exact in milliseconds: the cycle is in tenths of a second.
        const qint64 ms = qint64(s) * r.cycleTenths * 100;
        const double x = plot.dateTimeAxis ? plotTime(start) + double(ms) : ms / 1000.0 / divisor;
        const LoggedSample& sample = r.samples[s];
        for (int k = 0; k < channels && k < sample.temperatures.size(); ++k)
            actual[k].points.append({x, sample.temperatures[k] / 10.0});
        for (int k = 0; k < outputs && k < sample.values.size(); ++k)
            output[k].points.append({x, double(sample.values[k])});
    }
    plot.series = actual + output;
    return plot;
}

LoggerTransfer::LoggerTransfer(DeviceData& data, DeviceServices& services, QObject* parent)
    : LongOperation(data.gate(), parent), m_data(data), m_services(services) {}

LoggerTransfer::~LoggerTransfer() = default;

QString LoggerTransfer::name() const {
    return m_data.identification.DeviceType + QStringLiteral(" Logger");
}

bool LoggerTransfer::clear() {
    const OperationGate::Ticket ticket = m_data.gate().enter(QStringLiteral("Clear Logger"));
    if (!ticket)
        return false;
    m_services.PrepareLink();
    m_services.SendCommand(ControlCode, QByteArray(1, char(ClearByte)));
    return !m_services.link().CommError;
}

LoggerTransfer::Outcome LoggerTransfer::store(const QString& path) {
    if (!hasLogger(m_data.identification.FirmwareVersion))
        return Outcome::NoLogger;
    m_path = path;
    switch (run()) {
    case LongOperation::Outcome::Done:
        return m_fileMessage.isEmpty() ? Outcome::Done : Outcome::FileFailed;
    case LongOperation::Outcome::Stopped:
        return m_fileMessage.isEmpty() ? Outcome::Stopped : Outcome::FileFailed;
    case LongOperation::Outcome::Failed:
        return m_fileMessage.isEmpty() ? Outcome::Failed : Outcome::FileFailed;
    case LongOperation::Outcome::Refused:
        break;
    }
    return Outcome::Refused;
}

bool LoggerTransfer::write(const QString& text) {
    if (m_file->write(text.toUtf8()))
        return true;
    m_fileMessage = textTableProblem(m_path, m_file->reason());
    return false;
}

bool LoggerTransfer::start() {
    m_recording = LoggerRecording();
    m_fileMessage.clear();
    m_file.reset();
    m_services.PrepareLink();
    const std::optional<int> cycle = readWord(m_services, CycleCode);
    if (!cycle)
        return false;
    const std::optional<int> count = readWord(m_services, CountCode);
    if (!count)
        return false;
    m_recording.cycleTenths = *cycle;
    m_recording.count = *count;

    // Only now is the file created: a controller that does not answer leaves an existing file
    // as it was.
    m_file = std::make_unique<SafeFileWriter>(m_path);
    if (!m_file->open()) {
        m_fileMessage = textTableProblem(m_path, m_file->reason());
        return false;
    }
    setProgress(0, *count);
    m_services.SendCommand(AnnounceCode1, countData(*count));
    if (!m_services.link().CommError)
        m_services.SendCommand(AnnounceCode2, countData(*count));
    if (m_services.link().CommError)
        return false;
    if (loggerHasHeading(m_data.identification.FirmwareVersion)) {
        // With one sample or none the controller's clock stands for the end.
        const std::optional<ClockStamp> end =
            readClock(m_services, *count > 1 ? LastSampleCode : ClockCode);
        if (!end)
            return false;
        m_recording.end = end;
        return write(loggerHeading(*count, *cycle, *end));
    }
    return true;
}

std::optional<LoggedSample> LoggerTransfer::readSample() {
    LoggedSample sample;
    if (loggerReadsFullRecord(m_data.identification.FirmwareVersion)) {
        const std::optional<QList<int>> words =
            readSampleWords(m_services, RecordCode, RecordWords);
        if (!words)
            return std::nullopt;
        sample.temperatures = words->mid(0, RecordTemperatures);
        sample.values = words->mid(RecordTemperatures);
        return sample;
    }
    // The first read does not move the controller on to the next sample, the second does.
    const int n = loggerOldBlockSize(m_data.identification.ModuleVariant);
    const std::optional<QList<int>> temperatures =
        readSampleWords(m_services, OldTemperaturesCode, n);
    if (!temperatures)
        return std::nullopt;
    const std::optional<QList<int>> values = readSampleWords(m_services, OldValuesCode, n);
    if (!values)
        return std::nullopt;
    sample.temperatures = *temperatures;
    sample.values = *values;
    return sample;
}

LongOperation::Step LoggerTransfer::step() {
    const int s = int(m_recording.samples.size());
    if (s >= m_recording.count)
        return Step::Finished;
    const std::optional<LoggedSample> sample = readSample();
    if (!sample)
        return Step::Failed;
    m_recording.samples.append(*sample);
    if (!write(loggerSampleText(s, m_recording.cycleTenths, *sample)))
        return Step::Failed;
    setProgress(s + 1, m_recording.count);
    return s + 1 < m_recording.count ? Step::More : Step::Finished;
}

void LoggerTransfer::finish(LongOperation::Outcome) {
    // What was read stays, also after a stop or a failure.
    if (m_file && m_fileMessage.isEmpty() && !m_file->commit())
        m_fileMessage = textTableProblem(m_path, m_file->reason());
    m_file.reset();
}
