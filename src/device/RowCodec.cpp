#include "device/RowCodec.h"

#include "device/DeviceImage.h"
#include "device/ParameterTable.h"
#include "link/TransferGroup.h"
#include "link/ValueCodec.h"

namespace {
// A word block carries one word per channel, whatever an unranged read of its code returns.
constexpr int kChannels = 8;

std::nullopt_t refuse(WriteRefusal* refusal, int row, const QString& text) {
    if (refusal)
        *refusal = WriteRefusal{0, 0, text, row};
    return std::nullopt;
}
} // namespace

WriteRefusal valueRefusal(const ParameterTable& table, const DeviceImage& image, int row,
                          int column, const QString& fits) {
    // Multi-argument arg(): a % in the row's name stays as it is.
    const QString name = table[row].Name.trimmed();
    const QString where = name.isEmpty()
                              ? QStringLiteral("Row %1").arg(row)
                              : QStringLiteral("%1 (row %2)").arg(name, QString::number(row));
    // A text is named as it stands ("1e400"), not as the infinity it stands for.
    const double value = image.value(row, column);
    const QVariant& cell = image.cell(row, column);
    const QString shownValue = cell.typeId() == QMetaType::QString
                                   ? cell.toString().trimmed()
                                   : QStringLiteral("%1").arg(value);
    return WriteRefusal{column, value,
                        QStringLiteral("%1, value %2: %3 does not fit %4.")
                            .arg(where, QString::number(column), shownValue, fits),
                        row};
}

bool isReadOnlyCode(int code) {
    return code == 46 || code == 47 || code == 48 || code == 49 || code == 53;
}

bool dimensionSendable(int dimension) {
    return (dimension & DimensionSwitches) != DimensionSwitches;
}

std::optional<QByteArray> encodeWriteData(const ParameterTable& table, const DeviceImage& image,
                                          const MemoryImage& memory, int row,
                                          WriteRefusal* refusal) {
    if (row < 0 || row >= ParameterTable::Rows)
        return refuse(refusal, row, QStringLiteral("Row %1 does not exist.").arg(row));
    const ParameterRow& item = table[row];
    const int code = item.FunctionCode;
    if (isReadOnlyCode(code))
        return refuse(refusal, row,
                      QStringLiteral("Row %1 (code %2) is read-only.").arg(row).arg(code));

    const TransferGroup group = transferGroupOf(code);
    QByteArray data;
    if (group != TransferGroup::SingleByte && group != TransferGroup::SingleWord)
        data = QByteArray(3, '\0');
    if (group == TransferGroup::RawBlock) {
        for (int i = 0; i < MemoryImage::BlockTableSize; ++i)
            data.append(char(memory[MemoryImage::BlockTableStart + i]));
        return data;
    }

    if (row == DimensionRow) {
        const std::optional<quint8> b = ValueCodec::toByte(image.value(row, 1));
        if (b && dimensionSendable(*b))
            return QByteArray(1, char(*b & DimensionSwitches));
        WriteRefusal why =
            valueRefusal(table, image, row, 1, QStringLiteral("a byte (0..255)"));
        if (b)
            why.text = QStringLiteral("The dimension byte %1 sets all four switches (°F, master "
                                      "PDO, amps not zero, no function store); the controller "
                                      "would take it as its factory-settings command.")
                           .arg(*b);
        if (refusal)
            *refusal = why;
        return std::nullopt;
    }

    const bool words = isWordGroup(group);
    const int count = group == TransferGroup::WordBlock ? kChannels : unrangedValueCount(code);
    for (int k = 1; k <= count; ++k) {
        const double v = image.value(row, k);
        if (words) {
            if (const auto w = ValueCodec::toWord(v)) {
                data.append(char(w->low)).append(char(w->high));
                continue;
            }
        } else if (const auto b = ValueCodec::toByte(v)) {
            data.append(char(*b));
            continue;
        }
        const WriteRefusal why = valueRefusal(table, image, row, k,
                                              words ? QStringLiteral("a word (-32768..65535)")
                                                    : QStringLiteral("a byte (0..255)"));
        if (refusal)
            *refusal = why;
        return std::nullopt;
    }
    return data;
}

QList<int> decodeReadValues(int code, int p1, int p2, const std::array<int, 201>& b) {
    const TransferGroup group = transferGroupOf(code);
    const bool ranged = p1 != 0 && p2 != 0;
    const int count = ranged ? qBound(0, p2 - p1 + 1, 95) : unrangedValueCount(code);
    const auto at = [&b](int position) {
        return position >= 0 && position < int(b.size()) ? b[size_t(position)] : 0;
    };
    QList<int> values;
    switch (group) {
    case TransferGroup::SingleByte:
        values.append(at(8));
        break;
    case TransferGroup::SingleWord:
        values.append(ValueCodec::word(at(8), at(9)));
        break;
    case TransferGroup::AddressedWord:
        values.append(ValueCodec::word(at(11), at(12)));
        break;
    case TransferGroup::RawBlock:
        break;
    default:
        for (int k = 0; k < count; ++k)
            values.append(isWordGroup(group) || (group == TransferGroup::IdBlock && ranged)
                              ? ValueCodec::word(at(11 + 2 * k), at(12 + 2 * k))
                              : at(11 + k));
        break;
    }
    return values;
}
