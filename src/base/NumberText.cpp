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

std::optional<qint64> roundHalfEven(double v) {
    if (!std::isfinite(v) || std::fabs(v) >= 9.2e18)
        return std::nullopt;
    // Ties to even regardless of the current rounding mode.
    double whole = std::floor(v);
    const double fraction = v - whole;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0.0))
        whole += 1.0;
    return qint64(whole);
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

namespace {
std::optional<int> stored(double signedValue, int modulus) {
    const auto r = roundHalfEven(signedValue);
    if (!r || *r < -modulus / 2 || *r >= modulus / 2)
        return std::nullopt;
    return int(*r < 0 ? *r + modulus : *r);
}
qint64 signedValue(double stored, int modulus) {
    const qint64 r = roundHalfEven(stored).value_or(0);
    return r >= modulus / 2 ? r - modulus : r;
}
} // namespace

std::optional<int> storedWord(double signedValue) {
    return stored(signedValue, 65536);
}
std::optional<int> storedByte(double signedValue) {
    return stored(signedValue, 256);
}
qint64 signedWordValue(double stored) {
    return signedValue(stored, 65536);
}
qint64 signedByteValue(double stored) {
    return signedValue(stored, 256);
}
