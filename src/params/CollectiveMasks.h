#pragma once

#include <QChar>
#include <QString>

#include <array>
#include <optional>

class DeviceImage;

// The controller's eight collective alarms A..H. Collective alarm k (1..8) is set by the error
// conditions whose bits are set in its 16-bit mask, held in the device image as item 29,
// column k (the mask number itself, not a channel).
namespace CollectiveMasks {
constexpr int Row = 29;
constexpr int Count = 8;
constexpr int Bits = 16;

// The output letter of mask k: 'A' for 1 .. 'H' for 8.
inline QChar letter(int mask) {
    return QChar(u'A' + (mask - 1));
}
// Text number of the error condition of bit 0..15.
int bitTextId(int bit);

// Mask k as stored (rounded, 16 bits) and storing it. set() returns false when the value was
// already stored.
int value(const DeviceImage& image, int mask);
bool set(DeviceImage& image, int mask, int value);

// A typed mask: a whole number 0..65535, decimal or "0x" followed by hexadecimal digits;
// empty otherwise.
std::optional<int> parse(const QString& text);
} // namespace CollectiveMasks
