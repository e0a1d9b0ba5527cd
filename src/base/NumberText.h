#pragma once

#include <QStringView>

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
