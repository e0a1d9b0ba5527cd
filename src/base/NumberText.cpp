#include "base/NumberText.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <string>

double ValueOfText(QStringView text) {
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
    // Huge exponents overflow to infinity; no item of the controller can hold that anyway.
    return std::isfinite(v) ? v : 0.0;
}
