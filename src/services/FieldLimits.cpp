#include "services/FieldLimits.h"

#include "base/NumberText.h"

#include <algorithm>

std::optional<int> limitedWholeNumber(QStringView text, int min, int max) {
    const std::optional<double> v = strictNumber(text);
    if (!v)
        return std::nullopt;
    const std::optional<qint64> whole = roundHalfEven(*v);
    if (!whole) // beyond any field's range
        return *v > 0 ? max : min;
    return int(std::clamp<qint64>(*whole, min, max));
}
