#include "services/RecordReplies.h"

#include "device/DeviceServices.h"
#include "device/RowCodec.h"
#include "link/Link.h"
#include "link/Telegram.h"
#include "link/TransferGroup.h"

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

namespace {
// The values of a read by the code's transfer group, when the reply is the one asked for.
std::optional<QList<int>> readChecked(DeviceServices& services, int code, int p1, int p2) {
    const std::optional<QList<int>> values = services.readValues(code, p1, p2, 0);
    if (!values || !isReadReply(services.link().ReplyBytes, code, p1, p2))
        return std::nullopt;
    return values;
}
} // namespace

std::optional<int> readWord(DeviceServices& services, int code) {
    const std::optional<QList<int>> v = readChecked(services, code, 0, 0);
    return v && !v->isEmpty() ? std::optional<int>(v->first()) : std::nullopt;
}

std::optional<ClockStamp> readClock(DeviceServices& services, int code) {
    if (!readChecked(services, code, 0, 0))
        return std::nullopt;
    return ClockStamp::fromReply(services.link().ReplyBytes, 11);
}

std::optional<QList<int>> readSampleWords(DeviceServices& services, int code, int count) {
    std::optional<QList<int>> words = readChecked(services, code, 1, count);
    if (words)
        for (int& w : *words)
            w = w > 32767 ? w - 65536 : w;
    return words;
}

QByteArray countData(int count) {
    return QByteArray().append(char(count & 0xFF)).append(char((count >> 8) & 0xFF));
}
