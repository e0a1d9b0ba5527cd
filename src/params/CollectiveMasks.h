#pragma once

#include "device/Form.h"

#include <QChar>
#include <QString>

#include <optional>

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

// A typed mask: a whole number 0..65535, decimal or "0x" followed by hexadecimal digits;
// empty otherwise.
std::optional<int> parse(const QString& text);
} // namespace CollectiveMasks

// One collective alarm mask: a check box per error condition (chkSammel_0..15, one bit each)
// and the mask as a decimal number (txtSFehler, where a whole number 0..65535 may be typed).
// The form keeps the mask number it was given, whatever else changes.
class CollectiveMaskForm : public Form {
    Q_OBJECT
public:
    static constexpr int ValueField = CollectiveMasks::Bits; // txtSFehler; fields 0..15 are bits

    explicit CollectiveMaskForm(DeviceData& data, QObject* parent = nullptr);

    // Mask 1..8 (column 1..8 of item 29).
    void setMask(int mask) { setChannel(mask - 1); }
    int mask() const { return channel() + 1; }

protected:
    std::optional<double> parse(int field, const QString& text) const override;
};
