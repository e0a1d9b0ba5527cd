#pragma once

#include <QString>

#include <array>

class Texts;

// One controller item: how it is named, read and written, and where it lives in the
// controller's 768-byte parameter memory.
struct ParameterRow {
    int TextId = 0; // base number of the name, 0 = no name
    QString Name;
    int FunctionCode = 0;
    int Count = 0;   // number of values (8 = one per channel)
    int Address = 0; // byte address in the memory image
    int Format = 0;  // storage format in the memory image, 99 = not stored there
};

// The controller's items, keyed by row number 0..80. Rows 56..78 are unused; row 79 is the raw
// parameter-block table and row 80 the output values, both outside the full transfers.
class ParameterTable {
public:
    static constexpr int Rows = 81;

    ParameterTable();

    // Fills every row; names in the language of `texts`. Run again after a language change.
    void BuildParameterTable(const Texts& texts);

    const ParameterRow& operator[](int row) const { return m_rows.at(size_t(row)); }
    ParameterRow& operator[](int row) { return m_rows.at(size_t(row)); }

    // January..December; the memory-image date conversion sets February before each use.
    std::array<int, 12> MonthLengths{};

private:
    std::array<ParameterRow, Rows> m_rows;
};

// Highest row a full transfer handles on the newest firmware.
constexpr int ParameterCount = 55;

// Highest row a full read or write handles for a controller with this firmware version byte.
int highestRowForFirmware(int firmwareVersion);
