#pragma once

#include <QList>
#include <QString>

#include <array>

class DeviceData;
class DeviceImage;
struct Identification;

// How the temperature-like values of each channel are shown (setpoints, alarm limits, ramps,
// bands, offsets). Temperature modules hold them in tenths of a degree. Linear (20 mA) modules
// hold them as whole numbers whose decimals follow from the channel's full-scale value, so the
// full range of +-20000 raw units always spans the full scale: 2000 and above shows no
// decimals, 200..1999 one, 20..199 two, 2..19 three and 1 four.
struct ChannelFormats {
    // Entry k - 1 for channel k = 1..8 (entry 8 is unused and shows no decimals).
    static constexpr int Entries = 9;
    std::array<int, Entries> decimals{};

    // "##0", "##0.0" .. "##0.0000" and the matching scale 1 .. 0.0001 of an entry.
    QString ChannelPattern(int entry) const;
    double ChannelScale(int entry) const;

    // A stored word of channel k (1..8) as shown: its signed reading with the channel's
    // decimals, by integer arithmetic (stored 1234 is "123.4" on a temperature module, 65486
    // is "-5.0").
    QString text(int channel, double stored) const;
    int decimalsOf(int channel) const;
};

// Device image row of the full-scale value of linear inputs.
constexpr int FullScaleRow = 41;

// Decimals for a linear input's full-scale value `v` (the number of times it is multiplied by
// 10 until it reaches 2000, 0 above 4); a value below 1 counts as 1000.
int fullScaleDecimals(double v);

// The formats of channels 1..8 from the module variant and, for linear modules, the full-scale
// values. A full-scale value below 1 is not usable: it is replaced by 1000 in the image, and
// the channels so repaired are added to *repaired, so the caller can announce the change.
ChannelFormats SetChannelFormats(DeviceImage& image, const Identification& id,
                                 QList<int>* repaired = nullptr);
// The same on the program's device data: a repaired full-scale value is announced like any
// other edit.
ChannelFormats SetChannelFormats(DeviceData& data);
