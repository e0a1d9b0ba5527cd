#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

#include <array>
#include <optional>

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
// another request is not taken for data.
bool isReadReply(const ReplyArray& reply, int code, int p1 = 0, int p2 = 0);

// The value of a single-word read (entry count 0x2F, logger cycle 0x92, sample count 0x98).
std::optional<int> decodeWordReply(const ReplyArray& reply, int code);
// The six bytes of a clock read (0x90) or of the time of the last logger sample (0x99).
std::optional<ClockStamp> decodeClockReply(const ReplyArray& reply, int code);
