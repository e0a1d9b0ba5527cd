#include "services/ServiceCode.h"

#include "device/DeviceServices.h"
#include "link/Link.h"

namespace {
// Constants of the formula. Two consecutive days change the day of year by +1 (or jump back
// to 1 at New Year) and the day of week by +1 (or from 7 back to 1), so the first intermediate
// number changes by 2, -5, -363, -364, -370 or -371; the odd-day constant is none of these,
// so it can never cancel that change. The factor exceeds the largest second and third
// intermediate number, so the code keeps the first one apart from them: consecutive days never
// share a code.
constexpr int kFirst = 17;
constexpr int kSecond = 29;
constexpr int kThird = 41;
constexpr int kOddDay = 11;
constexpr int kFactor = 97;

constexpr int kMonthLengths[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

// Day of the year 1..366; February has 29 days when the two-digit year is divisible by 4.
int dayOfYear(int day, int month, int twoDigitYear) {
    int days = day;
    for (int m = 1; m < month; ++m)
        days += m == 2 && twoDigitYear % 4 == 0 ? 29 : kMonthLengths[m - 1];
    return days;
}
} // namespace

QString serviceCode(const QDate& date) {
    if (!date.isValid())
        return {};
    const int day = date.day();
    const int month = date.month();
    const int year = ((date.year() % 100) + 100) % 100;
    const int weekday = date.dayOfWeek(); // 1 Monday .. 7 Sunday
    const int odd = day % 2 == 1 ? kOddDay : 0;

    const int first = dayOfYear(day, month, year) + weekday + kFirst + odd;
    const int second = day + month + kSecond + odd;
    const int third = weekday + day + kThird + odd;
    return QString::number((qint64(first) * kFactor + second) * kFactor + third);
}

bool sendServiceCommand(DeviceServices& services) {
    services.PrepareLink();
    services.SendCommand(0x3C, QByteArray(1, char(0x77)));
    const bool commanded = !services.link().CommError;
    return services.ReadFirmwareVersion() && commanded;
}
