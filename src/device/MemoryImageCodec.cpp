#include "device/MemoryImageCodec.h"

#include "device/DeviceImage.h"
#include "device/Identification.h"
#include "device/ParameterTable.h"
#include "link/Crc16.h"
#include "link/ValueCodec.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr int kFirstRow = 1;
constexpr int kCtRatioRow = 38;
constexpr int kDimensionRow = 32;
constexpr int kControllerConfigurationRow = 27;
constexpr int kAlarmFunctionRow = 35;
constexpr int kFahrenheitZero = 320; // 32 degrees in tenths

enum Format {
    Word = 0,
    Byte = 1,
    Percent = 2,
    Temperature = 3,
    Difference = 4,
    AlarmLimit1 = 5,
    ScaledCurrent = 6,
    SensorType = 7,
    AlarmLimit2 = 8,
    Word9 = 9
};

// Absolute temperatures carry the 32-degree offset of the Fahrenheit scale, differences do not;
// an alarm limit is absolute or relative to the setpoint as the channel's alarm function says.
// A channel whose controller configuration has 001 in bits 3..5 works without the offset.
bool hasFahrenheitOffset(int format, int configuration, int alarmFunction) {
    if (((configuration >> 3) & 7) == 1)
        return false;
    switch (format) {
    case Temperature:
        return true;
    case AlarmLimit1:
        return (alarmFunction & 1) != 0;
    case AlarmLimit2:
        return (alarmFunction & 4) != 0;
    default:
        return false;
    }
}

// A whole number of the image for the bit tests; 0 for what is not a number.
int wholeValue(double v) {
    return int(ValueCodec::roundHalfEven(v).value_or(0) & 0xFFFF);
}

int wordAt(const MemoryImage& m, int address) {
    return ValueCodec::word(m[address], m[address + 1]);
}

void putWord(MemoryImage& m, int address, int value) {
    m[address] = quint8(value & 0xFF);
    m[address + 1] = quint8((value >> 8) & 0xFF);
}

// Conversions of one value of the image into its bytes; empty when it does not fit.
struct Encoder {
    const DeviceImage& image;
    bool fahrenheit;
    double ctRatio;

    std::optional<int> byte(double v) const {
        const auto b = ValueCodec::toByte(v);
        return b ? std::optional<int>(*b) : std::nullopt;
    }
    std::optional<int> word(double v) const {
        const auto w = ValueCodec::toWord(v);
        return w ? std::optional<int>(w->low + 256 * w->high) : std::nullopt;
    }
    std::optional<int> percent(double v) const {
        const auto b = byte(v);
        if (!b)
            return std::nullopt;
        int w = *b * 10;
        if (w > 1270)
            w -= 2560;
        return w & 0xFFFF;
    }
    std::optional<int> temperature(int format, int channel, double v) const {
        const auto raw = word(v);
        if (!raw || !fahrenheit)
            return raw;
        double t = ValueCodec::signedWord(*raw & 0xFF, *raw >> 8);
        if (hasFahrenheitOffset(format,
                                wholeValue(image.value(kControllerConfigurationRow, channel)),
                                wholeValue(image.value(kAlarmFunctionRow, channel))))
            t -= kFahrenheitZero;
        return word(t * 5.0 / 9.0);
    }
    std::optional<int> scaledCurrent(double v) const {
        if (!(ctRatio > 0) || !std::isfinite(ctRatio))
            return 0;
        return byte(v * 1000.0 / ctRatio);
    }
};
} // namespace

bool memoryImageInFahrenheit(int dimension, int attributes) {
    return (dimension & 1) != 0 && (moduleVariantOfAttributes(attributes) & 1) != 0;
}

