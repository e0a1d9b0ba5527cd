#include "device/ReadRecord.h"

#include "device/DeviceImage.h"
#include "i18n/StringTable.h"

#include <algorithm>

namespace {
bool isRow(int row) {
    return row >= 0 && row < ReadRecord::Rows;
}
} // namespace

void ReadRecord::rowRead(const ControllerKey& controller, int row, const DeviceImage& image) {
    if (!isRow(row) || !controller.isValid())
        return;
    RowValues values;
    for (int column = 1; column < Columns; ++column)
        values[size_t(column)] = image.cell(row, column);
    m_read[controller][row] = values;
    m_imageSource[size_t(row)] = controller;
}

std::optional<ReadRecord::RowValues> ReadRecord::lastRead(const ControllerKey& controller,
                                                          int row) const {
    const auto byController = m_read.constFind(controller);
    if (byController == m_read.constEnd())
        return std::nullopt;
    const auto values = byController->constFind(row);
    if (values == byController->constEnd())
        return std::nullopt;
    return *values;
}

ControllerKey ReadRecord::imageSource(int row) const {
    return isRow(row) ? m_imageSource[size_t(row)] : ControllerKey{};
}

void ReadRecord::imageReplaced(int first, int last) {
    for (int row = std::max(first, 0); row <= std::min(last, Rows - 1); ++row)
        m_imageSource[size_t(row)] = ControllerKey{};
    if (imageIncomplete() && first <= m_incompleteFrom && last >= m_incompleteTo)
        m_incompleteFrom = m_incompleteTo = -1;
}

void ReadRecord::readStarted(const ControllerKey& controller, int lastRow) {
    m_reading = controller;
    m_readingLastRow = lastRow;
}

void ReadRecord::readEnded(int rowsRead) {
    if (rowsRead <= 0)
        return; // nothing replaced: the image is as it was
    if (rowsRead > m_readingLastRow) {
        m_incompleteFrom = m_incompleteTo = -1;
        return;
    }
    m_incompleteFrom = rowsRead;
    m_incompleteTo = m_readingLastRow;
    m_incompleteController = m_reading;
}

void ReadRecord::clear() {
    m_read.clear();
    m_imageSource.fill(ControllerKey{});
    m_reading = m_incompleteController = {};
    m_readingLastRow = -1;
    m_incompleteFrom = m_incompleteTo = -1;
}

QString incompleteReadText(const ReadRecord& record, const Texts& texts) {
    if (!record.imageIncomplete())
        return {};
    static const char* const text[] = {
        "Der letzte Lesevorgang vom Regler (%1) brach bei Zeile %2 ab: die Zeilen %2 bis %3 "
        "enthalten noch ältere Werte.",
        "The last read from the controller (%1) stopped at row %2: rows %2 to %3 still hold "
        "older values.",
        "La dernière lecture du régulateur (%1) s'est arrêtée à la ligne %2 : les lignes %2 à "
        "%3 contiennent encore des valeurs plus anciennes.",
        "L'ultima lettura dal regolatore (%1) si è interrotta alla riga %2: le righe da %2 a %3 "
        "contengono ancora valori precedenti."};
    return texts.inLanguage(text).arg(record.incompleteController().text(),
                                      QString::number(record.incompleteFrom()),
                                      QString::number(record.incompleteTo()));
}

QString incompleteReadMark(const Texts& texts) {
    static const char* const text[] = {"Unvollständig gelesen", "Incomplete read",
                                       "Lecture incomplète", "Lettura incompleta"};
    return texts.inLanguage(text);
}
