#include "services/DataLogger.h"

#include "base/ColumnText.h"
#include "base/NumberText.h"
#include "base/SafeWrite.h"
#include "device/DeviceServices.h"
#include "device/Identification.h"
#include "i18n/StringTable.h"
#include "link/Link.h"
#include "link/ValueCodec.h"

#include <QDir>

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
} // namespace

int loggerOldBlockSize(int moduleVariant) {
    return (moduleVariant & 2) ? 8 : 4;
}

std::optional<QList<int>> decodeSampleWords(const ReplyArray& reply, int code, int count) {
    if (count < 1 || !isReadReply(reply, code, 1, count))
        return std::nullopt;
    QList<int> words;
    words.reserve(count);
    for (int k = 0; k < count; ++k)
        words.append(ValueCodec::signedWord(reply[size_t(11 + 2 * k)], reply[size_t(12 + 2 * k)]));
    return words;
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
    return formatFixed((2 * numerator + divisor) / (2 * divisor), 2);
}

QString loggerTemperatureText(int tenths) {
    return formatFixed(tenths, 1);
}

QString loggerProgressCaption(int remaining, int count, const Texts& texts) {
    return QStringLiteral("%1 / %2\n").arg(remaining).arg(count) + texts.LoadText(TransmittedText);
}

QString loggerHeading(int count, int cycleTenths, const ClockStamp& end) {
    QString heading = QString::number(count) + QStringLiteral(" Abtastungen");
    if (count > 0) {
        const QDateTime endTime = end.toDateTime();
        const QString start = endTime.isValid()
                                  ? stampText(ClockStamp::fromDateTime(
                                        endTime.addSecs(-loggerSpanSeconds(count, cycleTenths))))
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

QString loggerCsv(const LoggerRecording& r, const QString& deviceType) {
    static const char* const units[] = {"s", "min", "h"};
    const int divisor = loggerTimeDivisor(r.cycleTenths);
    const char* unit = units[divisor == 1 ? 0 : divisor == 60 ? 1 : 2];
    QString csv = QStringLiteral("%1 logger,%2 samples,cycle %3 s")
                      .arg(deviceType)
                      .arg(r.count)
                      .arg(loggerTemperatureText(r.cycleTenths));
    if (r.end) {
        const QDateTime end = r.end->toDateTime();
        if (end.isValid())
            csv += QStringLiteral(",from %1,to %2")
                       .arg(csvStamp(end.addSecs(-loggerSpanSeconds(r.count, r.cycleTenths))),
                            csvStamp(end));
    }
    csv += QStringLiteral(",decimal point .\r\n");
    csv += QStringLiteral("t [%1]").arg(QLatin1String(unit));
    const LoggedSample shape = r.samples.isEmpty() ? LoggedSample() : r.samples.first();
    for (int k = 1; k <= shape.temperatures.size(); ++k)
        csv += QStringLiteral(",T%1").arg(k);
    for (int k = 1; k <= shape.values.size(); ++k)
        csv += k <= shape.temperatures.size() ? QStringLiteral(",Y%1").arg(k)
                                              : QStringLiteral(",W%1").arg(k + 7);
    csv += QStringLiteral("\r\n");
    for (int s = 0; s < r.samples.size(); ++s) {
        csv += loggerTimeText(s, r.cycleTenths);
        for (int t : r.samples[s].temperatures)
            csv += u',' + loggerTemperatureText(t);
        for (int v : r.samples[s].values)
            csv += u',' + QString::number(v);
        csv += QStringLiteral("\r\n");
    }
    return csv;
}

LoggerTransfer::LoggerTransfer(DeviceServices& services, Link& link,
                               const Identification& identification, QObject* parent)
    : QObject(parent), m_services(services), m_link(link), m_identification(identification) {}

bool LoggerTransfer::clear() {
    if (m_running)
        return false;
    m_running = true;
    m_services.PrepareLink();
    m_services.SendCommand(ControlCode, QByteArray(1, char(ClearByte)));
    m_running = false;
    return !m_link.CommError;
}

LoggerTransfer::Outcome LoggerTransfer::store(const QString& path) {
    if (m_running)
        return Outcome::Busy;
    if (!hasLogger(m_identification.FirmwareVersion))
        return Outcome::NoLogger;
    m_running = true;
    m_stopRequested = false;
    m_recording = LoggerRecording();
    m_fileMessage.clear();
    const Outcome outcome = run(path);
    m_running = false;
    m_stopRequested = false;
    Q_EMIT finished(outcome);
    return outcome;
}

std::optional<QList<int>> LoggerTransfer::readWords(int code, int count) {
    m_services.ReadRequest(code, 1, count, 0);
    if (m_link.CommError)
        return std::nullopt;
    return decodeSampleWords(m_link.ReplyBytes, code, count);
}

std::optional<LoggedSample> LoggerTransfer::readSample() {
    LoggedSample sample;
    if (loggerReadsFullRecord(m_identification.FirmwareVersion)) {
        const std::optional<QList<int>> words = readWords(RecordCode, RecordWords);
        if (!words)
            return std::nullopt;
        sample.temperatures = words->mid(0, RecordTemperatures);
        sample.values = words->mid(RecordTemperatures);
        return sample;
    }
    // The first read does not move the controller on to the next sample, the second does.
    const int n = loggerOldBlockSize(m_identification.ModuleVariant);
    const std::optional<QList<int>> temperatures = readWords(OldTemperaturesCode, n);
    if (!temperatures)
        return std::nullopt;
    const std::optional<QList<int>> values = readWords(OldValuesCode, n);
    if (!values)
        return std::nullopt;
    sample.temperatures = *temperatures;
    sample.values = *values;
    return sample;
}

bool LoggerTransfer::write(SafeFileWriter& file, const QString& text) {
    if (file.write(text.toUtf8()))
        return true;
    m_fileMessage = QStringLiteral("The file \"%1\" could not be written: %2.")
                        .arg(QDir::toNativeSeparators(file.fileName()), file.reason());
    return false;
}

LoggerTransfer::Outcome LoggerTransfer::run(const QString& path) {
    m_services.PrepareLink();
    m_services.ReadRequest(CycleCode);
    const std::optional<int> cycle =
        m_link.CommError ? std::nullopt : decodeWordReply(m_link.ReplyBytes, CycleCode);
    if (!cycle)
        return Outcome::Failed;
    m_services.ReadRequest(CountCode);
    const std::optional<int> count =
        m_link.CommError ? std::nullopt : decodeWordReply(m_link.ReplyBytes, CountCode);
    if (!count)
        return Outcome::Failed;
    m_recording.cycleTenths = *cycle;
    m_recording.count = *count;

    // Only now is the file created: a controller that does not answer leaves an existing file
    // as it was.
    SafeFileWriter file(path);
    if (!file.open()) {
        m_fileMessage = QStringLiteral("The file \"%1\" could not be written: %2.")
                            .arg(QDir::toNativeSeparators(path), file.reason());
        return Outcome::FileFailed;
    }
    const auto finish = [&](Outcome outcome) {
        if (file.commit())
            return outcome;
        if (m_fileMessage.isEmpty())
            m_fileMessage = QStringLiteral("The file \"%1\" could not be written: %2.")
                                .arg(QDir::toNativeSeparators(path), file.reason());
        return Outcome::FileFailed;
    };

    Q_EMIT started(*count);
    const QByteArray countBytes =
        QByteArray().append(char(*count & 0xFF)).append(char(*count >> 8));
    m_services.SendCommand(AnnounceCode1, countBytes);
    if (!m_link.CommError)
        m_services.SendCommand(AnnounceCode2, countBytes);
    if (m_link.CommError)
        return finish(Outcome::Failed);

    if (loggerHasHeading(m_identification.FirmwareVersion)) {
        // With one sample or none the controller's clock stands for the end.
        const int code = *count > 1 ? LastSampleCode : ClockCode;
        m_services.ReadRequest(code, 0, 0, 0);
        const std::optional<ClockStamp> end =
            m_link.CommError ? std::nullopt : decodeClockReply(m_link.ReplyBytes, code);
        if (!end)
            return finish(Outcome::Failed);
        m_recording.end = end;
        if (!write(file, loggerHeading(*count, *cycle, *end)))
            return finish(Outcome::FileFailed);
    }

    for (int s = 0; s < *count; ++s) {
        if (m_stopRequested)
            return finish(Outcome::Stopped);
        const std::optional<LoggedSample> sample = readSample();
        if (!sample)
            return finish(Outcome::Failed);
        m_recording.samples.append(*sample);
        if (!write(file, loggerSampleText(s, *cycle, *sample)))
            return finish(Outcome::FileFailed);
        Q_EMIT progress(s + 1, *count);
    }
    return finish(Outcome::Done);
}
