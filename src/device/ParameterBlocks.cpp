#include "device/ParameterBlocks.h"

#include "device/DeviceImage.h"

#include <algorithm>

// clang-format off
const std::array<quint8, 96> DefaultRawBlock = {
    0x21, 0x21, 0x21, 0x21, 0x26, 0x26, 0x6F, 0xB3, 0x21, 0x32, 0x32, 0xFF, 0x3F, 0x3F, 0x3F, 0x31,
    0x30, 0x35, 0x92, 0x93, 0x64, 0x69, 0x67, 0x3A, 0x2A, 0x2A, 0x2A, 0x2A, 0x2A, 0x2A, 0x2A, 0x2A,
    0x26, 0x26, 0xFF, 0x68, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xB1, 0xB7, 0x21, 0x24,
    0x20, 0xB0, 0x6C, 0xB6, 0x20, 0x00, 0x21, 0x03, 0x28, 0x27, 0x07, 0x06, 0x10, 0x11, 0x14, 0x15,
    0x01, 0x02, 0x04, 0x05, 0x0E, 0x0F, 0x12, 0x1F, 0x1D, 0x1C, 0x18, 0x60, 0x16, 0x17, 0x19, 0x1E,
    0x08, 0x09, 0x0A, 0x0B, 0x33, 0x0C, 0x0D, 0x25, 0x22, 0x23, 0x29, 0x36, 0xFF, 0xFF, 0xFF, 0xFF,
};
// clang-format on

void LoadDefaultRawBlock(MemoryImage& memory) {
    for (int i = 0; i < MemoryImage::BlockTableSize; ++i)
        memory[MemoryImage::BlockTableStart + i] = DefaultRawBlock[size_t(i)];
}

quint8 toBcd(int value) {
    const int v = std::clamp(value, 0, 99);
    return quint8((v / 10) * 16 + v % 10);
}

int fromBcd(quint8 bcd) {
    return (bcd >> 4) * 10 + (bcd & 0x0F);
}

ParameterSetIdBytes parameterSetIdFromDateTime(const QDateTime& when) {
    const QDate d = when.date();
    const QTime t = when.time();
    return {toBcd(t.second()), toBcd(t.minute()), toBcd(t.hour()),
            toBcd(d.day()),    toBcd(d.month()),  toBcd(d.year() % 100)};
}

std::optional<ParameterSetIdBytes> parameterSetIdFromText(const QString& text) {
    if (text.size() != 12)
        return std::nullopt;
    for (QChar c : text)
        if (c < u'0' || c > u'9')
            return std::nullopt;
    auto pair = [&](int i) {
        return text.mid(i * 2, 2).toInt();
    };
    // Text order is year, month, day, hours, minutes, seconds; the ID starts with seconds.
    return ParameterSetIdBytes{toBcd(pair(5)), toBcd(pair(4)), toBcd(pair(3)),
                               toBcd(pair(2)), toBcd(pair(1)), toBcd(pair(0))};
}

void storeParameterSetId(DeviceImage& image, const ParameterSetIdBytes& id) {
    for (int i = 0; i < 6; ++i)
        image.setValue(50, i + 1, id[size_t(i)]);
}

QString parameterSetIdText(const ParameterSetIdBytes& id) {
    auto two = [&](int i) {
        return QStringLiteral("%1").arg(fromBcd(id[size_t(i)]), 2, 10, QChar(u'0'));
    };
    return QStringLiteral("%1.%2.%3  %4:%5:%6").arg(two(3), two(4), two(5), two(2), two(1), two(0));
}
