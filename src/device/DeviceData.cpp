#include "device/DeviceData.h"

bool DeviceErrors::any() const {
    if (device != 0)
        return true;
    for (int word : channel)
        if (word != 0)
            return true;
    return false;
}

DeviceErrors deviceErrorsOfWords(const std::array<int, 13>& words) {
    DeviceErrors errors;
    for (size_t i = 0; i < errors.channel.size(); ++i)
        errors.channel[i] = words[i];
    errors.device = words[8];
    return errors;
}

DeviceData::DeviceData(Interaction& interaction, QObject* parent)
    : QObject(parent), m_gate(interaction, texts) {
    table.BuildParameterTable(texts);
}

namespace {
bool sameCell(const QVariant& a, const QVariant& b) {
    const auto numeric = [](const QVariant& v) {
        switch (v.typeId()) {
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Double:
        case QMetaType::Float:
            return true;
        default:
            return false;
        }
    };
    if (numeric(a) && numeric(b))
        return a.toDouble() == b.toDouble();
    return a.typeId() == b.typeId() && a == b;
}
} // namespace

bool DeviceData::setCell(int row, int column, const QVariant& value) {
    QVariant& cell = image.cell(row, column);
    if (sameCell(cell, value))
        return false;
    cell = value;
    Q_EMIT elementChanged(row, column);
    return true;
}

void DeviceData::setLanguageOffset(int offset) {
    texts.setLanguageOffset(offset);
    table.BuildParameterTable(texts);
    UpdateInputNames(table, texts, identification);
    Q_EMIT languageChanged();
}

void DeviceData::setDeviceErrors(const DeviceErrors& errors) {
    deviceErrors = errors;
    Q_EMIT deviceErrorsChanged();
}
