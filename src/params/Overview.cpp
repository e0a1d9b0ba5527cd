#include "params/Overview.h"

#include "base/ColumnText.h"
#include "base/NumberText.h"
#include "device/DeviceImage.h"
#include "device/Identification.h"
#include "device/ParameterTable.h"
#include "i18n/StringTable.h"
#include "params/ChannelFormats.h"

#include <algorithm>
#include <initializer_list>

namespace {

// How an entry's values are shown.
enum class CellKind {
    Scaled,        // temperature-like, in the channel's format
    FullScale,     // full-scale value of linear inputs
    Tenths,        // signed tenths, one decimal
    Percent,       // signed output percentage byte
    Hex,           // bit words: "0x" and the hexadecimal digits
    Plain,         // the number as it is
    DeviceTenths,  // column 1 only: tenths without sign
    DeviceHex,     // column 1 only
    DeviceId,      // column 1 only: first letter of the device type and the hexadecimal digits
    VersionNumber, // column 1 only: "V56"
    DevicePlain,   // column 1 only
};

bool isOneOf(int entry, std::initializer_list<int> entries) {
    return std::find(entries.begin(), entries.end(), entry) != entries.end();
}

CellKind kindOf(int entry) {
    if (entry == 41)
        return CellKind::FullScale;
    if (isOneOf(entry, {9, 16, 17, 20, 37, 46, 47, 48, 53}))
        return CellKind::Tenths;
    if (isOneOf(entry, {18, 19, 21, 22, 23, 24}))
        return CellKind::Percent;
    if (isOneOf(entry, {26, 27, 28, 29, 35, 36, 50, 51, 52}))
        return CellKind::Hex;
    if (entry == 33)
        return CellKind::Plain;
    if (isOneOf(entry, {38, 39, 43, 49}))
        return CellKind::DeviceTenths;
    if (isOneOf(entry, {31, 40, 42, 44}))
        return CellKind::DeviceHex;
    if (entry == 30)
        return CellKind::DeviceId;
    if (entry == 34)
        return CellKind::VersionNumber;
    if (isOneOf(entry, {32, 54, 55}))
        return CellKind::DevicePlain;
    return CellKind::Scaled; // 0..8, 10..15, 25, 45
}

int cellCount(int entry, CellKind kind) {
    if (entry == 36)
        return 20;
    if (entry == 50)
        return 6;
    switch (kind) {
    case CellKind::DeviceTenths:
    case CellKind::DeviceHex:
    case CellKind::DeviceId:
    case CellKind::VersionNumber:
    case CellKind::DevicePlain:
        return 1;
    default:
        return 8;
    }
}

QString hexDigits(double v) {
    // Edited cells may hold real numbers: the value as it would be sent, as a 16-bit pattern.
    return QString::number(roundHalfEven(v).value_or(0) & 0xFFFF, 16).toUpper();
}

QString cellText(CellKind kind, double v, int column, const ChannelFormats& formats,
                 const Identification& id) {
    const qint64 whole = roundHalfEven(v).value_or(0);
    switch (kind) {
    case CellKind::Scaled:
        return formats.text(column, v);
    case CellKind::FullScale:
        // Temperature modules keep it in tenths; linear modules as a whole number, shown with
        // the channel's decimals.
        if (hasTemperatureInputs(id))
            return formatFixed(signedWordValue(v), 1);
        {
            const int d = formats.decimalsOf(column);
            qint64 units = signedWordValue(v);
            for (int i = 0; i < d; ++i)
                units *= 10;
            return formatFixed(units, d);
        }
    case CellKind::Tenths:
        return formatFixed(signedWordValue(v), 1);
    case CellKind::Percent:
        return QString::number(signedByteValue(v));
    case CellKind::Hex:
    case CellKind::DeviceHex:
        return QStringLiteral("0x") + hexDigits(v);
    case CellKind::Plain:
    case CellKind::DevicePlain:
        return QString::number(whole);
    case CellKind::DeviceTenths:
        return formatFixed(whole, 1);
    case CellKind::DeviceId:
        return id.DeviceType.left(1) + hexDigits(v);
    case CellKind::VersionNumber:
        return u'V' + hexDigits(v);
    }
    return {};
}

// Entries whose print shows cell 1 only (the others print every cell they have).
bool printsFirstCellOnly(int entry) {
    return isOneOf(entry, {30, 31, 32, 34, 38, 39, 40, 54, 55});
}

constexpr int NameColumn = 16;
int cellColumn(int k) {
    return 43 + 11 * k;
}

} // namespace

Overview buildOverview(DeviceImage& image, const ParameterTable& table, const Identification& id,
                       const Texts& texts) {
    Overview overview;
    overview.headings.append(QString());
    for (int k = 1; k <= Overview::ValueColumns; ++k)
        overview.headings.append((k <= 8 ? texts.LoadText(254) : QStringLiteral("I/O")) + u' ' +
                                 QString::number(k));
    const ChannelFormats formats = SetChannelFormats(image, id);
    const int last = highestRowForFirmware(id.FirmwareVersion);
    for (int entry = 0; entry <= last; ++entry) {
        OverviewRow row;
        row.entry = entry;
        row.name = table[entry].Name.trimmed();
        const CellKind kind = kindOf(entry);
        const int count = cellCount(entry, kind);
        for (int k = 1; k <= Overview::ValueColumns; ++k)
            row.cells.append(k <= count ? cellText(kind, image.value(entry, k), k, formats, id)
                                        : QString());
        overview.rows.append(row);
    }
    return overview;
}

OverviewPrint overviewPrint(const Overview& overview, const Texts& texts, const QString& deviceType,
                            const QDateTime& when) {
    OverviewPrint print;
    ColumnText heading;
    heading.blankLines(1);
    heading.at(cellColumn(1), texts.LoadText(267) + deviceType + QStringLiteral("   ") +
                                  when.toString(QStringLiteral("yyyy-MM-dd")) +
                                  QStringLiteral("   ") + when.toString(QStringLiteral("HH:mm")));
    heading.endLine().blankLines(1);
    for (int k = 1; k <= 8; ++k)
        heading.at(cellColumn(k), overview.headings.value(k));
    heading.endLine().blankLines(3);
    print.heading = heading.lines();

    for (const OverviewRow& row : overview.rows) {
        ColumnText t;
        t.at(NameColumn, row.name);
        const int cells = printsFirstCellOnly(row.entry) ? 1 : int(row.cells.size());
        for (int c = 1; c <= cells; ++c) {
            const QString& text = row.cells.value(c - 1);
            if (!text.isEmpty())
                t.at(cellColumn((c - 1) % 8 + 1), text);
        }
        t.endLine();
        print.entries.append(t.lines());
    }
    return print;
}

QStringList OverviewPrint::lines() const {
    QStringList all = heading;
    for (const QStringList& entry : entries)
        all += entry;
    return all;
}
