#include "base/NumberText.h"

#include <algorithm>
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

namespace {
bool isDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}
QStringView trimmedBlanks(QStringView text) {
    while (!text.isEmpty() && (text.front() == u' ' || text.front() == u'\t'))
        text = text.mid(1);
    while (!text.isEmpty() && (text.back() == u' ' || text.back() == u'\t'))
        text.chop(1);
    return text;
}
} // namespace

bool IsNumericText(QStringView text) {
    return parseTypedNumber(text).has_value();
}

std::optional<TypedNumber> parseTypedNumber(QStringView text) {
    text = trimmedBlanks(text);
    TypedNumber n;
    if (!text.isEmpty() && (text.front() == u'+' || text.front() == u'-')) {
        n.negative = text.front() == u'-';
        text = text.mid(1);
    }
    bool period = false;
    int digits = 0;
    for (QChar c : text) {
        if (isDigit(c)) {
            (period ? n.fraction : n.whole).append(c);
            ++digits;
        } else if (c == u'.' && !period) {
            period = true;
        } else {
            return std::nullopt;
        }
    }
    if (digits == 0)
        return std::nullopt;
    while (n.whole.startsWith(u'0'))
        n.whole.remove(0, 1);
    while (n.fraction.endsWith(u'0'))
        n.fraction.chop(1);
    return n;
}

double TypedNumber::value() const {
    const QString text = (negative ? QStringLiteral("-") : QString()) +
                         (whole.isEmpty() ? QStringLiteral("0") : whole) + u'.' + fraction + u'0';
    return text.toDouble();
}

qint64 TypedNumber::scaled(int shift) const {
    constexpr qint64 saturation = 1'000'000'000'000'000; // 10^15
    // Move the period by `shift` places within the digits.
    QString digits = whole + fraction;
    qsizetype point = whole.size() + shift;
    if (point > digits.size())
        digits.append(QString(point - digits.size(), u'0'));
    if (point < 0) {
        digits.prepend(QString(-point, u'0'));
        point = 0;
    }
    QStringView integer = QStringView(digits).left(point);
    const QStringView rest = QStringView(digits).mid(point);
    while (!integer.isEmpty() && integer.front() == u'0')
        integer = integer.mid(1);
    qint64 units = 0;
    if (integer.size() >= 16) {
        units = saturation;
    } else {
        for (QChar c : integer)
            units = units * 10 + (c.unicode() - u'0');
        const QChar first = rest.isEmpty() ? QChar(u'0') : rest.front();
        bool beyondHalf = false;
        for (QChar c : rest.mid(1))
            beyondHalf = beyondHalf || c != u'0';
        if (first > u'5' || (first == u'5' && (beyondHalf || units % 2 != 0)))
            ++units;
        units = std::min(units, saturation);
    }
    return negative ? -units : units;
}

QString formatFixed(qint64 units, int decimals) {
    const bool negative = units < 0;
    // Magnitude as unsigned, so the most negative value does not overflow.
    const quint64 magnitude = negative ? quint64(0) - quint64(units) : quint64(units);
    QString digits = QString::number(magnitude);
    if (decimals > 0) {
        if (digits.size() <= decimals)
            digits.prepend(QString(decimals - digits.size() + 1, u'0'));
        digits.insert(digits.size() - decimals, u'.');
    }
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

std::optional<double> strictNumber(QStringView text) {
    const std::optional<TypedNumber> n = parseTypedNumber(text);
    // A field holds at most a few digits; a longer text is no value of the controller either.
    if (!n || n->whole.size() + n->fraction.size() > 30)
        return std::nullopt;
    return n->value();
}

QString fixedPointText(qint64 units, int decimals) {
    return formatFixed(units, std::max(decimals, 0));
}
