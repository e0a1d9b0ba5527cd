#include "services/BlockTable.h"

#include "base/Interaction.h"
#include "device/DeviceData.h"
#include "device/DeviceServices.h"
#include "device/ParameterBlocks.h"

#include <QRegularExpression>

namespace {
constexpr int kRawBlockRow = 79;
constexpr int kTextCaution = 540;
constexpr int kTextTransmitNow = 541;
constexpr int kBytesPerLine = 16;
} // namespace

BlockTable blockTableOf(const MemoryImage& memory) {
    BlockTable table{};
    for (int i = 0; i < MemoryImage::BlockTableSize; ++i)
        table[size_t(i)] = memory[MemoryImage::BlockTableStart + i];
    return table;
}

void storeBlockTable(MemoryImage& memory, const BlockTable& table) {
    for (int i = 0; i < MemoryImage::BlockTableSize; ++i)
        memory[MemoryImage::BlockTableStart + i] = table[size_t(i)];
}

QString blockTableFieldText(quint8 byte) {
    return QString::number(byte, 16).toUpper();
}

std::optional<quint8> blockTableFieldByte(const QString& text) {
    static const QRegularExpression hexByte(QStringLiteral("^[0-9A-Fa-f]{1,2}$"));
    const QString t = text.trimmed();
    if (!hexByte.match(t).hasMatch())
        return std::nullopt;
    return quint8(t.toUInt(nullptr, 16));
}

QStringList blockTableLines(const BlockTable& table) {
    QStringList lines;
    for (int line = 0; line < int(table.size()) / kBytesPerLine; ++line) {
        QStringList bytes;
        for (int i = 0; i < kBytesPerLine; ++i)
            bytes << QStringLiteral("%1")
                         .arg(table[size_t(line * kBytesPerLine + i)], 2, 16, QChar(u'0'))
                         .toUpper();
        lines << bytes.join(u' ');
    }
    return lines;
}

std::optional<BlockTable> blockTableOfText(const QString& text, QString* why) {
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    const QStringList tokens = text.split(blanks, Qt::SkipEmptyParts);
    BlockTable table{};
    for (int i = 0; i < tokens.size(); ++i) {
        const auto byte = blockTableFieldByte(tokens[i]);
        if (!byte) {
            if (why)
                *why = QStringLiteral("byte %1, \"%2\", is not a hexadecimal byte 0..FF")
                           .arg(i + 1)
                           .arg(tokens[i]);
            return std::nullopt;
        }
        if (i < int(table.size()))
            table[size_t(i)] = *byte;
    }
    if (tokens.size() != qsizetype(table.size())) {
        if (why)
            *why = QStringLiteral("%1 bytes given, the table has 96").arg(tokens.size());
        return std::nullopt;
    }
    return table;
}

BlockTableEdit::BlockTableEdit(DeviceData& data, DeviceServices& services, Interaction& interaction)
    : m_data(data), m_services(services), m_interaction(interaction) {}

QString BlockTableEdit::operationName() const {
    return m_data.identification.DeviceType + QStringLiteral("  Block");
}

QStringList BlockTableEdit::fieldTexts() const {
    QStringList fields;
    for (quint8 b : blockTableOf(m_data.memory))
        fields << blockTableFieldText(b);
    return fields;
}

bool BlockTableEdit::canTransfer() const {
    return blockTableTransferable(m_data.identification.FirmwareVersion);
}

bool BlockTableEdit::readFromController() {
    if (!canTransfer())
        return false;
    const OperationGate::Ticket ticket = m_data.gate().enter(operationName());
    return ticket && m_services.ReadRawBlock();
}

void BlockTableEdit::loadDefaults() {
    LoadDefaultRawBlock(m_data.memory);
}

BlockTableEdit::SaveOutcome BlockTableEdit::save(const QStringList& fields,
                                                 QList<int>* invalidFields) {
    const QString title = QStringLiteral("Block");
    BlockTable table{};
    QList<int> invalid;
    for (int i = 0; i < int(table.size()); ++i) {
        const auto byte = blockTableFieldByte(fields.value(i));
        if (byte)
            table[size_t(i)] = *byte;
        else
            invalid << i;
    }
    if (invalidFields)
        *invalidFields = invalid;
    if (!invalid.isEmpty()) {
        QStringList numbers;
        for (int i : invalid)
            numbers << QString::number(i);
        static const char* const text[] = {
            "Nichts gespeichert: ein Feld muss ein hexadezimales Byte 0..FF enthalten (Feld %1).",
            "Nothing was stored: a field must hold a hexadecimal byte 0..FF (field %1).",
            ("Rien n'a été enregistré : un champ doit contenir un octet hexadécimal 0..FF "
             "(champ %1)."),
            "Nulla è stato salvato: un campo deve contenere un byte esadecimale 0..FF (campo %1)."};
        m_interaction.inform(title,
                             m_data.texts.inLanguage(text).arg(numbers.join(QStringLiteral(", "))),
                             Interaction::Icon::Critical);
        return SaveOutcome::Invalid;
    }
    if (m_interaction.ask(Interaction::Icon::Critical, Interaction::Buttons::OkCancel, title,
                          m_data.texts.LoadText(kTextCaution)) != Interaction::Answer::Ok)
        return SaveOutcome::Cancelled;
    storeBlockTable(m_data.memory, table);
    if (!canTransfer() ||
        m_interaction.ask(Interaction::Icon::Question, Interaction::Buttons::YesNo, title,
                          m_data.texts.LoadText(kTextTransmitNow)) != Interaction::Answer::Yes)
        return SaveOutcome::Stored;
    const OperationGate::Ticket ticket = m_data.gate().enter(operationName());
    if (!ticket)
        return SaveOutcome::Failed;
    m_services.PrepareLink();
    return m_services.WriteParameterRow(kRawBlockRow) ? SaveOutcome::Sent : SaveOutcome::Failed;
}
