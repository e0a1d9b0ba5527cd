#include "link/ValueCodec.h"

#include <cmath>

namespace ValueCodec {

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

std::optional<quint8> toByte(double v) {
    const auto r = roundHalfEven(v);
    if (!r || *r < 0 || *r > 255)
        return std::nullopt;
    return quint8(*r);
}

std::optional<WordBytes> toWord(double v) {
    const auto r = roundHalfEven(v);
    if (!r || *r < -32768 || *r > 65535)
        return std::nullopt;
    const quint16 w = quint16(*r & 0xFFFF);
    return WordBytes{quint8(w & 0xFF), quint8(w >> 8)};
}

} // namespace ValueCodec
