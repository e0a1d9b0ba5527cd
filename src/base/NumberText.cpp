#include "base/NumberText.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

double ValueOfText(QStringView text, bool* overflow) {
    if (overflow)
        *overflow = false;
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    std::string number;
    if (i < n && (text[i] == u'+' || text[i] == u'-'))
        number += char(text[i++].unicode());
    auto digits = [&] {
        qsizetype count = 0;
        while (i < n && text[i].unicode() < 128 && std::isdigit(text[i].unicode())) {
            number += char(text[i++].unicode());
            ++count;
        }
        return count;
    };
    qsizetype mantissa = digits();
    if (i < n && text[i] == u'.') {
        number += '.';
        ++i;
        mantissa += digits();
    }
    if (mantissa == 0)
        return 0.0;
    // An exponent counts only when digits follow it ("2e" is 2, "2e3" is 2000).
    if (i < n && (text[i] == u'e' || text[i] == u'E')) {
        const std::string before = number;
        const qsizetype at = i;
        number += 'e';
        ++i;
        if (i < n && (text[i] == u'+' || text[i] == u'-'))
            number += char(text[i++].unicode());
        if (digits() == 0) {
            number = before;
            i = at;
        }
    }
    const double v = std::strtod(number.c_str(), nullptr);
    if (!std::isfinite(v) && overflow)
        *overflow = true;
    return v;
}

int truncatedInt(double v) {
    if (std::isnan(v))
        return 0;
    if (v <= double(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    if (v >= double(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    return int(v);
}
