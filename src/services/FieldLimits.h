#pragma once

#include <QStringView>

#include <optional>

// The whole number an entry field holds, limited to min..max: " 123 " gives 99 for 0..99, "-4"
// gives 0, "7.5" gives 8 (ties to even). Empty when the text is not a number by the program's
// one rule (strictNumber), so the field keeps its value instead of silently taking 0.
std::optional<int> limitedWholeNumber(QStringView text, int min, int max);
