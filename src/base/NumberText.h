#pragma once

#include <QStringView>

// Numeric value of a loosely typed text, the way every consumer of the device image reads it:
// leading blanks are skipped, then the longest leading decimal number is taken (optional sign,
// digits, one period as decimal separator, optional exponent). Anything else ends the number;
// no number at all gives 0. So " 12.5abc" is 12.5, "12,5" is 12, "1e3" is 1000, "0x10" is 0.
double ValueOfText(QStringView text);
