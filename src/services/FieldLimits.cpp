#include "services/FieldLimits.h"

#include <algorithm>

std::optional<int> limitedWholeNumber(QStringView text, int min, int max) {
    const QStringView t = text.trimmed();
    qsizetype i = 0;
    const bool negative = !t.isEmpty() && t[0] == u'-';
    if (!t.isEmpty() && (t[0] == u'-' || t[0] == u'+'))
        ++i;
    if (i == t.size())
        return std::nullopt;
    long long value = 0;
    for (; i < t.size(); ++i) {
        if (!t[i].isDigit() || t[i].unicode() > 127)
            return std::nullopt;
        // Beyond any field's range the exact value no longer matters.
        value = std::min(value * 10 + (t[i].unicode() - u'0'), 1LL << 40);
    }
    return int(std::clamp(negative ? -value : value, (long long)min, (long long)max));
}
