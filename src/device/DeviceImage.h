#pragma once

#include "base/NumberText.h"

#include <QString>
#include <QVariant>

#include <array>

// Numeric value of a device-image cell: numbers as they are, texts by ValueOfText, empty = 0.
double NumericValue(const QVariant& cell);

// The program's copy of the controller's items: 81 rows x 22 columns of numbers or texts.
// Column 0 holds the row's name as last read, columns 1..Count the values (column k = channel k
// or terminal k).
class DeviceImage {
public:
    static constexpr int Rows = 81;
    static constexpr int Columns = 22;

    QVariant& cell(int row, int column) { return m_cells.at(index(row, column)); }
    const QVariant& cell(int row, int column) const { return m_cells.at(index(row, column)); }

    double value(int row, int column) const { return NumericValue(cell(row, column)); }
    void setValue(int row, int column, double v) { cell(row, column) = v; }
    void setText(int row, int column, const QString& text) { cell(row, column) = text; }

    // Every cell becomes the number 0.
    void clear();

private:
    static size_t index(int row, int column) { return size_t(row) * Columns + size_t(column); }
    std::array<QVariant, size_t(Rows) * Columns> m_cells;
};

// The controller's 768-byte parameter memory image; bytes 640..735 are the parameter-block table.
struct MemoryImage {
    static constexpr int Size = 768;
    static constexpr int BlockTableStart = 640;
    static constexpr int BlockTableSize = 96;
    std::array<quint8, Size> bytes{};
    quint8& operator[](int i) { return bytes.at(size_t(i)); }
    quint8 operator[](int i) const { return bytes.at(size_t(i)); }
};
