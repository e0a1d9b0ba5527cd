#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

#include <array>
#include <optional>

class DeviceServices;

// The bytes of the last reply as the link keeps them: element k = k-th byte of the reply
// Telegram (1 = the first), 0 beyond it.
using ReplyArray = std::array<int, 201>;

// A time as the controller's clock functions send it (clock, time of the last logger sample,
// alarm-history entry): six bytes, binary, the year counted from 2000.
struct ClockStamp {
    int second = 0;
    int minute = 0;
    int hour = 0;
    int day = 0;
    int month = 0;
    int year = 0; // year - 2000

    // In UTC, so that adding seconds moves the wall clock alike all year. Invalid when the bytes
    // are no possible date and time (day 0, month 13 ...).
    QDateTime toDateTime() const;
    // Years before 2000 count on from 99 down, as the controller's two-digit years do.
    static ClockStamp fromDateTime(const QDateTime& t);
    // The six bytes at `first` .. `first` + 5 of a reply.
    static ClockStamp fromReply(const ReplyArray& reply, int first);

    bool operator==(const ClockStamp&) const = default;
};

// True when `reply` is the complete long reply to a read of `code` with range p1..p2: the frame
// has the length of that read and carries the code. A short acknowledgement or the reply to
// another request is never taken for data.
bool isReadReply(const ReplyArray& reply, int code, int p1 = 0, int p2 = 0);

// The reads of the alarm history and the logger. Each is empty when the controller did not
// answer (the link has said so) or did not answer with the data asked for.
// A single word: the entry count 0x2F, the logger cycle 0x92, the sample count 0x98.
std::optional<int> readWord(DeviceServices& services, int code);
// The controller's clock 0x90 or the time of the last logger sample 0x99.
std::optional<ClockStamp> readClock(DeviceServices& services, int code);
// Words 1..count of a logger sample (0x96, 0x97, 0x9A), two's complement.
std::optional<QList<int>> readSampleWords(DeviceServices& services, int code, int count);

// The data of the announcement commands: the count, low byte first.
QByteArray countData(int count);
