#pragma once

#include "base/PlotData.h"
#include "device/LongOperation.h"
#include "services/RecordReplies.h"

#include <QList>
#include <QString>

#include <memory>
#include <optional>

class DeviceData;
class DeviceServices;
class SafeFileWriter;
class Texts;

// What the controller's firmware offers: a logger from 0x28 on, the time of the last sample
// (and so a heading with the recorded span) from 0x42 on, one 17-word record per sample above
// 0x46; older firmware sends a sample as two reads of 4 or 8 words.
inline bool hasLogger(int firmwareVersion) {
    return firmwareVersion >= 0x28;
}
inline bool loggerHasHeading(int firmwareVersion) {
    return firmwareVersion >= 0x42;
}
inline bool loggerReadsFullRecord(int firmwareVersion) {
    return firmwareVersion > 0x46;
}
// Values per read on older firmware: 8 on eight-channel modules, else 4.
int loggerOldBlockSize(int moduleVariant);

// One recorded sample: actual values in tenths of a degree, then the plain values (outputs in
// percent; on newer firmware a 17th word).
struct LoggedSample {
    QList<int> temperatures;
    QList<int> values;
    bool operator==(const LoggedSample&) const = default;
};

// Unit of the time column: seconds for cycles up to 6 s, minutes up to 360 s, hours above.
// The result divides seconds: 1, 60 or 3600.
int loggerTimeDivisor(int cycleTenths);
// Seconds from the first to the last of `count` samples: Int((count - 1) * cycle).
qint64 loggerSpanSeconds(int count, int cycleTenths);
// "12.50": the time of sample `index` in the unit of the time column, two decimals, ties away
// from zero (computed exactly from the cycle in tenths of a second).
QString loggerTimeText(int index, int cycleTenths);
// "-10.0": a temperature word in tenths.
QString loggerTemperatureText(int tenths);

// "3 / 3\nsamples are being transmitted": the transfer's caption with the samples still to come.
QString loggerProgressCaption(int remaining, int count, const Texts& texts);

// What a transfer read: the announced count, the cycle, the time of the last sample (firmware
// with a heading) and the samples actually read.
struct LoggerRecording {
    int count = -1; // -1: the count was not read (nothing was written)
    int cycleTenths = 0;
    std::optional<ClockStamp> end;
    QList<LoggedSample> samples;
};

// When the first of `count` samples was taken: the end time less the span, by the calendar
// (the samples are taken one cycle apart). Invalid when the end time is no possible date.
QDateTime loggerStart(int count, int cycleTenths, const ClockStamp& end);
// The heading of the table: "3 Abtastungen  von  1.1.07 0:00:00  bis  1.1.07 0:00:10", then an
// empty line. The start is the end time less the span, by the calendar; when the controller's
// end time is no possible date the start is shown as "?". These words are the same in every
// language.
QString loggerHeading(int count, int cycleTenths, const ClockStamp& end);
// The line(s) of one sample: the time, the temperatures at columns 11 + 8k, the plain values
// after them 6 columns apart (a value wider than its column moves to the next line).
QString loggerSampleText(int index, int cycleTenths, const LoggedSample& sample);
// The whole table as the transfer writes it (CR LF line ends).
QString loggerTableText(const LoggerRecording& recording);
// The same values for a spreadsheet: a title line (count, span, decimal point), the column
// names, one line per sample.
QString loggerCsv(const LoggerRecording& recording, const QString& deviceType);
// The columns of the spreadsheet and of the window's grid: "t [s]" (or min, h), the actual
// values T1.., the outputs Y1.., a 17th word as W16.
QStringList loggerColumns(const LoggerRecording& recording);
// Sample `index` in those columns.
QStringList loggerCells(const LoggerRecording& recording, int index);
// The samples over time: per channel the actual value (left axis, in tenths shown as degrees)
// and the output (right axis, dashed, in percent). The time axis shows the moments of the
// samples when the controller told the time of the last one, else the time column's numbers.
PlotData loggerPlot(const LoggerRecording& recording, const Texts& texts);

// Reads every recorded sample of the controller's data logger into a text table, as one long
// operation: the cycle (0x92) and the count (0x98), then the announcement (0x94 and 0x95 with
// the count) and, from firmware 0x42, the time of the last sample (0x99, or the clock 0x90 for
// one sample or none) before the first step; one sample a step. A stop request ends the
// transfer after the sample being read. The samples are kept for a plot or a spreadsheet.
//
// The file is created once cycle and count have been read and put in place atomically when the
// transfer ends, also after a stop or a failure, with the samples read until then.
class LoggerTransfer : public LongOperation {
    Q_OBJECT
public:
    enum class Outcome {
        Done,       // every sample was read and written
        Stopped,    // a stop was requested; the samples read so far were written
        Failed,     // the controller stopped answering; the samples read so far were written
        FileFailed, // the file could not be written (fileMessage()); an existing one is unchanged
        NoLogger,   // the firmware has no logger; nothing was sent
        Refused,    // another device operation runs (the user has been told); nothing was sent
    };

    LoggerTransfer(DeviceData& data, DeviceServices& services, QObject* parent = nullptr);
    ~LoggerTransfer() override;

    // Reads the logger into the text table at `path` (run() with a file).
    Outcome store(const QString& path);
    // Clears the recorded samples in the controller (no question is asked). False when it does
    // not answer or another device operation runs.
    bool clear();

    const LoggerRecording& recording() const { return m_recording; }
    // After FileFailed: the file and the reason.
    QString fileMessage() const { return m_fileMessage; }

protected:
    QString name() const override;
    bool start() override;
    Step step() override;
    void finish(LongOperation::Outcome outcome) override;

private:
    std::optional<LoggedSample> readSample();
    bool write(const QString& text);

    DeviceData& m_data;
    DeviceServices& m_services;
    QString m_path;
    std::unique_ptr<SafeFileWriter> m_file;
    LoggerRecording m_recording;
    QString m_fileMessage;
};
