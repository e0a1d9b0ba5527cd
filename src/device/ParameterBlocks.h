#pragma once

#include <QDateTime>
#include <QString>

#include <array>
#include <optional>

class DeviceImage;
struct MemoryImage;

// The parameter-block table the controller uses when none has been read: which parameters
// belong to which data block of the higher-level bus (96 bytes, memory image 640..735).
extern const std::array<quint8, 96> DefaultRawBlock;

// MemoryImage 640 + i = default byte i, i = 0..95.
void LoadDefaultRawBlock(MemoryImage& memory);

// Two decimal digits in one byte, high digit in the high nibble. Values outside 0..99 are
// limited to that range first (123 -> 0x99, -4 -> 0x00).
quint8 toBcd(int value);
// 10 x high nibble + low nibble (0x45 -> 45). Nibbles above 9 are taken as they are.
int fromBcd(quint8 bcd);

// The parameter-set ID: six BCD bytes, seconds, minutes, hours, day, month, year modulo 100.
using ParameterSetIdBytes = std::array<quint8, 6>;

// The ID for a date and time (e.g. the PC clock): 2007-03-09 14:05:30 gives 30 05 14 09 03 07.
ParameterSetIdBytes parameterSetIdFromDateTime(const QDateTime& when);
// The ID for a text "YYMMDDhhmmss" (twelve digits, each pair 0..99); empty otherwise.
std::optional<ParameterSetIdBytes> parameterSetIdFromText(const QString& yymmddhhmmss);
// Device image row 50, columns 1..6 = the ID bytes.
void storeParameterSetId(DeviceImage& image, const ParameterSetIdBytes& id);
// "05.12.24  13:45:10" (day.month.year  hours:minutes:seconds), as the status bar shows it.
QString parameterSetIdText(const ParameterSetIdBytes& id);
