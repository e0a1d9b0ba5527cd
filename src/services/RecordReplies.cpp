#include "services/RecordReplies.h"

#include "link/Telegram.h"
#include "link/TransferGroup.h"
#include "link/ValueCodec.h"

QDateTime ClockStamp::toDateTime() const {
    const QDate date(2000 + year, month, day);
    const QTime time(hour, minute, second);
    if (!date.isValid() || !time.isValid())
        return {};
    // The controller's clock knows no time zone and no summer time: arithmetic on it is
    // calendar arithmetic, which UTC gives.
    return QDateTime(date, time, Qt::UTC);
}

ClockStamp ClockStamp::fromDateTime(const QDateTime& t) {
    const QDate d = t.date();
    const QTime tm = t.time();
    int year = d.year() - 2000;
    if (year < 0)
        year += 100;
    return {tm.second(), tm.minute(), tm.hour(), d.day(), d.month(), year};
}

ClockStamp ClockStamp::fromReply(const ReplyArray& reply, int first) {
    const auto at = [&](int k) {
        return reply[size_t(first + k)];
    };
    return {at(0), at(1), at(2), at(3), at(4), at(5)};
}

bool isReadReply(const ReplyArray& reply, int code, int p1, int p2) {
    const int length = readReplyLength(code, p1, p2);
    if (length < 9 || length > int(reply.size()) - 1)
        return false;
    return reply[1] == Telegram::LongStart && reply[2] == length - 6 && reply[3] == length - 6 &&
           reply[4] == Telegram::LongStart && reply[7] == code &&
           reply[size_t(length)] == Telegram::End;
}

std::optional<int> decodeWordReply(const ReplyArray& reply, int code) {
    if (!isReadReply(reply, code))
        return std::nullopt;
    return ValueCodec::word(reply[8], reply[9]);
}

std::optional<ClockStamp> decodeClockReply(const ReplyArray& reply, int code) {
    if (!isReadReply(reply, code))
        return std::nullopt;
    return ClockStamp::fromReply(reply, 11);
}
