#pragma once

#include "device/DeviceImage.h"
#include "link/ControllerKey.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class ParameterTable;
class ReadRecord;
class Texts;

// One row a write would change, or one whose values were not read from the controller in this
// session.
struct WritePreviewRow {
    struct Change {
        int column = 0;
        double controller = 0; // as last read from the controller
        double image = 0;      // what would be written
    };
    int row = 0;
    QString name;
    bool read = false; // false: not read from this controller in this session
    QList<Change> changes;
};

// How a value is shown: (row, column, value as compared, true for the old side). Without one,
// values are shown as numbers.
using ComparisonValueText = std::function<QString(int row, int column, double value, bool before)>;

// The rows of a write whose values differ from what was last read from the controller, in
// write order. Values are compared as they travel on the link (rounded, negative words in
// two's complement), so -100 and 65436 are the same word.
struct WritePreview {
    QList<WritePreviewRow> rows;
    int rowsWritten = 0; // rows the write sends
    int unreadRows() const;

    // The preview for the user in the language of `texts`, one line per row:
    //   "7 Max. setpoint: 1: 6000 -> 777, 2: 6000 -> 777"
    //   "26 Controller function: not read from this controller in this session"
    // One line says so when nothing was read from this controller, or when no row differs.
    QStringList lines(const Texts& texts, const ComparisonValueText& valueText = {}) const;

    // The same as a table, one line per value that differs: row, name, column, old value, new
    // value; a row not read from the controller has its note in place of the column.
    QList<QStringList> tableRows(const Texts& texts,
                                 const ComparisonValueText& valueText = {}) const;
    // The table's headings, the two value columns named `before` and `after`.
    static QStringList tableHeader(const Texts& texts, const QString& before, const QString& after);
    // "No differences." in the language of `texts`.
    static QString equalText(const Texts& texts);
};

// The preview of writing `image` to `controller` with a firmware whose full transfer ends at
// `highestRow`: the rows the write sends, in its order, compared with `record`.
WritePreview writePreview(const ParameterTable& table, const DeviceImage& image,
                          const ReadRecord& record, const ControllerKey& controller,
                          int highestRow);

// The same comparison between two images (a file and another, or what a controller holds):
// the rows of `rows`, in that order, whose values differ between `before` and `after`.
WritePreview compareImages(const ParameterTable& table, const DeviceImage& before,
                           const DeviceImage& after, const QList<int>& rows);
