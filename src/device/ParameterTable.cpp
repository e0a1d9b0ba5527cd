#include "device/ParameterTable.h"

#include "i18n/StringTable.h"

namespace {
struct RowSpec {
    int row;
    int textId;
    int code;
    int count;
    int address;
    int format;
};

// clang-format off
constexpr RowSpec kRows[] = {
    {0, 100, 0, 8, 0x000, 3},     {1, 101, 1, 8, 0x110, 5},     {2, 102, 2, 8, 0x120, 5},
    {3, 103, 3, 8, 0x010, 3},     {4, 104, 4, 8, 0x100, 8},     {5, 105, 5, 8, 0x130, 8},
    {6, 106, 6, 8, 0x020, 3},     {7, 107, 7, 8, 0x030, 3},     {8, 108, 10, 8, 0x160, 3},
    {9, 109, 11, 8, 0x170, 9},    {10, 110, 12, 8, 0x1D0, 4},   {11, 111, 14, 8, 0x140, 4},
    {12, 112, 15, 8, 0x150, 4},   {13, 113, 16, 8, 0x040, 4},   {14, 114, 17, 8, 0x050, 4},
    {15, 115, 18, 8, 0x060, 4},   {16, 116, 20, 8, 0x080, 9},   {17, 117, 21, 8, 0x090, 9},
    {18, 118, 22, 8, 0x0A0, 2},   {19, 119, 23, 8, 0x0B0, 2},   {20, 120, 24, 8, 0x1C0, 9},
    {21, 121, 25, 8, 0x0E0, 2},   {22, 122, 28, 8, 0x0C0, 2},   {23, 123, 29, 8, 0x0D0, 2},
    {24, 124, 30, 8, 0x0F0, 2},   {25, 125, 31, 8, 0x070, 4},   {26, 126, 32, 8, 0x1F0, 1},
    {27, 127, 34, 8, 0x1E0, 9},   {28, 128, 41, 8, 0x1A0, 9},   {29, 129, 42, 8, 0x1B0, 9},
    {30, 130, 48, 1, 0, 99},      {31, 131, 49, 1, 0x27D, 1},   {32, 132, 50, 1, 0x21C, 1},
    {33, 133, 51, 8, 0x214, 7},   {34, 134, 53, 1, 0, 99},      {35, 135, 54, 8, 0x1F8, 1},
    {36, 136, 55, 20, 0x200, 1},  {37, 137, 96, 8, 0x180, 9},   {38, 138, 100, 1, 0x190, 9},
    {39, 139, 105, 1, 0x192, 9},  {40, 140, 160, 1, 0x27C, 1},  {41, 141, 13, 8, 0x240, 0},
    {42, 142, 161, 1, 0x27B, 1},  {43, 143, 146, 1, 0x21E, 9},  {44, 144, 147, 1, 0x21D, 1},
    {45, 145, 8, 8, 0x230, 4},    {46, 146, 9, 8, 0x220, 9},    {47, 147, 97, 8, 0x250, 6},
    {48, 148, 98, 8, 0x258, 6},   {49, 149, 103, 1, 0x194, 9},  {50, 520, 63, 6, 0x19A, 1},
    {51, 521, 56, 8, 0x260, 1},   {52, 522, 35, 8, 0x268, 1},   {53, 523, 37, 8, 0x270, 1},
    {54, 524, 58, 1, 0x278, 1},   {55, 516, 104, 1, 0x279, 9},  {79, 0, 61, 0, 0, 0},
    {80, 0, 40, 0, 0, 0},
};
// clang-format on

// Row 51 carries a placeholder name in every language.
constexpr int kPlaceholderRow = 51;
} // namespace

ParameterTable::ParameterTable() {
    MonthLengths = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
}

void ParameterTable::BuildParameterTable(const Texts& texts) {
    m_rows.fill(ParameterRow{});
    for (const RowSpec& s : kRows) {
        ParameterRow& r = m_rows[size_t(s.row)];
        r.TextId = s.textId;
        r.Name = s.textId ? texts.LoadText(s.textId) : QString();
        r.FunctionCode = s.code;
        r.Count = s.count;
        r.Address = s.address;
        r.Format = s.format;
    }
    m_rows[kPlaceholderRow].Name = QStringLiteral("---");
    MonthLengths = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
}

int highestRowForFirmware(int v) {
    if (v <= 16)
        return 40;
    if (v <= 49)
        return 41;
    if (v <= 52)
        return 49;
    if (v == 53)
        return 52;
    if (v == 54)
        return 53;
    if (v <= 82)
        return 54;
    return ParameterCount;
}
