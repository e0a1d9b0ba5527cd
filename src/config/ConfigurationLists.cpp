#include "config/ConfigurationLists.h"

#include "device/Identification.h"
#include "i18n/StringTable.h"

#include <cmath>

namespace {
// Special output texts.
constexpr int kOutputOff = 190, kCollectiveAlarm = 191, kReserved = 196, kAutoTuning = 199;
constexpr int kDirectAction = 234, kReverseAction = 235, kGroupError = 237, kOutputOn = 238;
constexpr int kFreeOutput = 530;
constexpr int kExtCmOutputs[] = {198, 197, 194, 195}; // codes 28..31
// Input texts.
constexpr int kSetpoint2 = 200, kSoftStart = 201, kOutputOffset = 202, kAutoAdjust = 203;
constexpr int kSwitchController = 204, kAutomaticMode = 205, kInputAutoTuning = 206;
constexpr int kClearError = 209, kBoost = 311, kMessageInput = 192, kFreeInput = 532;
constexpr int kExtCmInputs[] = {193, 194, 195}; // codes 13..15, group bits 3
constexpr int kFreeOutputCode = 16;
constexpr int kLoggerStopPosition = 20;
constexpr int kLoggerStopCode = 12;

// The parts of a special output list that come twice, once per action.
void appendAlarmEntries(QStringList& list, int firmware, const QString& action, const Texts& t) {
    for (char letter = 'A'; letter <= 'H'; ++letter)
        list << t.LoadText(kCollectiveAlarm) + QStringLiteral(" %1, ").arg(QChar(letter)) + action;
    list << t.LoadText(kAutoTuning) + QStringLiteral(", ") + action;
    if (firmware >= 40)
        for (const char* group : {"no", "1", "2", "3"})
            list << t.LoadText(kGroupError) + QLatin1String(group) + QStringLiteral(", ") + action;
}
} // namespace

QStringList sensorTypeEntries(const Identification& id) {
    if (!hasTemperatureInputs(id))
        return {QStringLiteral("0-20mA"), QStringLiteral("4-20mA"),    QStringLiteral("0-20mA"),
                QStringLiteral("4-20mA"), QStringLiteral("Pt-0-20mA"), QStringLiteral("Pt-4-20mA")};
    QStringList list{QStringLiteral("Typ J (Fe-CuNi)"),
                     QStringLiteral("Typ L (Fe-CuNi)"),
                     QStringLiteral("Typ K (NiCr-Ni)"),
                     QStringLiteral("Typ B (Pt30Rh-Pt6Rh)"),
                     QStringLiteral("Typ S (Pt10Rh-Pt)"),
                     QStringLiteral("Typ R (Pt13Rh-Pt)"),
                     QStringLiteral("Typ N (NiCrSi-NiSi)"),
                     QStringLiteral("Typ E (NiCr-CuNi)"),
                     QStringLiteral("Typ T (Cu-CuNi)"),
                     QStringLiteral("Typ U (Cu-CuNi)"),
                     QStringLiteral("linear (0-50mV)"),
                     QStringLiteral("Pt100"),
                     QStringLiteral("Ni100")};
    if (id.FirmwareVersion >= 70)
        list << QStringLiteral("Ni120") << QStringLiteral("reserv.") << QStringLiteral("Ohm")
             << QStringLiteral("Typ C (W5Re-W26Re)");
    return list;
}

int sensorTypePosition(double code, const Identification& id) {
    if (!std::isfinite(code) || code != std::trunc(code) || code < 0 ||
        code >= sensorTypeEntryCount(id))
        return -1;
    return int(code);
}

QString sensorTypeLabel(int channel, double code, const Identification& id) {
    const QString head = QStringLiteral("MW%1 ").arg(channel);
    const int position = sensorTypePosition(code, id);
    if (position >= 0)
        return head + sensorTypeEntries(id).at(position);
    const QString shown = std::isfinite(code) ? QString::number(code) : QStringLiteral("?");
    return head + QStringLiteral("? (%1)").arg(shown);
}

SpecialOutputBand specialOutputBand(int firmware) {
    if (firmware > 52)
        return {19, 33, 14, 28};
    if (firmware >= 50)
        return {18, 32, 14, 28};
    if (firmware >= 40)
        return {14, 28, 14, 32};
    return {10, 20, 10, 32};
}

QStringList specialOutputEntries(int firmware, const Texts& t) {
    QStringList list{t.LoadText(kOutputOff)};
    appendAlarmEntries(list, firmware, t.LoadText(kDirectAction), t);
    if (firmware >= 50)
        for (int text : kExtCmOutputs)
            list << t.LoadText(text);
    if (firmware > 52)
        list << t.LoadText(kFreeOutput);
    list << t.LoadText(kOutputOn);
    appendAlarmEntries(list, firmware, t.LoadText(kReverseAction), t);
    list << t.LoadText(kReserved);
    return list;
}

int specialOutputPosition(int byte, int firmware) {
    const SpecialOutputBand b = specialOutputBand(firmware);
    const int f = (byte & 0x7C) / 4;
    if (byte & 0x80)
        return f < b.T1 ? b.H + f : b.N;
    if (f < b.T1)
        return f;
    if (f < b.T2)
        return f == kFreeOutputCode && firmware > 52 ? 18 : b.N;
    return f - 14;
}

std::optional<int> specialOutputByte(int p, int firmware) {
    const SpecialOutputBand b = specialOutputBand(firmware);
    if (p < 0 || p >= b.N)
        return std::nullopt;
    if (p >= b.H)
        return ((p - b.H) * 4) | 0x80;
    if (p < b.T1)
        return p * 4;
    if (p - b.T1 >= 4)
        return kFreeOutputCode * 4;
    return (p + 14) * 4;
}

QStringList inputEntries(int firmware, bool special, const Texts& t) {
    QStringList list{t.LoadText(kSetpoint2),
                     t.LoadText(kSoftStart),
                     t.LoadText(kOutputOffset),
                     t.LoadText(firmware >= 48 ? kBoost : kAutoAdjust),
                     t.LoadText(firmware > 16 ? kSwitchController : kReserved),
                     t.LoadText(kClearError),
                     t.LoadText(kAutomaticMode),
                     t.LoadText(kInputAutoTuning)};
    if (!special)
        return list;
    list << t.LoadText(kFreeInput);
    for (int n = 2; n <= 8; ++n)
        list << t.LoadText(kMessageInput) + QStringLiteral(" %1").arg(n);
    list << t.LoadText(kReserved);
    if (firmware >= 50)
        for (int text : kExtCmInputs)
            list << t.LoadText(text);
    if (firmware >= 65)
        list << QStringLiteral("Logger stop ");
    return list;
}

int specialInputPosition(int byte, int firmware) {
    const int a = (byte & 0xF0) / 16;
    const int b = (byte & 0x0C) / 4;
    if (a < 8 || b == 0)
        return a;
    if (b == 3 && a > kLoggerStopCode && firmware >= 50)
        return a + 4;
    if (b == 3 && a == kLoggerStopCode && firmware >= 65)
        return kLoggerStopPosition;
    return SpecialInputReserved;
}

std::optional<int> specialInputByte(int p, int firmware) {
    if (p < 0 || p == SpecialInputReserved)
        return std::nullopt;
    if (p < SpecialInputReserved)
        return p * 16 + 1;
    if (p == kLoggerStopPosition && firmware >= 65)
        return kLoggerStopCode * 16 + 13;
    if (p < kLoggerStopPosition && firmware >= 50)
        return (p - 4) * 16 + 13;
    return std::nullopt;
}
