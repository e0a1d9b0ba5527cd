#pragma once

#include <QString>
#include <QStringView>

#include <optional>

// Numeric value of a loosely typed text, the way every consumer of the device image reads it:
// leading blanks are skipped, then the longest leading decimal number is taken (optional sign,
// digits, one period as decimal separator, optional exponent). Anything else ends the number;
// no number at all gives 0. So " 12.5abc" is 12.5, "12,5" is 12, "1e3" is 1000, "0x10" is 0.
double ValueOfText(QStringView text);

// What the user types into a number field, read strictly: blanks around, an optional sign,
// digits with at most one period as decimal separator, at least one digit ("12", "-0.5", ".5",
// "3."). Empty for anything else: "12abc", "12,5", "1e3", "0x10", "" and "-".
std::optional<double> strictNumber(QStringView text);

// A whole number of units of 10^-decimals as text with exactly `decimals` places, computed
// without floating point: (1234, 1) is "123.4", (-5, 1) is "-0.5", (7, 0) is "7", (5, 2) is
// "0.05". No thousands separator, at least one digit before the period.
QString fixedPointText(qint64 units, int decimals);
