#pragma once

#include <QStringView>

#include <optional>

// The whole number an entry field holds, limited to min..max: " 123 " gives 99 for 0..99, "-4"
// gives 0. Empty when the text (blanks around it aside) is not a whole decimal number, so the
// field keeps its value instead of silently taking 0.
std::optional<int> limitedWholeNumber(QStringView text, int min, int max);
