#include "params/Overview.h"

#include "base/ColumnText.h"
#include "base/NumberText.h"
#include "base/TextTableModel.h"
#include "device/DeviceData.h"
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

// "100" with two decimals is "100.00".
QString wholeWithDecimals(qint64 v, int decimals) {
    for (int i = 0; i < decimals; ++i)
        v *= 10;
    return fixedPointText(v, decimals);
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
        return hasTemperatureInputs(id)
                   ? fixedPointText(signedWordValue(v), 1)
                   : wholeWithDecimals(signedWordValue(v), formats.decimalsOf(column));
    case CellKind::Tenths:
        return fixedPointText(signedWordValue(v), 1);
    case CellKind::Percent:
        return QString::number(signedByteValue(v));
    case CellKind::Hex:
    case CellKind::DeviceHex:
        return QStringLiteral("0x") + hexDigits(v);
    case CellKind::Plain:
    case CellKind::DevicePlain:
        return QString::number(whole);
    case CellKind::DeviceTenths:
        return fixedPointText(whole, 1);
    case CellKind::DeviceId:
        return id.DeviceType.left(1) + hexDigits(v);
    case CellKind::VersionNumber:
        return u'V' + hexDigits(v);
    }
    return {};
}

constexpr int NameColumn = 16;
int cellColumn(int k) {
    return 43 + 11 * k;
}

} // namespace

Overview buildOverview(DeviceData& data) {
    const Texts& texts = data.texts;
    const DeviceImage& image = data.image;
    const Identification& id = data.identification;
    Overview overview;
    overview.headings.append(QString());
    for (int k = 1; k <= Overview::ValueColumns; ++k)
        overview.headings.append((k <= 8 ? texts.LoadText(254) : QStringLiteral("I/O")) + u' ' +
                                 QString::number(k));
    const ChannelFormats formats = SetChannelFormats(data);
    const int last = highestRowForFirmware(id.FirmwareVersion);
    for (int entry = 0; entry <= last; ++entry) {
        OverviewRow row;
        row.entry = entry;
        row.name = data.table[entry].Name.trimmed();
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
        // Device-wide items have cell 1 only; the I/O configuration continues on a second
        // and third line (a cell placed before the end of the line starts a new one).
        for (int c = 1; c <= row.cells.size(); ++c)
            if (!row.cells[c - 1].isEmpty())
                t.at(cellColumn((c - 1) % 8 + 1), row.cells[c - 1]);
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

QList<QStringList> OverviewPrint::pages(int linesPerPage) const {
    QList<QStringList> result;
    QStringList page;
    for (const QStringList& entry : entries) {
        if (!page.isEmpty() && page.size() + entry.size() > linesPerPage) {
            result.append(page);
            page.clear();
        }
        if (page.isEmpty())
            page = heading;
        page += entry;
    }
    if (!page.isEmpty() || result.isEmpty())
        result.append(page.isEmpty() ? heading : page);
    return result;
}

QString overviewTitle(const Texts& texts, const QString& deviceType) {
    return deviceType + texts.LoadText(282);
}

void showOverview(TextTableModel& table, const Overview& overview) {
    QList<QStringList> rows;
    for (const OverviewRow& row : overview.rows)
        rows.append(QStringList{row.name} + row.cells);
    table.setHeader(overview.headings);
    table.setRows(rows);
}

QString savePdfCaption(const Texts& texts) {
    static const char* const text[] = {"Als PDF speichern", "Save as PDF", "Enregistrer en PDF",
                                       "Salva come PDF"};
    return QString::fromUtf8(text[texts.languageIndex()]);
}

QString printFailedText(const Texts& texts) {
    static const char* const text[] = {
        "Der Drucker kann nicht benutzt werden.", "The printer cannot be used.",
        "L'imprimante ne peut pas être utilisée.", "Non è possibile usare la stampante."};
    return QString::fromUtf8(text[texts.languageIndex()]);
}
