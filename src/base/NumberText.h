#pragma once

#include <QString>
#include <QStringView>

#include <optional>

// Numeric value of a loosely typed text, the way every consumer of the device image reads it:
// leading blanks are skipped, then the longest leading decimal number is taken (optional sign,
// digits, one period as decimal separator, optional exponent). Anything else ends the number;
// no number at all gives 0. So " 12.5abc" is 12.5, "12,5" is 12, "1e3" is 1000, "0x10" is 0.
double ValueOfText(QStringView text);

// Nearest whole number, ties to even (2.5 -> 2, 3.5 -> 4, -2.5 -> -2). Empty for NaN, infinity
// and values beyond the 64-bit range.
std::optional<qint64> roundHalfEven(double v);

// The one rule for "is this text a number" wherever the user types a value: optional blanks
// around it, an optional sign, then digits with at most one period as the decimal separator and
// at least one digit ("12", "-0.5", "+3", ".5", "5."). No exponent, comma, hex digits or
// thousands separator: "1e3", "1,5", "0x10" and "-" are not numbers.
bool IsNumericText(QStringView text);

// A typed number held exactly as its decimal digits, so that scaling it never produces a
// floating-point artefact ("12.34" times 100 is 1234, not 1233.9999...).
struct TypedNumber {
    bool negative = false; // written with a minus sign, also for "-0" and "-0.04"
    QString whole;         // digits before the period, without leading zeros
    QString fraction;      // digits after the period, without trailing zeros

    double value() const;
    // The number times 10^shift, rounded to a whole number with ties to even ("12.345" with
    // shift 2 is 1234, "-0.04" with shift 1 is 0, never -0). Magnitudes of 10^15 and beyond
    // saturate at +-10^15, far outside anything the controller holds, so a limit check still
    // sees them as too large.
    qint64 scaled(int shift) const;
};
// The number of a text that IsNumericText accepts; empty otherwise.
std::optional<TypedNumber> parseTypedNumber(QStringView text);

// A whole number of units shown with `decimals` places: formatFixed(1234, 1) is "123.4",
// formatFixed(-5, 1) "-0.5", formatFixed(0, 2) "0.00", formatFixed(20000, 0) "20000". At least
// one digit before the period, no thousands separator, no blanks; integer arithmetic only.
QString formatFixed(qint64 units, int decimals);

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

// What the user types into a number field, read strictly (IsNumericText), as a number: "12",
// "-0.5", ".5", "3."; empty for anything else: "12abc", "12,5", "1e3", "0x10", "" and "-".
std::optional<double> strictNumber(QStringView text);

// formatFixed for the window framework: (1234, 1) is "123.4", (-5, 1) is "-0.5", (7, 0) is "7",
// (5, 2) is "0.05".
QString fixedPointText(qint64 units, int decimals);
