#include "link/ValueCodec.h"

#include "base/NumberText.h"

namespace ValueCodec {

std::optional<qint64> roundHalfEven(double v) {
    return ::roundHalfEven(v);
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
