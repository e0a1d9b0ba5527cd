#pragma once

#include "link/ControllerKey.h"

#include <QHash>
#include <QList>
#include <QVariant>

#include <array>
#include <optional>

class DeviceImage;
class Texts;

// What was read from which controller in this session, and where the values the device image
// holds came from.
//
// The read transfer records every row it reads. Two questions rest on this record:
//  - does the image hold this controller's values of a row (the write transfer writes the
//    setpoints only then; otherwise it reads them first and writes those back), and
//  - which rows of the image differ from what was last read from this controller (a preview
//    before a write; a row never read from it is "not read from this controller").
// Whatever replaces rows of the image from elsewhere (a configuration file, the defaults, a
// memory-image file) says so with imageReplaced(), so the rows no longer count as read.
class ReadRecord {
public:
    static constexpr int Rows = 81;
    static constexpr int Columns = 22;
    using RowValues = std::array<QVariant, Columns>; // column 0 unused

    // `row` (columns 1..21) was just read from `controller` into the image.
    void rowRead(const ControllerKey& controller, int row, const DeviceImage& image);

    // The values last read from `controller` for `row` in this session; empty when never read.
    std::optional<RowValues> lastRead(const ControllerKey& controller, int row) const;
    bool wasRead(const ControllerKey& controller, int row) const {
        return lastRead(controller, row).has_value();
    }

    // The controller whose values the image's `row` holds (possibly edited since); invalid
    // when they came from elsewhere.
    ControllerKey imageSource(int row) const;
    bool imageHoldsReadValues(const ControllerKey& controller, int row) const {
        return controller.isValid() && imageSource(row) == controller;
    }

    // Rows first..last of the image were replaced from elsewhere than a controller. A read
    // that stopped part-way is no longer incomplete when the rows it left behind are replaced.
    void imageReplaced(int first, int last);

    // A read of rows 0..lastRow from `controller` starts, and ends after `rowsRead` rows. A
    // read that replaced some rows but not all leaves the image incomplete: rows rowsRead..
    // lastRow still hold older values. A read that replaced nothing leaves the image as it was.
    void readStarted(const ControllerKey& controller, int lastRow);
    void readEnded(int rowsRead);

    bool imageIncomplete() const { return m_incompleteFrom >= 0; }
    // The rows that hold older values after an incomplete read (-1 when complete).
    int incompleteFrom() const { return m_incompleteFrom; }
    int incompleteTo() const { return m_incompleteTo; }
    ControllerKey incompleteController() const { return m_incompleteController; }

    // Forgets everything (a new session).
    void clear();

private:
    QHash<ControllerKey, QHash<int, RowValues>> m_read; // by controller, by row
    std::array<ControllerKey, Rows> m_imageSource{};
    ControllerKey m_reading;
    int m_readingLastRow = -1;
    ControllerKey m_incompleteController;
    int m_incompleteFrom = -1;
    int m_incompleteTo = -1;
};

// "The last read from the controller (Adr. 3, /dev/ttyUSB0) stopped at row 20: rows 20 to 55
// still hold older values." in the language in use; empty when the image is complete.
QString incompleteReadText(const ReadRecord& record, const Texts& texts);
// Status mark of an incomplete image: "Incomplete read".
QString incompleteReadMark(const Texts& texts);