bool encodeMemoryImage(const ParameterTable& table, const DeviceImage& image, MemoryImage& memory,
                       WriteRefusal* refusal) {
    MemoryImage out = memory;
    for (int i = 0; i < MemoryImage::BlockTableStart; ++i)
        out[i] = 0;
    for (int i = MemoryImageLayout::UnusedStart; i < MemoryImage::Size; ++i)
        out[i] = 0xFF;
    const Encoder encoder{
        image,
        memoryImageInFahrenheit(wholeValue(image.value(kDimensionRow, 1)),
                                wholeValue(image.value(IdentificationRows::Attributes, 1))),
        image.value(kCtRatioRow, 1)};

    for (int row = kFirstRow; row <= ParameterCount; ++row) {
        const ParameterRow& item = table[row];
        for (int j = 1; j <= item.Count; ++j) {
            const double v = image.value(row, j);
            std::optional<int> bytes;
            bool word = false;
            switch (item.Format) {
            case Byte:
            case SensorType:
                bytes = encoder.byte(v);
                break;
            case Word:
            case Word9:
                bytes = encoder.word(v);
                word = true;
                break;
            case Percent:
                bytes = encoder.percent(v);
                word = true;
                break;
            case Temperature:
            case Difference:
            case AlarmLimit1:
            case AlarmLimit2:
                bytes = encoder.temperature(item.Format, j, v);
                word = true;
                break;
            case ScaledCurrent:
                bytes = encoder.scaledCurrent(v);
                break;
            default: // not in the memory image
                continue;
            }
            if (!bytes) {
                const WriteRefusal why =
                    valueRefusal(table, image, row, j,
                                 word ? QStringLiteral("a word of the memory image")
                                      : QStringLiteral("a byte of the memory image (0..255)"));
                if (refusal)
                    *refusal = why;
                return false;
            }
            if (word)
                putWord(out, item.Address + 2 * (j - 1), *bytes);
            else
                out[item.Address + j - 1] = quint8(*bytes);
        }
    }
    memory = out;
    return true;
}

void decodeMemoryImage(const ParameterTable& table, const MemoryImage& memory, int firmwareVersion,
                       DeviceImage& image) {
    using namespace MemoryImageLayout;
    const bool fahrenheit = memoryImageInFahrenheit(memory[Dimension], memory[Attributes]);
    for (int row = kFirstRow; row <= ParameterCount; ++row) {
        const ParameterRow& item = table[row];
        const int a = item.Address;
        for (int j = 1; j <= item.Count; ++j) {
            int value = 0;
            switch (item.Format) {
            case Byte:
                value = memory[a + j - 1];
                break;
            case Word:
            case Word9:
                value = wordAt(memory, a + 2 * (j - 1));
                break;
            case Percent: {
                const int w = wordAt(memory, a + 2 * (j - 1));
                const qint64 q =
                    ValueCodec::roundHalfEven(ValueCodec::signedWord(w & 0xFF, w >> 8) / 10.0)
                        .value_or(0);
                value = int(((q % 256) + 256) % 256);
                break;
            }
            case Temperature:
            case Difference:
            case AlarmLimit1:
            case AlarmLimit2: {
                const int w = wordAt(memory, a + 2 * (j - 1));
                value = w;
                if (fahrenheit) {
                    qint64 t = ValueCodec::roundHalfEven(ValueCodec::signedWord(w & 0xFF, w >> 8) *
                                                         9.0 / 5.0)
                                   .value_or(0);
                    if (hasFahrenheitOffset(item.Format,
                                            wordAt(memory, ControllerConfiguration + 2 * (j - 1)),
                                            memory[AlarmFunction + j - 1]))
                        t += kFahrenheitZero;
                    value = int(t & 0xFFFF);
                }
                break;
            }
            case ScaledCurrent: {
                const double ratio = image.value(kCtRatioRow, 1);
                const double current = std::trunc(ratio * memory[a + j - 1] / 1000.0);
                value = std::isfinite(current) ? int(std::clamp(current, -1e9, 1e9)) : 0;
                break;
            }
            case SensorType: {
                value = memory[a + j - 1];
                if (value > 16 || (value > 12 && firmwareVersion < 0x46))
                    value = 0;
                break;
            }
            default: // not in the memory image: the row keeps its values
                continue;
            }
            image.cell(row, j) = value; // a whole number, as a read gives it
        }
    }
}

quint16 memoryImageCrc(const MemoryImage& memory) {
    return crc16Modbus(memory.bytes.data(), MemoryImageLayout::CrcStart);
}

quint16 storedMemoryImageCrc(const MemoryImage& memory) {
    return quint16(ValueCodec::word(memory[MemoryImageLayout::CrcStart],
                                    memory[MemoryImageLayout::CrcStart + 1]));
}

void storeMemoryImageCrc(MemoryImage& memory) {
    putWord(memory, MemoryImageLayout::CrcStart, memoryImageCrc(memory));
}
