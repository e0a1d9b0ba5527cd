#pragma once

#include <QString>
#include <QStringView>

#include <optional>

// Numeric value of a loosely typed text, the way every consumer of the device image reads it:
// leading blanks are skipped, then the longest leading decimal number is taken (optional sign,
// digits, one period as decimal separator, optional exponent). Anything else ends the number;
// no number at all gives 0. So " 12.5abc" is 12.5, "12,5" is 12, "1e3" is 1000, "0x10" is 0.
// A number beyond the range of a double ("1e400", a number of a million digits) gives
// infinity with its sign and sets *overflow, so that no consumer takes it for 0; a tiny one
// ("1e-400") is 0.
double ValueOfText(QStringView text, bool* overflow = nullptr);

// The whole part of v as an int, for a consumer that looks at a value as a byte, a code or a
// bit field: NaN is 0, values beyond the int range are clamped (a plain int(v) is undefined
// behaviour for them).
int truncatedInt(double v);

// Nearest whole number, ties to even (2.5 -> 2, 3.5 -> 4, -2.5 -> -2). Empty for NaN, infinity
// and values beyond the 64-bit range.
std::optional<qint64> roundHalfEven(double v);

// The one rule for "is this text a number" wherever the user types a value: blanks around, an
// optional sign, digits with at most one period as decimal separator, at least one digit ("12",
// "-0.5", ".5", "3."). Empty for anything else: "12abc", "12,5", "1e3", "0x10", "" and "-".
std::optional<double> strictNumber(QStringView text);

// A whole number of units of 10^-decimals as text with exactly `decimals` places, computed
// without floating point: (1234, 1) is "123.4", (-5, 1) is "-0.5", (7, 0) is "7", (5, 2) is
// "0.05". No thousands separator, at least one digit before the period.
QString fixedPointText(qint64 units, int decimals);

// A value as it is stored for a signed quantity: rounded to a whole number (ties to even) and,
// when negative, in two's complement. storedWord(-5) is 65531, storedWord(-0.4) is 0,
// storedByte(-20) is 236. Empty outside -32768..32767 (word) or -128..127 (byte), so a value
// that cannot be sent is never cut.
std::optional<int> storedWord(double signedValue);
std::optional<int> storedByte(double signedValue);
// The signed reading of a stored word or byte: the value rounded to a whole number first
// (ties to even, as it would be sent), then 65536 (256) taken off above 32767 (127).
qint64 signedWordValue(double stored);
qint64 signedByteValue(double stored);
