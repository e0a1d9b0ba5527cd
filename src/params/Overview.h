#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

class DeviceData;
class Texts;
class TextTableModel;

// The parameter overview: every item of the device image that the controller's firmware has,
// one row per item with its values as texts, the same for the window's grid, the print and
// q7400ctl. Columns 1..8 are the channels; the I/O configuration fills columns 1..20 and the
// parameter set ID columns 1..6; device-wide items have column 1 only.
struct OverviewRow {
    int entry = 0; // ParameterTable row
    QString name;
    QStringList cells; // cells[c - 1] is column c = 1..20; empty where the item has no value
};

struct Overview {
    static constexpr int ValueColumns = 20;
    // Column headings 0..20: "" above the names, "Channel  1" .. "Channel  8", "I/O 9" ..
    // "I/O 20" (text 254 and "I/O", each with the number after a blank).
    QStringList headings;
    QList<OverviewRow> rows;
};

// Builds the overview of entries 0 .. highestRowForFirmware(firmware). Temperature-like values
// use the channel formats, which may repair an unusable full-scale value in the image
// (SetChannelFormats); everything else only reads the image.
Overview buildOverview(DeviceData& data);
// The overview in a table for the grid: names in column 0, the headings as header.
void showOverview(TextTableModel& table, const Overview& overview);

// The print of the overview as text lines at fixed columns. `heading` is repeated at the top
// of every page: a blank line, "Configuration of the Q7400   <date>   <time>" at column 54, a
// blank line, the channel headings at columns 43 + 11k and three blank lines. Each element of
// `entries` holds the lines of one item (kept together on a page): its name at column 16,
// its cells at columns 54, 65 .. 131; the I/O configuration takes three lines (cells 1..8,
// 9..16, 17..20), device-wide items show cell 1 only.
struct OverviewPrint {
    QStringList heading;
    QList<QStringList> entries;

    // The whole print as one page: heading, then every entry's lines.
    QStringList lines() const;
    // The print on pages of at most `linesPerPage` lines (at least the heading and one entry
    // are put on every page): each starts with the heading, no entry is split.
    QList<QStringList> pages(int linesPerPage) const;
};
// Title of the overview window and of its print: "Q7400 Parameter".
QString overviewTitle(const Texts& texts, const QString& deviceType);
// The button that saves the print as a PDF file, and the message when printing fails.
QString savePdfCaption(const Texts& texts);
QString printFailedText(const Texts& texts);

OverviewPrint overviewPrint(const Overview& overview, const Texts& texts, const QString& deviceType,
                            const QDateTime& when);
