#pragma once

#include <QStringList>

#include <optional>

class Texts;
struct Identification;

// The three selection lists of the wiring picture whose positions are stored as codes: the
// sensor type of a channel, the function of a special output terminal and the function of an
// input terminal. Which entries exist depends on the module (temperature or 20 mA inputs) and
// on the firmware; a position and its stored code are not always the same number.

// Sensor types: the position is the code stored in "Sensor type" element k. The entries are
// the sensors' own names and are not translated.
QStringList sensorTypeEntries(const Identification& id);
// The list position of a stored code; -1 when the list has no entry for it (a configuration
// from a newer firmware). Such a code is kept: it changes only when the user picks another.
int sensorTypePosition(double code, const Identification& id);
// The sensor label of channel 1..8: "MW3 Typ K (NiCr-Ni)", or "MW3 ? (20)" for a code the
// list does not know.
QString sensorTypeLabel(int channel, double code, const Identification& id);

// Special outputs. H is the first reverse-action position, N the position of "Reserved" (the
// last entry); direct codes below T1 are stored at their own position, codes from T2 on (the
// external current-monitor block) 14 positions lower.
struct SpecialOutputBand {
    int H, N, T1, T2;
};
SpecialOutputBand specialOutputBand(int firmware);
QStringList specialOutputEntries(int firmware, const Texts& texts);
// Position of a special output byte (bits 1..0 = 00, not 0); N for a code the list lacks.
int specialOutputPosition(int byte, int firmware);
// The terminal byte for a list position; nothing for "Reserved" (the byte stays as it is).
// Position 0 ("Output off") stores 0, which reads back as an unlinked normal output.
std::optional<int> specialOutputByte(int position, int firmware);

// Input functions: the first eight entries serve channel inputs (stored in bits 7..5) and
// special inputs; a special input also offers the free and message inputs and, by firmware,
// the external current-monitor inputs and "Logger stop ".
constexpr int InputFunctionCount = 8;
constexpr int SpecialInputReserved = 16;
QStringList inputEntries(int firmware, bool special, const Texts& texts);
// Position of a special input byte (bits 1..0 = 01); SpecialInputReserved for a code the
// list lacks.
int specialInputPosition(int byte, int firmware);
// The terminal byte for a position of a special input list, group bits 0 ("All"); nothing
// for "Reserved" or a position the firmware does not offer.
std::optional<int> specialInputByte(int position, int firmware);
// Position of a channel input byte (bits 1..0 = 11): its input function.
inline int channelInputPosition(int byte) {
    return (byte & 0xE0) / 32;
}
