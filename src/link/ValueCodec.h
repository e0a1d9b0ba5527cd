#pragma once

#include <QtGlobal>

#include <optional>

// How values of the device image become bytes on the link: whole numbers first (ties to even),
// 16-bit words low byte first, negative words in two's complement. A value that does not fit
// is refused, never cut.
namespace ValueCodec {

// Nearest whole number, ties to even (the program's one rounding, base/NumberText.h).
std::optional<qint64> roundHalfEven(double v);

// The byte of a value 0..255 after rounding; empty otherwise.
std::optional<quint8> toByte(double v);

struct WordBytes {
    quint8 low = 0;
    quint8 high = 0;
};
// The two bytes of a value -32768..65535 after rounding (negative: two's complement); empty
// otherwise.
std::optional<WordBytes> toWord(double v);

// Word from two bytes; signedWord reads it as two's complement.
inline int word(int low, int high) {
    return (low & 0xFF) + 256 * (high & 0xFF);
}
inline int signedWord(int low, int high) {
    const int w = word(low, high);
    return w > 32767 ? w - 65536 : w;
}

} // namespace ValueCodec
