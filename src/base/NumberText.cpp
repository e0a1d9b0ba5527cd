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

std::optional<double> strictNumber(QStringView text) {
    const QStringView t = text.trimmed();
    qsizetype i = 0;
    std::string number;
    if (i < t.size() && (t[i] == u'+' || t[i] == u'-'))
        number += char(t[i++].unicode());
    int digits = 0;
    bool period = false;
    for (; i < t.size(); ++i) {
        const char16_t c = t[i].unicode();
        if (c >= u'0' && c <= u'9') {
            number += char(c);
            ++digits;
        } else if (c == u'.' && !period) {
            number += '.';
            period = true;
        } else {
            return std::nullopt;
        }
    }
    // A field holds at most a few digits; a longer text is no value of the controller either.
    if (digits == 0 || digits > 30)
        return std::nullopt;
    return std::strtod(number.c_str(), nullptr);
}

QString fixedPointText(qint64 units, int decimals) {
    if (decimals <= 0)
        return QString::number(units);
    const bool negative = units < 0;
    // The magnitude as unsigned, so the lowest qint64 has one too.
    const quint64 magnitude = negative ? quint64(0) - quint64(units) : quint64(units);
    QString digits = QString::number(magnitude);
    if (digits.size() <= decimals)
        digits = QString(decimals + 1 - digits.size(), u'0') + digits;
    digits.insert(digits.size() - decimals, u'.');
    return negative ? u'-' + digits : digits;
}
