#pragma once

#include "base/PlotData.h"
#include "device/LongOperation.h"
#include "services/RecordReplies.h"

#include <QList>
#include <QString>

#include <array>

class DeviceData;
class DeviceServices;
class Texts;

// One entry of the controller's alarm history: when the alarm state changed and the state
// afterwards.
struct AlarmHistoryEntry {
    ClockStamp time;
    // Alarm words by grid column 1..12 at index 0..11: channels 1..8, the device word, the three
    // wiring (I/O) words.
    std::array<quint16, 12> words{};

    quint16 word(int column) const { return words[size_t(column - 1)]; }
    bool operator==(const AlarmHistoryEntry&) const = default;
};

// The entry in a reply to 0x2E: time bytes at 11..16, word c (1..12) at 2c + 15 (low) and
// 2c + 16 (high). Empty when the reply is not one.
std::optional<AlarmHistoryEntry> decodeHistoryEntry(const ReplyArray& reply);

// The controller keeps an alarm history from firmware 0x30 on.
inline bool hasAlarmHistory(int firmwareVersion) {
    return firmwareVersion >= 0x30;
}

// What a grid column holds.
enum class AlarmColumn { Time, Channel, Device, Wiring };
AlarmColumn alarmColumnKind(int column); // 0 time, 1..8 channels, 9 device, 10..12 wiring

// The meaning of bit 0..15 of a word in `column` 1..12 when it is set.
QString alarmBitText(int column, int bit, const Texts& texts);

// " 10:30:00   01.01.2024": the time column of the grid and of the change log.
QString historyTimeText(const ClockStamp& time);
// "1000": a word in upper-case hex without leading zeros.
QString historyWordText(quint16 word);
// "3 entries are being transmitted" while the entries are read.
QString historyProgressCaption(int count, const Texts& texts);

// What was read from the controller: the announced count and the entries actually read (fewer
// after a failure or a stop). The grid shows the heading row, one row per announced entry and
// one empty row; rows beyond the entries read stay empty.
struct AlarmHistory {
    static constexpr int Columns = 13;

    int announced = -1; // -1: the count was not read
    QList<AlarmHistoryEntry> entries;

    int rowCount() const { return announced < 0 ? 0 : announced + 2; }
    QString cellText(int row, int column, const Texts& texts) const;
    // A cell of an entry that was read and one of its twelve words.
    bool isDataCell(int row, int column) const;
};

// The explanation of a grid cell: what the column is and one line per bit, "---" for a clear
// bit. The heading row, the time column and rows not read explain nothing (empty `what`).
struct CellExplanation {
    QString what;
    std::array<QString, 16> bits;
};
CellExplanation explainCell(const AlarmHistory& history, int row, int column, const Texts& texts);

// The change log of the entries: the complete state of the first entry, then per entry the bits
// that began or ended since the one before, then the complete state of the last entry. Lines
// end with CR LF; "No alarm history" alone when there is no entry.
QString historyChangeLog(const QList<AlarmHistoryEntry>& entries, const Texts& texts);

// The entries for a spreadsheet: a title line, the column names, one line per entry with the
// time in ISO form and the words as 0x... (so that no spreadsheet reads them as numbers).
QString historyCsv(const QList<AlarmHistoryEntry>& entries, const QString& deviceType);

// The entries as a timeline: one band for each channel, the device and the wiring, filled
// from an entry in which its word (any of the three wiring words) is not 0 up to the next
// entry. The state after the last entry is drawn a little way on (it lasted at least until the
// history was read). Entries whose time is no possible date are left out.
PlotData historyPlot(const QList<AlarmHistoryEntry>& entries, const Texts& texts);

// Reads the alarm history as one long operation: the count (0x2F) and the announcement (0x2D
// with the count) before the first step, then one entry (0x2E) a step, oldest first. The
// controller hands each announced entry out once, so a read that was stopped or failed is not
// resumed but started again; history() keeps the entries read until then.
class AlarmHistoryRead : public LongOperation {
    Q_OBJECT
public:
    AlarmHistoryRead(DeviceData& data, DeviceServices& services, QObject* parent = nullptr);

    const AlarmHistory& history() const { return m_history; }

protected:
    QString name() const override;
    bool start() override;
    Step step() override;

private:
    DeviceData& m_data;
    DeviceServices& m_services;
    AlarmHistory m_history;
};
