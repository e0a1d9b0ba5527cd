#pragma once

#include "device/DeviceImage.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <bitset>

class ParameterTable;

// The controller the link talks to: port device and bus address.
struct ControllerIdentity {
    QString port;
    int address = -1;

    bool operator==(const ControllerIdentity&) const = default;
};

// What this session knows the controller holds: for each ParameterTable row the values last
// read from it or written to it, and which controller that was. Remembering a row of another
// controller forgets everything of the previous one.
class ControllerRecord {
public:
    void remember(const ControllerIdentity& controller, int row, const DeviceImage& image);
    bool knows(const ControllerIdentity& controller, int row) const;
    // The remembered value of a row (column 1..); meaningful where knows() is true.
    double value(int row, int column) const { return m_values.value(row, column); }
    const ControllerIdentity& controller() const { return m_controller; }
    void forget();

private:
    ControllerIdentity m_controller;
    DeviceImage m_values;
    std::bitset<DeviceImage::Rows> m_known;
};

// One row a write would change, or one whose controller values this session does not know.
struct WritePreviewRow {
    struct Change {
        int column = 0;
        double controller = 0; // what the controller holds
        double image = 0;      // what would be written
    };
    int row = 0;
    QString name;
    bool known = false; // false: not read from this controller in this session
    QList<Change> changes;
};

// The rows of a write that differ from what the controller holds, in write order. Values are
// compared as they travel on the link (rounded, negative words in two's complement), so -100
// and 65436 are the same word.
struct WritePreview {
    QList<WritePreviewRow> rows;
    int rowsWritten = 0; // rows the write sends
    int unknownRows() const;

    // The preview for the user, one line per row:
    //   "7 Max. setpoint: 1: 6000 -> 777, 2: 6000 -> 777"
    //   "26 Controller function: not read from this controller in this session"
    // When nothing of this controller is known, one line says so for all rows; when no row
    // differs, one line says that.
    QStringList lines() const;
};

// The preview of writing `image` to `controller` with a firmware whose full transfer ends at
// `highestRow` (the rows the write sends, in its order).
WritePreview writePreview(const ParameterTable& table, const DeviceImage& image,
                          const ControllerRecord& record, const ControllerIdentity& controller,
                          int highestRow);
